// The smart fill's decisions without a browser: the words a control's
// signals make, which field its signals name, which value it gets, and the
// rules that keep a fill from doing harm.
#include "engine/smartfill.h"
#include "engine/smartvocabulary.h"

#include <QHash>
#include <QtTest>

using namespace engine;

namespace {

// A record whose fields not set are empty.
class TestRecord : public engine::Record {
public:
    TestRecord()
    {
        set("Company_Name", "Tidewater Softworks");
        set("Company_WebSite_URL", "https://www.tidewater.example/");
        set("Contact_First_Name", "Maren");
        set("Contact_Last_Name", "Holloway");
        set("Author_Email", "maren@tidewater.example");
        set("Contact_Email", "contact@tidewater.example");
        set("Program_Name", "ClipNest");
        set("Program_Version", "3.2.1");
        set("Program_Release_Month", "11");
        set("Program_Release_Day", "24");
        set("Program_Release_Year", "2026");
        set("Program_Type", "Shareware");
        set("Program_Release_Status", "Minor Update");
        set("Program_Cost_Dollars", "24.95");
        set("Program_Install_Support", "Install and Uninstall");
        set("Program_OS_Support", "Win98,WinXP,Linux");
        set("Program_Language", "English,German");
        set("Program_Category_Class", "System Utilities::Clipboard Tools");
        set("File_Size_Bytes", "2457600");
        set("File_Size_K", "2400");
        set("File_Size_MB", "2.34");
        set("Char_Desc_45", "Clipboard history with pinned clips");
        set("Char_Desc_80", QString(70, QLatin1Char('b')));
        set("Char_Desc_250", QString(200, QLatin1Char('c')));
        set("Char_Desc_450", QString(400, QLatin1Char('d')));
        set("Char_Desc_2000", QString(800, QLatin1Char('e')));
        set("Primary_Download_URL", "https://www.tidewater.example/dl/clipnest.zip");
        set("Application_Screenshot_URL", "https://www.tidewater.example/shot.png");
        set("Application_XML_File_URL", "https://www.tidewater.example/pad.xml");
        set("Country", "United Kingdom");
    }
    void set(const char *name, const QString &text) { m_f.insert(QString::fromLatin1(name).toUpper(), text); }
    QString fieldText(const QString &name) const override { return m_f.value(name.toUpper()); }

private:
    QHash<QString, QString> m_f;
};

Control input(const QString &name, const QString &label = QString(), const QString &type = QStringLiteral("text"))
{
    Control c;
    c.tag = type == QLatin1String("textarea") || type == QLatin1String("select") ? type : QStringLiteral("input");
    c.type = type;
    c.name = name;
    c.label = label;
    c.form = 0;
    return c;
}

Control radio(const QString &name, const QString &value, const QString &label, bool checked = false)
{
    Control c = input(name, label, QStringLiteral("radio"));
    c.value = value;
    c.checked = checked;
    return c;
}

Control select(const QString &name, const QStringList &texts, const QString &label = QString())
{
    Control c = input(name, label, QStringLiteral("select"));
    for (const QString &t : texts)
        c.options << Option {t, t.startsWith(QLatin1Char('-')) ? QString() : t, false};
    if (!c.options.isEmpty())
        c.options[0].selected = true;
    return c;
}

QString fieldOf(const Control &c)
{
    Page p;
    p.controls << c << input("program_name") << input("version");
    return planFill(p, TestRecord()).fields.at(0);
}

} // namespace

class TestSmartFill : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void namesSplitIntoWords();
    void purposeWordsBeatGenericOnes_data();
    void purposeWordsBeatGenericOnes();
    void descriptionFitsTheLimit();
    void sizeUnits();
    void releaseDateFormats();
    void choicesSetOnlyOnAMatch();
    void neverEveryRadio();
    void existingValuesAreKept();
    void valuesWithinTheSizeLimit();
    void onlyTheBestFormIsFilled();
    void submitControlOfThatForm();
    void textAfterTheControlShapesTheValue();
    void labelThatIsATermOutweighsTheName();
    void fillersAndOldValuesGiveWay();
    void aLoneAddressFormIsFilled();
    void aLongPageIsReadAsAShortOne();
    void aPageReadInPartsPlansAsAtOnce();
};

