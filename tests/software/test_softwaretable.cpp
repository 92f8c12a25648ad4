// The software record and its data file: field lookup, editing, the delivered
// softdata.xml, the round trip through the file, and files that are missing,
// broken or cannot be written.
#include "software/padimport.h"
#include "software/softwaretable.h"
#include "software/startupload.h"

#include "base/error.h"
#include "engine/memorydocument.h"
#include "engine/routines.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace {

// The record's fields in table order, as the editor's pages list them.
const char *const kFieldOrder[] = {"Company_Name",
                                   "Address_1",
                                   "Address_2",
                                   "City_Town",
                                   "State_Province",
                                   "Zip_Postal_Code",
                                   "Country",
                                   "Company_WebSite_URL",
                                   "Author_First_Name",
                                   "Author_Last_Name",
                                   "Author_Email",
                                   "Contact_First_Name",
                                   "Contact_Last_Name",
                                   "Contact_Email",
                                   "Sales_Email",
                                   "Support_Email",
                                   "General_Email",
                                   "Sales_Phone",
                                   "Support_Phone",
                                   "General_Phone",
                                   "Fax_Phone",
                                   "Program_Name",
                                   "Program_Version",
                                   "Program_Release_Month",
                                   "Program_Release_Day",
                                   "Program_Release_Year",
                                   "Program_Type",
                                   "Program_Release_Status",
                                   "Program_Cost_Dollars",
                                   "Program_Cost_Other_Code",
                                   "Program_Cost_Other",
                                   "Program_Install_Support",
                                   "Program_OS_Support",
                                   "Program_Language",
                                   "Program_System_Requirements",
                                   "Program_Change_Info",
                                   "Program_Category_Class",
                                   "File_Size_Bytes",
                                   "File_Size_K",
                                   "File_Size_MB",
                                   "Has_Expire_Info",
                                   "Expire_Count",
                                   "Expire_Based_On",
                                   "Expire_Month",
                                   "Expire_Day",
                                   "Expire_Year",
                                   "Expire_Other_Info",
                                   "Program_Categories",
                                   "Program_Specific_Category",
                                   "Filename_Versioned",
                                   "Filename_Previous",
                                   "Filename_Generic",
                                   "Filename_Long",
                                   "Includes_JAVA_VM",
                                   "Includes_VB_Runtime",
                                   "Includes_DirectX",
                                   "Keywords",
                                   "Char_Desc_45",
                                   "Char_Desc_80",
                                   "Char_Desc_250",
                                   "Char_Desc_450",
                                   "Char_Desc_2000",
                                   "Application_Info_URL",
                                   "Application_Order_URL",
                                   "Application_Screenshot_URL",
                                   "Application_Icon_URL",
                                   "Application_XML_File_URL",
                                   "Primary_Download_URL",
                                   "Secondary_Download_URL",
                                   "Additional_Download_URL_1",
                                   "Additional_Download_URL_2",
                                   "Distribution_Permissions",
                                   "EULA"};

QString deliveredFile() { return QStringLiteral(DODU_SOURCE_DIR "/data/softdata.xml"); }

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QString notFound(const QString &name) { return QStringLiteral("ClientDataSet1: Field '%1' not found").arg(name); }

// Every lookup of a closed table fails with the not-found error.
void expectClosed(software::TSoftwareTable &table)
{
    QVERIFY(!table.isOpen());
    QCOMPARE(table.fieldCount(), 0);
    for (const char *name : {"Program_Name", "company_name", "EULA"}) {
        try {
            table.FieldByName(QString::fromLatin1(name));
            QFAIL("a closed table found a field");
        } catch (const base::Error &e) {
            QCOMPARE(e.text(), notFound(QString::fromLatin1(name)));
        }
        QVERIFY_THROWS_EXCEPTION(base::Error, table.fieldText(QString::fromLatin1(name)));
    }
    QVERIFY_THROWS_EXCEPTION(base::Error, table.Edit());
}

