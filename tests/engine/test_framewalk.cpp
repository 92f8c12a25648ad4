// The dispatcher: which documents of a page it works on (the page itself or
// its frames), the routine each mode word selects, and how a failure ends
// the run.
#include "enginefakes.h"

#include "engine/memorydocument.h"
#include "engine/routines.h"

#include <QtTest>

using namespace engine;
using enginetest::FakeBrowser;
using enginetest::FakeHost;
using enginetest::FakeRecord;
using enginetest::valueOf;

namespace {

const QString kNotFound = QStringLiteral("Submit button not found.");

// A frame document with one text input whose name selects a distinct field,
// so that the record's read log shows which frame was filled when.
MemoryDocument &addFilledFrame(MemoryDocument &page, const QString &inputName)
{
    MemoryDocument &f = page.addFrame();
    f.setBodyText(QStringLiteral("A frame with text"));
    f.addInput(QStringLiteral("text"), inputName);
    return f;
}

MemoryDocument &addSubmitFrame(MemoryDocument &page, bool withButton)
{
    MemoryDocument &f = page.addFrame();
    f.setBodyText(QStringLiteral("A frame with text"));
    f.addInput(QStringLiteral("submit"), QString(), withButton ? QStringLiteral("Send") : QStringLiteral("Go back"));
    return f;
}

bool clicked(const MemoryDocument &doc)
{
    for (const JournalEntry &j : doc.journal())
        if (j.kind == JournalEntry::Click)
            return true;
    return false;
}

} // namespace

class TestFrameWalk : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pageWithTextIgnoresItsFrames();
    void bodyTextLengthThreshold_data();
    void bodyTextLengthThreshold();
    void nothingWithoutADocument_data();
    void nothingWithoutADocument();
    void framesInOrderWithEventsBeforeEach();
    void framesWithoutDocumentAreSkipped();
    void framesOfFramesAreNotVisited();
    void refusedFrameEndsTheRunKeepingEarlierFrames();
    void failingRoutineStillFinishes();
    void notFoundErrorEndsTheWalk();
    void submitOnFramesetMessagesPerFrame();
    void modeWords_data();
    void modeWords();
    void loginReadsTheBoxesForEachDocument();
    void browserFailurePropagates();
    void pendingEventsMayRunAnotherFill();
};

void TestFrameWalk::pageWithTextIgnoresItsFrames()
{
    MemoryDocument page;
    page.setBodyText(QStringLiteral("Subm"));
    page.addInput(QStringLiteral("text"), QStringLiteral("title"));
    MemoryDocument &frame = addFilledFrame(page, QStringLiteral("version"));
    FakeBrowser browser(&page);
    FakeHost host;
    RunFormCommand(browser, engine::FormMode::Fill, FakeRecord::full(), host);
    QCOMPARE(page.at(0).storedValue(), valueOf(QStringLiteral("Program_Name")));
    QCOMPARE(page.routinesFinished(), 1);
    QCOMPARE(frame.routinesFinished(), 0);
    QVERIFY(frame.journal().empty());
}

void TestFrameWalk::bodyTextLengthThreshold_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("withFrames");
    QTest::addColumn<bool>("pageFilled");
    QTest::addColumn<bool>("framesFilled");
    QTest::newRow("4 chars, no frames") << "Form" << false << true << false;
    QTest::newRow("3 chars, no frames") << "abc" << false << false << false;
    QTest::newRow("3 chars, frames") << "abc" << true << false << true;
    QTest::newRow("empty, frames") << "" << true << false << true;
    QTest::newRow("empty, no frames") << "" << false << false << false;
    // Counted in UTF-16 code units: two characters outside the BMP are 4.
    QTest::newRow("two astral chars") << QString::fromUtf8("\xf0\x9f\x98\x80\xf0\x9f\x98\x80") << true << true << false;
    QTest::newRow("3 non-Latin chars") << QString::fromUtf8("\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e") << true << false
                                       << true;
}

