// The smart fill on a live page in Qt WebEngine, offscreen: what the author
// sees after it (highlight, counts), the automatic fill with the smart rules,
// the page's own scripts hearing the writes, and "Submit form".
#include "recordinghost.h"
#include "web/commandrun.h"
#include "web/autofill.h"
#include "web/pagereport.h"
#include "web/scriptrunner.h"
#include "web/smartpage.h"
#include "web/webengineenv.h"
#include "software/softwaretable.h"

#include "engine/host.h"

#include "support/pages.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QtTest>

#include <memory>

namespace {

using TestHost = RecordingHost;

// A search form, the submission form, and a newsletter form; the page counts
// the input events its own script hears.
const char kPage[] = R"(<!DOCTYPE html><html><body>
<form id="search"><input name="q"><select name="where"><option>All</option><option>Utilities</option></select>
<button>Search</button></form>
<form id="main">
 <label>Program name <input name="program_name" id="pn"></label>
 <label>Version <input name="version" id="ver"></label>
 <label>Download URL <input name="download_url" id="dl"></label>
 <label>Notes <textarea name="notes" id="notes">mine</textarea></label>
 <label>Twitter <input name="twitter" id="tw"></label>
 <label>Fax at home <input name="home_fax2" id="hidden" style="display:none"></label>
 <label>Company <input name="company" id="ro" value="Old name" readonly></label>
 <label>Licence <select name="licence" id="lic"><option value="">-</option><option>GPL</option><option>MIT</option></select></label>
 <label><input type="radio" name="yn" value="y"> Yes</label><label><input type="radio" name="yn" value="n" checked> No</label>
 <input type="submit" value="Preview" id="preview">
 <button id="go">Publish</button>
</form>
<form id="news"><input type="email" name="email"><input type="submit" value="Subscribe"></form>
<script>window.heard = 0; document.addEventListener('input', () => ++window.heard, true);</script>
</body></html>)";

// Controls hidden or locked in every way the snapshot has to see.
const char kHidingPage[] = R"(<!DOCTYPE html><html><head><style>
.gone { visibility: hidden } .box { position: absolute; left: -5000px } .thin { width: 0; padding: 0; border: 0 }
@media all { .folded { visibility: collapse } }
</style></head><body><form>
<input name="plain"><input name="byRule" class="gone"><div class="gone"><input name="shown" style="visibility: visible"></div>
<input name="faded" style="opacity: 0"><div style="visibility: hidden"><input name="inHidden"></div>
<input name="offPage" class="box"><input name="thin" class="thin"><input name="inMedia" class="folded">
<input name="later"><input name="none" hidden>
<fieldset disabled><input name="inOff"></fieldset><input name="off" disabled><input name="ro" readonly>
</form><script>document.querySelector('[name=later]').className = 'gone';</script></body></html>)";

// Groups of buttons one after another: each group's text is the one before
// the group, never an earlier button's own text.
const char kGroupsPage[] = R"(<!DOCTYPE html><html><body><form><table>
<tr><td>Licence</td><td><label><input type="radio" name="lic" value="free"> Free</label>
 <label><input type="radio" name="lic" value="share"> Shareware</label></td></tr>
<tr><td>Platforms</td><td><input type="checkbox" name="os" value="win"> Windows
 <input type="checkbox" name="os" value="mac"> Mac</td></tr></table>
<p>Extras</p>
<label><input type="checkbox" name="a"> Alpha</label> <label><input type="checkbox" name="b"> Beta</label>
<textarea name="notes"></textarea>
<div><span>Status</span> <label><input type="radio" name="st" value="new"> New</label>
 <label><input type="radio" name="st" value="upd"> Update</label></div>
<label><input type="checkbox" name="c"> Gamma</label>
</form></body></html>)";

// Date boxes named by their parts and sized 2, 2 and 4; repeated rows with
// their switches; multiple lists the site pre-selected against the record.
const char kGroupedPage[] = R"(<!DOCTYPE html><html><body><form>
<p>Program name <input name="pname"></p>
<table><tr><td>Release date</td><td><input name="r_d" maxlength="2"> / <input name="r_m" maxlength="2">
 / <input name="r_a" maxlength="4"></td></tr></table>
