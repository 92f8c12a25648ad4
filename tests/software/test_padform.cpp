// The software editor TPADForm: the window, its value lists, controls bound to
// the record, character limits, the check lists and their refresh, the
// drop-down lists, the radio group, the file commands and the web links.
#include "padtestutil.h"

#include "software/fieldcontrols.h"
#include "software/padform.h"
#include "software/padvaluelists.h"
#include "software/softwaretable.h"

#include "platform/desktop.h"
#include "platform/messages.h"
#include "platform/systemsettings.h"
#include "software/padimport.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

using padtest::Sandbox;

namespace {

// Fields the editor shows nowhere, and the two kept by check lists.
const QStringList kNoControl = {"Has_Expire_Info",  "Includes_JAVA_VM", "Includes_VB_Runtime",
                                "Includes_DirectX", "File_Size_K",      "File_Size_MB"};

struct Messages {
    QStringList errors, messages;
    Messages()
    {
        platform::setMessageSink([this](const QString &kind, const QString &text) {
            (kind == QLatin1String("error") ? errors : messages) << text;
            return false;
        });
    }
    ~Messages() { platform::setMessageSink(nullptr); }
};

QAction *action(software::TPADForm &form, const char *name)
{
    return form.findChild<QAction *>(QString::fromLatin1(name));
}

QListWidget *checkList(software::TPADForm &form, const char *field)
{
    return form.findChild<QListWidget *>(QString::fromLatin1(field));
}

QStringList ticked(QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->checkState() == Qt::Checked)
            out << list->item(i)->text();
    return out;
}

void setAndPost(software::TSoftwareTable &t, const QString &field, const QString &value)
{
    t.Edit();
    t.setFieldText(field, value);
    t.Post();
}

} // namespace

class PadFormTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void window();
    void valueLists();
    void everyFieldIsBound();
    void typingOpensEditAndStoresOnLeaving();
    void characterLimits();
    void checkListClicks();
    void checkListShowsTheRecordFromTheStart();
    void dropDownLists();
    void radioGroup();
    void importCommand();
    void importOffersTheLanguages();
    void exportCommand();
    void saveAll();
    void saveAllFailures();
    void permissionTexts();
    void exitAndLinks();
};