void TestSmartFill::namesSplitIntoWords()
{
    QCOMPARE(splitWords(QStringLiteral("submitterName"), true), (QStringList {"submitter", "name"}));
    QCOMPARE(splitWords(QStringLiteral("app[logo_url]"), true), (QStringList {"app", "logo", "url"}));
    QCOMPARE(splitWords(QStringLiteral("dlurl"), true), (QStringList {"dl", "url"}));
    QCOMPARE(splitWords(QStringLiteral("homepagetitle"), true), (QStringList {"homepage", "title"}));
    QCOMPARE(splitWords(QStringLiteral("summary_80"), true), (QStringList {"summary", "80"}));
    QCOMPARE(splitWords(QStringLiteral("PADURL"), true), (QStringList {"pad", "url"}));
    // No fragment hides inside an unknown word.
    QCOMPARE(splitWords(QStringLiteral("server"), true), (QStringList {"server"}));
    QCOMPARE(splitWords(QStringLiteral("cover"), true), (QStringList {"cover"}));
}

void TestSmartFill::purposeWordsBeatGenericOnes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("field");
    QTest::newRow("url") << "dlurl"
                         << ""
                         << "text"
                         << "Primary_Download_URL";
    QTest::newRow("d_url") << "d_url"
                           << ""
                           << "text"
                           << "Primary_Download_URL";
    QTest::newRow("screenshot") << "shot_url"
                                << ""
                                << "url"
                                << "Application_Screenshot_URL";
    QTest::newRow("pad") << "padurl"
                         << ""
                         << "url"
                         << "Application_XML_File_URL";
    QTest::newRow("site") << "url"
                          << "Company website"
                          << "text"
                          << "Company_WebSite_URL";
    QTest::newRow("appname") << "appname"
                             << ""
                             << "text"
                             << "Program_Name";
    QTest::newRow("homepagetitle") << "homepagetitle"
                                   << ""
                                   << "text"
                                   << "Program_Name";
    QTest::newRow("person") << "auth_name"
                            << ""
                            << "text"
                            << "Contact_First_Name+Contact_Last_Name";
    QTest::newRow("submitter") << "submitterName"
                               << ""
                               << "text"
                               << "Contact_First_Name+Contact_Last_Name";
    QTest::newRow("email type") << "contact"
                                << ""
                                << "email"
                                << "Contact_Email";
    QTest::newRow("release as version") << "release"
                                        << ""
                                        << "text"
                                        << "Program_Version";
    QTest::newRow("label decides") << "f1"
                                   << "Download link"
                                   << "text"
                                   << "Primary_Download_URL";
    QTest::newRow("search box") << "search_keywords"
                                << ""
                                << "text"
                                << "";
    QTest::newRow("user name") << "user_name"
                               << ""
                               << "text"
                               << "";
    QTest::newRow("nothing") << "twitter"
                             << ""
                             << "text"
                             << "";
}

void TestSmartFill::purposeWordsBeatGenericOnes()
{
    QFETCH(QString, name);
    QFETCH(QString, label);
    QFETCH(QString, type);
    QFETCH(QString, field);
    QCOMPARE(fieldOf(input(name, label, type)), field);
}

void TestSmartFill::descriptionFitsTheLimit()
{
    const TestRecord r;
    Control c = input("sdesc");
    c.maxLength = 200;
    QCOMPARE(descriptionField(c, r), QStringLiteral("Char_Desc_80"));
    QCOMPARE(descriptionField(input("summary_80"), r), QStringLiteral("Char_Desc_80"));
    QCOMPARE(descriptionField(input("description", QString(), "textarea"), r), QStringLiteral("Char_Desc_2000"));
    QCOMPARE(descriptionField(input("meta_description", QString(), "textarea"), r), QStringLiteral("Char_Desc_250"));
    QCOMPARE(descriptionField(input("short_description"), r), QStringLiteral("Char_Desc_80"));
    // Nothing fits: left alone rather than cut.
    c.maxLength = 20;
    QCOMPARE(descriptionField(c, r), QString());
}

void TestSmartFill::sizeUnits()
{
    const TestRecord r;
    QCOMPARE(sizeField(input("fsize", "File size (bytes)"), r), QStringLiteral("File_Size_Bytes"));
    QCOMPARE(sizeField(input("size_mb"), r), QStringLiteral("File_Size_MB"));
    QCOMPARE(sizeField(input("filesize", "Size in KB"), r), QStringLiteral("File_Size_K"));
    Control small = input("filesize");
    small.maxLength = 3;
    QCOMPARE(sizeField(small, r), QStringLiteral("File_Size_MB"));
}

