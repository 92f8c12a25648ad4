// PAD import: the extraction rule, how a PAD file's bytes become PAD text, the
// import steps with their silent failures, and the refill at every start.
#include "padtestutil.h"

#include "software/padimport.h"
#include "software/softwaretable.h"
#include "software/startupload.h"

#include "base/error.h"
#include "platform/systemsettings.h"

#include <QSignalSpy>
#include <QtTest>

using padtest::Sandbox;

namespace {

const QString CRLF = QStringLiteral("\r\n");

software::TSoftwareTable *loadedTable(QObject *parent)
{
    auto *t = new software::TSoftwareTable(parent);
    t->LoadFromFile(QStringLiteral("softdata.xml"));
    return t;
}

} // namespace

class PadImportTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void extraction_data();
    void extraction();
    void neighbouringNamesDoNotMatch();
    void padText_data();
    void padText();
    void decoding();
    void importReplacesWholeRecord();
    void importOfBadFiles_data();
    void importOfBadFiles();
    void importWhenPathCannotBeStored();
    void importOfHugeFile();
    void startupRefill();
    void startupRefillFailures();
};

void PadImportTest::extraction_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("value");
    const auto row = [](const char *name, const char *text, const char *value) {
        QTest::newRow(name) << QString::fromUtf8(text) << QString::fromUtf8(value);
    };
    row("plain", "<a><T>Hello</T></a>", "Hello");
    row("amp", "<T>Tom &amp; Jerry</T>", "Tom & Jerry");
    row("amp any case", "<T>A&AMP;B&Amp;C&aMp;D</T>", "A&B&C&D");
    row("amp once", "<T>&amp;lt; &amp;amp;</T>", "&lt; &amp;");
    row("other references", "<T>&lt;b&gt; &quot;x&quot; &#233; &apos; &LT;&Quot;</T>", "<b> \"x\" \u00E9 ' <\"");
    row("numeric references", "<T>Th&#252;ring &#38; &#x41;&#X42;&#x1F600;</T>", "Th\u00FCring & AB\U0001F600");
    row("references to no character", "<T>a&#0;b&#xD800;c&#1114112;d</T>", "a\uFFFDb\uFFFDc\uFFFDd");
    row("not references", "<T>&nbsp; &#; &#x; &#12a; & ;&amp</T>", "&nbsp; &#; &#x; &#12a; & ;&amp");
    row("a reference's text is not decoded again", "<T>&amp;#38; &#38;amp;</T>", "&#38; &amp;");
    row("cdata unwrapped, comments stay", "<T><![CDATA[x<y &amp;]]><!-- c --></T>", "x<y &amp;<!-- c -->");
    row("unclosed cdata", "<T>a<![CDATA[b&amp;</T>", "ab&amp;");
    row("spaces trimmed", "<T> \t both  ends\t </T>", "both  ends");
    row("line breaks trimmed at the ends only", "<T>\r\n  one\r\ntwo\r\n  </T>", "one\r\ntwo");
    row("white space by reference stays", "<T> &#32;x&#9;&#13;&#10; </T>", " x\t\r\n");
    row("cdata white space trimmed", "<T><![CDATA[\r\n  text  \r\n]]></T>", "text");
    row("empty element", "<T></T>", "");
    row("attribute", "<T lang=\"en\">x</T>", "");
    row("space before >", "<T >x</T>", "");
    row("other letter case", "<t>x</t>", "x");
    row("exact case first", "<t>lower</t><T>exact</T>", "exact");
    row("exact opening, other closing", "<T>x</t>", "x");
    row("upper-case decoy first", "<TT>no</TT><T>yes</T>", "yes");
    row("self-closing", "<T/>", "");
    row("self-closing then pair", "<T/><T>x</T>", "x");
    row("self-closing with later close only", "<T/>text</T>", "");
    row("closing before opening", "</T><T>x</T>", "");
    row("repeated: first of each", "<T>first</T><T>second</T>", "first");
    row("nested repeat", "<T>a<T>b</T>c</T>", "a<T>b");
    row("no closing", "<T>open", "");
    row("no opening", "close</T>", "");
}

