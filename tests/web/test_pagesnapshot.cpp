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
    QCOMPARE(doc.at(0).typeText, QStringLiteral("text"));
    QCOMPARE(doc.at(0).nameText, QStringLiteral("Company"));
    QVERIFY(doc.at(1).isTextArea());
    QCOMPARE(doc.at(2).form, 1);
    QCOMPARE(doc.at(3).valueTextV, QStringLiteral("Send"));
    QCOMPARE(doc.at(3).altTextV, QStringLiteral("Alt"));
    QCOMPARE(doc.at(3).form, -1);
}

void TestPageSnapshot::notJsonIsAnEmptyDocument()
{
    for (const QString &text : {QString(), QStringLiteral("[1,2]"), QStringLiteral("{\"html\":tru"), QStringLiteral("\"x\"")}) {
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
    web::loadSnapshotDocument(negative, web::parsePageSnapshot(QStringLiteral(R"({"html":true,"body":true,"len":-7})")).top);
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
    QCOMPARE(doc.at(0).typeText, QString());
    QCOMPARE(doc.at(2).nameText, QString());
    QCOMPARE(doc.at(3).form, -1);
}

QTEST_GUILESS_MAIN(TestPageSnapshot)
#include "test_pagesnapshot.moc"
