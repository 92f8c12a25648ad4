// The engine on live pages in Qt WebEngine, offscreen: pages served from
// 127.0.0.1 (a second port stands for a foreign site), filled through the
// page bridge and read back from the live document.
#include "base/json.h"
#include "web/autofill.h"
#include "web/fillablepage.h"
#include "web/pagebrowser.h"
#include "web/pagereport.h"
#include "web/scriptrunner.h"
#include "web/webengineenv.h"
#include "software/softwaretable.h"
#include "support/httpserver.h"
#include "support/pages.h"
#include "support/reportlines.h"
#include "web/commandrun.h"

#include "base/error.h"
#include "engine/host.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QSignalSpy>
#include <QTimer>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QtTest>

#include <memory>

namespace {

const int kWait = 30000;
const QString kNotFound = QStringLiteral("Submit button not found.");

class TestHost : public engine::Host {
public:
    void showMessage(const QString &text) override { messages << text; }
    QString loginUsername() const override { return username; }
    QString loginPassword() const override { return password; }

    QStringList messages;
    QString username, password;
};

// Runs a script in the given world and waits for its result.
QVariant js(QWebEnginePage *page, const QString &script, quint32 world = QWebEngineScript::MainWorld)
{
    return testpages::eval(page, script, world, kWait);
}

QString quoted(const QString &text) { return QString::fromUtf8(base::jsonValue(text)); }

// One page's form controls as the report sees them.
using Controls = testsupport::ReportLines;

Controls controls(QWebEnginePage *page)
{
    testcommands::settle(page);
    Controls c;
    for (const QString &line : testcommands::controlReport(page))
        c.lines << QJsonDocument::fromJson(line.toUtf8()).object();
    return c;
}

// What the record holds, as a text area gives it back (line ends become LF).
QString asTextArea(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

const char kFrameCompany[] = R"(<!DOCTYPE html><html><body><h2>About you</h2><form>
<input type="text" name="company_name"><input type="email" name="email"></form></body></html>)";
const char kFrameProgram[] = R"(<!DOCTYPE html><html><body><h2>Your program</h2><form>
<input name="title"><input type="text" name="version" value="old"></form></body></html>)";
const char kFrameDescription[] = R"(<!DOCTYPE html><html><body><h2>Description</h2><form>
<textarea name="description">old</textarea><input type="checkbox" name="agree"></form></body></html>)";

const char kRadios[] = R"(<!DOCTYPE html><html><body><p>Choices</p>
<form><input type="radio" name="licence" value="free"><input type="radio" name="licence" value="share" checked>
<input type="radio" name="licence" value="commercial">
<input type="radio" name="has_uninstaller" value="Y"><input type="radio" name="has_uninstaller" value="N" checked>
<input type="radio" name="uninstaller" value="1" checked><input type="radio" name="uninstaller" value="0">
<select name="category"><option>Games</option><option selected>Utilities</option></select></form>
<form><input type="radio" name="licence" value="other1" checked><input type="radio" name="licence" value="other2"></form>
<input type="radio" name="loose" value="a" checked><input type="radio" name="loose" value="b">
</body></html>)";

// A page in the style of script frameworks: the page keeps its own state,
// updated only from input events heard on the document, and renders the
// controls from that state.
const char kFramework[] = R"(<!DOCTYPE html><html><body><p>Reactive form</p><div id="app">
<input name="title"><input type="email" name="email"><textarea name="description"></textarea>
<input type="checkbox" name="agree"><input type="radio" name="licence" value="a"><input type="radio" name="licence" value="b">
</div><script>
window.state = {};
window.events = [];
document.addEventListener('input', (e) => {
  const t = e.target;
  if (t.type === 'checkbox') state[t.name] = t.checked;
  else if (t.type === 'radio') { if (t.checked) state[t.name] = t.value; }
  else state[t.name] = t.value;
  events.push('input ' + t.name);
});
document.addEventListener('change', (e) => events.push('change ' + e.target.name));
window.render = () => {
  for (const t of document.querySelectorAll('#app input, #app textarea')) {
    if (t.type === 'checkbox') t.checked = !!state[t.name];
    else if (t.type === 'radio') t.checked = state[t.name] === t.value;
    else t.value = state[t.name] === undefined ? '' : state[t.name];
  }
};
</script></body></html>)";

const char kMarkup[] = R"(<!DOCTYPE html><html><body><p>Markup in values</p><form>
<input name="title"><input name='x "&#252;" &#1080;&#1084;&#1103; name'><textarea name="description"></textarea>
<input name="keywords"></form><script>window.ownScripts = document.scripts.length;</script></body></html>)";

