// The form fill on one document: the text-input and text-area name tables row
// by row, the order decisions between their rows, and the check-box, radio and
// "leave alone" rules.
#include "enginefakes.h"

#include "engine/memorydocument.h"
#include "engine/routines.h"

#include <QtTest>

using namespace engine;
using enginetest::FakeRecord;
using enginetest::valueOf;

namespace {

const QString kOld = QStringLiteral("old text");
const QString kUnchanged = QStringLiteral("<unchanged>");
const QString kEmptied = QStringLiteral("<emptied>");

// Swaps the letter case of every ASCII letter, so that a name never matches a
// fragment by exact case.
QString swapCase(const QString &s)
{
    QString r = s;
    for (QChar &c : r)
        c = c.isUpper() ? c.toLower() : c.toUpper();
    return r;
}

struct Outcome {
    QString value;
    int writes = 0;
};

// Fills a document holding just one element (which holds kOld) and reports
// what the element ended with.
Outcome fillOne(const QString &tag, const QString &type, const QString &name, const FakeRecord &record)
{
    MemoryDocument doc;
    MemoryElement &e = tag == QLatin1String("textarea") ? doc.addTextArea(name, kOld) : doc.addElement(tag);
    if (tag != QLatin1String("textarea")) {
        e.setDeclaredType(type);
        e.setDeclaredName(name);
        e.setStoredValue(kOld);
    }
    FillSubmissionForm(doc, record);
    return {e.storedValue(), int(doc.journal().size())};
}

void expectOutcome(const Outcome &got, const QString &expected)
{
    if (expected == kUnchanged) {
        QCOMPARE(got.writes, 0);
        QCOMPARE(got.value, kOld);
    } else if (expected == kEmptied) {
        QCOMPARE(got.writes, 1);
        QCOMPARE(got.value, QString());
    } else {
        QCOMPARE(got.writes, 1);
        QCOMPARE(got.value, valueOf(expected));
    }
}

} // namespace

class TestFillRules : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void textInputTable_data();
    void textInputTable();
    void textInputOrder_data();
    void textInputOrder();
    void textAreaTable_data();
    void textAreaTable();
    void textAreaOrder_data();
    void textAreaOrder();
    void onlyTextInputsAndTextAreasAreWritten_data();
    void onlyTextInputsAndTextAreasAreWritten();
    void emptyFieldEmptiesTheInput();
    void checkBoxesAllEndTicked();
    void radioGroupEndsOnItsLastButton();
    void uninstallerGroupFollowsInstallSupport_data();
    void uninstallerGroupFollowsInstallSupport();
    void uninstallerGroupWithoutLettersEndsCleared();
    void walkCoversTheWholeDocumentInOrder();
    void fillingTwiceGivesTheSameValues();
    void missingFieldEndsTheFillKeepingEarlierWrites();
    void failingElementEndsTheFill();
    void missingInstallSupportEndsTheFill();
};