void PadImportTest::extraction()
{
    QFETCH(QString, text);
    QFETCH(QString, value);
    QCOMPARE(software::getvaluefromxml(text, QStringLiteral("T")), value);
}

void PadImportTest::neighbouringNamesDoNotMatch()
{
    const QString pad = QStringLiteral(
        "<Program_Cost_Other_Code>EUR</Program_Cost_Other_Code>\r\n<Program_Cost_Other>9,90 \u20AC</Program_Cost_Other>"
        "<Char_Desc_2000>long</Char_Desc_2000><Char_Desc_200>x</Char_Desc_200>");
    QCOMPARE(software::getvaluefromxml(pad, QStringLiteral("Program_Cost_Other")), QStringLiteral("9,90 \u20AC"));
    QCOMPARE(software::getvaluefromxml(pad, QStringLiteral("Program_Cost_Other_Code")), QStringLiteral("EUR"));
    QCOMPARE(software::getvaluefromxml(pad, QStringLiteral("Char_Desc_200")), QStringLiteral("x"));
    QCOMPARE(software::getvaluefromxml(pad, QStringLiteral("Program_Cost")), QString());
}

void PadImportTest::padText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("one line without end") << QByteArray("abc") << QStringLiteral("abc\r\n");
    QTest::newRow("every line end") << QByteArray("a\rb\nc\r\nd\n") << QStringLiteral("a\r\nb\r\nc\r\nd\r\n");
    QTest::newRow("LF CR is two ends") << QByteArray("a\n\rb") << QStringLiteral("a\r\n\r\nb\r\n");
    QTest::newRow("empty lines") << QByteArray("\n\n") << QStringLiteral("\r\n\r\n");
    QTest::newRow("zero byte ends it") << QByteArray("ab\0<T>x</T>", 11) << QStringLiteral("ab\r\n");
    QTest::newRow("UTF-16 LE") << QByteArray("\xFF\xFE<\0T\0>\0\n\0", 10) << QStringLiteral("<T>\r\n");
    QTest::newRow("UTF-16 BE") << QByteArray("\xFE\xFF\0<\0T\0>", 8) << QStringLiteral("<T>\r\n");
    QTest::newRow("UTF-16 without a mark") << QByteArray("<\0?\0x\0", 6) << QStringLiteral("<?x\r\n");
    QTest::newRow("UTF-8 mark dropped") << QByteArray("\xEF\xBB\xBF<T>x</T>") << QStringLiteral("<T>x</T>\r\n");
    QTest::newRow("UTF-32 LE") << QByteArray("\xFF\xFE\0\0<\0\0\0", 8) << QStringLiteral("<\r\n");
}

void PadImportTest::padText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(software::padTextFromBytes(bytes), text);
}