const char kTypes[] = R"(<!DOCTYPE html><html><body><p>Newer input types</p><form>
<input type="email" name="contact_email"><input type="url" name="homepage"><input type="tel" name="subject_tel">
<input type="search" name="keyword_search"><input type="number" name="cost" step="any">
<input type="date" name="title_date"><input type="hidden" name="title" value="hidden"><input type="TEXT" name="version">
<input name="product"><input type="bogus" name="price"><input type="password" name="email_pw" value="secret">
<input type="color" name="title_colour" value="#102030">
<input type="number" name="app_version" value="7"><input type="number" name="cost_whole"></form></body></html>)";

const char kPress[] = R"(<!DOCTYPE html><html><body><p>Submit your program</p>
<form action="thanks.htm" method="get"><input name="title">
<input type="submit" name="back" value="go back"><input type="submit" name="go" value="Send"></form>
<script>
window.submits = 0; window.clicks = [];
document.addEventListener('submit', () => { ++window.submits; }, true);
document.addEventListener('click', (e) => window.clicks.push(e.target.name), true);
</script></body></html>)";

const char kThanks[] = R"(<!DOCTYPE html><html><body><p>Thank you for your submission.</p></body></html>)";

const char kLogin[] = R"(<!DOCTYPE html><html><body><p>Author login</p><form action="thanks.htm">
<input type="text" name="username"><input type="password" name="password"><input type="checkbox" name="remember">
<input type="submit" name="login" value="Log in"><input type="submit" name="back" value="go back"></form>
<input type="search" name="q"></body></html>)";

const char kFrameNoButton[] = R"(<!DOCTYPE html><html><body><p>Nothing to press</p>
<form><input type="submit" name="cancel" value="go back"><button name="b">Send</button></form></body></html>)";
const char kFrameButton[] = R"(<!DOCTYPE html><html><body><p>One button</p>
<form action="thanks.htm"><input type="submit" name="send" value="Send"></form></body></html>)";

} // namespace

class TestPageBrowser : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void framesetFillsEachFrameInOrder();
    void pageWithTextIgnoresItsFrames();
    void refusedFrameEndsTheRunAtThatFrame();
    void radioGroupsEndOnTheirLastButton();
    void uninstallerGroupWithoutUninstaller();
    void frameworkInputsHearTheWrites();
    void markupInValuesIsWrittenAsText();
    void scriptsRunApartFromThePage();
    void newerInputTypesCountAsText();
    void pressesAreRecordedWithoutLeaving();
    void pressesClickForReal();
    void loginFillsAndPresses();
    void submitOnFramesetMessagesPerFrame();
    void shortBodyAndNonHtmlPagesAreLeftAlone();
    void manyControlsAndUnnamedOnes();
    void autoFillRunsOnLoadFinished();
    void autoFillReportsErrorsAndGoesOn();
    void autoFillRunsWhenAFrameMovesOn();
    void pageClosedDuringTheFrameWalk();
    void pageClosedWhileWaitingForTheSnapshot();

private:
    QWebEnginePage *newPage();
    bool load(QWebEnginePage *page, const QString &path, testsupport::HttpServer *server = nullptr);
    bool waitForFrames(QWebEnginePage *page, int count);
    // Runs the dispatcher with the mode word on the page; returns the error
    // text, or the empty text.
    QString run(QWebEnginePage *page, const QString &mode, bool recordPresses = true);
    void setField(const QString &name, const QString &text);

    std::unique_ptr<QWebEngineProfile> m_profile;
    std::unique_ptr<testsupport::HttpServer> m_site, m_foreign;
    std::unique_ptr<software::TSoftwareTable> m_record;
    std::vector<QPointer<QWebEnginePage>> m_pages;
    TestHost m_host;
};