void TestFillRules::textInputTable_data()
{
    QTest::addColumn<QString>("fragment");
    QTest::addColumn<QString>("field");
    const char *const rows[][2] = {
        {"page", "Company_WebSite_URL"},
        {"pad", "Application_XML_File_URL"},
        {"xml", "Application_XML_File_URL"},
        {"pname", "Application_XML_File_URL"},
        {"home", "Company_WebSite_URL"},
        {"HURL", "Company_WebSite_URL"},
        {"Product", "Program_Name"},
        {"title", "Program_Name"},
        {"ProgN", "Program_Name"},
        {"Subject", "Program_Name"},
        {"limitation", "<emptied>"},
        {"eval_period", "Expire_Day"},
        {"ver", "Program_Version"},
        {"program_location", "Primary_Download_URL"},
        {"download", "Primary_Download_URL"},
        {"cost", "Program_Cost_Dollars"},
        {"keyword", "Keywords"},
        {"Size", "File_Size_K"},
        {"screenshot", "Application_Screenshot_URL"},
        {"screen", "Application_Screenshot_URL"},
        {"price", "Program_Cost_Dollars"},
        {"Pric", "Program_Cost_Dollars"},
        {"email", "Author_Email"},
        {"mail", "Author_Email"},
        {"send_to", "Author_Email"},
        {"sendto", "Author_Email"},
        {"Company", "Company_Name"},
        {"CN", "Company_Name"},
        {"location", "Primary_Download_URL"},
        {"Category", "Program_Category_Class"},
        {"long", "Char_Desc_2000"},
        {"short", "Char_Desc_45"},
        {"abstract", "Char_Desc_45"},
        {"notes", "Char_Desc_2000"},
        {"URL", "Company_WebSite_URL"},
        {"Web Site", "Company_WebSite_URL"},
        {"WebSite", "Company_WebSite_URL"},
        {"Min", "Program_System_Requirements"},
        {"require", "Program_System_Requirements"},
        {"SoftBy", "Company_Name"},
        {"Contact", "Company_Name"},
        {"SoftGetInfo", "Company_WebSite_URL"},
        {"Author", "Company_Name"},
        {"purchase", "Application_Order_URL"},
        {"order", "Application_Order_URL"},
        {"buy", "Application_Order_URL"},
        {"name", "Program_Name"},
    };
    QCOMPARE(int(std::size(rows)), 47);
    int n = 0;
    for (const auto &r : rows) {
        const QString fragment = QString::fromLatin1(r[0]);
        QTest::addRow("%02d %s", ++n, r[0]) << fragment << QString::fromLatin1(r[1]);
    }
}

// Each row of the table is reached by a name made of its fragment alone, in
// swapped letter case, and embedded in a longer name.
void TestFillRules::textInputTable()
{
    QFETCH(QString, fragment);
    QFETCH(QString, field);
    const FakeRecord record = FakeRecord::full();
    expectOutcome(fillOne(QStringLiteral("input"), QStringLiteral("text"), swapCase(fragment), record), field);
    expectOutcome(fillOne(QStringLiteral("input"), QStringLiteral("text"),
                          QStringLiteral("f_") + fragment + QStringLiteral("_1"), record),
                  field);
}

void TestFillRules::textInputOrder_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("field");
    const char *const rows[][2] = {
        {"company_url", "Company_Name"},     // Company before URL
        {"company_website", "Company_Name"}, // Company before WebSite
        {"product_version", "Program_Name"}, // Product before ver
        {"server", "Program_Version"},       // ver anywhere in the name
        {"version", "Program_Version"},
        {"cover_letter", "Program_Version"},
        {"contact_email", "Author_Email"},    // email before Contact
        {"order_url", "Company_WebSite_URL"}, // URL before order
        {"buy_link", "Application_Order_URL"},
        {"download_url", "Primary_Download_URL"}, // download before URL
        {"appname", "Application_XML_File_URL"},  // contains pname
        {"progname", "Program_Name"},             // contains progn
        {"username", "Program_Name"},             // name is tested last
        {"first_name", "Program_Name"},
        {"last_name", "Program_Name"},
        {"admin_notes", "Char_Desc_2000"},   // notes before Min
        {"homepage", "Company_WebSite_URL"}, // page, the first rule
        {"Limitation", "<emptied>"},
        {"two words: web site", "Company_WebSite_URL"},
        {"description", "<unchanged>"}, // no description rule for inputs
        {"desc", "<unchanged>"},
        {"req", "<unchanged>"},
        {"whoami", "<unchanged>"},
        {"country", "<unchanged>"},
        {"address", "<unchanged>"},
        {"", "<unchanged>"},                                                                 // no name attribute
        {"\xd0\xbd\xd0\xb0\xd0\xb7\xd0\xb2\xd0\xb0\xd0\xbd\xd0\xb8\xd0\xb5", "<unchanged>"}, // Cyrillic, no fragment
        {"\xd0\xb8\xd0\xbc\xd1\x8f_name", "Program_Name"},
        {"stra\xc3\x9f"
         "e_url",
         "Company_WebSite_URL"},
    };
    for (const auto &r : rows)
        QTest::addRow("%s", r[0]) << QString::fromUtf8(r[0]) << QString::fromLatin1(r[1]);
}