// Values that a naive writer or reader would damage.
QStringList awkwardValues()
{
    QString controls = QStringLiteral("bell");
    controls += QChar(7);
    controls += QStringLiteral(" esc");
    controls += QChar(0x1b);
    controls += QStringLiteral(" nul");
    controls += QChar(0);
    controls += QStringLiteral(" end");
    return {
        QStringLiteral("line one\r\nline two\r\n\r\nlast"),
        QStringLiteral("lone CR\rand lone LF\nend"),
        QStringLiteral("\"double\" and 'single' quotes"),
        QStringLiteral("<b>bold</b> & &amp; &#13; ]]> <!-- no comment --> <?pi?>"),
        QString::fromUtf8(
            "\xc3\x9cn\xc3\xaf"
            "c\xc3\xb8"
            "d\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e "
            "\xce\x95\xce\xbb\xce\xbb\xce\xb7\xce\xbd\xce\xb9\xce\xba\xce\xac \xd7\xa2\xd7\x91\xd7\xa8\xd7\x99\xd7\xaa "
            "\xf0\x9f\x98\x80 \xe2\x82\xac"),
        controls,
        QStringLiteral("  leading and trailing spaces  "),
        QStringLiteral("\n\ttabbed\t\n"),
        QString(QChar(0xFFFE)) + QStringLiteral(" not a character"),
        QStringLiteral("%1 %2 $(HOME) \\ backslash"),
        QString(),
    };
}

} // namespace

class TestSoftwareTable : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void deliveredFileHoldsTheRecord();
    void fieldByNameIgnoresCase();
    void editReadPostCancel();
    void editOnEmptyTableAppendsARow();
    void widthCutsAtCharacterBoundaries();
    void roundTripKeepsEveryValue();
    void roundTripKeepsPercentSignsInNames();
    void badFilesLeaveTheTableClosed_data();
    void badFilesLeaveTheTableClosed();
    void truncatedFilesLeaveTheTableClosed();
    void failedLoadKeepsTheOpenTable();
    void startupLoadReadsTheCurrentDirectory();
    void saveToMissingDirectoryFails();
    void failedSaveLeavesThePreviousFileWhole();
    void fillEndsAtAFieldTheRecordLacks();

private:
    QTemporaryDir m_settingsDir;
};

void TestSoftwareTable::initTestCase()
{
    // The start-up load may consult the machine-wide settings; keep it off
    // the real ones.
    QVERIFY(m_settingsDir.isValid());
    qputenv("DODUVODAZ_SYSTEM_SETTINGS", m_settingsDir.filePath(QStringLiteral("system-settings.json")).toLocal8Bit());
}

void TestSoftwareTable::deliveredFileHoldsTheRecord()
{
    software::TSoftwareTable table;
    table.LoadFromFile(deliveredFile());
    QCOMPARE(table.objectName(), QStringLiteral("ClientDataSet1"));
    QCOMPARE(table.fieldCount(), 73);
    QCOMPARE(int(std::size(kFieldOrder)), 73);
    QCOMPARE(table.rowCount(), 1);
    const QVector<software::TFieldDef> &standard = software::TSoftwareTable::standardFields();
    QCOMPARE(standard.size(), 73);
    for (int i = 0; i < 73; ++i) {
        QCOMPARE(table.fieldName(i), QString::fromLatin1(kFieldOrder[i]));
        QCOMPARE(standard[i].name, QString::fromLatin1(kFieldOrder[i]));
        QCOMPARE(table.fieldWidth(i), standard[i].width);
        QVERIFY2(!table.fieldText(i).trimmed().isEmpty(), kFieldOrder[i]);
        QVERIFY2(table.fieldText(i).size() <= table.fieldWidth(i), kFieldOrder[i]);
    }
}

void TestSoftwareTable::fieldByNameIgnoresCase()
{
    software::TSoftwareTable table;
    table.LoadFromFile(deliveredFile());
    const int at = table.FieldByName(QStringLiteral("Program_Name"));
    QCOMPARE(table.FieldByName(QStringLiteral("program_name")), at);
    QCOMPARE(table.FieldByName(QStringLiteral("PROGRAM_NAME")), at);
    QCOMPARE(table.fieldName(at), QStringLiteral("Program_Name"));
    QCOMPARE(table.fieldText(QStringLiteral("program_NAME")), table.fieldText(at));
    for (const QString &name : {QStringLiteral("Program_Nam"), QStringLiteral("Program Name"), QString()}) {
        try {
            table.FieldByName(name);
            QFAIL("found a field that does not exist");
        } catch (const base::Error &e) {
            QCOMPARE(e.text(), notFound(name));
            QCOMPARE(QString::fromUtf8(e.what()), notFound(name));
        }
    }
}