void TestPageBrowser::initTestCase()
{
    m_profile = std::make_unique<QWebEngineProfile>(); // off the record
    m_site = std::make_unique<testsupport::HttpServer>();
    m_foreign = std::make_unique<testsupport::HttpServer>();
    QVERIFY(m_site->listen());
    QVERIFY(m_foreign->listen());
    QVERIFY(m_site->port() != m_foreign->port());

    const QByteArray foreignProgram = QUrl(m_foreign->url(QStringLiteral("f-program.htm"))).toEncoded();
    m_site->setPage(QStringLiteral("f-company.htm"), kFrameCompany);
    m_site->setPage(QStringLiteral("f-program.htm"), kFrameProgram);
    m_site->setPage(QStringLiteral("f-description.htm"), kFrameDescription);
    m_foreign->setPage(QStringLiteral("f-program.htm"), kFrameProgram);
    m_site->setPage(QStringLiteral("frames.htm"),
                    "<!DOCTYPE html><html><frameset cols=\"33%,33%,*\"><frame src=\"f-company.htm\">"
                    "<frame src=\"f-program.htm\"><frame src=\"f-description.htm\"></frameset></html>");
    m_site->setPage(QStringLiteral("foreign-frame.htm"),
                    "<!DOCTYPE html><html><frameset cols=\"33%,33%,*\"><frame src=\"f-company.htm\">"
                    "<frame src=\"" +
                        foreignProgram + "\"><frame src=\"f-description.htm\"></frameset></html>");
    m_site->setPage(QStringLiteral("text-and-frame.htm"),
                    "<!DOCTYPE html><html><body><p>Submit here</p><form><input name=\"title\"></form>"
                    "<iframe src=\"f-program.htm\"></iframe></body></html>");
    m_site->setPage(QStringLiteral("radios.htm"), kRadios);
    m_site->setPage(QStringLiteral("framework.htm"), kFramework);
    m_site->setPage(QStringLiteral("markup.htm"), kMarkup);
    m_site->setPage(QStringLiteral("types.htm"), kTypes);
    m_site->setPage(QStringLiteral("press.htm"), kPress);
    m_site->setPage(QStringLiteral("thanks.htm"), kThanks);
    m_site->setPage(QStringLiteral("login.htm"), kLogin);
    m_site->setPage(QStringLiteral("b-none.htm"), kFrameNoButton);
    m_site->setPage(QStringLiteral("b-send.htm"), kFrameButton);
    m_site->setPage(QStringLiteral("buttons.htm"),
                    "<!DOCTYPE html><html><frameset rows=\"*,*,*\"><frame src=\"b-none.htm\"><frame src=\"b-send.htm\">"
                    "<frame src=\"b-none.htm\"></frameset></html>");
    // A frameset whose second frame goes on to the program form by itself
    // after the page has loaded.
    m_site->setPage(QStringLiteral("step-wait.htm"),
                    "<!DOCTYPE html><html><body><p>Please wait...</p>"
                    "<script>setTimeout(() => { location.href = 'f-program.htm'; }, 400);</script></body></html>");
    m_site->setPage(QStringLiteral("steps.htm"),
                    "<!DOCTYPE html><html><frameset cols=\"50%,*\"><frame src=\"f-company.htm\">"
                    "<frame src=\"step-wait.htm\"></frameset></html>");
    m_site->setPage(QStringLiteral("short.htm"),
                    "<!DOCTYPE html><html><body>abc<input name=\"title\" value=\"kept\"></body></html>");
    m_site->setPage(QStringLiteral("data.xml"), "<?xml version=\"1.0\"?><root><input name=\"title\"/></root>",
                    "application/xml");
}

void TestPageBrowser::cleanupTestCase() { m_profile.reset(); }

void TestPageBrowser::init()
{
    m_record = std::make_unique<software::TSoftwareTable>();
    m_record->LoadFromFile(QStringLiteral(DODU_SOURCE_DIR "/data/softdata.xml"));
    m_host = TestHost();
}

void TestPageBrowser::cleanup()
{
    for (const QPointer<QWebEnginePage> &p : m_pages)
        delete p.data();
    m_pages.clear();
}

QWebEnginePage *TestPageBrowser::newPage()
{
    auto *page = new QWebEnginePage(m_profile.get());
    m_pages.push_back(page);
    return page;
}

bool TestPageBrowser::load(QWebEnginePage *page, const QString &path, testsupport::HttpServer *server)
{
    QSignalSpy finished(page, &QWebEnginePage::loadFinished);
    page->load((server ? server : m_site.get())->url(path));
    if (!finished.wait(kWait))
        return false;
    return finished.first().first().toBool();
}

bool TestPageBrowser::waitForFrames(QWebEnginePage *page, int count)
{
    const QString script = QStringLiteral(R"((function () {
  if (window.frames.length !== %1) return false;
  for (let i = 0; i < window.frames.length; ++i) {
    try {
      const d = window.frames[i].document;
      if (!d || d.readyState !== 'complete' || d.URL === 'about:blank') return false;
    } catch (e) { /* a foreign frame */ }
  }
  return true;
})())")
                               .arg(count);
    return QTest::qWaitFor([&] { return js(page, script, QWebEngineScript::ApplicationWorld).toBool(); }, kWait);
}

QString TestPageBrowser::run(QWebEnginePage *page, const QString &mode, bool recordPresses)
{
    const auto result =
        testcommands::run(page, engine::formModeOf(mode), *m_record, m_host, {web::FillRules::Classic, recordPresses});
    return result ? result->error : QString();
}

void TestPageBrowser::setField(const QString &name, const QString &text)
{
    m_record->Edit();
    m_record->setFieldText(name, text);
    m_record->Post();
}

void TestPageBrowser::framesetFillsEachFrameInOrder()
{
    QWebEnginePage *page = newPage();
    QVERIFY(load(page, QStringLiteral("frames.htm")));
    QVERIFY(waitForFrames(page, 3));
    QCOMPARE(run(page, QString()), QString());

    const Controls c = controls(page);
    QCOMPARE(c.value(0, QStringLiteral("company_name")), m_record->fieldText(QStringLiteral("Company_Name")));
    QCOMPARE(c.value(0, QStringLiteral("email")), m_record->fieldText(QStringLiteral("Author_Email")));
    QCOMPARE(c.value(1, QStringLiteral("title")), m_record->fieldText(QStringLiteral("Program_Name")));
    QCOMPARE(c.value(1, QStringLiteral("version")), m_record->fieldText(QStringLiteral("Program_Version")));
    QCOMPARE(c.value(2, QStringLiteral("description")),
             asTextArea(m_record->fieldText(QStringLiteral("Char_Desc_2000"))));
    QVERIFY(c.checked(2, QStringLiteral("agree")));
}