void TestFillRules::textInputOrder()
{
    QFETCH(QString, name);
    QFETCH(QString, field);
    expectOutcome(fillOne(QStringLiteral("input"), QStringLiteral("text"), name, FakeRecord::full()), field);
}

void TestFillRules::textAreaTable_data()
{
    QTest::addColumn<QString>("fragment");
    QTest::addColumn<QString>("field");
    const char *const rows[][2] = {
        {"short", "Char_Desc_45"},
        {"St_Description", "Char_Desc_45"},
        {"bdesc", "Char_Desc_45"},
        {"notes", "Char_Desc_2000"},
        {"long", "Char_Desc_2000"},
        {"Description", "Char_Desc_2000"},
        {"Desc", "Char_Desc_2000"},
        {"home_page", "Company_WebSite_URL"},
        {"home", "Company_WebSite_URL"},
        {"req", "Program_System_Requirements"},
        {"Min", "Program_System_Requirements"},
        {"download", "Primary_Download_URL"},
        {"limitation", "<emptied>"},
        {"whoami", "Char_Desc_45"},
    };
    QCOMPARE(int(std::size(rows)), 14);
    int n = 0;
    for (const auto &r : rows)
        QTest::addRow("%02d %s", ++n, r[0]) << QString::fromLatin1(r[0]) << QString::fromLatin1(r[1]);
}

void TestFillRules::textAreaTable()
{
    QFETCH(QString, fragment);
    QFETCH(QString, field);
    const FakeRecord record = FakeRecord::full();
    expectOutcome(fillOne(QStringLiteral("textarea"), QString(), swapCase(fragment), record), field);
    expectOutcome(
        fillOne(QStringLiteral("textarea"), QString(), QStringLiteral("f_") + fragment + QStringLiteral("_1"), record),
        field);
}

void TestFillRules::textAreaOrder_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("field");
    const char *const rows[][2] = {
        {"short_description", "Char_Desc_45"}, // short, St_Description and bdesc before Description
        {"st_description", "Char_Desc_45"},
        {"St_Description", "Char_Desc_45"},
        {"bdesc", "Char_Desc_45"},
        {"description", "Char_Desc_2000"},
        {"long_desc", "Char_Desc_2000"},
        {"full_desc", "Char_Desc_2000"},
        {"admin_notes", "Char_Desc_2000"}, // notes before Min
        {"requirements", "Program_System_Requirements"},
        {"comments", "<unchanged>"},
        {"limitation", "<emptied>"},
        // Text areas have no rules for these (text inputs do).
        {"program_name", "<unchanged>"},
        {"email", "<unchanged>"},
        {"price", "<unchanged>"},
        {"company", "<unchanged>"},
        {"order_url", "<unchanged>"},
        {"", "<unchanged>"},
    };
    for (const auto &r : rows)
        QTest::addRow("%s", r[0]) << QString::fromLatin1(r[0]) << QString::fromLatin1(r[1]);
}

void TestFillRules::textAreaOrder()
{
    QFETCH(QString, name);
    QFETCH(QString, field);
    expectOutcome(fillOne(QStringLiteral("textarea"), QString(), name, FakeRecord::full()), field);
}