<p>Last update (dd.mm.yyyy) <input name="u[]" maxlength="2"><input name="u[]" maxlength="2"><input name="u[]" maxlength="4"></p>
<table><tr><th>Image address</th><th>Show</th><th>Remove</th></tr>
<tr><td><input name="previews[0][link]"></td><td><input type="checkbox" name="previews[0][enabled]"></td>
 <td><input type="checkbox" name="previews[0][remove]"></td></tr>
<tr><td><input name="previews[1][link]"></td><td><input type="checkbox" name="previews[1][enabled]"></td>
 <td><input type="checkbox" name="previews[1][remove]"></td></tr></table>
<p>Download URL <input name="download"></p>
<p>Mirror 1 <input name="mirror_1"> Mirror 2 <input name="mirror_2"> Mirror 3 <input name="mirror_3"> Mirror 4 <input name="mirror_4"></p>
<p>Platforms <select name="platforms[]" multiple><option>Windows XP</option><option selected>macOS</option>
 <option>Linux</option><option selected>Android</option></select></p>
<p>Licence <select name="licence[]" multiple><option selected>Freeware</option><option>Shareware</option></select></p>
<p>Runs on <select name="os"><option value="">--</option><option>Linux</option><option>Mac</option><option>Windows</option></select></p>
</form><script>window.changed = []; document.addEventListener('change', (e) => window.changed.push(e.target.name), true);</script>
</body></html>)";

// An editor's tool bar of image inputs, buttons never to press, and the
// form's own submit input, which says nothing a submit button usually says.
const char kButtonsPage[] = R"(<!DOCTYPE html><html><body><form>
<p>Subject <input name="subject"> Version <input name="version"></p>
<input type="image" name="bold" alt="Bold" src="b.gif" width="16" height="16">
<input type="image" name="link" alt="Insert link" src="l.gif" width="16" height="16">
<textarea name="message"></textarea>
<button name="remove">Remove selected</button> <input type="submit" name="preview" value="Preview">
<input type="submit" name="enter" value="Enter"> <button name="cancel">Cancel</button>
</form></body></html>)";

// A form whose only submit control is an image.
const char kImageSubmitPage[] = R"(<!DOCTYPE html><html><body><form>
<p>Program name <input name="program_name"> Version <input name="version"></p>
<input type="image" name="go" alt="Send" src="s.gif" width="40" height="16"></form></body></html>)";

} // namespace

class TestSmartPage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void fillShowsWhatItDidAndTouchesNothingElse();
    void highlightGoesWithTheNextEdit();
    void autoFillUsesTheSmartRulesWhenAsked();
    void submitPressesTheFormsButtonElement();
    void snapshotSeesHiddenAndLockedControls();
    void snapshotGivesEachGroupItsOwnText();
    void datePartsRowsAndListsOnALivePage();
    void submitPressesTheFormsOwnButtonBeforeImages();
    void textsReachThePageUnchanged();
    void aLongPageIsDescribedInParts();

private:
    bool load(QWebEnginePage *page);
    bool readPage(const QString &name, const char *html, engine::Page *out);
    QVariant main(QWebEnginePage *page, const QString &script);

    std::unique_ptr<QWebEngineProfile> m_profile;
    std::unique_ptr<software::TSoftwareTable> m_record;
    QTemporaryDir m_dir;
    QUrl m_url;
};

