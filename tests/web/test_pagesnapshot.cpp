// Reading the page snapshot that the snapshot script returns, without a page:
// what a page can put into it must give a document, never a failure.
#include "web/pagesnapshot.h"

#include "engine/memorydocument.h"

#include <QtTest>

using web::PageSnapshot;

class TestPageSnapshot : public QObject {
    Q_OBJECT
private slots:
    void documentsAndFrames();
    void notJsonIsAnEmptyDocument();
    void hugeBodyLengthTakesNoMemory();
    void valuesOfTheWrongType();
    void signalsOfControlsAndButtons();
};

void TestPageSnapshot::documentsAndFrames()
{
    const PageSnapshot s = web::parsePageSnapshot(QStringLiteral(
        R"({"html":true,"body":true,"len":2,"key":0,"els":[["text","Company"],["textarea","Desc"],)"
        R"(["radio","os","win","",1],["submit","go","Send","Alt"]],)"
        R"("frames":[{"refused":true},{"none":true},{"html":true,"body":true,"len":9,"key":3,"els":[["password","pw"]]}]})"));
    QCOMPARE(web::snapshotKey(s.top), 0);
    QCOMPARE(s.frames.size(), 3);
    QCOMPARE(s.frames[0].kind, PageSnapshot::FrameKind::Refused);
    QCOMPARE(s.frames[1].kind, PageSnapshot::FrameKind::None);
    QCOMPARE(s.frames[2].kind, PageSnapshot::FrameKind::Document);
    QCOMPARE(web::snapshotKey(s.frames[2].description), 3);

    engine::MemoryDocument doc;
    web::loadSnapshotDocument(doc, s.top);
    QVERIFY(doc.isHtml());
    QVERIFY(doc.hasBody());
    QCOMPARE(doc.bodyTextLength(), 2);
    QCOMPARE(doc.elementCount(), 4);
    QVERIFY(doc.at(0).isInput());
    QCOMPARE(doc.at(0).declaredType(), QStringLiteral("text"));
    QCOMPARE(doc.at(0).declaredName(), QStringLiteral("Company"));
    QVERIFY(doc.at(1).isTextArea());
    QCOMPARE(doc.at(2).formIndex(), 1);
    QCOMPARE(doc.at(3).storedValue(), QStringLiteral("Send"));
    QCOMPARE(doc.at(3).storedAlt(), QStringLiteral("Alt"));
    QCOMPARE(doc.at(3).formIndex(), -1);
}

void TestPageSnapshot::notJsonIsAnEmptyDocument()
{
    for (const QString &text :
         {QString(), QStringLiteral("[1,2]"), QStringLiteral("{\"html\":tru"), QStringLiteral("\"x\"")}) {
        const PageSnapshot s = web::parsePageSnapshot(text);
        QVERIFY(s.frames.isEmpty());
        engine::MemoryDocument doc;
        web::loadSnapshotDocument(doc, s.top);
        QVERIFY(!doc.isHtml());
        QVERIFY(!doc.hasBody());
        QCOMPARE(doc.elementCount(), 0);
    }
}

// Only the length of the page's text is used; a page claiming a text of two
// thousand million characters must not make the program hold one.
void TestPageSnapshot::hugeBodyLengthTakesNoMemory()
{
    const PageSnapshot s = web::parsePageSnapshot(QStringLiteral(R"({"html":true,"body":true,"len":2147483647})"));
    engine::MemoryDocument doc;
    web::loadSnapshotDocument(doc, s.top);
    QCOMPARE(doc.bodyTextLength(), 2147483647);

    engine::MemoryDocument negative;
    web::loadSnapshotDocument(negative,
                              web::parsePageSnapshot(QStringLiteral(R"({"html":true,"body":true,"len":-7})")).top);
    QCOMPARE(negative.bodyTextLength(), 0);
}

void TestPageSnapshot::valuesOfTheWrongType()
{
    const PageSnapshot s = web::parsePageSnapshot(QStringLiteral(
        R"({"html":1,"body":true,"len":"12","els":[7,[],[null,5,{},[],"x"],["radio","r","v","",1e300]],"key":"k","frames":[3,{"refused":1}]})"));
    QCOMPARE(web::snapshotKey(s.top), 0);
    QCOMPARE(s.frames.size(), 2);
    QCOMPARE(s.frames[0].kind, PageSnapshot::FrameKind::Document);
    QCOMPARE(s.frames[1].kind, PageSnapshot::FrameKind::Document);
    engine::MemoryDocument doc;
    web::loadSnapshotDocument(doc, s.top);
    QVERIFY(!doc.isHtml());
    QCOMPARE(doc.bodyTextLength(), 0);
    QCOMPARE(doc.elementCount(), 4);
    QCOMPARE(doc.at(0).declaredType(), QString());
    QCOMPARE(doc.at(2).declaredName(), QString());
    QCOMPARE(doc.at(3).formIndex(), -1);
}

