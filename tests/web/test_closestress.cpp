// Tabs closed at any moment of a fill, a login or a submit, in the real
// engine: 200 times a browser control opens a large form and its tab closes,
// alone or with every other open one, at a random point of the page's load,
// its automatic fill, or a command started on it. Nothing may crash, nothing
// may be written to a page once its tab has closed, and every page must be
// gone at the end.
#include "recordinghost.h"
#include "web/autofill.h"
#include "web/embeddedwb.h"
#include "web/formcommand.h"
#include "web/webengineenv.h"
#include "software/softwaretable.h"
#include "support/httpserver.h"
#include "support/pages.h"

#include <QApplication>
#include <QPointer>
#include <QRandomGenerator>
#include <QWebEngineProfile>
#include <QtTest>

#include <memory>

namespace {

// Tabs of the test: a plain widget holding the control, closed as the
// window's tab strip closes them (browser shut down, deleted later).
class Tabs : public web::TabHost {
public:
    Tabs(const software::TSoftwareTable &record, RecordingHost &host) : m_record(record), m_host(host) { }

    bool newPagesAllowed() const override { return true; }
    QWidget *placeInNewTab(web::TbxEmbeddedWb *browser) override
    {
        auto *tab = new QWidget;
        browser->setParent(tab);
        return tab;
    }
    void postCloseRequest(QWidget *) override { }
    void prepareBrowser(web::TbxEmbeddedWb *browser) override
    {
        pages << browser->page();
        new web::AutoFill(browser->page(), m_record, m_host, [this](const QString &) { ++errors; });
    }
    void adoptFreeStanding(web::TbxEmbeddedWb *browser) override { browser->deleteLater(); }

    static void close(web::TbxEmbeddedWb *browser)
    {
        QWidget *tab = browser->tabPage();
        browser->shutDown();
        if (tab)
            tab->deleteLater();
        else
            browser->deleteLater();
    }

    QList<QPointer<QWebEnginePage>> pages;
    int errors = 0;

private:
    const software::TSoftwareTable &m_record;
    RecordingHost &m_host;
};

// Writes the page hears, counted by its own script.
const QString kWrites = QStringLiteral("String(window.writes)");

} // namespace

class TestCloseStress : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void closingAtAnyMoment();
};

void TestCloseStress::closingAtAnyMoment()
{
    QByteArray html = "<!DOCTYPE html><html><body><p>Large submission form</p><form action=\"form.htm\">";
    for (int i = 0; i < 1500; ++i)
        html += "<input name=\"title_" + QByteArray::number(i) + "\"><input type=\"checkbox\" name=\"c" +
            QByteArray::number(i) + "\"><textarea name=\"description_" + QByteArray::number(i) + "\"></textarea>";
    html += "<input type=\"text\" name=\"username\"><input type=\"password\" name=\"password\">"
            "<input type=\"submit\" name=\"go\" value=\"Send\"></form><script>window.writes = 0;"
            "document.addEventListener('input', () => ++window.writes, true);</script></body></html>";
    testsupport::HttpServer server;
    QVERIFY(server.listen());
    server.setPage(QStringLiteral("form.htm"), html);

    software::TSoftwareTable record;
    record.LoadFromFile(QStringLiteral(DODU_SOURCE_DIR "/data/softdata.xml"));
    RecordingHost host;
    auto profile = std::make_unique<QWebEngineProfile>();
    Tabs tabs(record, host);
    QRandomGenerator random(22);
    int commandsStarted = 0, commandsEnded = 0, checkedAfterClose = 0, closeAlls = 0;
    QList<QPointer<web::TbxEmbeddedWb>> open;

    for (int round = 0; round < 200; ++round) {
        auto *browser = new web::TbxEmbeddedWb(&tabs, profile.get());
        open << browser;
        browser->navigate(server.url(QStringLiteral("form.htm")).toString());
        // A command on the page at a random point after its load, as the
        // user's Fill, Login or Submit would start it.
        const int commandAt = int(random.bounded(120));
        const auto mode = engine::FormMode(random.bounded(3));
        const auto rules = random.bounded(2) ? web::FillRules::Smart : web::FillRules::Classic;
        QTimer::singleShot(commandAt, browser, [&, browser, mode, rules] {
            ++commandsStarted;
            web::runFormCommand(browser->page(), mode, record, host, {rules, false},
                                [&](const web::FormCommandResult &) { ++commandsEnded; });
        });
        // The close comes at a random moment: while the page loads, while
        // its fill or the command waits for the page, or after.
        QTest::qWait(int(random.bounded(160)));
        QVERIFY(browser->page());
        const bool all = random.bounded(5) == 0;
        const bool check = !all && random.bounded(3) == 0;
        if (check) {
            // Closed but not yet deleted: what the page heard so far, and
            // nothing more afterwards.
            browser->shutDown();
            const QString before =
                testpages::eval(browser->page(), kWrites, QWebEngineScript::MainWorld, 10000).toString();
            QTest::qWait(int(random.bounded(80)));
            QCOMPARE(testpages::eval(browser->page(), kWrites, QWebEngineScript::MainWorld, 10000).toString(), before);
            ++checkedAfterClose;
            Tabs::close(browser);
        } else if (all) {
            // Close All: every open tab at once.
            ++closeAlls;
            for (const QPointer<web::TbxEmbeddedWb> &b : std::as_const(open))
                if (b)
                    Tabs::close(b);
            open.clear();
        } else {
            Tabs::close(browser);
        }
    }
    for (const QPointer<web::TbxEmbeddedWb> &b : std::as_const(open))
        if (b)
            Tabs::close(b);
    // Deleted later: let the deletions and any late answer of the engine run.
    QTest::qWait(500);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QTest::qWait(200);
    int left = 0;
    for (const QPointer<QWebEnginePage> &p : std::as_const(tabs.pages))
        left += !p.isNull();
    qInfo("%d pages, %d commands started, %d ended, %d closes checked for late writes, %d Close All",
          int(tabs.pages.size()), commandsStarted, commandsEnded, checkedAfterClose, closeAlls);
    QCOMPARE(left, 0);
    QCOMPARE(int(tabs.pages.size()), 200);
    QVERIFY(checkedAfterClose > 0);
    QVERIFY(closeAlls > 0);
    QCOMPARE(tabs.errors, 0);
    profile.reset();
}

int main(int argc, char *argv[])
{
    web::prepareWebEngineEnvironment();
    QApplication app(argc, argv);
    TestCloseStress test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_closestress.moc"