void TestSmartPage::initTestCase()
{
    m_profile = std::make_unique<QWebEngineProfile>();
    m_record = std::make_unique<software::TSoftwareTable>();
    m_record->LoadFromFile(QStringLiteral(DODU_SOURCE_DIR "/data/softdata.xml"));
    QFile f(m_dir.filePath(QStringLiteral("form.htm")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(kPage);
    f.close();
    m_url = QUrl::fromLocalFile(f.fileName());
}

bool TestSmartPage::load(QWebEnginePage *page) { return testpages::load(page, m_url); }

// What the smart fill reads of html, served as the file name.
bool TestSmartPage::readPage(const QString &name, const char *html, engine::Page *out)
{
    QWebEnginePage page(m_profile.get());
    if (!testpages::load(&page, QUrl::fromLocalFile(testpages::write(m_dir, name, QString::fromUtf8(html)))))
        return false;
    int generation = 0;
    *out = testcommands::readSmartPage(&page, &generation);
    return true;
}

// A script in the page's own world.
QVariant TestSmartPage::main(QWebEnginePage *page, const QString &script)
{
    return testpages::eval(page, script, QWebEngineScript::MainWorld, 30000);
}

void TestSmartPage::fillShowsWhatItDidAndTouchesNothingElse()
{
    QWebEnginePage page(m_profile.get());
    QVERIFY(load(&page));
    TestHost host;
    const web::SmartOutcome o =
        testcommands::run(&page, engine::FormMode::Fill, *m_record, host, {web::FillRules::Smart})
            .value_or(web::FormCommandResult())
            .smart.value_or(web::SmartOutcome());
    QVERIFY(o.formFound);
    // Name, version and download written; notes (a weak match holding text),
    // Twitter, the licence list and the yes/no group left to the author.
    QCOMPARE(o.filled, 3);
    QCOMPARE(o.left, 4);
    QCOMPARE(web::smartFillStatus(o), QStringLiteral("Smart fill: 3 controls filled, 4 left for you."));

    auto v = [&](const QString &id) {
        return main(&page, QStringLiteral("document.getElementById('%1').value").arg(id)).toString();
    };
    QCOMPARE(v("pn"), QStringLiteral("ClipNest"));
    QCOMPARE(v("ver"), m_record->fieldText(QStringLiteral("Program_Version")));
    QCOMPARE(v("dl"), m_record->fieldText(QStringLiteral("Primary_Download_URL")));
    QCOMPARE(v("notes"), QStringLiteral("mine"));
    QCOMPARE(v("hidden"), QString());
    QCOMPARE(v("ro"), QStringLiteral("Old name"));
    QCOMPARE(v("lic"), QString());
    QCOMPARE(main(&page, "document.querySelector('input[name=yn][value=n]').checked").toBool(), true);
    // Other forms untouched.
    QCOMPARE(main(&page,
                  "document.querySelector('#search [name=q]').value + '|' + "
                  "document.querySelector('#search select').value + '|' + "
                  "document.querySelector('#news [name=email]').value")
                 .toString(),
             QStringLiteral("|All|"));
    // The page's own script heard each write.
    QCOMPARE(main(&page, "window.heard").toInt(), 3);
    // Written controls are highlighted, the others not.
    const QString marks = main(&page,
                               "Array.from(document.querySelectorAll('#main input, #main textarea'), "
                               "e => getComputedStyle(e).backgroundColor === 'rgb(255, 246, 194)' ? 1 : 0).join('')")
                              .toString();
    QCOMPARE(marks, QStringLiteral("1110000000"));
    // The report names the field per control.
    const QStringList report = testcommands::controlReport(&page, true);
    QVERIFY(report.filter(QStringLiteral("\"name\":\"version\""))
                .first()
                .endsWith(QStringLiteral("\"field\":\"Program_Version\"}")));
    QVERIFY(report.filter(QStringLiteral("\"name\":\"twitter\"")).first().endsWith(QStringLiteral("\"field\":\"\"}")));
}

void TestSmartPage::highlightGoesWithTheNextEdit()
{
    QWebEnginePage page(m_profile.get());
    QVERIFY(load(&page));
    TestHost host;
    testcommands::run(&page, engine::FormMode::Fill, *m_record, host, {web::FillRules::Smart});
    const QString lit = QStringLiteral("rgb(255, 246, 194)");
    auto background = [&](const char *id) {
        return main(&page,
                    QStringLiteral("getComputedStyle(document.getElementById('%1')).backgroundColor")
                        .arg(QLatin1String(id)))
            .toString();
    };
    QCOMPARE(background("pn"), lit);
    // The author types into the field (the page hears an input event).
    main(&page,
         "const e = document.getElementById('pn'); e.value = 'ClipNest Pro'; "
         "e.dispatchEvent(new Event('input', {bubbles: true})); 0");
    QVERIFY(background("pn") != lit);
    QCOMPARE(background("ver"), lit);
    // A second fill writes the name again (a confident match) and nothing
    // else, since the other controls hold their values already.
    const web::SmartOutcome again =
        testcommands::run(&page, engine::FormMode::Fill, *m_record, host, {web::FillRules::Smart})
            .value_or(web::FormCommandResult())
            .smart.value_or(web::SmartOutcome());
    QCOMPARE(again.filled, 1);
    QCOMPARE(main(&page, "document.getElementById('pn').value").toString(), QStringLiteral("ClipNest"));
}

void TestSmartPage::autoFillUsesTheSmartRulesWhenAsked()
{
    QWebEnginePage page(m_profile.get());
    TestHost host;
    web::FillRules rules = web::FillRules::Smart;
    web::AutoFill fill(&page, *m_record, host, {});
    fill.setRulesProvider([&] { return rules; });
    QSignalSpy status(&fill, &web::AutoFill::smartFilled);
    QSignalSpy filled(&fill, &web::AutoFill::filled);
    page.load(m_url);
    QVERIFY(filled.wait(30000));
    QCOMPARE(status.size(), 1);
    QCOMPARE(status.first().first().toString(), QStringLiteral("Smart fill: 3 controls filled, 4 left for you."));
    testcommands::settle(&page);
    QCOMPARE(main(&page, "document.querySelector('input[name=yn][value=n]').checked").toBool(), true);
    QCOMPARE(main(&page, "document.getElementById('ro').value").toString(), QStringLiteral("Old name"));

    // Switched back: the exact rules run (they write the read-only box too),
    // and no status is given.
    rules = web::FillRules::Classic;
    page.load(m_url);
    QVERIFY(filled.wait(30000));
    testcommands::settle(&page);
    QCOMPARE(status.size(), 1);
    QCOMPARE(main(&page, "document.getElementById('ro').value").toString(),
             m_record->fieldText(QStringLiteral("Company_Name")));
}

void TestSmartPage::submitPressesTheFormsButtonElement()
{
    QWebEnginePage page(m_profile.get());
    QVERIFY(load(&page));
    TestHost host;
    testcommands::run(&page, engine::FormMode::Submit, *m_record, host, {web::FillRules::Smart, true});
    QVERIFY(host.messages.isEmpty());
    const QStringList report = testcommands::controlReport(&page);
    QCOMPARE(report.filter(QStringLiteral("\"clicked\":true")).size(), 1);
    QVERIFY(report.filter(QStringLiteral("\"clicked\":true")).first().contains(QStringLiteral("\"tag\":\"button\"")));
    QVERIFY(
        report.filter(QStringLiteral("\"value\":\"Preview\"")).first().contains(QStringLiteral("\"clicked\":false")));

    // A page whose only form has no submit control says so.
    page.setHtml(QStringLiteral("<form><input name=program_name><input name=version></form>"), QUrl("file:///x/"));
    QVERIFY(QSignalSpy(&page, &QWebEnginePage::loadFinished).wait(30000));
    testcommands::run(&page, engine::FormMode::Submit, *m_record, host, {web::FillRules::Smart, true});
    QCOMPARE(host.messages, QStringList {QStringLiteral("Submit button not found.")});
}

void TestSmartPage::datePartsRowsAndListsOnALivePage()
{
    QWebEnginePage page(m_profile.get());
    QVERIFY(testpages::load(
        &page,
        QUrl::fromLocalFile(testpages::write(m_dir, QStringLiteral("grouped.htm"), QString::fromUtf8(kGroupedPage)))));
    TestHost fillHost;
    testcommands::run(&page, engine::FormMode::Fill, *m_record, fillHost, {web::FillRules::Smart});
    const QString values =
        main(&page,
             "Array.from(document.querySelectorAll('input:not([type]), select'), e => e.localName === "
             "'select' ? Array.from(e.selectedOptions, o => o.text).join('+') : e.value).join('|')")
            .toString();
    const QString f = QStringLiteral("https://www.tidewater-softworks.example/");
    QCOMPARE(values.split(QLatin1Char('|')),
             QStringList({"ClipNest", "24", "11", "2026", "24", "11", "2026", f + "clipnest/screenshot.png", "",
                          f + "download/ClipNest-3.2.1-setup.zip",
                          "https://mirror.tidewater-softworks.example/ClipNest-3.2.1-setup.zip",
                          "https://files.tidewater-softworks.example/clipns32.zip",
                          "https://archive.tidewater-softworks.example/clipns32.zip", "", "Windows XP+Linux",
                          "Shareware", "Windows"}));
    // The filled row's switch is ticked, the empty row's not; no row is removed.
    QCOMPARE(
        main(&page, "Array.from(document.querySelectorAll('input[type=checkbox]'), e => e.checked ? 1 : 0).join('')")
            .toString(),
        QStringLiteral("1000"));
    // The cleared lists told the page.
    QVERIFY(main(&page, "window.changed.join(' ')").toString().contains(QStringLiteral("platforms[] licence[]")));
    const QStringList report = testcommands::controlReport(&page, true);
    QVERIFY(report.filter(QStringLiteral(R"("name":"previews[0][enabled]")"))
                .first()
                .endsWith(QStringLiteral(R"("field":"Application_Screenshot_URL"})")));
    QVERIFY(report.filter(QStringLiteral(R"("name":"r_a")"))
                .first()
                .endsWith(QStringLiteral(R"("field":"Program_Release_Year"})")));
}

void TestSmartPage::submitPressesTheFormsOwnButtonBeforeImages()
{
    QWebEnginePage page(m_profile.get());
    QVERIFY(testpages::load(
        &page,
        QUrl::fromLocalFile(testpages::write(m_dir, QStringLiteral("buttons.htm"), QString::fromUtf8(kButtonsPage)))));
    TestHost host;
    testcommands::run(&page, engine::FormMode::Fill, *m_record, host, {web::FillRules::Smart, true});
    testcommands::run(&page, engine::FormMode::Submit, *m_record, host, {web::FillRules::Smart, true});
    QVERIFY(host.messages.isEmpty());
    const QStringList report = testcommands::controlReport(&page, true);
    const QStringList clicked = report.filter(QStringLiteral(R"("clicked":true)"));
    QCOMPARE(clicked.size(), 1);
    QVERIFY(clicked.first().contains(QStringLiteral(R"("name":"enter")")));
    // After the submit the report still names the fields of the fill, and
    // tells the buttons apart by their own text.
    QVERIFY(report.filter(QStringLiteral(R"("name":"version")"))
                .first()
                .endsWith(QStringLiteral(R"("field":"Program_Version"})")));
    QVERIFY(report.filter(QStringLiteral(R"("name":"remove")"))
                .first()
                .endsWith(QStringLiteral(R"("text":"Remove selected","field":""})")));
    // The classic report is as it was: no text, no field.
    QVERIFY(!testcommands::controlReport(&page).first().contains(QStringLiteral(R"("text":)")));

    // An image input is a submit control when the form has no other.
    QVERIFY(testpages::load(&page,
                            QUrl::fromLocalFile(testpages::write(m_dir, QStringLiteral("image.htm"),
                                                                 QString::fromUtf8(kImageSubmitPage)))));
    testcommands::run(&page, engine::FormMode::Submit, *m_record, host, {web::FillRules::Smart, true});
    QVERIFY(host.messages.isEmpty());
    QVERIFY(testcommands::controlReport(&page)
                .filter(QStringLiteral(R"("clicked":true)"))
                .first()
                .contains(QStringLiteral(R"("name":"go")")));
}

int main(int argc, char *argv[])
{
    web::prepareWebEngineEnvironment();
    QApplication app(argc, argv);
    TestSmartPage test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

// The style is asked only of controls that some rule or inline style may
// hide; what is hidden by a rule, an inline style, an ancestor, a media
// block, a script, or lies off the page or has no width still reads hidden.
void TestSmartPage::snapshotSeesHiddenAndLockedControls()
{
    engine::Page p;
    QVERIFY(readPage(QStringLiteral("hiding.htm"), kHidingPage, &p));
    QString visible, editable;
    for (const engine::Control &c : p.controls) {
        if (c.visible)
            visible += c.name + QLatin1Char(' ');
        if (c.editable)
            editable += c.name + QLatin1Char(' ');
    }
    QCOMPARE(visible, QStringLiteral("plain shown inOff off ro "));
    QCOMPARE(editable, QStringLiteral("plain byRule shown faded inHidden offPage thin inMedia later none "));
}

void TestSmartPage::snapshotGivesEachGroupItsOwnText()
{
    engine::Page p;
    QVERIFY(readPage(QStringLiteral("groups.htm"), kGroupsPage, &p));
    QStringList seen;
    for (const engine::Control &c : p.controls)
        seen << c.name + QLatin1Char('=') + c.context;
    QCOMPARE(seen.join(QLatin1Char('|')),
             QStringLiteral("lic=Licence|lic=|os=Platforms|os=|a=Extras|b=Extras|"
                            "notes=Extras|st=Status|st=|c="));
}

// The values a fill writes travel as script string literals: every UTF-16
// unit must arrive as it was, quotes, escapes, line separators and lone
// surrogates included.
void TestSmartPage::textsReachThePageUnchanged()
{
    QWebEnginePage page(m_profile.get());
    QVERIFY(load(&page));
    QString text = QStringLiteral("plain \"quoted\" back\\slash \t tab\r\n line\u2028sep\u2029 \u00e9 \u4e2d ");
    text += QChar(0xD83D);
    text += QChar(0xDE00); // a pair: an emoji
    text += QChar(0xD800); // a lone high surrogate
    text += QStringLiteral(" x ");
    text += QChar(0xDC00); // a lone low surrogate
    text += QChar(0x0001);
    text += QString(3000, QLatin1Char('y'));
    QString literal;
    web::appendScriptString(literal, text);
    const QVariant units = testpages::eval(
        &page,
        QStringLiteral("(function (s) { const u = []; for (let i = 0; i < s.length; ++i) u.push(s.charCodeAt(i)); "
                       "return u.join(','); })(%1)")
            .arg(literal),
        web::programWorld());
    QStringList expected;
    for (QChar c : text)
        expected << QString::number(c.unicode());
    QCOMPARE(units.toString(), expected.join(QLatin1Char(',')));
}

// A page of many controls is described in parts and planned on as it
// comes; a group straddling a part's edge stays one group, and the frames
// come with the last part.
void TestSmartPage::aLongPageIsDescribedInParts()
{
    QString html = QStringLiteral("<!DOCTYPE html><html><body><form><p>Program name <input name=\"program_name\"></p>");
    for (int i = 0; i < 2400; ++i) {
        if (i == 998)
            html += QStringLiteral("<p>Licence <label><input type=radio name=lic value=free> Freeware</label> "
                                   "<label><input type=radio name=lic value=share> Shareware</label> "
                                   "<label><input type=radio name=lic value=com> Commercial</label></p>");
        html += QStringLiteral("<input name=\"zzq%1\">").arg(i);
    }
    html += QStringLiteral("<p>Version <input name=\"version\"></p></form>"
                           "<iframe srcdoc=\"<form>Your name <input name=author></form>\"></iframe></body></html>");
    QWebEnginePage page(m_profile.get());
    QVERIFY(testpages::load(&page, QUrl::fromLocalFile(testpages::write(m_dir, QStringLiteral("long.htm"), html))));
    QTRY_COMPARE(main(&page, "frames[0].document.querySelectorAll('input').length").toInt(), 1);

    // The picture in parts is the picture at once.
    auto describe = [](const engine::Page &p) {
        QStringList out;
        for (const engine::Control &c : p.controls)
            out << QStringList {QString::number(c.form),   c.type, c.name, c.label, c.context, c.value, c.after,
                                QString::number(c.visible)}
                       .join(QLatin1Char('|'));
        return out;
    };
    int generation = 0;
    const engine::Page whole = testcommands::readSmartPage(&page, &generation);
    engine::Page inParts;
    const int partsGen = web::newSnapshotGeneration();
    const int parts = web::readSmartSnapshot(
        inParts,
        testpages::eval(&page, web::snapshotScript(partsGen, web::SnapshotDetail::Signals, 1000).standalone(),
                        web::programWorld(), 30000));
    QCOMPARE(parts, 3);
    for (int k = 1; k < parts; ++k)
        QCOMPARE(web::readSmartSnapshot(
                     inParts,
                     testpages::eval(&page, web::snapshotPartScript(partsGen).script(), web::programWorld(), 30000)),
                 1);
    QCOMPARE(whole.controls.size(), 2406);
    QCOMPARE(describe(inParts), describe(whole));
    QCOMPARE(inParts.controls.last().name, QStringLiteral("author"));

    // The fill itself, in parts of its own size.
    TestHost host;
    const auto result = testcommands::run(&page, engine::FormMode::Fill, *m_record, host, {web::FillRules::Smart});
    QVERIFY(result && result->smart);
    const engine::Plan plan = engine::planFill(whole, *m_record);
    QCOMPARE(result->smart->filled, plan.filled);
    QCOMPARE(main(&page,
                  "[document.querySelector('[name=program_name]').value, "
                  "document.querySelector('[name=lic]:checked').value, "
                  "document.querySelector('[name=version]').value].join('|')")
                 .toString(),
             QStringLiteral("ClipNest|share|3.2.1"));
    const QStringList report = testcommands::controlReport(&page, true);
    QVERIFY(report.filter(QStringLiteral(R"("name":"version")"))
                .first()
                .endsWith(QStringLiteral(R"("field":"Program_Version"})")));
}

#include "test_smartpage.moc"