void PadImportTest::decoding()
{
    // Valid UTF-8 is UTF-8, whatever the declaration says.
    QCOMPARE(software::getvaluefromxml(
                 software::padTextFromBytes("<?xml version=\"1.0\" encoding=\"windows-1252\"?><T>Caf\xC3\xA9</T>"),
                 QStringLiteral("T")),
             QStringLiteral("Caf\u00E9"));
    // Windows bytes without a declaration, and under a wrong UTF-8 one.
    const QString cp1252 = QStringLiteral("Caf\u00E9 \u20AC \u201Cq\u201D \u00FC");
    QCOMPARE(software::getvaluefromxml(software::padTextFromBytes("<T>Caf\xE9 \x80 \x93q\x94 \xFC</T>"),
                                       QStringLiteral("T")),
             cp1252);
    QCOMPARE(
        software::getvaluefromxml(software::padTextFromBytes(
                                      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<T>Caf\xE9 \x80 \x93q\x94 \xFC</T>"),
                                  QStringLiteral("T")),
        cp1252);
    // A declared 8-bit encoding Qt knows is used.
    QCOMPARE(software::getvaluefromxml(
                 software::padTextFromBytes("<?xml version='1.0' encoding='ISO-8859-2'?>\r\n<T>\xB1\xE6</T>"),
                 QStringLiteral("T")),
             QStringLiteral("\u0105\u0107"));
    // An unknown one is refused, by name.
    QString refused;
    QCOMPARE(software::padTextFromBytes("<?xml version=\"1.0\" encoding=\"x-no-such\"?><T>\xE9</T>", &refused),
             QString());
    QCOMPARE(refused, QStringLiteral("x-no-such"));
    // Latin-1 declared: Windows-1252, as the programs that declare it write.
    QCOMPARE(software::getvaluefromxml(
                 software::padTextFromBytes("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><T>\x93q\x94</T>"),
                 QStringLiteral("T")),
             QStringLiteral("\u201Cq\u201D"));
    // Invalid UTF-8 after a mark: U+FFFD.
    QCOMPARE(software::padTextFromBytes("\xEF\xBB\xBF"
                                        "a\xFF"
                                        "b"),
             QStringLiteral("a\uFFFDb\r\n"));
    // A licence file in UTF-16 holding half a surrogate pair: U+FFFD stands
    // for it, so that the text can be saved as it reads.
    QCOMPARE(software::decodePlainText(QByteArray("\xFF\xFE"
                                                  "a\0\x00\xD8"
                                                  "b\0\x3D\xD8\x00\xDE",
                                                  12)),
             QStringLiteral("a\uFFFDb\U0001F600"));
    QCOMPARE(software::decodePlainText(QByteArray("\xFE\xFF"
                                                  "\xDC\x00\0a",
                                                  6)),
             QStringLiteral("\uFFFDa"));
}

void PadImportTest::importReplacesWholeRecord()
{
    Sandbox box;
    auto *table = loadedTable(this);
    table->Edit();
    table->setFieldText(QStringLiteral("Address_1"), QStringLiteral("typed before"));
    table->setFieldText(QStringLiteral("Has_Expire_Info"), QStringLiteral("Y"));
    table->Post();

    const QString pad =
        box.write(QStringLiteral("my pad.xml"),
                  "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n"
                  "<XML_DIZ_INFO>\n<Company_Info>\n  <Company_Name>M\xFCller &amp; S\xF6hne</Company_Name>\n"
                  "  <Address_1/>\n</Company_Info>\n<Program_Info>\n"
                  "  <Program_Type>shareware</Program_Type>\n"
                  "  <Program_OS_Support>Win95, Win98, WinXP</Program_OS_Support>\n"
                  "  <Includes_DirectX>N</Includes_DirectX>\n"
                  "</Program_Info>\n<Program_Descriptions><English>\n"
                  "  <Char_Desc_45>A text far longer than forty-five characters, kept whole</Char_Desc_45>\n"
                  "  <Char_Desc_2000>First line\n  second line  \r\nthird</Char_Desc_2000>\n"
                  "</English></Program_Descriptions>\n</XML_DIZ_INFO>\n");
    QSignalSpy posts(table, &software::TSoftwareTable::AfterPost);
    software::importPadFile(*table, pad);

    QCOMPARE(posts.count(), 1);
    QCOMPARE(table->state(), software::TSoftwareTable::Browse);
    QCOMPARE(software::rememberedPadFile(), pad);
    QCOMPARE(table->fieldText(QStringLiteral("Company_Name")), QStringLiteral("M\u00FCller & S\u00F6hne"));
    QCOMPARE(table->fieldText(QStringLiteral("Program_Type")), QStringLiteral("shareware"));
    QCOMPARE(table->fieldText(QStringLiteral("Program_OS_Support")), QStringLiteral("Win95, Win98, WinXP"));
    QCOMPARE(table->fieldText(QStringLiteral("Includes_DirectX")), QStringLiteral("N"));
    QCOMPARE(table->fieldText(QStringLiteral("Char_Desc_45")).size(), 56);
    QCOMPARE(table->fieldText(QStringLiteral("Char_Desc_2000")),
             QStringLiteral("First line\r\n  second line  \r\nthird"));
    // Not merged: what the file lacks is emptied, hidden fields included.
    QCOMPARE(table->fieldText(QStringLiteral("Address_1")), QString());
    QCOMPARE(table->fieldText(QStringLiteral("Has_Expire_Info")), QString());
    // Not saved.
    software::TSoftwareTable onDisk;
    onDisk.LoadFromFile(QStringLiteral("softdata.xml"));
    QVERIFY(onDisk.fieldText(QStringLiteral("Company_Name")) != table->fieldText(QStringLiteral("Company_Name")));
}

void PadImportTest::importOfBadFiles_data()
{
    QTest::addColumn<QByteArray>("content"); // "/": a folder; empty name: no file at all
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QString>("complaint");
    QTest::newRow("missing file") << QByteArray() << false << QStringLiteral("Cannot open file");
    QTest::newRow("folder") << QByteArray("/") << false << QStringLiteral("it is a folder");
    QTest::newRow("UTF-16 without closing tag")
        << QByteArray("\xFF\xFE<\0P\0r\0o\0g\0r\0a\0m\0_\0N\0a\0m\0e\0>\0X\0", 26) << true
        << QStringLiteral("is not a PAD file");
    QTest::newRow("not a PAD file") << QByteArray("<html><body>hello</body></html>") << true
                                    << QStringLiteral("is not a PAD file");
    QTest::newRow("empty file") << QByteArray("") << true << QStringLiteral("is not a PAD file");
    QTest::newRow("unreadable encoding")
        << QByteArray("<?xml version=\"1.0\" encoding=\"x-no-such\"?><Program_Name>X</Program_Name>") << true
        << QStringLiteral("x-no-such");
}

void PadImportTest::importOfBadFiles()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, exists);
    QFETCH(QString, complaint);
    Sandbox box;
    auto *table = loadedTable(this);
    const QString before = table->fieldText(QStringLiteral("Program_Name"));
    QVERIFY(!before.isEmpty());
    const QString earlier = box.write(QStringLiteral("earlier.xml"), "<Program_Name>E</Program_Name>");
    software::setRememberedPadFile(earlier, QStringLiteral("English"));

    QString pad = box.path(QStringLiteral("pad.xml"));
    if (content == "/")
        QDir().mkpath(pad);
    else if (exists)
        box.write(QStringLiteral("pad.xml"), content);

    QSignalSpy posts(table, &software::TSoftwareTable::AfterPost);
    try {
        software::importPadFile(*table, pad);
        QFAIL("imported");
    } catch (const base::Error &e) {
        QVERIFY2(e.text().contains(pad) && e.text().contains(complaint), qPrintable(e.text()));
    }
    // Nothing changed: the record, its state, the remembered file.
    QCOMPARE(posts.count(), 0);
    QCOMPARE(table->state(), software::TSoftwareTable::Browse);
    QCOMPARE(table->fieldText(QStringLiteral("Program_Name")), before);
    QCOMPARE(software::rememberedPadFile(), earlier);
    QCOMPARE(software::rememberedPadLanguage(), QStringLiteral("English"));
}