void TestFillRules::onlyTextInputsAndTextAreasAreWritten_data()
{
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("written");
    QTest::newRow("type Text") << "input"
                               << "Text"
                               << "title" << true;
    QTest::newRow("type TEXT") << "input"
                               << "TEXT"
                               << "title" << true;
    QTest::newRow("hidden") << "input"
                            << "hidden"
                            << "title" << false;
    QTest::newRow("password named mail") << "input"
                                         << "password"
                                         << "email" << false;
    QTest::newRow("submit") << "input"
                            << "submit"
                            << "title" << false;
    QTest::newRow("image") << "input"
                           << "image"
                           << "title" << false;
    QTest::newRow("reset") << "input"
                           << "reset"
                           << "title" << false;
    QTest::newRow("button") << "input"
                            << "button"
                            << "title" << false;
    QTest::newRow("file") << "input"
                          << "file"
                          << "title" << false;
    // The engine sees types as the document reports them; the browser bridge
    // is the one that reports the newer text-like types as text.
    QTest::newRow("email as reported") << "input"
                                       << "email"
                                       << "email" << false;
    QTest::newRow("select") << "select"
                            << "select-one"
                            << "category" << false;
    QTest::newRow("button element") << "button"
                                    << "submit"
                                    << "title" << false;
    QTest::newRow("div") << "div"
                         << ""
                         << "title" << false;
}

void TestFillRules::onlyTextInputsAndTextAreasAreWritten()
{
    QFETCH(QString, tag);
    QFETCH(QString, type);
    QFETCH(QString, name);
    QFETCH(bool, written);
    expectOutcome(fillOne(tag, type, name, FakeRecord::full()), written ? QStringLiteral("Program_Name") : kUnchanged);
}

void TestFillRules::emptyFieldEmptiesTheInput()
{
    FakeRecord record = FakeRecord::full();
    record.set(QStringLiteral("Program_Version"), QString());
    expectOutcome(fillOne(QStringLiteral("input"), QStringLiteral("text"), QStringLiteral("version"), record),
                  kEmptied);
    // Values are written exactly as the record holds them.
    const QString raw = QStringLiteral("  24.95 \t<b>\"x\"</b>\r\n");
    record.set(QStringLiteral("Program_Cost_Dollars"), raw);
    QCOMPARE(fillOne(QStringLiteral("input"), QStringLiteral("text"), QStringLiteral("price"), record).value, raw);
}

void TestFillRules::checkBoxesAllEndTicked()
{
    MemoryDocument doc;
    doc.addInput(QStringLiteral("checkbox"), QStringLiteral("agree_terms"));
    doc.addInput(QStringLiteral("checkbox"), QStringLiteral("newsletter")).presetChecked(true);
    doc.addInput(QStringLiteral("CheckBox"), QString());
    FillSubmissionForm(doc, FakeRecord::full());
    for (int i = 0; i < 3; ++i)
        QVERIFY2(doc.at(i).isChecked(), qPrintable(QString::number(i)));
}

void TestFillRules::radioGroupEndsOnItsLastButton()
{
    MemoryDocument doc;
    const QString values[] = {QStringLiteral("free"), QStringLiteral("share"), QStringLiteral("commercial")};
    for (const QString &v : values) {
        MemoryElement &e = doc.addInput(QStringLiteral("radio"), QStringLiteral("licence"), v);
        e.setFormIndex(0);
    }
    doc.at(1).presetChecked(true);
    // A second group of the same name in another form is a group of its own.
    for (const QString &v : {QStringLiteral("a"), QStringLiteral("b")})
        doc.addInput(QStringLiteral("RADIO"), QStringLiteral("licence"), v).setFormIndex(1);
    doc.at(3).presetChecked(true);

    FillSubmissionForm(doc, FakeRecord::full());
    QVERIFY(!doc.at(0).isChecked());
    QVERIFY(!doc.at(1).isChecked());
    QVERIFY(doc.at(2).isChecked());
    QVERIFY(!doc.at(3).isChecked());
    QVERIFY(doc.at(4).isChecked());
    // Every button was ticked in turn, in document order.
    QCOMPARE(int(doc.journal().size()), 5);
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(doc.journal()[size_t(i)].element, i);
        QCOMPARE(doc.journal()[size_t(i)].kind, JournalEntry::Checked);
        QVERIFY(doc.journal()[size_t(i)].checked);
    }
}