void TestSoftwareTable::editReadPostCancel()
{
    software::TSoftwareTable table;
    table.LoadFromFile(deliveredFile());
    QSignalSpy posted(&table, &software::TSoftwareTable::AfterPost);
    const QString before = table.fieldText(QStringLiteral("Program_Type"));

    // Writing needs an open edit.
    QVERIFY_THROWS_EXCEPTION(base::Error, table.setFieldText(QStringLiteral("Program_Type"), QStringLiteral("x")));
    table.Post(); // nothing open: no commit
    QCOMPARE(posted.count(), 0);

    table.Edit();
    table.setFieldText(QStringLiteral("program_type"), QStringLiteral("shareware"));
    QCOMPARE(table.fieldText(QStringLiteral("Program_Type")), QStringLiteral("shareware"));
    table.cancel();
    QCOMPARE(table.fieldText(QStringLiteral("Program_Type")), before);
    QCOMPARE(posted.count(), 0);

    table.Edit();
    table.setFieldText(QStringLiteral("Program_Type"), QStringLiteral("shareware"));
    table.Post();
    QCOMPARE(posted.count(), 1);
    QCOMPARE(table.fieldText(QStringLiteral("Program_Type")), QStringLiteral("shareware"));
    QCOMPARE(table.rowCount(), 1);

    // Saving commits an open edit, which raises AfterPost too.
    QTemporaryDir dir;
    table.Edit();
    table.setFieldText(QStringLiteral("Program_Version"), QStringLiteral("9.9"));
    table.SaveToFile(dir.filePath(QStringLiteral("softdata.xml")));
    QCOMPARE(posted.count(), 2);
    QCOMPARE(table.state(), software::TSoftwareTable::Browse);
    table.SaveToFile(dir.filePath(QStringLiteral("softdata.xml")));
    QCOMPARE(posted.count(), 2);
    software::TSoftwareTable again;
    again.LoadFromFile(dir.filePath(QStringLiteral("softdata.xml")));
    QCOMPARE(again.fieldText(QStringLiteral("Program_Version")), QStringLiteral("9.9"));
    QCOMPARE(again.fieldText(QStringLiteral("Program_Type")), QStringLiteral("shareware"));
}

void TestSoftwareTable::editOnEmptyTableAppendsARow()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("softdata.xml"));
    software::TSoftwareTable empty;
    empty.open(software::TSoftwareTable::standardFields(), {});
    empty.SaveToFile(path);

    software::TSoftwareTable table;
    table.LoadFromFile(path);
    QCOMPARE(table.fieldCount(), 73);
    QCOMPARE(table.rowCount(), 0);
    QCOMPARE(table.fieldText(QStringLiteral("Program_Name")), QString());

    table.Edit();
    table.cancel();
    QCOMPARE(table.rowCount(), 0);

    QSignalSpy posted(&table, &software::TSoftwareTable::AfterPost);
    table.Edit();
    table.setFieldText(QStringLiteral("Program_Name"), QStringLiteral("ClipNest"));
    table.Post();
    QCOMPARE(table.rowCount(), 1);
    QCOMPARE(posted.count(), 1);
    QCOMPARE(table.fieldText(QStringLiteral("Program_Name")), QStringLiteral("ClipNest"));
    QCOMPARE(table.fieldText(QStringLiteral("Company_Name")), QString());

    // A second edit changes that row rather than adding one.
    table.Edit();
    table.setFieldText(QStringLiteral("Program_Version"), QStringLiteral("1.0"));
    table.Post();
    QCOMPARE(table.rowCount(), 1);
    QCOMPARE(table.fieldText(QStringLiteral("Program_Name")), QStringLiteral("ClipNest"));
}