void PadImportTest::importWhenPathCannotBeStored()
{
    Sandbox box;
    auto *table = loadedTable(this);
    const QString before = table->fieldText(QStringLiteral("Program_Name"));
    // The settings file's folder would have to be inside a plain file.
    box.write(QStringLiteral("plain"), "x");
    qputenv("DODUVODAZ_SYSTEM_SETTINGS", box.path(QStringLiteral("plain/settings.json")).toLocal8Bit());
    const QString pad = box.write(QStringLiteral("pad.xml"), "<Program_Name>New</Program_Name>");
    QVERIFY_THROWS_EXCEPTION(base::Error, software::importPadFile(*table, pad));
    QCOMPARE(table->state(), software::TSoftwareTable::Browse);
    QCOMPARE(table->fieldText(QStringLiteral("Program_Name")), before);
    QCOMPARE(software::rememberedPadFile(), QString());
}

void PadImportTest::importOfHugeFile()
{
    Sandbox box;
    auto *table = loadedTable(this);
    QByteArray big;
    big.reserve(52 * 1024 * 1024);
    big += "<XML_DIZ_INFO><Program_Name>Big</Program_Name>\n";
    const QByteArray filler = QByteArray(200, 'x') + "<Program_Nam>no</Program_Nam>\n";
    while (big.size() < 50 * 1024 * 1024)
        big += filler;
    big += "<EULA>at the end</EULA></XML_DIZ_INFO>\n";
    const QString pad = box.write(QStringLiteral("big.xml"), big);
    big.clear();
    software::importPadFile(*table, pad);
    QCOMPARE(table->fieldText(QStringLiteral("Program_Name")), QStringLiteral("Big"));
    QCOMPARE(table->fieldText(QStringLiteral("EULA")), QStringLiteral("at the end"));
    QCOMPARE(table->fieldText(QStringLiteral("Company_Name")), QString());
}