void TestFillRules::uninstallerGroupFollowsInstallSupport_data()
{
    QTest::addColumn<QString>("support");
    QTest::addColumn<QString>("groupName");
    QTest::addColumn<bool>("yes");
    QTest::newRow("install and uninstall") << "Install and Uninstall"
                                           << "has_uninstaller" << true;
    QTest::newRow("uninstall only") << "Uninstall Only"
                                    << "has_uninstaller" << true;
    QTest::newRow("upper case") << "UNINSTALL"
                                << "Has_UnInstaller" << true;
    QTest::newRow("install only") << "Install Only"
                                  << "has_uninstaller" << false;
    QTest::newRow("no install support") << "No Install Support"
                                        << "HAS_UNINSTALLER" << false;
    QTest::newRow("empty") << ""
                           << "uninstaller_present" << false;
}

void TestFillRules::uninstallerGroupFollowsInstallSupport()
{
    QFETCH(QString, support);
    QFETCH(QString, groupName);
    QFETCH(bool, yes);
    // Start from the opposite choice so that both buttons must change.
    for (const char *const pair : {"Y/N", "yes/no"}) {
        const QStringList values = QString::fromLatin1(pair).split(QLatin1Char('/'));
        MemoryDocument doc;
        doc.addInput(QStringLiteral("radio"), groupName, values[0]).presetChecked(!yes);
        doc.addInput(QStringLiteral("radio"), groupName, values[1]).presetChecked(yes);
        FillSubmissionForm(doc, FakeRecord::full(support));
        QCOMPARE(doc.at(0).isChecked(), yes);
        QCOMPARE(doc.at(1).isChecked(), !yes);
    }
}

void TestFillRules::uninstallerGroupWithoutLettersEndsCleared()
{
    for (const QString &support : {QStringLiteral("Install and Uninstall"), QStringLiteral("Install Only")}) {
        MemoryDocument doc;
        doc.addInput(QStringLiteral("radio"), QStringLiteral("uninstaller"), QStringLiteral("1")).presetChecked(true);
        doc.addInput(QStringLiteral("radio"), QStringLiteral("uninstaller"), QStringLiteral("0"));
        FillSubmissionForm(doc, FakeRecord::full(support));
        QVERIFY(!doc.at(0).isChecked());
        QVERIFY(!doc.at(1).isChecked());
    }
}

// Elements outside any form are filled too, and writes happen in document order.
void TestFillRules::walkCoversTheWholeDocumentInOrder()
{
    MemoryDocument doc;
    doc.addElement(QStringLiteral("div"));
    doc.addInput(QStringLiteral("text"), QStringLiteral("title")).setFormIndex(0);
    doc.addTextArea(QStringLiteral("description"));
    doc.addElement(QStringLiteral("select")).setDeclaredName(QStringLiteral("category"));
    doc.addInput(QStringLiteral("text"), QStringLiteral("email")); // outside any form
    doc.addInput(QStringLiteral("checkbox"), QStringLiteral("agree"));
    FillSubmissionForm(doc, FakeRecord::full());
    const auto &j = doc.journal();
    QCOMPARE(int(j.size()), 4);
    QCOMPARE(j[0].element, 1);
    QCOMPARE(j[0].value, valueOf(QStringLiteral("Program_Name")));
    QCOMPARE(j[1].element, 2);
    QCOMPARE(j[1].value, valueOf(QStringLiteral("Char_Desc_2000")));
    QCOMPARE(j[2].element, 4);
    QCOMPARE(j[2].value, valueOf(QStringLiteral("Author_Email")));
    QCOMPARE(j[3].element, 5);
    QCOMPARE(j[3].kind, JournalEntry::Checked);
}