void TestSmartFill::releaseDateFormats()
{
    Control c = input("release_date");
    QCOMPARE(formatDate(c, "2026", "11", "4"), QStringLiteral("2026-11-04"));
    c.placeholder = QStringLiteral("MM/DD/YYYY");
    QCOMPARE(formatDate(c, "2026", "11", "4"), QStringLiteral("11/04/2026"));
    c.placeholder = QStringLiteral("dd.mm.yyyy");
    QCOMPARE(formatDate(c, "2026", "11", "4"), QStringLiteral("04.11.2026"));
    c.placeholder.clear();
    c.pattern = QStringLiteral("\\d{2}/\\d{2}/\\d{4}");
    QCOMPARE(formatDate(c, "2026", "11", "4"), QStringLiteral("11/04/2026"));
    Control d = input("released", QString(), "date");
    QCOMPARE(formatDate(d, "2026", "1", "24"), QStringLiteral("2026-01-24"));
}

void TestSmartFill::choicesSetOnlyOnAMatch()
{
    Page p;
    p.controls << input("program_name") << input("version")
               << select("os", {"- choose -", "Mac", "Windows", "Linux"}, "Operating system")
               << select("license", {"- choose -", "Freeware", "GPL"}, "License")
               << select("country", {"-", "Germany", "UK"}, "Country");
    p.controls[2].multiple = true;
    const Plan plan = planFill(p, TestRecord());
    QCOMPARE(plan.fields.at(2), QStringLiteral("Program_OS_Support"));
    QCOMPARE(plan.fields.at(3), QString());
    QCOMPARE(plan.fields.at(4), QStringLiteral("Country"));
    QVector<int> os, country;
    for (const Write &w : plan.writes) {
        QVERIFY(w.control != 3);
        if (w.control == 2)
            os = w.options;
        if (w.control == 4)
            country = w.options;
    }
    QCOMPARE(os, (QVector<int> {2, 3}));
    QCOMPARE(country, (QVector<int> {2}));
}

void TestSmartFill::neverEveryRadio()
{
    Page p;
    p.controls << input("program_name") << input("version");
    p.controls << radio("licence", "F", "Freeware") << radio("licence", "S", "Shareware")
               << radio("licence", "C", "Commercial");
    for (int i = 2; i < 5; ++i)
        p.controls[i].context = QStringLiteral("Licence");
    // A yes/no group the record says nothing about keeps its answer.
    p.controls << radio("adware", "no", "No", true) << radio("adware", "yes", "Yes");
    const Plan plan = planFill(p, TestRecord());
    int checks = 0;
    for (const Write &w : plan.writes) {
        if (w.what == Write::Check) {
            ++checks;
            QCOMPARE(w.control, 3);
        }
    }
    QCOMPARE(checks, 1);
    QCOMPARE(plan.fields.at(3), QStringLiteral("Program_Type"));
    QCOMPARE(plan.fields.at(5), QString());
}

void TestSmartFill::existingValuesAreKept()
{
    TestRecord r;
    r.set("Program_Version", QString());
    Page p;
    p.controls << input("program_name") << input("version") << input("notes", "Notes") << input("dl_url");
    p.controls[1].value = QStringLiteral("3.1");                      // the record has no version: kept
    p.controls[2].value = QStringLiteral("mine");                     // a weak match: kept
    p.controls[3].value = QStringLiteral("http://old.example/x.zip"); // a confident match: replaced
    const Plan plan = planFill(p, r);
    QCOMPARE(plan.fields.at(1), QString());
    QCOMPARE(plan.fields.at(2), QString());
    QCOMPARE(plan.fields.at(3), QStringLiteral("Primary_Download_URL"));
    for (const Write &w : plan.writes)
        QVERIFY(w.control != 1 && w.control != 2);
}

void TestSmartFill::valuesWithinTheSizeLimit()
{
    TestRecord r;
    r.set("Keywords", "clipboard, history, paste, snippets");
    Page p;
    p.controls << input("program_name") << input("version") << input("keywords") << input("download_url");
    p.controls[2].maxLength = 20;
    p.controls[3].maxLength = 10;
    const Plan plan = planFill(p, r);
    QString keywords;
    for (const Write &w : plan.writes) {
        QVERIFY(w.control != 3); // an address cut short would be wrong
        if (w.control == 2)
            keywords = w.value;
    }
    QCOMPARE(keywords, QStringLiteral("clipboard, history"));
    QCOMPARE(plan.fields.at(3), QString());
}