void TestPageBrowser::pageWithTextIgnoresItsFrames()
{
    QWebEnginePage *page = newPage();
    QVERIFY(load(page, QStringLiteral("text-and-frame.htm")));
    QVERIFY(waitForFrames(page, 1));
    QCOMPARE(run(page, QString()), QString());
    const Controls c = controls(page);
    QCOMPARE(c.value(-1, QStringLiteral("title")), m_record->fieldText(QStringLiteral("Program_Name")));
    QCOMPARE(c.value(0, QStringLiteral("title")), QString());
    QCOMPARE(c.value(0, QStringLiteral("version")), QStringLiteral("old"));
}

void TestPageBrowser::refusedFrameEndsTheRunAtThatFrame()
{
    QWebEnginePage *page = newPage();
    QVERIFY(load(page, QStringLiteral("foreign-frame.htm")));
    QVERIFY(waitForFrames(page, 3));
    QTRY_VERIFY_WITH_TIMEOUT(m_foreign->requests(QStringLiteral("f-program.htm")) > 0, kWait);

    const QString error = run(page, QString());
    QVERIFY2(!error.isEmpty(), "a foreign frame was handed out");
    const Controls c = controls(page);
    // The frame before the refused one is filled, the one after is not.
    QCOMPARE(c.value(0, QStringLiteral("company_name")), m_record->fieldText(QStringLiteral("Company_Name")));
    QVERIFY(c.control(1, QString()).value(QLatin1String("refused")).toBool());
    QCOMPARE(c.value(2, QStringLiteral("description")), QStringLiteral("old"));
    QVERIFY(!c.checked(2, QStringLiteral("agree")));

    // The foreign frame itself was not touched either.
    auto *foreignPage = newPage();
    QVERIFY(load(foreignPage, QStringLiteral("f-program.htm"), m_foreign.get()));
    QCOMPARE(controls(foreignPage).value(-1, QStringLiteral("version")), QStringLiteral("old"));

    // The submit finder ends at the same frame.
    m_host = TestHost();
    QVERIFY(!run(page, QStringLiteral("submit")).isEmpty());
    QCOMPARE(m_host.messages, QStringList {kNotFound});
}

void TestPageBrowser::radioGroupsEndOnTheirLastButton()
{
    QWebEnginePage *page = newPage();
    QVERIFY(load(page, QStringLiteral("radios.htm")));
    QCOMPARE(m_record->fieldText(QStringLiteral("Program_Install_Support")), QStringLiteral("Install and Uninstall"));
    QCOMPARE(run(page, QString()), QString());
    const Controls c = controls(page);
    const QString licence = QStringLiteral("licence");
    QVERIFY(!c.checked(-1, licence, 0));
    QVERIFY(!c.checked(-1, licence, 1));
    QVERIFY(c.checked(-1, licence, 2));
    QVERIFY(c.checked(-1, QStringLiteral("has_uninstaller"), 0));
    QVERIFY(!c.checked(-1, QStringLiteral("has_uninstaller"), 1));
    QVERIFY(!c.checked(-1, QStringLiteral("uninstaller"), 0));
    QVERIFY(!c.checked(-1, QStringLiteral("uninstaller"), 1));
    // The group of the second form, and the buttons outside any form.
    QVERIFY(!c.checked(-1, licence, 3));
    QVERIFY(c.checked(-1, licence, 4));
    QVERIFY(!c.checked(-1, QStringLiteral("loose"), 0));
    QVERIFY(c.checked(-1, QStringLiteral("loose"), 1));
    // Selection lists keep the page's choice.
    QCOMPARE(c.value(-1, QStringLiteral("category")), QStringLiteral("Utilities"));
}

void TestPageBrowser::uninstallerGroupWithoutUninstaller()
{
    setField(QStringLiteral("Program_Install_Support"), QStringLiteral("Install Only"));
    QWebEnginePage *page = newPage();
    QVERIFY(load(page, QStringLiteral("radios.htm")));
    QVERIFY(js(page,
               QStringLiteral("document.getElementsByName('has_uninstaller')[1].checked = false; "
                              "document.getElementsByName('has_uninstaller')[0].checked = true"))
                .toBool());
    QCOMPARE(run(page, QString()), QString());
    const Controls c = controls(page);
    QVERIFY(!c.checked(-1, QStringLiteral("has_uninstaller"), 0));
    QVERIFY(c.checked(-1, QStringLiteral("has_uninstaller"), 1));
}