void TestFillRules::fillingTwiceGivesTheSameValues()
{
    MemoryDocument doc;
    doc.addInput(QStringLiteral("text"), QStringLiteral("title"), QStringLiteral("typed by the user"));
    doc.addInput(QStringLiteral("text"), QStringLiteral("limitation"), QStringLiteral("30 days"));
    doc.addInput(QStringLiteral("radio"), QStringLiteral("os"), QStringLiteral("win"));
    doc.addInput(QStringLiteral("radio"), QStringLiteral("os"), QStringLiteral("linux"));
    doc.addTextArea(QStringLiteral("short"));
    const FakeRecord record = FakeRecord::full();
    FillSubmissionForm(doc, record);
    QStringList first;
    for (int i = 0; i < doc.elementCount(); ++i)
        first << doc.at(i).storedValue() + QString::number(doc.at(i).isChecked());
    FillSubmissionForm(doc, record);
    QStringList second;
    for (int i = 0; i < doc.elementCount(); ++i)
        second << doc.at(i).storedValue() + QString::number(doc.at(i).isChecked());
    QCOMPARE(second, first);
    QCOMPARE(doc.at(0).storedValue(), valueOf(QStringLiteral("Program_Name")));
    QVERIFY(doc.at(3).isChecked());
}

void TestFillRules::missingFieldEndsTheFillKeepingEarlierWrites()
{
    FakeRecord record = FakeRecord::full();
    record.remove(QStringLiteral("Program_Version"));
    MemoryDocument doc;
    doc.addInput(QStringLiteral("text"), QStringLiteral("title"));
    doc.addInput(QStringLiteral("checkbox"), QStringLiteral("agree"));
    doc.addInput(QStringLiteral("text"), QStringLiteral("version"), kOld);
    doc.addInput(QStringLiteral("text"), QStringLiteral("price"), kOld);
    doc.addInput(QStringLiteral("checkbox"), QStringLiteral("newsletter"));
    try {
        FillSubmissionForm(doc, record);
        QFAIL("the fill did not stop at the missing field");
    } catch (const base::Error &e) {
        QCOMPARE(e.text(), QStringLiteral("ClientDataSet1: Field 'Program_Version' not found"));
        QCOMPARE(QString::fromUtf8(e.what()), e.text());
    }
    QCOMPARE(doc.at(0).storedValue(), valueOf(QStringLiteral("Program_Name")));
    QVERIFY(doc.at(1).isChecked());
    QCOMPARE(doc.at(2).storedValue(), kOld);
    QCOMPARE(doc.at(3).storedValue(), kOld);
    QVERIFY(!doc.at(4).isChecked());
    QCOMPARE(int(doc.journal().size()), 2);
}

void TestFillRules::failingElementEndsTheFill()
{
    MemoryDocument doc;
    doc.addInput(QStringLiteral("text"), QStringLiteral("title"));
    doc.addInput(QStringLiteral("text"), QStringLiteral("version")).setFailing(true);
    doc.addInput(QStringLiteral("text"), QStringLiteral("price"), kOld);
    QVERIFY_THROWS_EXCEPTION(base::Error, FillSubmissionForm(doc, FakeRecord::full()));
    QCOMPARE(doc.at(0).storedValue(), valueOf(QStringLiteral("Program_Name")));
    QCOMPARE(doc.at(2).storedValue(), kOld);
}

void TestFillRules::missingInstallSupportEndsTheFill()
{
    FakeRecord record = FakeRecord::full();
    record.remove(QStringLiteral("Program_Install_Support"));
    MemoryDocument doc;
    doc.addInput(QStringLiteral("radio"), QStringLiteral("licence"), QStringLiteral("free"));
    doc.addInput(QStringLiteral("radio"), QStringLiteral("has_uninstaller"), QStringLiteral("Y"));
    doc.addInput(QStringLiteral("text"), QStringLiteral("title"), kOld);
    try {
        FillSubmissionForm(doc, record);
        QFAIL("the fill did not stop at the missing field");
    } catch (const base::Error &e) {
        QCOMPARE(e.text(), QStringLiteral("ClientDataSet1: Field 'Program_Install_Support' not found"));
    }
    QVERIFY(doc.at(0).isChecked());
    QCOMPARE(doc.at(2).storedValue(), kOld);
}

QTEST_APPLESS_MAIN(TestFillRules)
#include "test_fillrules.moc"
