#include "pagebrowser.h"

#include "pagesnapshot.h"
#include "snapshotscript.h"

#include "base/error.h"

#include <QCoreApplication>

namespace web {

namespace {

// Applies one document's journal: [[index, kind, value], ...], kind 0 value,
// 1 checked, 2 press.
const char kReplayScript[] = R"JS(
(function (gen, key, ops, record) {
  const docs = window.__dodu && window.__dodu[gen];
  if (!docs || !docs[key]) return 0;
  const els = docs[key];
  const fire = (e, type) => e.dispatchEvent(new Event(type, { bubbles: true }));
  // A number input takes only a valid number; anything else would empty it,
  // so it keeps what it holds.
  const number = /^-?(?:\d+(?:\.\d+)?|\.\d+)(?:[eE][-+]?\d+)?$/;
  for (const op of ops) {
    const e = els[op[0]];
    if (!e) continue;
    if (op[1] === 0) {
      if (e.localName === 'input' && e.type === 'number' && !number.test(op[2])) continue;
      e.value = op[2];
      fire(e, 'input'); fire(e, 'change');
    } else if (op[1] === 1) {
      e.checked = op[2];
      fire(e, 'input'); fire(e, 'change');
    } else {
      if (record) {
        (window.__doduPressed = window.__doduPressed || new Set()).add(e);
        e.addEventListener('click', (ev) => ev.preventDefault(), { once: true });
      }
      e.click();
    }
  }
  return ops.length;
}))JS";

} // namespace

class PageBrowser::SnapshotDocument : public engine::MemoryDocument {
public:
    SnapshotDocument(PageBrowser *owner, int key) : m_owner(owner), m_key(key) { }

    void addSnapshotFrame(std::unique_ptr<SnapshotDocument> doc) { m_frames.push_back(std::move(doc)); }
    void addRefused() { m_frames.push_back(Refused); }
    void addNone() { m_frames.push_back(None); }

    int frameCount() const override { return int(m_frames.size()); }

    engine::Document *frameDocument(int index) override
    {
        if (index < 0 || index >= frameCount())
            throw base::Error(QCoreApplication::translate("web", "Frame index out of range."));
        auto &f = m_frames[size_t(index)];
        if (auto *d = std::get_if<std::unique_ptr<SnapshotDocument>>(&f))
            return d->get();
        if (std::get<Kind>(f) == Refused)
            throw base::Error(QCoreApplication::translate("web", "Access is denied."));
        return nullptr;
    }

    void routineFinished() override
    {
        engine::MemoryDocument::routineFinished();
        if (journal().empty())
            return;
        // The journal as [[index, kind, value], ...]: kind 0 a value, 1 a
        // tick, 2 a press.
        QString script = QLatin1String(kReplayScript);
        script.reserve(script.size() + 64 + qsizetype(journal().size()) * 24);
        script += QStringLiteral("(%1, %2, [").arg(m_owner->m_generation).arg(m_key);
        bool first = true;
        for (const engine::JournalEntry &j : journal()) {
            if (j.kind == engine::JournalEntry::Click) {
                engine::Element *e = element(j.element);
                QString caption = e ? e->valueText() : QString();
                if (caption.isEmpty() && e)
                    caption = e->altText();
                if (caption.isEmpty() && e)
                    caption = e->name();
                m_owner->m_pressed << caption;
            } else {
                ++m_owner->m_written;
            }
            script += first ? QLatin1String("[") : QLatin1String(",[");
            first = false;
            script += QString::number(j.element);
            script += QLatin1Char(',');
            script += QLatin1Char(char('0' + int(j.kind)));
            if (j.kind == engine::JournalEntry::Value) {
                script += QLatin1Char(',');
                appendScriptString(script, j.value);
            } else if (j.kind == engine::JournalEntry::Checked) {
                script += j.checked ? QLatin1String(",true") : QLatin1String(",false");
            }
            script += QLatin1Char(']');
        }
        script += m_owner->m_recordPresses ? QLatin1String("], true)") : QLatin1String("], false)");
        clearJournal();
        m_owner->m_replays << script;
    }

private:
    enum Kind { Refused, None };
    PageBrowser *m_owner;
    int m_key;
    std::vector<std::variant<std::unique_ptr<SnapshotDocument>, Kind>> m_frames;
};

PageBrowser::PageBrowser(const QVariant &answer, int generation, bool recordPresses)
    : m_recordPresses(recordPresses), m_generation(generation)
{
    if (answer.userType() != QMetaType::QString)
        return; // no document (for instance a page still without one)
    const PageSnapshot snapshot = parsePageSnapshot(answer.toString());
    m_doc = std::make_unique<SnapshotDocument>(this, snapshotKey(snapshot.top));
    loadSnapshotDocument(*m_doc, snapshot.top);
    for (const PageSnapshot::Frame &f : snapshot.frames) {
        switch (f.kind) {
        case PageSnapshot::FrameKind::Refused: m_doc->addRefused(); break;
        case PageSnapshot::FrameKind::None: m_doc->addNone(); break;
        case PageSnapshot::FrameKind::Document: {
            auto d = std::make_unique<SnapshotDocument>(this, snapshotKey(f.description));
            loadSnapshotDocument(*d, f.description);
            m_doc->addSnapshotFrame(std::move(d));
            break;
        }
        }
    }
}

PageBrowser::~PageBrowser() = default;

engine::Document *PageBrowser::document() { return m_doc.get(); }

} // namespace web