void TestPageBrowser::frameworkInputsHearTheWrites()
{
    QWebEnginePage *page = newPage();
    QVERIFY(load(page, QStringLiteral("framework.htm")));
    QCOMPARE(run(page, QString()), QString());

    // The page's own state holds what was written...
    const QJsonObject state =
        QJsonDocument::fromJson(js(page, QStringLiteral("JSON.stringify(state)")).toString().toUtf8()).object();
    const QString name = m_record->fieldText(QStringLiteral("Program_Name"));
    const QString email = m_record->fieldText(QStringLiteral("Author_Email"));
    const QString description = asTextArea(m_record->fieldText(QStringLiteral("Char_Desc_2000")));
    QCOMPARE(state.value(QLatin1String("title")).toString(), name);
    QCOMPARE(state.value(QLatin1String("email")).toString(), email);
    QCOMPARE(state.value(QLatin1String("description")).toString(), description);
    QCOMPARE(state.value(QLatin1String("agree")).toBool(), true);
    QCOMPARE(state.value(QLatin1String("licence")).toString(), QStringLiteral("b"));

    // ...so a re-render from it keeps the values.
    js(page, QStringLiteral("render()"));
    const Controls c = controls(page);
    QCOMPARE(c.value(-1, QStringLiteral("title")), name);
    QCOMPARE(c.value(-1, QStringLiteral("email")), email);
    QCOMPARE(c.value(-1, QStringLiteral("description")), description);
    QVERIFY(c.checked(-1, QStringLiteral("agree")));
    QVERIFY(c.checked(-1, QStringLiteral("licence"), 1));

    // Each write is heard as input, then change, in document order.
    const QStringList events = js(page, QStringLiteral("events.join('|')")).toString().split(QLatin1Char('|'));
    QCOMPARE(events,
             (QStringList {"input title", "change title", "input email", "change email", "input description",
                           "change description", "input agree", "change agree", "input licence", "change licence",
                           "input licence", "change licence"}));
}

void TestPageBrowser::markupInValuesIsWrittenAsText()
{
    const QString name = QString::fromUtf8("\"dq\" 'sq' <script>window.__pwned=1</script><b>bold</b> & &amp; "
                                           "</textarea> ` ${1+1} \\ %1 \xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e "
                                           "\xce\x95\xce\xbb\xce\xbb\xce\xb7\xce\xbd\xce\xb9\xce\xba\xce\xac "
                                           "\xd7\xa2\xd7\x91\xd7\xa8\xd7\x99\xd7\xaa \xf0\x9f\x98\x80");
    const QString description = QString::fromUtf8("line one\r\nline two\n<img src=x onerror=\"window.__pwned=2\">\r\n"
                                                  "\xe2\x80\xa8 \xe2\x80\xa9 end');window.__pwned=4;('");
    const QString keywords = QStringLiteral("</script><script>window.__pwned=3</script>");
    setField(QStringLiteral("Program_Name"), name);
    setField(QStringLiteral("Char_Desc_2000"), description);
    setField(QStringLiteral("Keywords"), keywords);

    QWebEnginePage *page = newPage();
    QVERIFY(load(page, QStringLiteral("markup.htm")));
    QCOMPARE(run(page, QString()), QString());
    const Controls c = controls(page);
    QCOMPARE(c.value(-1, QStringLiteral("title")), name);
    QCOMPARE(c.value(-1, QString::fromUtf8("x \"\xc3\xbc\" \xd0\xb8\xd0\xbc\xd1\x8f name")), name);
    QCOMPARE(c.value(-1, QStringLiteral("description")), asTextArea(description));
    QCOMPARE(c.value(-1, QStringLiteral("keywords")), keywords);

    QCOMPARE(js(page, QStringLiteral("typeof window.__pwned")).toString(), QStringLiteral("undefined"));
    QCOMPARE(js(page, QStringLiteral("document.scripts.length === window.ownScripts")).toBool(), true);
    QCOMPARE(js(page, QStringLiteral("document.querySelectorAll('b, img').length")).toInt(), 0);
}

// The bridge's scripts run in a world of their own: a page that replaces the
// functions they use, or looks for what they leave behind, changes nothing.
void TestPageBrowser::scriptsRunApartFromThePage()
{
    QWebEnginePage *page = newPage();
    QVERIFY(load(page, QStringLiteral("markup.htm")));
    js(page,
       QStringLiteral("document.querySelectorAll = () => []; window.Event = null; JSON.stringify = () => '{}';"
                      "Object.defineProperty(HTMLInputElement.prototype, 'value', "
                      "  { get() { return 'page'; }, set(v) {}, configurable: true }); 1"));
    QCOMPARE(run(page, QString()), QString());
    const QVariantList leftovers =
        js(page, QStringLiteral("[typeof window.__dodu, typeof window.__doduPressed]")).toList();
    QCOMPARE(leftovers, (QVariantList {QStringLiteral("undefined"), QStringLiteral("undefined")}));
    const Controls c = controls(page);
    QCOMPARE(c.value(-1, QStringLiteral("title")), m_record->fieldText(QStringLiteral("Program_Name")));
    QCOMPARE(c.value(-1, QStringLiteral("keywords")), m_record->fieldText(QStringLiteral("Keywords")));
}