// A value longer than its field is cut to the width, but never between the
// two halves of a character outside the BMP.
void TestSoftwareTable::widthCutsAtCharacterBoundaries()
{
    software::TSoftwareTable table;
    table.open({{QStringLiteral("Char_Desc_45"), 10}}, {});
    table.Edit();
    table.setFieldText(QStringLiteral("Char_Desc_45"), QStringLiteral("0123456789abc"));
    QCOMPARE(table.fieldText(QStringLiteral("Char_Desc_45")), QStringLiteral("0123456789"));
    const QString smile = QString::fromUtf8("\xf0\x9f\x98\x80");
    table.setFieldText(QStringLiteral("Char_Desc_45"), QStringLiteral("012345678") + smile);
    QCOMPARE(table.fieldText(QStringLiteral("Char_Desc_45")), QStringLiteral("012345678"));
    table.setFieldText(QStringLiteral("Char_Desc_45"), QStringLiteral("01234567") + smile + smile);
    QCOMPARE(table.fieldText(QStringLiteral("Char_Desc_45")), QStringLiteral("01234567") + smile);
    table.Post();

    // The same holds when a file holds a longer value than its field's width.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("softdata.xml"));
    writeFile(path,
              "<?xml version=\"1.0\"?><softdata version=\"1\"><fields><field name=\"Keywords\" width=\"4\"/>"
              "</fields><rows><row><value name=\"keywords\">abc\xf0\x9f\x98\x80</value></row></rows></softdata>");
    software::TSoftwareTable loaded;
    loaded.LoadFromFile(path);
    QCOMPARE(loaded.fieldText(QStringLiteral("Keywords")), QStringLiteral("abc"));
}

// A field name is text: "%2" in it must not take the width's place.
void TestSoftwareTable::roundTripKeepsPercentSignsInNames()
{
    software::TSoftwareTable table;
    table.open({{QStringLiteral("Address_%2"), 40}, {QStringLiteral("%1%3"), 7}},
               {{QStringLiteral("a"), QStringLiteral("b")}});
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("softdata.xml"));
    table.SaveToFile(path);
    software::TSoftwareTable back;
    back.LoadFromFile(path);
    QCOMPARE(back.fieldCount(), 2);
    QCOMPARE(back.fieldName(0), QStringLiteral("Address_%2"));
    QCOMPARE(back.fieldWidth(0), 40);
    QCOMPARE(back.fieldName(1), QStringLiteral("%1%3"));
    QCOMPARE(back.fieldText(1), QStringLiteral("b"));
    QCOMPARE(software::cutFieldsMessage({QStringLiteral("Address_%2")}, back),
             QStringLiteral("Address_%2 was cut to 40 characters"));
}

void TestSoftwareTable::roundTripKeepsEveryValue()
{
    const QStringList values = awkwardValues();
    software::TSoftwareTable table;
    table.LoadFromFile(deliveredFile());
    table.Edit();
    QStringList expected;
    for (int i = 0; i < table.fieldCount(); ++i) {
        const QString v = values[i % values.size()];
        table.setFieldText(i, v);
        expected << v;
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("softdata.xml"));
    table.SaveToFile(path);

    // The file stays a readable UTF-8 XML document with one element per value.
    const QByteArray bytes = readAll(path);
    QVERIFY(bytes.startsWith("<?xml"));
    QVERIFY(bytes.contains(values[4].toUtf8()));
    QCOMPARE(bytes.count("<value "), 73);

    software::TSoftwareTable back;
    back.LoadFromFile(path);
    QCOMPARE(back.fieldCount(), 73);
    QCOMPARE(back.rowCount(), 1);
    for (int i = 0; i < 73; ++i) {
        QCOMPARE(back.fieldName(i), table.fieldName(i));
        QCOMPARE(back.fieldWidth(i), table.fieldWidth(i));
        QCOMPARE(back.fieldText(i), expected[i]);
    }
    // Saving what was loaded gives the same file again.
    const QString second = dir.filePath(QStringLiteral("second.xml"));
    back.SaveToFile(second);
    QCOMPARE(readAll(second), bytes);
}