void PadFormTest::window()
{
    Sandbox box;
    software::TPADForm form;
    QCOMPARE(form.windowTitle(), QStringLiteral("PADForm"));
    QCOMPARE(form.size(), QSize(619, 456));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.size(), QSize(619, 456));
    auto *pages = form.findChild<QTabWidget *>(QStringLiteral("PageControl1"));
    QVERIFY(pages);
    QStringList tabs;
    for (int i = 0; i < pages->count(); ++i)
        tabs << pages->tabText(i);
    QCOMPARE(tabs,
             QStringList(
                 {"&Company Info", "&Program Info", "&Descriptions", "&Web Info", "&Permissions", "C&ompatibility"}));
    QCOMPARE(pages->currentIndex(), 1);

    auto *inner = form.findChild<QTabWidget *>(QStringLiteral("DescriptionLanguages"));
    QVERIFY(inner && inner->count() == 1 && inner->tabText(0) == QLatin1String("English"));

    // Menus: entries, order, shortcuts, the always disabled generator.
    auto *bar = form.findChild<QMenuBar *>();
    QVERIFY(bar);
    QStringList menus, fileEntries;
    for (QAction *m : bar->actions())
        menus << m->text();
    QCOMPARE(menus, QStringList({"&File", "&Help"}));
    for (QAction *a : bar->actions().first()->menu()->actions())
        fileEntries << (a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(
        fileEntries,
        QStringList({"Import XML file...", "Export PAD file...", "Generate XML files...", "Save All", "-", "E&xit"}));
    QVERIFY(!action(form, "GenerateXMLfiles1")->isEnabled());
    QCOMPARE(action(form, "GenerateXMLfiles1")->shortcut(), QKeySequence(QStringLiteral("Ctrl+G")));
    QCOMPARE(action(form, "SaveAllInfo")->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
    QStringList helpEntries;
    for (QAction *a : bar->actions().last()->menu()->actions())
        helpEntries << a->text();
    QCOMPARE(helpEntries, QStringList({"PAD Info(Online)", "Find Available Extensions(Online)"}));
}

void PadFormTest::valueLists()
{
    using namespace software;
    QCOMPARE(programTypes().size(), 6);
    QCOMPARE(releaseStatuses().size(), 6);
    QCOMPARE(installSupports().size(), 4);
    QCOMPARE(expireBasedOn(), QStringList({"Days", "Uses", "Either/Or"}));
    QCOMPARE(specificCategories().size(), 11);
    QCOMPARE(categoryClasses().size(), 155);
    QCOMPARE(categoryClasses().first(), QStringLiteral("Audio & Multimedia::Audio Encoders/Decoders"));
    QVERIFY(categoryClasses().contains(QStringLiteral("Business::Accounting & Finance")));
    QCOMPARE(categoryClasses().last(), QStringLiteral("Web Development::XML/CSS Tools"));
    QCOMPARE(currencyCodes().size(), 164);
    QCOMPARE(currencyCodes().first(), QStringLiteral(" "));
    QCOMPARE(currencyCodes().at(1), QStringLiteral("AED"));
    QCOMPARE(currencyCodes().last(), QStringLiteral("ZWD"));
    QCOMPARE(operatingSystems().size(), 39);
    QCOMPARE(languages().size(), 26);
    // Lists shown sorted without regard to case already are.
    for (const QStringList *l : {&categoryClasses(), &currencyCodes(), &specificCategories()})
        for (int i = 1; i < l->size(); ++i)
            QVERIFY2(l->at(i - 1).compare(l->at(i), Qt::CaseInsensitive) < 0, qPrintable(l->at(i)));
    // Every entry a distinct, non-empty caption.
    for (const QStringList *l : {&categoryClasses(), &currencyCodes(), &operatingSystems(), &languages()})
        QCOMPARE(QSet<QString>(l->begin(), l->end()).size(), l->size());

    QCOMPARE(listText(operatingSystems(), QVector<bool>(39, false)), QString());
    QVERIFY(listTextHolds(QStringLiteral("Win95, WinXP"), QStringLiteral("WinXP")));
    QVERIFY(!listTextHolds(QStringLiteral("win95"), QStringLiteral("Win95")));
}

void PadFormTest::everyFieldIsBound()
{
    Sandbox box;
    QHash<QString, QString> values;
    for (const software::TFieldDef &f : software::TSoftwareTable::standardFields())
        values.insert(f.name, f.name.left(3) + QStringLiteral("-v"));
    values[QStringLiteral("Char_Desc_250")] = QStringLiteral("line one\r\nline two");
    padtest::writeDataFile(box.path(QStringLiteral("softdata.xml")), values);
    software::TPADForm form;
    int bound = 0;
    for (const software::TFieldDef &f : software::TSoftwareTable::standardFields()) {
        if (kNoControl.contains(f.name) || f.name == QLatin1String("Program_OS_Support") ||
            f.name == QLatin1String("Program_Language") || f.name == QLatin1String("Expire_Based_On"))
            continue;
        QWidget *w = form.findChild<QWidget *>(f.name);
        QVERIFY2(w && dynamic_cast<software::FieldLink *>(w), qPrintable(f.name));
        QVERIFY2(w->isEnabled(), qPrintable(f.name));
        if (auto *e = qobject_cast<QLineEdit *>(w))
            QCOMPARE(e->text(), values[f.name]);
        else if (auto *m = qobject_cast<QPlainTextEdit *>(w))
            QCOMPARE(static_cast<software::BoundMemo *>(m)->fieldFormText(), values[f.name]);
        else
            QVERIFY2(qobject_cast<QComboBox *>(w), qPrintable(f.name));
        ++bound;
    }
    QCOMPARE(bound, 73 - 6 - 3);
    for (const QString &name : kNoControl)
        QVERIFY2(!form.findChild<QWidget *>(name), qPrintable(name));

    // A closed table: nothing to show or change.
    QFile::remove(QStringLiteral("softdata.xml"));
    software::TPADForm closed;
    QVERIFY(!closed.table().isOpen());
    QVERIFY(!closed.findChild<QLineEdit *>(QStringLiteral("Program_Name"))->isEnabled());
    QVERIFY(!checkList(closed, "Program_OS_Support")->isEnabled());
}

void PadFormTest::typingOpensEditAndStoresOnLeaving()
{
    Sandbox box;
    software::TPADForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    software::TSoftwareTable &t = form.table();
    auto *name = form.findChild<QLineEdit *>(QStringLiteral("Program_Name"));
    auto *version = form.findChild<QLineEdit *>(QStringLiteral("Program_Version"));
    const QString before = t.fieldText(QStringLiteral("Program_Name"));

    name->setFocus();
    name->selectAll();
    QTest::keyClicks(name, QStringLiteral("Typed Name"));
    QCOMPARE(t.state(), software::TSoftwareTable::Editing);
    QCOMPARE(t.fieldText(QStringLiteral("Program_Name")), before); // not yet left

    // Another field changing does not throw away the typing.
    t.setFieldText(QStringLiteral("Country"), QStringLiteral("Elsewhere"));
    QCOMPARE(name->text(), QStringLiteral("Typed Name"));
    QCOMPARE(form.findChild<QLineEdit *>(QStringLiteral("Country"))->text(), QStringLiteral("Elsewhere"));

    version->setFocus();
    QCOMPARE(t.fieldText(QStringLiteral("Program_Name")), QStringLiteral("Typed Name"));

    // Typed text reaches the record on commit too.
    QTest::keyClick(version, Qt::Key_End);
    QTest::keyClicks(version, QStringLiteral("9"));
    form.flushPendingEdits();
    t.Post();
    QCOMPARE(t.fieldText(QStringLiteral("Program_Version")), version->text());
    QVERIFY(version->text().endsWith(QLatin1Char('9')));

    // A memo: CR LF in the record.
    auto *desc = form.findChild<QPlainTextEdit *>(QStringLiteral("Char_Desc_450"));
    desc->setFocus();
    desc->selectAll();
    QTest::keyClicks(desc, QStringLiteral("one"));
    QTest::keyClick(desc, Qt::Key_Return);
    QTest::keyClicks(desc, QStringLiteral("two"));
    name->setFocus();
    QCOMPARE(t.fieldText(QStringLiteral("Char_Desc_450")), QStringLiteral("one\r\ntwo"));
}

void PadFormTest::characterLimits()
{
    Sandbox box;
    software::TPADForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    software::TSoftwareTable &t = form.table();
    auto *d45 = form.findChild<QLineEdit *>(QStringLiteral("Char_Desc_45"));
    d45->setFocus();
    d45->clear();
    QTest::keyClicks(d45, QString(46, QLatin1Char('a')));
    QCOMPARE(d45->text().size(), 45);
    form.flushPendingEdits();
    QCOMPARE(t.fieldText(QStringLiteral("Char_Desc_45")), QString(45, QLatin1Char('a')));

    // Each line end counts as two characters of the field.
    auto *d250 = form.findChild<QPlainTextEdit *>(QStringLiteral("Char_Desc_250"));
    d250->setFocus();
    d250->clear();
    QTest::keyClicks(d250, QString(247, QLatin1Char('b')));
    QTest::keyClick(d250, Qt::Key_Return);
    QTest::keyClicks(d250, QStringLiteral("cd"));
    form.flushPendingEdits();
    QCOMPARE(t.fieldText(QStringLiteral("Char_Desc_250")), QString(247, QLatin1Char('b')) + QStringLiteral("\r\nc"));

    // Two-character date parts.
    auto *month = form.findChild<QLineEdit *>(QStringLiteral("Expire_Month"));
    month->setFocus();
    month->clear();
    QTest::keyClicks(month, QStringLiteral("123"));
    QCOMPARE(month->text(), QStringLiteral("12"));

    // An import may store more; the control shows it all, typing is refused,
    // deleting is not.
    const QString longText = QString(60, QLatin1Char('z'));
    setAndPost(t, QStringLiteral("Char_Desc_45"), longText);
    QCOMPARE(d45->text(), longText);
    d45->setFocus();
    d45->end(false);
    QTest::keyClick(d45, Qt::Key_Y);
    QCOMPARE(d45->text(), longText);
    QTest::keyClick(d45, Qt::Key_Backspace);
    QCOMPARE(d45->text().size(), 59);
}

void PadFormTest::checkListClicks()
{
    Sandbox box;
    software::TPADForm form;
    software::TSoftwareTable &t = form.table();
    QListWidget *os = checkList(form, "Program_OS_Support");
    QCOMPARE(os->count(), 39);
    const auto tick = [&](const QString &caption, bool on) {
        const auto items = os->findItems(caption, Qt::MatchExactly);
        QCOMPARE(items.size(), 1);
        items.first()->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    };
    tick(QStringLiteral("WinXP"), false); // whatever the list showed
    for (int i = 0; i < os->count(); ++i)
        os->item(i)->setCheckState(Qt::Unchecked);
    tick(QStringLiteral("Win95"), true);
    QCOMPARE(t.state(), software::TSoftwareTable::Editing);
    tick(QStringLiteral("WinXP"), true);
    QCOMPARE(t.fieldText(QStringLiteral("Program_OS_Support")), QStringLiteral("Win95,WinXP"));
    tick(QStringLiteral("Win95"), false);
    tick(QStringLiteral("WinXP"), false);
    QCOMPARE(t.fieldText(QStringLiteral("Program_OS_Support")), QString());

    // Ticked in list order, not click order.
    QListWidget *lang = checkList(form, "Program_Language");
    QCOMPARE(lang->count(), 26);
    for (int i = 0; i < lang->count(); ++i)
        lang->item(i)->setCheckState(Qt::Unchecked);
    QCOMPARE(t.fieldText(QStringLiteral("Program_Language")), QString());
    lang->findItems(QStringLiteral("German"), Qt::MatchExactly).first()->setCheckState(Qt::Checked);
    lang->findItems(QStringLiteral("English"), Qt::MatchExactly).first()->setCheckState(Qt::Checked);
    QCOMPARE(t.fieldText(QStringLiteral("Program_Language")), QStringLiteral("English,German"));

    // Commits re-derive the ticks by substring, case and all.
    setAndPost(t, QStringLiteral("Program_OS_Support"), QStringLiteral("OS/2 Warp 4"));
    QCOMPARE(ticked(os), QStringList({"OS/2", "OS/2 Warp", "OS/2 Warp 4"}));
    setAndPost(t, QStringLiteral("Program_OS_Support"), QStringLiteral("win95"));
    QCOMPARE(ticked(os), QStringList());

    // Imported with spaces: the right ticks, the text kept until a click.
    const QString pad = box.write(QStringLiteral("pad.xml"),
                                  "<Program_OS_Support>Win95, Win98, WinXP</Program_OS_Support>"
                                  "<Program_Language>English, French</Program_Language>");
    form.setFileChooser([&](const QString &) { return pad; });
    form.importPadFileChosen();
    QCOMPARE(ticked(os), QStringList({"Win95", "Win98", "WinXP"}));
    QCOMPARE(ticked(lang), QStringList({"English", "French"}));
    QCOMPARE(t.fieldText(QStringLiteral("Program_OS_Support")), QStringLiteral("Win95, Win98, WinXP"));
    tick(QStringLiteral("Win98"), false);
    QCOMPARE(t.fieldText(QStringLiteral("Program_OS_Support")), QStringLiteral("Win95,WinXP"));
}

void PadFormTest::checkListShowsTheRecordFromTheStart()
{
    Sandbox box;
    padtest::writeDataFile(box.path(QStringLiteral("softdata.xml")),
                           {{QStringLiteral("Program_OS_Support"), QStringLiteral("Linux,Unix")},
                            {QStringLiteral("Program_Language"), QStringLiteral("English,French,German")}});
    // Started without a remembered PAD file: the record's entries are
    // ticked from the first paint.
    software::TPADForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QListWidget *os = checkList(form, "Program_OS_Support");
    QListWidget *lang = checkList(form, "Program_Language");
    QCOMPARE(ticked(os), QStringList({"Unix", "Linux"}));
    QCOMPARE(ticked(lang), QStringList({"English", "French", "German"}));

    // A click in the real window adds one entry and loses nothing.
    const auto click = [](QListWidget *list, const char *caption) {
        QListWidgetItem *item = list->findItems(QString::fromLatin1(caption), Qt::MatchExactly).first();
        list->scrollToItem(item);
        const QRect r = list->visualItemRect(item);
        // The check box sits at the item's left edge.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(r.left() + r.height() / 2, r.center().y()));
    };
    click(lang, "Arabic");
    QCOMPARE(ticked(lang), QStringList({"English", "Arabic", "French", "German"}));
    action(form, "SaveAllInfo")->trigger();
    software::TSoftwareTable saved;
    saved.LoadFromFile(QStringLiteral("softdata.xml"));
    QCOMPARE(saved.fieldText(QStringLiteral("Program_Language")), QStringLiteral("English,Arabic,French,German"));
    click(lang, "French");
    QCOMPARE(form.table().fieldText(QStringLiteral("Program_Language")), QStringLiteral("English,Arabic,German"));

    // Entries the list does not know stay in the text, in their place.
    setAndPost(form.table(), QStringLiteral("Program_OS_Support"), QStringLiteral("Linux, Haiku 1.0, Win98"));
    QCOMPARE(ticked(os), QStringList({"Win98", "Linux"}));
    os->findItems(QStringLiteral("Unix"), Qt::MatchExactly).first()->setCheckState(Qt::Checked);
    // After the last ticked entry that comes before it in the list.
    QCOMPARE(form.table().fieldText(QStringLiteral("Program_OS_Support")),
             QStringLiteral("Linux,Haiku 1.0,Win98,Unix"));
    os->findItems(QStringLiteral("Linux"), Qt::MatchExactly).first()->setCheckState(Qt::Unchecked);
    QCOMPARE(form.table().fieldText(QStringLiteral("Program_OS_Support")), QStringLiteral("Haiku 1.0,Win98,Unix"));
    os->findItems(QStringLiteral("Win 3.1x"), Qt::MatchExactly).first()->setCheckState(Qt::Checked);
    QCOMPARE(form.table().fieldText(QStringLiteral("Program_OS_Support")),
             QStringLiteral("Haiku 1.0,Win 3.1x,Win98,Unix"));

    // With a remembered PAD file, the start-up refill's entries show.
    const QString pad = box.write(QStringLiteral("pad.xml"), "<Program_OS_Support>Linux</Program_OS_Support>");
    software::setRememberedPadFile(pad);
    software::TPADForm refilled;
    QCOMPARE(ticked(checkList(refilled, "Program_OS_Support")), QStringList({"Linux"}));
}

void PadFormTest::dropDownLists()
{
    Sandbox box;
    padtest::writeDataFile(
        box.path(QStringLiteral("softdata.xml")),
        {{QStringLiteral("Program_Type"), QStringLiteral("shareware")},
         {QStringLiteral("Program_Release_Status"), QStringLiteral("Gamma")},
         {QStringLiteral("Program_Category_Class"), QStringLiteral("business::accounting & finance")}});
    software::TPADForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    software::TSoftwareTable &t = form.table();
    auto *type = form.findChild<QComboBox *>(QStringLiteral("Program_Type"));
    QVERIFY(!type->isEditable());
    QCOMPARE(type->currentText(), QStringLiteral("Shareware"));
    QCOMPARE(t.fieldText(QStringLiteral("Program_Type")), QStringLiteral("shareware"));
    auto *status = form.findChild<QComboBox *>(QStringLiteral("Program_Release_Status"));
    QCOMPARE(status->currentIndex(), -1);
    QCOMPARE(t.fieldText(QStringLiteral("Program_Release_Status")), QStringLiteral("Gamma"));
    auto *category = form.findChild<QComboBox *>(QStringLiteral("Program_Category_Class"));
    QCOMPARE(category->count(), 155);
    QCOMPARE(category->currentText(), QStringLiteral("Business::Accounting & Finance"));
    QCOMPARE(form.findChild<QComboBox *>(QStringLiteral("Program_Install_Support"))->count(), 4);
    QCOMPARE(form.findChild<QComboBox *>(QStringLiteral("Program_Specific_Category"))->count(), 11);

    // Picking the single space stores the one-space text.
    auto *currency = form.findChild<QComboBox *>(QStringLiteral("Program_Cost_Other_Code"));
    QCOMPARE(currency->count(), 164);
    QCOMPARE(currency->itemText(0), QStringLiteral(" "));
    QCOMPARE(currency->currentIndex(), -1);
    currency->setFocus();
    QTest::keyClick(currency, Qt::Key_Home);
    QCOMPARE(currency->currentIndex(), 0);
    QCOMPARE(t.state(), software::TSoftwareTable::Editing);
    QCOMPARE(t.fieldText(QStringLiteral("Program_Cost_Other_Code")), QStringLiteral(" "));
    QTest::keyClick(currency, Qt::Key_End);
    QCOMPARE(t.fieldText(QStringLiteral("Program_Cost_Other_Code")), QStringLiteral("ZWD"));
    // A commit of other text takes the selection away again.
    t.setFieldText(QStringLiteral("Program_Cost_Other_Code"), QStringLiteral("XYZ"));
    t.Post();
    QCOMPARE(currency->currentIndex(), -1);
}

void PadFormTest::radioGroup()
{
    Sandbox box;
    software::TPADForm form;
    software::TSoftwareTable &t = form.table();
    auto *group = form.findChild<QGroupBox *>(QStringLiteral("Expire_Based_On"));
    QCOMPARE(group->title(), QStringLiteral("Expire_Based_On"));
    const auto buttons = group->findChildren<QRadioButton *>();
    QCOMPARE(buttons.size(), 3);
    const auto checkedText = [&] {
        for (QRadioButton *b : buttons)
            if (b->isChecked())
                return b->text();
        return QString();
    };
    setAndPost(t, QStringLiteral("Expire_Based_On"), QStringLiteral("Uses"));
    QCOMPARE(checkedText(), QStringLiteral("Uses"));
    setAndPost(t, QStringLiteral("Expire_Based_On"), QStringLiteral("days"));
    QCOMPARE(checkedText(), QString());
    QTest::mouseClick(buttons.last(), Qt::LeftButton);
    QCOMPARE(t.fieldText(QStringLiteral("Expire_Based_On")), QStringLiteral("Either/Or"));
}

void PadFormTest::importCommand()
{
    Sandbox box;
    software::TPADForm form;
    software::TSoftwareTable &t = form.table();
    const QString before = t.fieldText(QStringLiteral("Program_Name"));
    QString filter;
    QString answer;
    form.setFileChooser([&](const QString &f) {
        filter = f;
        return answer;
    });
    // Cancelled: nothing changes, nothing is remembered.
    action(form, "ImportPADfile1")->trigger();
    QCOMPARE(filter, QStringLiteral("XML Files (*.xml)"));
    QCOMPARE(t.fieldText(QStringLiteral("Program_Name")), before);
    QCOMPARE(t.state(), software::TSoftwareTable::Browse);
    QVERIFY(!QFile::exists(box.settingsPath()));

    // The button runs the same command; the controls show the new record.
    answer = box.write(QStringLiteral("pad.xml"),
                       "<Program_Name>Imported</Program_Name>"
                       "<Program_Type>freeware</Program_Type>");
    form.findChild<QPushButton *>(QStringLiteral("SpeedButton1"))->click();
    QCOMPARE(t.fieldText(QStringLiteral("Program_Name")), QStringLiteral("Imported"));
    QCOMPARE(form.findChild<QLineEdit *>(QStringLiteral("Program_Name"))->text(), QStringLiteral("Imported"));
    QCOMPARE(form.findChild<QLineEdit *>(QStringLiteral("Company_Name"))->text(), QString());
    QCOMPARE(form.findChild<QComboBox *>(QStringLiteral("Program_Type"))->currentText(), QStringLiteral("Freeware"));
    QCOMPARE(software::rememberedPadFile(), answer);

    // A file that cannot be read, and one that is no PAD file: the reason is
    // shown; the record and the remembered file stay as they were.
    Messages shown;
    const QString imported = answer;
    answer = box.path(QStringLiteral("gone.xml"));
    action(form, "ImportPADfile1")->trigger();
    QCOMPARE(software::rememberedPadFile(), imported);
    QCOMPARE(t.state(), software::TSoftwareTable::Browse);
    QCOMPARE(t.fieldText(QStringLiteral("Program_Name")), QStringLiteral("Imported"));
    QCOMPARE(shown.errors.size(), 1);
    QVERIFY2(shown.errors.first().contains(answer), qPrintable(shown.errors.first()));
    answer = box.write(QStringLiteral("app.metainfo.xml"), "<component><name>App</name></component>");
    action(form, "ImportPADfile1")->trigger();
    QCOMPARE(shown.errors.size(), 2);
    QCOMPARE(shown.errors.last(), QStringLiteral("%1 is not a PAD file").arg(answer));
    QCOMPARE(software::rememberedPadFile(), imported);
    QCOMPARE(form.findChild<QLineEdit *>(QStringLiteral("Program_Name"))->text(), QStringLiteral("Imported"));
    shown.errors.clear();

    // A value longer than its field is cut, and the box names the field.
    answer = box.write(QStringLiteral("long.xml"),
                       "<Program_Name>Long</Program_Name><Char_Desc_45>" + QByteArray(1200, 'x') + "</Char_Desc_45>");
    action(form, "ImportPADfile1")->trigger();
    QCOMPARE(shown.errors.size(), 0);
    QCOMPARE(shown.messages.size(), 1);
    QVERIFY2(shown.messages.first().contains(QStringLiteral("long.xml")) &&
                 shown.messages.first().contains(QStringLiteral("Char_Desc_45 was cut to 1000 characters")),
             qPrintable(shown.messages.first()));
    QCOMPARE(t.fieldText(QStringLiteral("Char_Desc_45")).size(), 1000);
    QCOMPARE(t.fieldText(QStringLiteral("Program_Name")), QStringLiteral("Long"));
}

void PadFormTest::importOffersTheLanguages()
{
    Sandbox box;
    software::TPADForm form;
    software::TSoftwareTable &t = form.table();
    const QString pad = box.write(QStringLiteral("multi.xml"),
                                  "<Program_Name>Multi</Program_Name><Program_Descriptions>"
                                  "<German><Char_Desc_45>Deutsch</Char_Desc_45></German>"
                                  "<English><Char_Desc_45>English</Char_Desc_45></English>"
                                  "<French><Char_Desc_45>Fran\xC3\xA7"
                                  "ais</Char_Desc_45></French>"
                                  "</Program_Descriptions>");
    form.setFileChooser([&](const QString &) { return pad; });
    QStringList offered;
    QString first, answer;
    form.setLanguageChooser([&](const QStringList &languages, const QString &current) {
        offered = languages;
        first = current;
        return answer;
    });
    // Cancelled: nothing changes, nothing is remembered.
    action(form, "ImportPADfile1")->trigger();
    QCOMPARE(offered, QStringList({"English", "German", "French"}));
    QCOMPARE(first, QStringLiteral("English"));
    QVERIFY(t.fieldText(QStringLiteral("Program_Name")) != QStringLiteral("Multi"));
    QCOMPARE(software::rememberedPadFile(), QString());

    answer = QStringLiteral("French");
    action(form, "ImportPADfile1")->trigger();
    QCOMPARE(form.findChild<QLineEdit *>(QStringLiteral("Char_Desc_45"))->text(), QStringLiteral("Fran\u00E7ais"));
    QCOMPARE(software::rememberedPadFile(), pad);
    QCOMPARE(software::rememberedPadLanguage(), QStringLiteral("French"));
    // The next import of the same file offers the choice made before.
    answer = QStringLiteral("German");
    action(form, "ImportPADfile1")->trigger();
    QCOMPARE(first, QStringLiteral("French"));
    QCOMPARE(t.fieldText(QStringLiteral("Char_Desc_45")), QStringLiteral("Deutsch"));

    // A file with one language asks nothing.
    offered.clear();
    const QString single = box.write(QStringLiteral("single.xml"),
                                     "<Program_Descriptions><English><Char_Desc_45>One"
                                     "</Char_Desc_45></English></Program_Descriptions>");
    form.setFileChooser([&](const QString &) { return single; });
    action(form, "ImportPADfile1")->trigger();
    QCOMPARE(offered, QStringList());
    QCOMPARE(t.fieldText(QStringLiteral("Char_Desc_45")), QStringLiteral("One"));
    QCOMPARE(software::rememberedPadLanguage(), QString());
}

void PadFormTest::exportCommand()
{
    Sandbox box;
    software::TPADForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // Typed text not yet in the record goes into the file.
    auto *name = form.findChild<QLineEdit *>(QStringLiteral("Program_Name"));
    name->setFocus();
    name->selectAll();
    QTest::keyClicks(name, QStringLiteral("Typed & <kept>"));
    QString answer, filter;
    form.setExportFileChooser([&](const QString &f) {
        filter = f;
        return answer;
    });
    action(form, "ExportPADfile1")->trigger(); // cancelled
    QCOMPARE(filter, QStringLiteral("XML Files (*.xml)"));
    QCOMPARE(QDir(box.dir()).entryList({QStringLiteral("*.xml")}), QStringList({"softdata.xml"}));

    answer = box.path(QStringLiteral("exported.xml"));
    action(form, "ExportPADfile1")->trigger();
    software::TSoftwareTable back;
    back.LoadFromFile(QStringLiteral("softdata.xml"));
    software::importPadFile(back, answer);
    QCOMPARE(back.fieldText(QStringLiteral("Program_Name")), QStringLiteral("Typed & <kept>"));
    for (int i = 0; i < back.fieldCount(); ++i)
        QCOMPARE(back.fieldText(i), form.table().fieldText(i));

    // A file that cannot be written: the reason is shown.
    Messages shown;
    answer = box.path(QStringLiteral("no/such/folder/x.xml"));
    action(form, "ExportPADfile1")->trigger();
    QCOMPARE(shown.errors, QStringList({QStringLiteral("Cannot create file %1").arg(answer)}));
}

void PadFormTest::saveAll()
{
    Sandbox box;
    software::TPADForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto *name = form.findChild<QLineEdit *>(QStringLiteral("Program_Name"));
    name->setFocus();
    name->selectAll();
    QTest::keyClicks(name, QStringLiteral("Saved by Ctrl+S"));
    QSignalSpy posts(&form.table(), &software::TSoftwareTable::AfterPost);
    // The shortcut while the typing is still in the control.
    QTest::keySequence(&form, QKeySequence(QStringLiteral("Ctrl+S")));
    QCOMPARE(posts.count(), 1);
    QCOMPARE(form.table().state(), software::TSoftwareTable::Browse);
    software::TSoftwareTable onDisk;
    onDisk.LoadFromFile(box.path(QStringLiteral("softdata.xml")));
    QCOMPARE(onDisk.fieldText(QStringLiteral("Program_Name")), QStringLiteral("Saved by Ctrl+S"));

    // Ctrl+G does nothing.
    const QByteArray file = padtest::readBytes(box.path(QStringLiteral("softdata.xml")));
    QTest::keySequence(&form, QKeySequence(QStringLiteral("Ctrl+G")));
    QCOMPARE(padtest::readBytes(box.path(QStringLiteral("softdata.xml"))), file);
}

void PadFormTest::saveAllFailures()
{
    Messages shown;
    {
        // softdata.xml that cannot be replaced (a folder in its way).
        Sandbox box;
        software::TPADForm form;
        software::TSoftwareTable &t = form.table();
        QVERIFY(QFile::remove(QStringLiteral("softdata.xml")));
        QVERIFY(QDir().mkdir(QStringLiteral("softdata.xml")));
        t.Edit();
        t.setFieldText(QStringLiteral("Program_Name"), QStringLiteral("Kept"));
        action(form, "SaveAllInfo")->trigger();
        QCOMPARE(shown.errors.size(), 1);
        QVERIFY2(shown.errors.first().startsWith(QStringLiteral("Cannot create file ")),
                 qPrintable(shown.errors.first()));
        QCOMPARE(t.fieldText(QStringLiteral("Program_Name")), QStringLiteral("Kept"));
        QVERIFY(QFileInfo(QStringLiteral("softdata.xml")).isDir());
    }
    shown.errors.clear();
    {
        // A closed table is not written over the data file.
        Sandbox box;
        padtest::writeBytes(box.path(QStringLiteral("softdata.xml")), "not a data file");
        software::TPADForm form;
        QVERIFY(!form.table().isOpen());
        action(form, "SaveAllInfo")->trigger();
        QCOMPARE(shown.errors, QStringList({"ClientDataSet1: Cannot perform this operation on a closed dataset"}));
        QCOMPARE(padtest::readBytes(box.path(QStringLiteral("softdata.xml"))), QByteArray("not a data file"));
    }
    shown.errors.clear();
    if (padtest::runningAsRoot())
        QSKIP("a read-only file is writable for root");
    {
        Sandbox box;
        software::TPADForm form;
        const QByteArray old = padtest::readBytes(box.path(QStringLiteral("softdata.xml")));
        QFile::setPermissions(box.path(QStringLiteral("softdata.xml")), QFile::ReadOwner);
        setAndPost(form.table(), QStringLiteral("Program_Name"), QStringLiteral("Kept"));
        action(form, "SaveAllInfo")->trigger();
        QCOMPARE(shown.errors.size(), 1);
        QCOMPARE(form.table().fieldText(QStringLiteral("Program_Name")), QStringLiteral("Kept"));
        QCOMPARE(padtest::readBytes(box.path(QStringLiteral("softdata.xml"))), old);
    }
}

void PadFormTest::permissionTexts()
{
    Sandbox box;
    Messages shown;
    software::TPADForm form;
    software::TSoftwareTable &t = form.table();
    QString filter, answer;
    form.setFileChooser([&](const QString &f) {
        filter = f;
        return answer;
    });
    auto *dist = form.findChild<QToolButton *>(QStringLiteral("DistAgreementBtn"));
    auto *eula = form.findChild<QToolButton *>(QStringLiteral("BitBtn2"));
    QVERIFY(dist && eula);

    answer = box.write(QStringLiteral("dist.txt"), "Free to share.\nKeep it whole.\rNo fees.\r\nEnd");
    dist->click();
    QVERIFY(filter.startsWith(QStringLiteral("Text Files (*.txt)")));
    QCOMPARE(t.state(), software::TSoftwareTable::Editing);
    QCOMPARE(t.fieldText(QStringLiteral("Distribution_Permissions")),
             QStringLiteral("Free to share.\r\nKeep it whole.\r\nNo fees.\r\nEnd"));
    QCOMPARE(
        static_cast<software::BoundMemo *>(form.findChild<QPlainTextEdit *>(QStringLiteral("Distribution_Permissions")))
            ->fieldFormText(),
        t.fieldText(QStringLiteral("Distribution_Permissions")));

    // Files saved as "Unicode" (UTF-16 with its mark), UTF-8 with a mark, and
    // Windows-1252 bytes that are no UTF-8.
    const QString licence = QStringLiteral("Lizenz f\u00fcr \u201eClipNest\u201c\nZeile 2");
    const QString expected = QStringLiteral("Lizenz f\u00fcr \u201eClipNest\u201c\r\nZeile 2");
    QByteArray le("\xFF\xFE"), be("\xFE\xFF");
    for (QChar c : licence) {
        le.append(char(c.unicode() & 0xff)).append(char(c.unicode() >> 8));
        be.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xff));
    }
    const QList<QByteArray> files = {le, be, "\xEF\xBB\xBF" + licence.toUtf8()};
    for (const QByteArray &bytes : files) {
        answer = box.write(QStringLiteral("eula.txt"), bytes);
        eula->click();
        QCOMPARE(t.fieldText(QStringLiteral("EULA")), expected);
    }
    answer = box.write(QStringLiteral("eula.txt"),
                       "Lizenz f\xFCr \x84"
                       "ClipNest\x93");
    eula->click();
    QCOMPARE(t.fieldText(QStringLiteral("EULA")), QStringLiteral("Lizenz f\u00fcr \u201eClipNest\u201c"));

    // Cancel changes nothing; an unreadable file goes to the error handler.
    const QString eulaBefore = t.fieldText(QStringLiteral("EULA"));
    answer.clear();
    eula->click();
    answer = box.path(QStringLiteral("missing.txt"));
    eula->click();
    QCOMPARE(shown.errors.size(), 1);
    QVERIFY(shown.errors.first().contains(QStringLiteral("missing.txt")));
    QCOMPARE(t.fieldText(QStringLiteral("EULA")), eulaBefore);
}