void TestPageBrowser::newerInputTypesCountAsText()
{
    QWebEnginePage *page = newPage();
    QVERIFY(load(page, QStringLiteral("types.htm")));
    QCOMPARE(run(page, QString()), QString());
    const Controls c = controls(page);
    auto field = [&](const char *name) { return m_record->fieldText(QString::fromLatin1(name)); };
    QCOMPARE(c.value(-1, QStringLiteral("contact_email")), field("Author_Email"));
    QCOMPARE(c.value(-1, QStringLiteral("homepage")), field("Company_WebSite_URL"));
    QCOMPARE(c.value(-1, QStringLiteral("subject_tel")), field("Program_Name"));
    QCOMPARE(c.value(-1, QStringLiteral("keyword_search")), field("Keywords"));
    QCOMPARE(c.value(-1, QStringLiteral("cost")), field("Program_Cost_Dollars"));
    QCOMPARE(c.value(-1, QStringLiteral("version")), field("Program_Version"));
    QCOMPARE(c.value(-1, QStringLiteral("product")), field("Program_Name"));
    QCOMPARE(c.value(-1, QStringLiteral("price")), field("Program_Cost_Dollars"));
    // Other kinds of input stay as they were.
    QCOMPARE(c.value(-1, QStringLiteral("title_date")), QString());
    QCOMPARE(c.value(-1, QStringLiteral("title")), QStringLiteral("hidden"));
    QCOMPARE(c.value(-1, QStringLiteral("email_pw")), QStringLiteral("secret"));
    QCOMPARE(c.value(-1, QStringLiteral("title_colour")), QStringLiteral("#102030"));
    // A number input keeps its value when the record's is no number ("3.2.1")
    // and takes it when it is one.
    QCOMPARE(c.value(-1, QStringLiteral("app_version")), QStringLiteral("7"));
    setField(QStringLiteral("Program_Cost_Dollars"), QStringLiteral("30"));
    setField(QStringLiteral("Program_Version"), QStringLiteral("-1.5e3"));
    QCOMPARE(run(page, QString()), QString());
    const Controls again = controls(page);
    QCOMPARE(again.value(-1, QStringLiteral("app_version")), QStringLiteral("-1.5e3"));
    QCOMPARE(again.value(-1, QStringLiteral("cost_whole")), QStringLiteral("30"));
    // The report shows the page's own types.
    QCOMPARE(c.control(-1, QStringLiteral("contact_email")).value(QLatin1String("type")).toString(),
             QStringLiteral("email"));
    QCOMPARE(c.control(-1, QStringLiteral("cost")).value(QLatin1String("type")).toString(), QStringLiteral("number"));
}

void TestPageBrowser::pressesAreRecordedWithoutLeaving()
{
    QWebEnginePage *page = newPage();
    QVERIFY(load(page, QStringLiteral("press.htm")));
    const QUrl before = page->url();
    QCOMPARE(run(page, QStringLiteral("submit"), true), QString());
    QVERIFY(m_host.messages.isEmpty());
    QCOMPARE(js(page, QStringLiteral("window.clicks.join(',')")).toString(), QStringLiteral("go"));
    QCOMPARE(js(page, QStringLiteral("window.submits")).toInt(), 0);
    QCOMPARE(page->url(), before);
    const Controls c = controls(page);
    QVERIFY(c.clicked(-1, QStringLiteral("go")));
    QVERIFY(!c.clicked(-1, QStringLiteral("back")));
    QVERIFY(!c.clicked(-1, QStringLiteral("title")));
}

void TestPageBrowser::pressesClickForReal()
{
    QWebEnginePage *page = newPage();
    QVERIFY(load(page, QStringLiteral("press.htm")));
    const int thanksBefore = m_site->requests(QStringLiteral("thanks.htm"));
    QSignalSpy loaded(page, &QWebEnginePage::loadFinished);
    // No wait for the page here: it is leaving.
    testcommands::run(page, engine::FormMode::Submit, *m_record, m_host);
    QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), kWait);
    QCOMPARE(page->url().path(), QStringLiteral("/thanks.htm"));
    QCOMPARE(m_site->requests(QStringLiteral("thanks.htm")), thanksBefore + 1);
}