void TestFrameWalk::bodyTextLengthThreshold()
{
    QFETCH(QString, body);
    QFETCH(bool, withFrames);
    QFETCH(bool, pageFilled);
    QFETCH(bool, framesFilled);
    for (const QString &mode : {QString(), QStringLiteral("submit"), QStringLiteral("login")}) {
        MemoryDocument page;
        page.setBodyText(body);
        page.addInput(QStringLiteral("text"), QStringLiteral("username"));
        page.addInput(QStringLiteral("submit"), QString(), QStringLiteral("Send"));
        MemoryDocument *frame = withFrames ? &addFilledFrame(page, QStringLiteral("username")) : nullptr;
        if (frame)
            frame->addInput(QStringLiteral("submit"), QString(), QStringLiteral("Send"));
        FakeBrowser browser(&page);
        FakeHost host;
        host.username = QStringLiteral("maren");
        RunFormCommand(browser, engine::formModeOf(mode), FakeRecord::full(), host);
        QCOMPARE(page.routinesFinished(), pageFilled ? 1 : 0);
        QCOMPARE(!page.journal().empty(), pageFilled);
        if (frame) {
            QCOMPARE(frame->routinesFinished(), framesFilled ? 1 : 0);
            QCOMPARE(!frame->journal().empty(), framesFilled);
        }
        // Nothing processed means nothing said either.
        QVERIFY(host.messages.isEmpty());
    }
}

void TestFrameWalk::nothingWithoutADocument_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("no document") << "none";
    QTest::newRow("not HTML") << "nothtml";
    QTest::newRow("no body") << "nobody";
}

void TestFrameWalk::nothingWithoutADocument()
{
    QFETCH(QString, kind);
    for (const QString &mode : {QString(), QStringLiteral("submit")}) {
        MemoryDocument page;
        page.setBodyText(QStringLiteral("A page with text"));
        page.addInput(QStringLiteral("text"), QStringLiteral("title"));
        MemoryDocument &frame = addFilledFrame(page, QStringLiteral("title"));
        if (kind == QLatin1String("nothtml"))
            page.setNotHtml();
        else if (kind == QLatin1String("nobody"))
            page.setNoBody();
        FakeBrowser browser(kind == QLatin1String("none") ? nullptr : &page);
        FakeHost host;
        RunFormCommand(browser, engine::formModeOf(mode), FakeRecord::full(), host);
        QCOMPARE(browser.calls, 1);
        QVERIFY(page.journal().empty());
        QVERIFY(frame.journal().empty());
        QVERIFY(host.messages.isEmpty());
    }
}

void TestFrameWalk::framesInOrderWithEventsBeforeEach()
{
    MemoryDocument page;
    page.setBodyText(QStringLiteral("  "));
    page.addInput(QStringLiteral("text"), QStringLiteral("price"));
    MemoryDocument &f0 = addFilledFrame(page, QStringLiteral("title"));
    MemoryDocument &f1 = addFilledFrame(page, QStringLiteral("version"));
    MemoryDocument &f2 = addFilledFrame(page, QStringLiteral("keywords"));
    QStringList log;
    FakeRecord record = FakeRecord::full();
    record.log = &log;
    FakeHost host;
    host.log = &log;
    FakeBrowser browser(&page);
    RunFormCommand(browser, engine::FormMode::Fill, record, host);
    QCOMPARE(log, (QStringList {"read Program_Name", "read Program_Version", "read Keywords"}));
    QVERIFY(page.journal().empty());
    for (MemoryDocument *f : {&f0, &f1, &f2})
        QCOMPARE(f->routinesFinished(), 1);
}

void TestFrameWalk::framesWithoutDocumentAreSkipped()
{
    MemoryDocument page;
    page.setBodyText(QString());
    page.addFrameWithoutDocument();
    MemoryDocument &notHtml = addFilledFrame(page, QStringLiteral("title"));
    notHtml.setNotHtml();
    MemoryDocument &f2 = addFilledFrame(page, QStringLiteral("version"));
    FakeBrowser browser(&page);
    FakeHost host;
    RunFormCommand(browser, engine::FormMode::Fill, FakeRecord::full(), host);
    QVERIFY(notHtml.journal().empty());
    QCOMPARE(f2.at(0).storedValue(), valueOf(QStringLiteral("Program_Version")));
}

void TestFrameWalk::framesOfFramesAreNotVisited()
{
    MemoryDocument page;
    page.setBodyText(QString());
    MemoryDocument &outer = page.addFrame();
    outer.setBodyText(QString()); // a frameset of its own: its text is not measured
    outer.addInput(QStringLiteral("text"), QStringLiteral("title"));
    MemoryDocument &inner = addFilledFrame(outer, QStringLiteral("version"));
    FakeBrowser browser(&page);
    FakeHost host;
    RunFormCommand(browser, engine::FormMode::Fill, FakeRecord::full(), host);
    QCOMPARE(outer.at(0).storedValue(), valueOf(QStringLiteral("Program_Name")));
    QVERIFY(inner.journal().empty());
    QCOMPARE(inner.routinesFinished(), 0);
}

