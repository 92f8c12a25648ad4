// The page snapshot that comes back from the page's script world. A page can
// shape what its controls say (names, values, alt texts, labels, options)
// and, through its own scripts, what the snapshot holds; the reader, the
// routines and the smart fill's planning run on it must take anything.
#include "fuzzsupport.h"

#include "base/error.h"
#include "engine/memorydocument.h"
#include "engine/routines.h"
#include "engine/smartfill.h"
#include "web/pagesnapshot.h"

#include <QElapsedTimer>

namespace {

class Host : public engine::Host {
public:
    void showMessage(const QString &) override { }
    QString loginUsername() const override { return QStringLiteral("user"); }
    QString loginPassword() const override { return QStringLiteral("secret"); }
};

class Record : public engine::Record {
public:
    QString fieldText(const QString &name) const override { return QLatin1String("v:") + name; }
};

class Browser : public engine::Browser {
public:
    explicit Browser(engine::Document *doc) : m_doc(doc) { }
    engine::Document *document() override { return m_doc; }

private:
    engine::Document *m_doc;
};

void build(engine::MemoryDocument &top, const web::PageSnapshot &snapshot)
{
    web::loadSnapshotDocument(top, snapshot.top);
    for (const web::PageSnapshot::Frame &f : snapshot.frames) {
        switch (f.kind) {
        case web::PageSnapshot::FrameKind::Refused: top.addRefusedFrame(); break;
        case web::PageSnapshot::FrameKind::None: top.addFrameWithoutDocument(); break;
        case web::PageSnapshot::FrameKind::Document: web::loadSnapshotDocument(top.addFrame(), f.description); break;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString json = QString::fromUtf8(fuzz::input(data, size));
    const web::PageSnapshot snapshot = web::parsePageSnapshot(json);
    (void)web::snapshotKey(snapshot.top);

    for (const char *mode : {"fill", "login", "submit"}) {
        engine::MemoryDocument top;
        build(top, snapshot);
        FUZZ_CHECK(top.bodyTextLength() >= 0);
        FUZZ_CHECK(top.frameCount() == snapshot.frames.size());
        Browser browser(&top);
        Host host;
        Record record;
        try {
            engine::RunFormCommand(browser, engine::formModeOf(QString::fromLatin1(mode)), record, host);
        } catch (const base::Error &) {
            // A refused frame ends the run with its error, as on a live page.
        }
    }
    // The same text read as a snapshot with signals, planned by the smart fill.
    engine::Page page;
    web::loadSnapshotSignals(page, snapshot.top);
    for (const web::PageSnapshot::Frame &f : snapshot.frames)
        if (f.kind == web::PageSnapshot::FrameKind::Document)
            web::loadSnapshotSignals(page, f.description);
    Record record;
    const engine::Plan plan = engine::planFill(page, record);
    FUZZ_CHECK(plan.fields.size() == page.controls.size());
    for (const engine::Write &w : plan.writes) {
        // Only visible, changeable controls of the chosen form are written.
        FUZZ_CHECK(w.control >= 0 && w.control < page.controls.size());
        const engine::Control &c = page.controls.at(w.control);
        FUZZ_CHECK(c.form == plan.form && c.visible && c.editable);
        for (int o : w.options)
            FUZZ_CHECK(o >= 0 && o < c.options.size());
    }
    const int button = engine::chooseSubmitButton(page, engine::chooseForm(page, record));
    FUZZ_CHECK(button >= -1 && button < page.buttons.size());
    return 0;
}