void TestPageBrowser::loginFillsAndPresses()
{
    m_host.username = QStringLiteral("maren");
    m_host.password = QString::fromUtf8("p<&\"'>\xc3\xa4");
    QWebEnginePage *page = newPage();
    QVERIFY(load(page, QStringLiteral("login.htm")));
    QCOMPARE(run(page, QStringLiteral("login")), QString());
    const Controls c = controls(page);
    QCOMPARE(c.value(-1, QStringLiteral("username")), m_host.username);
    QCOMPARE(c.value(-1, QStringLiteral("password")), m_host.password);
    QVERIFY(c.checked(-1, QStringLiteral("remember")));
    QVERIFY(c.clicked(-1, QStringLiteral("login")));
    QVERIFY(!c.clicked(-1, QStringLiteral("back")));
    QCOMPARE(c.value(-1, QStringLiteral("q")), QString());
    QVERIFY(m_host.messages.isEmpty());
}

void TestPageBrowser::submitOnFramesetMessagesPerFrame()
{
    QWebEnginePage *page = newPage();
    QVERIFY(load(page, QStringLiteral("buttons.htm")));
    QVERIFY(waitForFrames(page, 3));
    QCOMPARE(run(page, QStringLiteral("submit")), QString());
    QCOMPARE(m_host.messages, (QStringList {kNotFound, kNotFound}));
    const Controls c = controls(page);
    QVERIFY(c.clicked(1, QStringLiteral("send")));
    QVERIFY(!c.clicked(0, QStringLiteral("cancel")));
    QVERIFY(!c.clicked(2, QStringLiteral("cancel")));
    QVERIFY(!c.clicked(0, QStringLiteral("b")));
}

void TestPageBrowser::shortBodyAndNonHtmlPagesAreLeftAlone()
{
    QWebEnginePage *page = newPage();
    QVERIFY(load(page, QStringLiteral("short.htm")));
    QCOMPARE(run(page, QStringLiteral("submit")), QString());
    QCOMPARE(run(page, QString()), QString());
    QVERIFY(m_host.messages.isEmpty());
    QCOMPARE(controls(page).value(-1, QStringLiteral("title")), QStringLiteral("kept"));

    QVERIFY(load(page, QStringLiteral("data.xml")));
    QCOMPARE(run(page, QStringLiteral("submit")), QString());
    QCOMPARE(run(page, QString()), QString());
    QVERIFY(m_host.messages.isEmpty());

    // A page that never loaded: an error page, nothing to fill, no failure.
    QSignalSpy finished(page, &QWebEnginePage::loadFinished);
    page->load(QUrl(QStringLiteral("http://127.0.0.1:1/nothing.htm")));
    QVERIFY(finished.wait(kWait));
    QCOMPARE(run(page, QString()), QString());
}

void TestPageBrowser::manyControlsAndUnnamedOnes()
{
    QByteArray html = "<!DOCTYPE html><html><body><p>Large form</p><form>";
    for (int i = 0; i < 2000; ++i)
        html +=
            "<input name=\"title_" + QByteArray::number(i) + "\"><input value=\"unnamed\"><input type=\"checkbox\">";
    html += "</form></body></html>";
    m_site->setPage(QStringLiteral("large.htm"), html);
    QWebEnginePage *page = newPage();
    QVERIFY(load(page, QStringLiteral("large.htm")));
    QCOMPARE(run(page, QString()), QString());
    const QString name = m_record->fieldText(QStringLiteral("Program_Name"));
    const QString script = QStringLiteral(R"((function () {
  let filled = 0, unnamed = 0, ticked = 0;
  for (const e of document.querySelectorAll('input')) {
    if (e.name.startsWith('title_') && e.value === %1) ++filled;
    if (!e.name && e.type === 'text' && e.value === 'unnamed') ++unnamed;
    if (e.type === 'checkbox' && e.checked) ++ticked;
  }
  return [filled, unnamed, ticked];
})())")
                               .arg(quoted(name));
    QCOMPARE(js(page, script).toList(), (QVariantList {2000, 2000, 2000}));
}

void TestPageBrowser::autoFillRunsOnLoadFinished()
{
    QWebEnginePage *page = newPage();
    QStringList errors;
    auto *fill = new web::AutoFill(page, *m_record, m_host, [&](const QString &e) { errors << e; });
    QSignalSpy filled(fill, &web::AutoFill::filled);
    page->load(m_site->url(QStringLiteral("frames.htm")));
    QVERIFY(filled.wait(kWait));
    testcommands::settle(page);
    Controls c = controls(page);
    QCOMPARE(c.value(1, QStringLiteral("title")), m_record->fieldText(QStringLiteral("Program_Name")));
    QCOMPARE(c.value(0, QStringLiteral("company_name")), m_record->fieldText(QStringLiteral("Company_Name")));

    // Any page that loads is filled, and a reload writes the values again over
    // what the user typed.
    QVERIFY(load(page, QStringLiteral("radios.htm")));
    QTRY_COMPARE_WITH_TIMEOUT(fill->runs(), 2, kWait);
    QTRY_VERIFY_WITH_TIMEOUT(controls(page).checked(-1, QStringLiteral("licence"), 2), kWait);
    QVERIFY(load(page, QStringLiteral("press.htm")));
    QTRY_COMPARE_WITH_TIMEOUT(fill->runs(), 3, kWait);
    testcommands::settle(page);
    js(page, QStringLiteral("document.getElementsByName('title')[0].value = 'typed'"));
    page->triggerAction(QWebEnginePage::Reload);
    QTRY_COMPARE_WITH_TIMEOUT(fill->runs(), 4, kWait);
    QTRY_COMPARE_WITH_TIMEOUT(controls(page).value(-1, QStringLiteral("title")),
                              m_record->fieldText(QStringLiteral("Program_Name")), kWait);
    QVERIFY(errors.isEmpty());
    // The automatic fill presses nothing.
    QCOMPARE(js(page, QStringLiteral("window.clicks.length")).toInt(), 0);
}