void TestFrameWalk::refusedFrameEndsTheRunKeepingEarlierFrames()
{
    for (const QString &mode : {QString(), QStringLiteral("submit"), QStringLiteral("login")}) {
        MemoryDocument page;
        page.setBodyText(QString());
        MemoryDocument &f0 = addFilledFrame(page, QStringLiteral("username"));
        f0.addInput(QStringLiteral("submit"), QString(), QStringLiteral("Send"));
        page.addRefusedFrame();
        MemoryDocument &f2 = addFilledFrame(page, QStringLiteral("username"));
        f2.addInput(QStringLiteral("submit"), QString(), QStringLiteral("Send"));
        FakeBrowser browser(&page);
        FakeHost host;
        QVERIFY_THROWS_EXCEPTION(base::Error,
                                 RunFormCommand(browser, engine::formModeOf(mode), FakeRecord::full(), host));
        QVERIFY(!f0.journal().empty());
        QCOMPARE(f0.routinesFinished(), 1);
        QVERIFY(f2.journal().empty());
        QCOMPARE(f2.routinesFinished(), 0);
    }
}

// The document hears that its routine is over also when the routine failed,
// so that what was written before the failure reaches the page.
void TestFrameWalk::failingRoutineStillFinishes()
{
    MemoryDocument page;
    page.setBodyText(QStringLiteral("A page with text"));
    page.addInput(QStringLiteral("text"), QStringLiteral("title"));
    page.addInput(QStringLiteral("text"), QStringLiteral("version")).setFailing(true);
    FakeBrowser browser(&page);
    FakeHost host;
    QVERIFY_THROWS_EXCEPTION(base::Error, RunFormCommand(browser, engine::FormMode::Fill, FakeRecord::full(), host));
    QCOMPARE(page.routinesFinished(), 1);
    QCOMPARE(int(page.journal().size()), 1);
}

void TestFrameWalk::notFoundErrorEndsTheWalk()
{
    MemoryDocument page;
    page.setBodyText(QString());
    MemoryDocument &f0 = addFilledFrame(page, QStringLiteral("title"));
    MemoryDocument &f1 = addFilledFrame(page, QStringLiteral("title"));
    f1.addInput(QStringLiteral("text"), QStringLiteral("version"));
    f1.addInput(QStringLiteral("text"), QStringLiteral("price"));
    MemoryDocument &f2 = addFilledFrame(page, QStringLiteral("title"));
    FakeRecord record = FakeRecord::full();
    record.remove(QStringLiteral("Program_Version"));
    FakeBrowser browser(&page);
    FakeHost host;
    try {
        RunFormCommand(browser, engine::FormMode::Fill, record, host);
        QFAIL("the run did not end at the missing field");
    } catch (const base::Error &e) {
        QCOMPARE(e.text(), QStringLiteral("ClientDataSet1: Field 'Program_Version' not found"));
    }
    QCOMPARE(f0.at(0).storedValue(), valueOf(QStringLiteral("Program_Name")));
    QCOMPARE(f1.at(0).storedValue(), valueOf(QStringLiteral("Program_Name")));
    QCOMPARE(f1.at(2).storedValue(), QString());
    QCOMPARE(f1.routinesFinished(), 1);
    QVERIFY(f2.journal().empty());
}

void TestFrameWalk::submitOnFramesetMessagesPerFrame()
{
    MemoryDocument page;
    page.setBodyText(QString());
    MemoryDocument &f0 = addSubmitFrame(page, false);
    MemoryDocument &f1 = addSubmitFrame(page, true);
    MemoryDocument &f2 = addSubmitFrame(page, false);
    QStringList log;
    FakeHost host;
    host.log = &log;
    FakeBrowser browser(&page);
    RunFormCommand(browser, engine::FormMode::Submit, FakeRecord::full(), host);
    QCOMPARE(log, (QStringList {"message " + kNotFound, "message " + kNotFound}));
    QVERIFY(!clicked(f0));
    QVERIFY(clicked(f1));
    QVERIFY(!clicked(f2));
    QCOMPARE(f1.routinesFinished(), 1);
}

