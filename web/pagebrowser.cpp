#include "pagebrowser.h"

#include "pagesnapshot.h"
#include "scriptrunner.h"

#include "base/error.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace web {

namespace {

int nextGeneration()
{
    static int g = 0;
    return ++g;
}

// Builds window.__dodu[gen] = [elements of the page, of frame 0, ...] and
// returns the description of each document.
const char kSnapshotScript[] = R"JS(
(function (gen) {
  const store = (window.__dodu = window.__dodu || {});
  const docs = (store[gen] = []);
  const textLike = { email: 1, url: 1, tel: 1, search: 1, number: 1 };
  // The input types some routine acts on; inputs of other types are left out.
  const acted = { text: 1, password: 1, checkbox: 1, radio: 1, submit: 1, image: 1 };
  const xhtml = 'http://www.w3.org/1999/xhtml';
  // An XML document is no HTML page, even when the engine shows it as a tree.
  function isHtml(doc) {
    if (!doc || !doc.documentElement) return false;
    const type = String(doc.contentType || '');
    return !/[+/]xml$/.test(type) || type === 'application/xhtml+xml';
  }
  function snap(doc) {
    const out = { html: isHtml(doc), body: false, len: 0, els: [], key: docs.length };
    const els = [];
    docs.push(els);
    if (!out.html || !doc.body) return out;
    out.body = true;
    out.len = (doc.body.innerText || '').length;
    // One entry per control a routine may act on, in document order:
    // [type ('textarea' for a text area), name, value, alt, form], where the
    // value is sent for radio and submit inputs, alt for submit and image
    // inputs, and the form (for radio groups) for radio inputs only.
    const forms = new Map();
    const list = doc.querySelectorAll('input, textarea');
    for (let i = 0; i < list.length; ++i) {
      const e = list[i];
      if (e.namespaceURI !== xhtml) continue;
      let ty = 'textarea';
      if (e.localName === 'input') {
        ty = e.type;
        if (textLike[ty]) ty = 'text';
        else if (!acted[ty]) continue;
      }
      els.push(e);
      if (ty === 'radio') {
        let f = -1;
        if (e.form) {
          if (!forms.has(e.form)) forms.set(e.form, forms.size);
          f = forms.get(e.form);
        }
        out.els.push([ty, e.name, e.value, '', f]);
      } else if (ty === 'submit') {
        out.els.push([ty, e.name, e.value, e.alt]);
      } else if (ty === 'image') {
        out.els.push([ty, e.name, '', e.alt]);
      } else {
        out.els.push([ty, e.name]);
      }
    }
    return out;
  }
  const top = snap(document);
  const frames = [];
  if (top.body && top.len < 4) {
    for (let i = 0; i < window.frames.length; ++i) {
      let d = null;
      try {
        d = window.frames[i].document;
      } catch (err) {
        frames.push({ refused: true });
        continue;
      }
      if (!d) { frames.push({ none: true }); continue; }
      frames.push(snap(d));
    }
  }
  top.frames = frames;
  return JSON.stringify(top);
})(%1)
)JS";

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

// Appends text as a string literal valid in JSON and in script alike. Lone
// surrogates are escaped so that they reach the page unchanged.
void appendStringLiteral(QString &out, const QString &text)
{
    static const char hex[] = "0123456789abcdef";
    auto escaped = [&out](char16_t c) {
        out += QLatin1String("\\u");
        for (int shift = 12; shift >= 0; shift -= 4)
            out += QLatin1Char(hex[(c >> shift) & 0xf]);
    };
    out += QLatin1Char('"');
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == u'"' || c == u'\\') {
            out += QLatin1Char('\\');
            out += QChar(c);
        } else if (c < 0x20 || c == 0x2028 || c == 0x2029) {
            escaped(c);
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(text.at(i + 1).unicode())) {
            out += QChar(c);
            out += text.at(++i);
        } else if (QChar::isSurrogate(c)) {
            escaped(c);
        } else {
            out += QChar(c);
        }
    }
    out += QLatin1Char('"');
}

} // namespace

class PageBrowser::SnapshotDocument : public engine::MemoryDocument {
public:
    SnapshotDocument(PageBrowser *owner, int key) : m_owner(owner), m_key(key) {}

    void addSnapshotFrame(std::unique_ptr<SnapshotDocument> doc) { m_frames.push_back(std::move(doc)); }
    void addRefused() { m_frames.push_back(Refused); }
    void addNone() { m_frames.push_back(None); }

    int frameCount() const override { return int(m_frames.size()); }

    engine::Document *frameDocument(int index) override
    {
        if (index < 0 || index >= frameCount())
            throw base::Error(QStringLiteral("Frame index out of range."));
        auto &f = m_frames[size_t(index)];
        if (auto *d = std::get_if<std::unique_ptr<SnapshotDocument>>(&f))
            return d->get();
        if (std::get<Kind>(f) == Refused)
            throw base::Error(QStringLiteral("Access is denied."));
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
                appendStringLiteral(script, j.value);
            } else if (j.kind == engine::JournalEntry::Checked) {
                script += j.checked ? QLatin1String(",true") : QLatin1String(",false");
            }
            script += QLatin1Char(']');
        }
        script += m_owner->m_recordPresses ? QLatin1String("], true)") : QLatin1String("], false)");
        clearJournal();
        runScript(m_owner->m_page, script);
    }

private:
    enum Kind { Refused, None };
    PageBrowser *m_owner;
    int m_key;
    std::vector<std::variant<std::unique_ptr<SnapshotDocument>, Kind>> m_frames;
};

PageBrowser::PageBrowser(QWebEnginePage *page, bool recordPresses)
    : m_page(page), m_recordPresses(recordPresses), m_generation(nextGeneration())
{
}

PageBrowser::~PageBrowser()
{
    if (m_doc)
        runScript(m_page, QStringLiteral("if (window.__dodu) delete window.__dodu[%1];").arg(m_generation));
}

engine::Document *PageBrowser::document()
{
    if (!m_page)
        return nullptr;
    bool ok = false;
    const QVariant result = runScriptAndWait(m_page, QString::fromLatin1(kSnapshotScript).arg(m_generation), 15000, &ok);
    if (!ok) {
        if (!m_page)
            return nullptr; // the page went away meanwhile
        throw base::Error(QStringLiteral("The page did not answer."));
    }
    if (result.userType() != QMetaType::QString)
        return nullptr; // no document (for instance a page still without one)
    const PageSnapshot snapshot = parsePageSnapshot(result.toString());
    m_doc = std::make_unique<SnapshotDocument>(this, snapshotKey(snapshot.top));
    loadSnapshotDocument(*m_doc, snapshot.top);
    for (const PageSnapshot::Frame &f : snapshot.frames) {
        switch (f.kind) {
        case PageSnapshot::FrameKind::Refused:
            m_doc->addRefused();
            break;
        case PageSnapshot::FrameKind::None:
            m_doc->addNone();
            break;
        case PageSnapshot::FrameKind::Document: {
            auto d = std::make_unique<SnapshotDocument>(this, snapshotKey(f.description));
            loadSnapshotDocument(*d, f.description);
            m_doc->addSnapshotFrame(std::move(d));
            break;
        }
        }
    }
    return m_doc.get();
}

void PageBrowser::waitUntilApplied()
{
    // Scripts run in order, so an empty one answers after every replay.
    runScriptAndWait(m_page, QStringLiteral("0"));
}

} // namespace web