void TestPageBrowser::autoFillRunsWhenAFrameMovesOn()
{
    auto *page = new web::FillablePage(m_profile.get());
    m_pages.push_back(page);
    auto *fill = new web::AutoFill(page, *m_record, m_host, {});
    QSignalSpy frames(page, &web::FillablePage::frameDocumentCompleted);
    page->load(m_site->url(QStringLiteral("steps.htm")));
    // The load's own fill, then one more once the frame shows the form.
    QTRY_COMPARE_WITH_TIMEOUT(fill->runs(), 2, kWait);
    QVERIFY(frames.size() >= 3);
    testcommands::settle(page);
    const Controls c = controls(page);
    QCOMPARE(c.value(0, QStringLiteral("company_name")), m_record->fieldText(QStringLiteral("Company_Name")));
    QCOMPARE(c.value(1, QStringLiteral("title")), m_record->fieldText(QStringLiteral("Program_Name")));
    // The page's console does not see the notices.
    QTest::qWait(300);
    QCOMPARE(fill->runs(), 2);
}

void TestPageBrowser::autoFillReportsErrorsAndGoesOn()
{
    software::TSoftwareTable closed;
    QWebEnginePage *page = newPage();
    QStringList errors;
    auto *fill = new web::AutoFill(page, closed, m_host, [&](const QString &e) { errors << e; });
    QVERIFY(load(page, QStringLiteral("press.htm")));
    QTRY_COMPARE_WITH_TIMEOUT(errors, QStringList {QStringLiteral("ClientDataSet1: Field 'Program_Name' not found")},
                              kWait);
    QVERIFY(load(page, QStringLiteral("frames.htm")));
    QTRY_COMPARE_WITH_TIMEOUT(fill->runs(), 2, kWait);
    QTRY_COMPARE_WITH_TIMEOUT(errors.size(), 2, kWait);
    QCOMPARE(errors.last(), QStringLiteral("ClientDataSet1: Field 'Company_Name' not found"));
}

// The tab closes while the fill of a frameset waits for the page's
// snapshot: the page and its automatic fill go away, and nothing else
// happens.
void TestPageBrowser::pageClosedDuringTheFrameWalk()
{
    QPointer<QWebEnginePage> page = newPage();
    QPointer<web::AutoFill> fill = new web::AutoFill(page, *m_record, m_host, {});
    int filledSignals = 0;
    connect(fill, &web::AutoFill::filled, this, [&] { ++filledSignals; });
    // The fill starts on the turn after load-finished; the close comes on
    // the turn after that, before the page can have answered.
    connect(page, &QWebEnginePage::loadFinished, this,
            [&] { QTimer::singleShot(0, this, [&] { QTimer::singleShot(0, this, [&] { delete page.data(); }); }); });
    page->load(m_site->url(QStringLiteral("frames.htm")));
    QTRY_VERIFY_WITH_TIMEOUT(!page, kWait);
    QVERIFY(!fill);
    QCOMPARE(filledSignals, 0);

    // The engine goes on working.
    QWebEnginePage *next = newPage();
    QVERIFY(load(next, QStringLiteral("press.htm")));
    QCOMPARE(run(next, QString()), QString());
    QCOMPARE(controls(next).value(-1, QStringLiteral("title")), m_record->fieldText(QStringLiteral("Program_Name")));
}

void TestPageBrowser::pageClosedWhileWaitingForTheSnapshot()
{
    QPointer<QWebEnginePage> page = newPage();
    QVERIFY(load(page, QStringLiteral("press.htm")));
    QTimer closer;
    closer.setSingleShot(true);
    closer.setInterval(0);
    connect(&closer, &QTimer::timeout, this, [&] { delete page.data(); });
    closer.start();
    QCOMPARE(run(page, QStringLiteral("submit")), QString());
    QVERIFY(!page);
    QVERIFY(m_host.messages.isEmpty());
}

int main(int argc, char *argv[])
{
    web::prepareWebEngineEnvironment();
    QApplication app(argc, argv);
    TestPageBrowser test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_pagebrowser.moc"
