#pragma once
// The engine's view of a live page in Qt WebEngine. One script call takes a
// snapshot of the page (body text length, the form controls of the page and,
// when the page itself shows almost no text, of its frames one level deep)
// while references to the live elements stay on the page side. The engine
// runs on the snapshot; after each document's routine its journal of writes,
// ticks and presses is replayed on the live elements in order.
#include "engine/document.h"
#include "engine/memorydocument.h"

#include <QPointer>
#include <QWebEnginePage>
#include <memory>
#include <variant>
#include <vector>

namespace web {

class PageBrowser : public engine::Browser {
public:
    // With recordPresses, a press is remembered on the page and the button's
    // default action is prevented, so that the page stays (preview reports).
    explicit PageBrowser(QWebEnginePage *page, bool recordPresses = false);
    ~PageBrowser() override;

    // Takes the snapshot. nullptr when the page has gone or gives no document.
    engine::Document *document() override;

    // Waits until every replay sent so far has been applied.
    void waitUntilApplied();

    class SnapshotDocument;

private:
    QPointer<QWebEnginePage> m_page;
    bool m_recordPresses;
    int m_generation;
    std::unique_ptr<SnapshotDocument> m_doc;
};

} // namespace web