void TestSmartFill::onlyTheBestFormIsFilled()
{
    Page p;
    Control search = input("keywords");
    search.form = 0;
    Control name = input("program_name"), version = input("version"), url = input("download_url");
    name.form = version.form = url.form = 1;
    Control hidden = input("company");
    hidden.form = 1;
    hidden.visible = false;
    Control locked = input("title");
    locked.form = 1;
    locked.editable = false;
    p.controls << search << name << version << url << hidden << locked;
    const Plan plan = planFill(p, TestRecord());
    QCOMPARE(plan.form, 1);
    QCOMPARE(plan.filled, 3);
    QCOMPARE(plan.left, 0);
    for (const Write &w : plan.writes)
        QVERIFY(w.control >= 1 && w.control <= 3);
}

void TestSmartFill::submitControlOfThatForm()
{
    Page p;
    p.buttons << Button {0, "Search", true} << Button {1, "Preview", true} << Button {1, "Cancel", true}
              << Button {1, "Publish", true} << Button {1, "Save", false} << Button {2, "Subscribe", true};
    QCOMPARE(chooseSubmitButton(p, 1), 3);
    QCOMPARE(chooseSubmitButton(p, 0), -1);
    // A tool bar's image inputs come after the form's own submit input,
    // whatever it says; an image is pressed when the form has nothing else.
    Page bar;
    bar.buttons << Button {0, "Bold bold", true, true} << Button {0, "Remove selected", true}
                << Button {0, "Enter submit", true} << Button {1, "Send", true, true};
    QCOMPARE(chooseSubmitButton(bar, 0), 2);
    QCOMPARE(chooseSubmitButton(bar, 1), 3);
}

// Units, help texts and counters after a box; the size already there.
void TestSmartFill::textAfterTheControlShapesTheValue()
{
    const TestRecord r;
    Control size = input("prog_size", "File size:");
    size.after = QStringLiteral("bytes");
    QCOMPARE(sizeField(size, r), QStringLiteral("File_Size_Bytes"));
    size.after = QStringLiteral("MB"); // the unit a list beside it shows
    QCOMPARE(sizeField(size, r), QStringLiteral("File_Size_MB"));
    size.after.clear();
    size.value = QStringLiteral("2281472"); // bytes, on an edit page
    QCOMPARE(sizeField(size, r), QStringLiteral("File_Size_Bytes"));
    Control teaser = input("teaser", "Teaser", "textarea");
    teaser.after = QStringLiteral("0 / 100");
    QCOMPARE(descriptionField(teaser, r), QStringLiteral("Char_Desc_80"));
    Control summary = input("summary", "Summary");
    summary.after = QStringLiteral("500 characters max.");
    QCOMPARE(descriptionField(summary, r), QStringLiteral("Char_Desc_450"));
    QCOMPARE(descriptionField(input("oneliner", "One-line description"), r), QStringLiteral("Char_Desc_80"));
}

void TestSmartFill::labelThatIsATermOutweighsTheName()
{
    QCOMPARE(fieldOf(input("description", "Name")), QStringLiteral("Program_Name"));
    QCOMPARE(classify(input("dl_page", "Page:")).target, QStringLiteral("Application_Info_URL"));
    QCOMPARE(fieldOf(input("file_name", "Display name")), QStringLiteral("Program_Name"));
    QCOMPARE(fieldOf(input("release_title", "Release name")), QStringLiteral("Program_Version"));
    QCOMPARE(classify(input("vcomment", "Version comment", "textarea")).target, QStringLiteral("Program_Change_Info"));
    QCOMPARE(fieldOf(input("install", "Install support")), QStringLiteral("Program_Install_Support"));
    // Purposes the record holds nothing for.
    for (const char *label : {"Bug tracker", "Co-authors", "Thumbnail", "PayPal product ID", "Requires",
                              "Note to the moderators", "Local name of the language pack"})
        QCOMPARE(fieldOf(input("x", QString::fromLatin1(label))), QString());
    // A label that is a term decides among targets, but makes no weak match
    // confident: a text already there stays.
    Control notes = input("notes", "Notes", "textarea");
    notes.value = QStringLiteral("Thanks for checking.");
    QCOMPARE(fieldOf(notes), QString());
}

void TestSmartFill::fillersAndOldValuesGiveWay()
{
    auto filled = [](Control c, const QString &held) {
        c.value = held;
        Page p;
        p.controls << c << input("program_name") << input("version");
        const Plan plan = planFill(p, TestRecord());
        return plan.writes.isEmpty() || plan.writes.first().control != 0 ? QString() : plan.writes.first().value;
    };
    const Control author = input("p_author", "Author");
    QCOMPARE(filled(author, "anonymous"), QStringLiteral("Tidewater Softworks"));
    QCOMPARE(filled(author, "Someone Else"), QString());
    QCOMPARE(filled(input("contact_name", "Contact"), "M. Holloway"), QStringLiteral("Maren Holloway"));
    QCOMPARE(filled(input("img", "Image"), "https://old.example/shot.png"),
             QStringLiteral("https://www.tidewater.example/shot.png"));
    QCOMPARE(filled(input("x", "Date"), "2026-12-10"), QStringLiteral("2026-11-24"));
    QCOMPARE(filled(input("x", "Date"), "see the notes"), QString());
}