void PadImportTest::startupRefill()
{
    Sandbox box;
    padtest::writeDataFile(box.path(QStringLiteral("softdata.xml")),
                           {{QStringLiteral("Program_Name"), QStringLiteral("Saved name")},
                            {QStringLiteral("Keywords"), QStringLiteral("saved, words")}});
    const QString pad = box.write(QStringLiteral("pad.xml"), "<Program_Name>From PAD</Program_Name>\n");

    // No remembered file: the data file's record.
    software::TSoftwareTable plain;
    software::loadRecordAtStartup(plain);
    QCOMPARE(plain.fieldText(QStringLiteral("Program_Name")), QStringLiteral("Saved name"));

    software::setRememberedPadFile(pad);
    software::TSoftwareTable refilled;
    QSignalSpy posts(&refilled, &software::TSoftwareTable::AfterPost);
    software::loadRecordAtStartup(refilled);
    QCOMPARE(posts.count(), 1);
    QCOMPARE(refilled.state(), software::TSoftwareTable::Browse);
    QCOMPARE(refilled.fieldText(QStringLiteral("Program_Name")), QStringLiteral("From PAD"));
    QCOMPARE(refilled.fieldText(QStringLiteral("Keywords")), QString());

    // A data file with fields but no row: the refill makes the record.
    software::TSoftwareTable fieldsOnly;
    fieldsOnly.open(software::TSoftwareTable::standardFields(), {});
    fieldsOnly.SaveToFile(QStringLiteral("softdata.xml"));
    software::TSoftwareTable fromNothing;
    software::loadRecordAtStartup(fromNothing);
    QCOMPARE(fromNothing.rowCount(), 1);
    QCOMPARE(fromNothing.fieldText(QStringLiteral("Program_Name")), QStringLiteral("From PAD"));
}

void PadImportTest::startupRefillFailures()
{
    Sandbox box;
    padtest::writeDataFile(box.path(QStringLiteral("softdata.xml")),
                           {{QStringLiteral("Program_Name"), QStringLiteral("Saved name")}});
    const QString pad = box.write(QStringLiteral("pad.xml"), "<Program_Name>From PAD</Program_Name>\n");
    software::setRememberedPadFile(pad);

    // A deleted file or a folder in its place: the saved record, no commit.
    QVERIFY(QFile::remove(pad));
    for (int round = 0; round < 2; ++round) {
        software::TSoftwareTable table;
        QSignalSpy posts(&table, &software::TSoftwareTable::AfterPost);
        software::loadRecordAtStartup(table);
        QCOMPARE(posts.count(), 0);
        QCOMPARE(table.state(), software::TSoftwareTable::Browse);
        QCOMPARE(table.fieldText(QStringLiteral("Program_Name")), QStringLiteral("Saved name"));
        QDir().mkpath(pad);
    }

    // A file without read permission (root reads it regardless).
    QDir(pad).removeRecursively();
    box.write(QStringLiteral("pad.xml"), "<Program_Name>From PAD</Program_Name>\n");
    if (!padtest::runningAsRoot()) {
        QFile::setPermissions(pad, QFileDevice::WriteOwner);
        software::TSoftwareTable table;
        software::loadRecordAtStartup(table);
        QCOMPARE(table.fieldText(QStringLiteral("Program_Name")), QStringLiteral("Saved name"));
        QFile::setPermissions(pad, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    // No data file: the table stays closed even with a readable PAD file.
    QFile::remove(QStringLiteral("softdata.xml"));
    software::TSoftwareTable closed;
    QString why;
    software::loadRecordAtStartup(closed, &why);
    QVERIFY(!closed.isOpen());
    QVERIFY(why.contains(QStringLiteral("softdata.xml")));
}

QTEST_GUILESS_MAIN(PadImportTest)
#include "test_padimport.moc"