void TestSoftwareTable::badFilesLeaveTheTableClosed_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("exists");
    QTest::newRow("missing") << QByteArray() << false;
    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("blank") << QByteArray("\n  \n") << true;
    QTest::newRow("not XML") << QByteArray("Company_Name=Tidewater\nProgram_Name=ClipNest\n") << true;
    QTest::newRow("binary") << QByteArray("PK\x03\x04\x00\x00\xff\xfe garbage", 18) << true;
    QTest::newRow("other XML") << QByteArray("<?xml version=\"1.0\"?><XML_DIZ_INFO><Company_Info/></XML_DIZ_INFO>")
                               << true;
    QTest::newRow("no fields") << QByteArray("<softdata><rows><row/></rows></softdata>") << true;
    QTest::newRow("field twice") << QByteArray(
                                        "<softdata><fields><field name=\"A\"/><field name=\"a\"/></fields></softdata>")
                                 << true;
    QTest::newRow("bad width") << QByteArray("<softdata><fields><field name=\"A\" width=\"-3\"/></fields></softdata>")
                               << true;
    QTest::newRow("two roots") << QByteArray("<softdata><fields/></softdata><softdata/>") << true;
    QTest::newRow("bad entity") << QByteArray("<softdata><fields><field name=\"A\"/></fields><rows><row><value "
                                              "name=\"A\">&bogus;</value></row></rows></softdata>")
                                << true;
}

void TestSoftwareTable::badFilesLeaveTheTableClosed()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, exists);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("softdata.xml"));
    if (exists)
        writeFile(path, content);
    software::TSoftwareTable table;
    QVERIFY_THROWS_EXCEPTION(base::Error, table.LoadFromFile(path));
    expectClosed(table);
}

// Any cut of the delivered file short of its end is refused whole.
void TestSoftwareTable::truncatedFilesLeaveTheTableClosed()
{
    const QByteArray whole = readAll(deliveredFile());
    const qsizetype end = whole.lastIndexOf("</softdata>");
    QVERIFY(end > 0);
    QList<qsizetype> cuts;
    for (qsizetype at = 1; at < end; at += end / 53)
        cuts << at;
    cuts << whole.indexOf("</fields>") + 9 << whole.indexOf("</rows>") + 7 << whole.indexOf("&#13;") + 3 << end;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("softdata.xml"));
    for (qsizetype cut : cuts) {
        writeFile(path, whole.left(cut));
        software::TSoftwareTable table;
        try {
            table.LoadFromFile(path);
            QFAIL(qPrintable(QStringLiteral("a file cut at %1 was accepted").arg(cut)));
        } catch (const base::Error &) { }
        expectClosed(table);
    }
}

void TestSoftwareTable::failedLoadKeepsTheOpenTable()
{
    software::TSoftwareTable table;
    table.LoadFromFile(deliveredFile());
    const QString name = table.fieldText(QStringLiteral("Program_Name"));
    QSignalSpy changed(&table, &software::TSoftwareTable::recordChanged);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("broken.xml"));
    writeFile(path, readAll(deliveredFile()).left(2000));
    QVERIFY_THROWS_EXCEPTION(base::Error, table.LoadFromFile(path));
    QCOMPARE(table.fieldCount(), 73);
    QCOMPARE(table.fieldText(QStringLiteral("Program_Name")), name);
    QCOMPARE(changed.count(), 0);
}

void TestSoftwareTable::startupLoadReadsTheCurrentDirectory()
{
    const QString home = QDir::currentPath();
    QTemporaryDir dir;
    QVERIFY(QDir::setCurrent(dir.path()));
    software::TSoftwareTable none;
    software::loadRecordAtStartup(none); // no file: quietly closed
    expectClosed(none);

    QVERIFY(QFile::copy(deliveredFile(), dir.filePath(QStringLiteral("softdata.xml"))));
    software::TSoftwareTable table;
    software::loadRecordAtStartup(table);
    QVERIFY(QDir::setCurrent(home));
    QVERIFY(table.isOpen());
    QCOMPARE(table.fieldCount(), 73);
    QVERIFY(!table.fieldText(QStringLiteral("Program_Name")).isEmpty());
}

