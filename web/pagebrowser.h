#pragma once
// The engine's view of a live page in Qt WebEngine. One script call takes a
// snapshot of the page (body text length, the form controls of the page and,
// when the page itself shows almost no text, of its frames one level deep)
// while references to the live elements stay on the page side. The engine
// runs on the snapshot; after each document's routine its journal of writes,
// ticks and presses becomes a script that replays it on the live elements,
// sent to the page in order by whoever runs the command.
#include "engine/document.h"
#include "engine/memorydocument.h"

#include <QStringList>
#include <QVariant>
#include <memory>
#include <utility>
#include <variant>
#include <vector>

namespace web {

class PageBrowser : public engine::Browser {
public:
    // Reads the snapshot script's answer for the snapshot of the generation;
    // an answer that is not text stands for a page without a document. With
    // recordPresses, a replayed press is remembered on the page and the
    // button's default action is prevented, so that the page stays (preview
    // reports).
    PageBrowser(const QVariant &snapshot, int generation, bool recordPresses = false);
    ~PageBrowser() override;

    // The snapshot's top document; nullptr when the page gave none.
    engine::Document *document() override;

    // What the routines run so far wrote: values set and boxes ticked, and
    // the buttons pressed (each by its caption, else its alt text or name).
    int written() const { return m_written; }
    QStringList pressed() const { return m_pressed; }

    // The scripts that replay on the live elements what each routine wrote,
    // one per document, in the order the routines ran; taken once.
    QStringList takeReplays() { return std::exchange(m_replays, {}); }

    class SnapshotDocument;

private:
    bool m_recordPresses;
    int m_generation;
    std::unique_ptr<SnapshotDocument> m_doc;
    int m_written = 0;
    QStringList m_pressed;
    QStringList m_replays;
};

} // namespace web