void PadFormTest::exitAndLinks()
{
    Sandbox box;
    QList<QUrl> opened;
    platform::setExternalOpener([&](const QUrl &u) { opened << u; });
    software::TPADForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto *name = form.findChild<QLineEdit *>(QStringLiteral("Program_Name"));
    name->setFocus();
    QTest::keyClicks(name, QStringLiteral("x"));
    action(form, "Exit1")->trigger();
    QVERIFY(!form.isVisible());
    QCOMPARE(form.table().state(), software::TSoftwareTable::Editing); // neither committed nor saved

    action(form, "PADInfoOnline1")->trigger();
    action(form, "FindAvailableExtensionsOnline1")->trigger();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto *logo = form.findChild<QLabel *>(QStringLiteral("Image1"));
    logo->window()->findChild<QTabWidget *>(QStringLiteral("PageControl1"))->setCurrentIndex(0);
    QTest::mouseClick(logo, Qt::LeftButton);
    platform::setExternalOpener(nullptr);
    QCOMPARE(opened.size(), 3);
    QCOMPARE(opened[0].host(), QStringLiteral("www.asp-shareware.org"));
    QCOMPARE(opened[0].path(), QStringLiteral("/pad"));
    QVERIFY(QUrlQuery(opened[0]).hasQueryItem(QStringLiteral("referrer")));
    QCOMPARE(opened[1].path(), QStringLiteral("/pad/padextensions.asp"));
    QVERIFY(QUrlQuery(opened[1]).hasQueryItem(QStringLiteral("referrer")));
    QCOMPARE(opened[2], QUrl(QStringLiteral("http://www.asp-shareware.org/")));
}

QTEST_MAIN(PadFormTest)
#include "test_padform.moc"