void TestFrameWalk::modeWords_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("routine");
    QTest::newRow("empty") << ""
                           << "fill";
    QTest::newRow("submit") << "submit"
                            << "submit";
    QTest::newRow("login") << "login"
                           << "login";
    QTest::newRow("Submit") << "Submit"
                            << "fill";
    QTest::newRow("LOGIN") << "LOGIN"
                           << "fill";
    QTest::newRow("submit with a space") << "submit "
                                         << "fill";
    QTest::newRow("fill") << "fill"
                          << "fill";
}

void TestFrameWalk::modeWords()
{
    QFETCH(QString, mode);
    QFETCH(QString, routine);
    MemoryDocument page;
    page.setBodyText(QStringLiteral("A page with text"));
    page.addInput(QStringLiteral("text"), QStringLiteral("username"), QStringLiteral("old"));
    page.addInput(QStringLiteral("password"), QStringLiteral("password"), QStringLiteral("old"));
    page.addInput(QStringLiteral("submit"), QString(), QStringLiteral("Send"));
    FakeBrowser browser(&page);
    FakeHost host;
    host.username = QStringLiteral("maren");
    host.password = QStringLiteral("pw");
    RunFormCommand(browser, engine::formModeOf(mode), FakeRecord::full(), host);
    if (routine == QLatin1String("fill")) {
        QCOMPARE(page.at(0).storedValue(), valueOf(QStringLiteral("Program_Name")));
        QCOMPARE(page.at(1).storedValue(), QStringLiteral("old"));
        QVERIFY(!clicked(page));
    } else if (routine == QLatin1String("login")) {
        QCOMPARE(page.at(0).storedValue(), QStringLiteral("maren"));
        QCOMPARE(page.at(1).storedValue(), QStringLiteral("pw"));
        QVERIFY(clicked(page));
    } else {
        QCOMPARE(page.at(0).storedValue(), QStringLiteral("old"));
        QCOMPARE(int(page.journal().size()), 1);
        QVERIFY(clicked(page));
    }
    QVERIFY(host.messages.isEmpty());
}

void TestFrameWalk::loginReadsTheBoxesForEachDocument()
{
    MemoryDocument page;
    page.setBodyText(QString());
    MemoryDocument &f0 = addFilledFrame(page, QStringLiteral("user"));
    MemoryDocument &f1 = addFilledFrame(page, QStringLiteral("user"));
    // The user's box says "first" for the first document and "second" by
    // the time the next one is handed to the login.
    struct ChangingHost : FakeHost {
        QString loginUsername() const override
        {
            ++credentialReads;
            return credentialReads <= 2 ? QStringLiteral("first") : QStringLiteral("second");
        }
    } host;
    FakeBrowser browser(&page);
    RunFormCommand(browser, engine::FormMode::Login, FakeRecord::full(), host);
    QCOMPARE(f0.at(0).storedValue(), QStringLiteral("first"));
    QCOMPARE(f1.at(0).storedValue(), QStringLiteral("second"));
    QCOMPARE(host.credentialReads, 4);
}

void TestFrameWalk::browserFailurePropagates()
{
    FakeBrowser browser(nullptr);
    browser.failure = true;
    FakeHost host;
    QVERIFY_THROWS_EXCEPTION(base::Error, RunFormCommand(browser, engine::FormMode::Fill, FakeRecord::full(), host));
}

// Another fill of the same page (a document that completed meanwhile) no
// longer runs inside the walk: the walk lets no events run, and the next fill
// walks every frame again after it.
void TestFrameWalk::pendingEventsMayRunAnotherFill()
{
    MemoryDocument page;
    page.setBodyText(QString());
    MemoryDocument &f0 = addFilledFrame(page, QStringLiteral("title"));
    MemoryDocument &f1 = addFilledFrame(page, QStringLiteral("title"));
    QStringList log;
    FakeHost host;
    FakeBrowser browser(&page);
    FakeRecord record = FakeRecord::full();
    record.log = &log;
    RunFormCommand(browser, engine::FormMode::Fill, record, host);
    QCOMPARE(f0.routinesFinished(), 1);
    QCOMPARE(f1.routinesFinished(), 1);
    RunFormCommand(browser, engine::FormMode::Fill, record, host);
    QCOMPARE(f0.routinesFinished(), 2);
    QCOMPARE(f1.routinesFinished(), 2);
    QCOMPARE(log, (QStringList {"read Program_Name", "read Program_Name", "read Program_Name", "read Program_Name"}));
}

QTEST_APPLESS_MAIN(TestFrameWalk)
#include "test_framewalk.moc"