QTEST_GUILESS_MAIN(TestPageSnapshot)
// The snapshot with signals: values left off at the end read as nothing,
// the flags as they are set, an option of one text takes it as its value,
// and a frame's controls follow the page's.
void TestPageSnapshot::signalsOfControlsAndButtons()
{
    const PageSnapshot s = web::parsePageSnapshot(QStringLiteral(
        R"({"html":true,"body":true,"key":0,"sig":{"c":[[0,"text",12,"pn","p","Program name"],)"
        R"([0,"select",6,"os","","","Systems","",-1,"","","","","",[["Windows"],["Linux","lin",1]]],)"
        R"([1,"radio",9,"yn","","Yes","","y",3,"ph","aria","tip","off","\\d+"],"junk",[0]],)"
        R"("b":[[0,"Send submit",1],[1,"Hidden",0]]},)"
        R"("frames":[{"refused":true},{"html":true,"body":true,"key":1,"sig":{"c":[[2,"email",12,"mail"]],"b":[]}}]})"));
    engine::Page page;
    web::loadSnapshotSignals(page, s.top);
    QCOMPARE(s.frames.size(), 2);
    web::loadSnapshotSignals(page, s.frames[1].description);
    QCOMPARE(page.controls.size(), 6);

    const engine::Control &pn = page.controls[0];
    QCOMPARE(pn.tag, QStringLiteral("input"));
    QCOMPARE(pn.name, QStringLiteral("pn"));
    QCOMPARE(pn.id, QStringLiteral("p"));
    QCOMPARE(pn.label, QStringLiteral("Program name"));
    QVERIFY(pn.context.isEmpty() && pn.value.isEmpty() && pn.placeholder.isEmpty() && pn.pattern.isEmpty());
    QCOMPARE(pn.maxLength, -1);
    QVERIFY(pn.visible && pn.editable && !pn.checked && !pn.multiple);

    const engine::Control &os = page.controls[1];
    QCOMPARE(os.tag, QStringLiteral("select"));
    QVERIFY(os.multiple && os.visible && !os.editable);
    QCOMPARE(os.context, QStringLiteral("Systems"));
    QCOMPARE(os.options.size(), 2);
    QCOMPARE(os.options[0].value, QStringLiteral("Windows"));
    QVERIFY(!os.options[0].selected);
    QCOMPARE(os.options[1].value, QStringLiteral("lin"));
    QVERIFY(os.options[1].selected);

    const engine::Control &yn = page.controls[2];
    QCOMPARE(yn.form, 1);
    QVERIFY(yn.checked && !yn.visible && yn.editable);
    QCOMPARE(yn.value, QStringLiteral("y"));
    QCOMPARE(yn.maxLength, 3);
    QCOMPARE(yn.placeholder, QStringLiteral("ph"));
    QCOMPARE(yn.aria, QStringLiteral("aria"));
    QCOMPARE(yn.title, QStringLiteral("tip"));
    QCOMPARE(yn.autocomplete, QStringLiteral("off"));
    QCOMPARE(yn.pattern, QStringLiteral("\\d+"));

    // Entries of the wrong shape are controls that say nothing and are never
    // written: not visible, not changeable.
    QVERIFY(!page.controls[3].visible && !page.controls[3].editable);
    QCOMPARE(page.controls[4].form, 0);
    QVERIFY(!page.controls[4].visible);

    QCOMPARE(page.controls[5].type, QStringLiteral("email"));
    QCOMPARE(page.controls[5].form, 2);
    QCOMPARE(page.buttons.size(), 2);
    QCOMPARE(page.buttons[0].text, QStringLiteral("Send submit"));
    QVERIFY(page.buttons[0].visible);
    QVERIFY(!page.buttons[1].visible);

    // A plain snapshot has no signals.
    engine::Page none;
    web::loadSnapshotSignals(none, web::parsePageSnapshot(QStringLiteral(R"({"html":true,"els":[["text","a"]]})")).top);
    QVERIFY(none.controls.isEmpty() && none.buttons.isEmpty());
}

#include "test_pagesnapshot.moc"