void TestSoftwareTable::saveToMissingDirectoryFails()
{
    QTemporaryDir dir;
    software::TSoftwareTable table;
    table.LoadFromFile(deliveredFile());
    const QString path = dir.filePath(QStringLiteral("no/such/folder/softdata.xml"));
    try {
        table.SaveToFile(path);
        QFAIL("saved into a folder that does not exist");
    } catch (const base::Error &e) {
        QCOMPARE(e.text(), QStringLiteral("Cannot create file ") + path);
    }
    // A folder in the file's place cannot be replaced either.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("softdata.xml")));
    const QString folder = dir.filePath(QStringLiteral("softdata.xml"));
    try {
        table.SaveToFile(folder);
        QFAIL("saved over a folder");
    } catch (const base::Error &e) {
        QCOMPARE(e.text(), QStringLiteral("Cannot create file ") + folder);
    }
    QVERIFY(QFileInfo(folder).isDir());
}

// A write that fails half-way (here: the process may not write files larger
// than a few kilobytes, which holds for root too) leaves the file as it was.
void TestSoftwareTable::failedSaveLeavesThePreviousFileWhole()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("softdata.xml"));
    software::TSoftwareTable table;
    table.open({{QStringLiteral("Program_Name"), 255}, {QStringLiteral("EULA"), 65535}},
               {{QStringLiteral("ClipNest"), QStringLiteral("short")}});
    table.SaveToFile(path);
    const QByteArray previous = readAll(path);
    QVERIFY(previous.size() < 1024);

    table.Edit();
    table.setFieldText(QStringLiteral("EULA"), QString(60000, QLatin1Char('x')));
    table.Post();

    struct rlimit saved;
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    try {
        table.SaveToFile(path);
    } catch (const base::Error &e) {
        error = e.text();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QCOMPARE(error, QStringLiteral("Cannot create file ") + path);
    QCOMPARE(readAll(path), previous);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList {QStringLiteral("softdata.xml")});

    // With room again the same save succeeds.
    table.SaveToFile(path);
    software::TSoftwareTable back;
    back.LoadFromFile(path);
    QCOMPARE(back.fieldText(QStringLiteral("EULA")).size(), 60000);
}

// The form fill reads the real table: a field it lacks ends the fill with the
// table's error, and what was written before stays.
void TestSoftwareTable::fillEndsAtAFieldTheRecordLacks()
{
    QVector<software::TFieldDef> fields = software::TSoftwareTable::standardFields();
    fields.removeIf([](const software::TFieldDef &f) { return f.name == QLatin1String("Program_Version"); });
    QStringList row;
    for (const software::TFieldDef &f : fields)
        row << QStringLiteral("v:") + f.name;
    software::TSoftwareTable table;
    table.open(fields, {row});

    engine::MemoryDocument doc;
    doc.addInput(QStringLiteral("text"), QStringLiteral("company_url"));
    doc.addInput(QStringLiteral("text"), QStringLiteral("product_version"));
    doc.addInput(QStringLiteral("text"), QStringLiteral("server"));
    doc.addInput(QStringLiteral("text"), QStringLiteral("price"), QStringLiteral("old"));
    try {
        engine::FillSubmissionForm(doc, table);
        QFAIL("the fill went past a missing field");
    } catch (const base::Error &e) {
        QCOMPARE(e.text(), notFound(QStringLiteral("Program_Version")));
    }
    QCOMPARE(doc.at(0).storedValue(), QStringLiteral("v:Company_Name"));
    QCOMPARE(doc.at(1).storedValue(), QStringLiteral("v:Program_Name"));
    QCOMPARE(doc.at(3).storedValue(), QStringLiteral("old"));

    software::TSoftwareTable closed;
    try {
        engine::FillSubmissionForm(doc, closed);
        QFAIL("a closed table filled a form");
    } catch (const base::Error &e) {
        QCOMPARE(e.text(), notFound(QStringLiteral("Company_Name")));
    }
}

QTEST_MAIN(TestSoftwareTable)
#include "test_softwaretable.moc"