void TestSmartFill::aLoneAddressFormIsFilled()
{
    Page p;
    Control q = input("q");
    Control pad = input("url", "PAD file URL");
    pad.form = 1;
    p.controls << q << pad;
    const Plan plan = planFill(p, TestRecord());
    QCOMPARE(plan.form, 1);
    QCOMPARE(plan.fields.at(1), QStringLiteral("Application_XML_File_URL"));
    // A lone e-mail box (a newsletter) is no submission form.
    Page news;
    Control email = input("email", "Your e-mail", "email");
    news.controls << email;
    QCOMPARE(planFill(news, TestRecord()).form, -1);
}

// A long page is read in parts on several threads; the form at its end
// must be planned exactly as the same form alone, read on one.
void TestSmartFill::aLongPageIsReadAsAShortOne()
{
    QList<Control> form;
    form << input("company", "Company name") << input("email", "Your e-mail", "email")
         << input("prog_title", "Program title") << input("filesize", "Size", "number")
         << input("short", "Short description (max. 80 characters)") << input("long", "Description", "textarea")
         << select("os", {"- choose -", "Windows", "Mac", "Linux"}, "Platform") << radio("lic", "free", "Freeware")
         << radio("lic", "share", "Shareware") << input("dl", "Download URL", "url") << input("ver", "Version");
    Page alone;
    alone.controls = form;
    const Plan short_ = planFill(alone, TestRecord());
    QCOMPARE(short_.form, 0);

    Page longPage;
    for (int i = 0; i < 3000; ++i)
        longPage.controls << input(QStringLiteral("zzq%1").arg(i));
    for (Control c : form) {
        c.form = 1;
        longPage.controls << c;
    }
    const Plan long_ = planFill(longPage, TestRecord());
    QCOMPARE(long_.form, 1);
    QCOMPARE(long_.fields.mid(3000), short_.fields);
    QCOMPARE(long_.writes.size(), short_.writes.size());
    for (qsizetype i = 0; i < short_.writes.size(); ++i) {
        QCOMPARE(long_.writes.at(i).control, short_.writes.at(i).control + 3000);
        QCOMPARE(long_.writes.at(i).value, short_.writes.at(i).value);
        QCOMPARE(long_.writes.at(i).options, short_.writes.at(i).options);
    }
    QCOMPARE(short_.fields.count(QString()), 2); // the licence's buttons
    QCOMPARE(short_.fields.last(), QStringLiteral("Program_Version"));
}

void TestSmartFill::aPageReadInPartsPlansAsAtOnce()
{
    Page page;
    for (int i = 0; i < 1500; ++i)
        page.controls << input(QStringLiteral("zzq%1").arg(i));
    Control free = radio("lic", "free", "Freeware");
    free.context = QStringLiteral("Licence");
    page.controls << input("prog_title", "Program title") << free << radio("lic", "share", "Shareware")
                  << radio("lic", "com", "Commercial") << input("ver", "Version");
    const Plan atOnce = planFill(page, TestRecord());
    QCOMPARE(atOnce.fields.at(1502), QStringLiteral("Program_Type"));

    // The page as it comes in three parts, one edge between the licence's
    // first two buttons: the group read with the first part is read again.
    PageUnits units;
    Page growing;
    for (const qsizetype edge : {qsizetype(700), qsizetype(1502), page.controls.size()}) {
        while (growing.controls.size() < edge)
            growing.controls << page.controls.at(growing.controls.size());
        units.update(growing);
    }
    const Plan inParts = planFill(page, units, TestRecord());
    QCOMPARE(inParts.form, atOnce.form);
    QCOMPARE(inParts.fields, atOnce.fields);
    QCOMPARE(inParts.writes.size(), atOnce.writes.size());
    for (qsizetype i = 0; i < atOnce.writes.size(); ++i) {
        QCOMPARE(inParts.writes.at(i).control, atOnce.writes.at(i).control);
        QCOMPARE(inParts.writes.at(i).what, atOnce.writes.at(i).what);
        QCOMPARE(inParts.writes.at(i).value, atOnce.writes.at(i).value);
    }
}

QTEST_GUILESS_MAIN(TestSmartFill)
#include "test_smartfill.moc"
