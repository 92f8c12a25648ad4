// The release campaign in the real browser engine, offscreen, against a
// loopback HTTP server: a site opened from the list is filled and submitted
// and each step lands in the submission log; states set from the site list's
// and the tab's context menus show as marks, tooltips, the filter and the
// counter; "Next site" passes over done and skipped sites; a corrupt log is
// refused, left alone, and browsing goes on.
#include "campaign/submissionlog.h"
#include "platform/messages.h"
#include "web/webengineenv.h"
#include "shell/campaigntracker.h"
#include "shell/campaigntracker.h"
#include "web/embeddedwb.h"
#include "shell/keyrouter.h"
#include "shell/settings.h"
#include "shell/tabstrip.h"
#include "shell/mainwindow.h"
#include "shell/webtabsheet.h"
#include "sites/sitespanel.h"
#include "software/softwaretable.h"
#include "support/httpserver.h"
#include "support/pages.h"

#include <QApplication>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QTabBar>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>

using campaign::State;

namespace {

QString form(const QString &thanks)
{
    return QStringLiteral("<title>Submit</title><body>Submit your program"
                          "<form action='%1' method=get><input name=title><input name=version>"
                          "<input name=company_name><input type=submit value='Send it'></form></body>")
        .arg(thanks);
}

QStringList kinds(const QList<campaign::LoggedEvent> &rows)
{
    QStringList out;
    for (const campaign::LoggedEvent &e : rows)
        out << e.kind;
    return out;
}

} // namespace

class TestCampaign : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir;
    software::TSoftwareTable record;
    testsupport::HttpServer server;
    QStringList messages;
    bool ctrl = false;
    int n = 0;
    std::unique_ptr<campaign::SubmissionLog> log;
    std::unique_ptr<shell::TfrmBrwMain> win;
    sites::TSitesPanel *sites = nullptr;
    shell::TCampaignTracker *tracker = nullptr;

    campaign::Campaign release() const { return shell::campaignOf(record); }
    QList<campaign::LoggedEvent> history(int row) { return log->history(release(), sites->site(row)); }

    void build(const QString &logPath)
    {
        log = std::make_unique<campaign::SubmissionLog>();
        log->open(logPath);
        win = std::make_unique<shell::TfrmBrwMain>(record);
        win->setCtrlSource([this] { return ctrl; });
        sites = new sites::TSitesPanel;
        sites->loadDirectory(dir.filePath(QStringLiteral("padsites.dat")));
        win->setSidePages(sites, new QWidget);
        tracker = new shell::TCampaignTracker(win.get(), sites, log.get());
        sites->setSubmissionLog(log.get(), [this] { return release(); });
        connect(&record, &software::TSoftwareTable::recordChanged, sites, &sites::TSitesPanel::refreshCampaign);
        win->resize(1000, 700);
        win->show();
    }

    void clickSite(int row)
    {
        QListWidget *list = sites->siteList();
        const QRect r = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    }

    shell::TbxWebTabSheet *waitForTab(int count)
    {
        [&] { QTRY_COMPARE_WITH_TIMEOUT(win->pageCount(), count, 15000); }();
        return win->pageAt(count - 1);
    }

    QString itemState(int row) const { return campaign::stateWord(sites->stateOf(row)); }

    void answerNextDialog(const QString &text)
    {
        QTimer::singleShot(200, this, [text] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *d = qobject_cast<QInputDialog *>(w); d && d->isVisible()) {
                    d->setTextValue(text);
                    d->accept();
                }
        });
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QDir::setCurrent(dir.path());
        record.open(software::TSoftwareTable::standardFields(), {});
        record.Edit();
        record.setFieldText(QStringLiteral("Program_Name"), QStringLiteral("ClipNest"));
        record.setFieldText(QStringLiteral("Program_Version"), QStringLiteral("3.2.1"));
        record.setFieldText(QStringLiteral("Company_Name"), QStringLiteral("Tidewater"));
        record.Post();
        platform::setMessageSink([this](const QString &kind, const QString &text) {
            messages << kind + QLatin1Char(':') + text;
            return true;
        });
        QVERIFY(server.listen());
        server.setPage(QStringLiteral("a/submit.htm"), form(QStringLiteral("/a/thanks.htm")).toUtf8());
        server.setPage(QStringLiteral("a/thanks.htm"), "<title>Thanks A</title><body>Received, thank you</body>");
        // B's form sends to a page the server does not have.
        server.setPage(QStringLiteral("b/submit.htm"), form(QStringLiteral("/b/missing.htm")).toUtf8());
        server.setPage(
            QStringLiteral("b/login.htm"),
            "<title>Log in</title><body>Members<form action='/b/in.htm' method=get>"
            "<input name=user><input type=password name=pass><input type=submit value='Sign in'></form></body>");
        server.setPage(QStringLiteral("c/submit.htm"), form(QStringLiteral("/c/thanks.htm")).toUtf8());
        server.setPage(QStringLiteral("d/submit.htm"), form(QStringLiteral("/d/thanks.htm")).toUtf8());
        // A form the browser refuses to send: its address box holds no address.
        server.setPage(QStringLiteral("c/refuse.htm"),
                       "<title>Refuses</title><body>Check<form action='/c/thanks.htm' method=get><input name=title>"
                       "<input type=url name=zz value='not an address'><input type=submit value='Send it'></form>"
                       "</body>");
        QByteArray dat = "7\r\n";
        for (const char *s : {"a", "b", "c", "d"}) {
            const QByteArray url =
                server.url(QStringLiteral("%1/submit.htm").arg(QLatin1String(s))).toString().toUtf8();
            dat += QByteArray("*Site ") + char(QChar::fromLatin1(s[0]).toUpper().toLatin1()) + "\r\n" + url + "\r\n" +
                url + "?update\r\n";
        }
        QFile f(dir.filePath(QStringLiteral("padsites.dat")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(dat);
    }

    void init()
    {
        messages.clear();
        ctrl = false;
        build(dir.filePath(QStringLiteral("log%1.sqlite").arg(++n)));
        QVERIFY2(log->isOn(), qPrintable(log->problem()));
    }

    void cleanup()
    {
        win.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        log.reset();
    }

    void openFillSubmitAndResultAreLogged()
    {
        QCOMPARE(sites->progressLabel()->text(), QStringLiteral("0 of 4 done for ClipNest 3.2.1"));
        clickSite(0);
        shell::TbxWebTabSheet *sheet = waitForTab(1);
        QTRY_COMPARE_WITH_TIMEOUT(kinds(history(0)), QStringList({"open", "fill"}), 15000);
        QCOMPARE(history(0).at(0).address, server.url(QStringLiteral("a/submit.htm")).toString());
        QCOMPARE(history(0).at(1).detail, QStringLiteral("3 controls"));
        QCOMPARE(
            testpages::eval(sheet->browser()->page(), QStringLiteral("document.querySelector('[name=version]').value"))
                .toString(),
            QStringLiteral("3.2.1"));
        QVERIFY(itemState(0) == QLatin1String("open"));
        QVERIFY(sites->siteToolTip(0).contains(QLatin1String("Last: form filled (3 controls)")));

        win->submitForm();
        // The press, then the form sent as the next page starts, then that page.
        QTRY_COMPARE_WITH_TIMEOUT(kinds(history(0)).mid(2), QStringList({"press", "submit", "result"}), 15000);
        const QList<campaign::LoggedEvent> rows = history(0);
        QCOMPARE(rows.at(2).detail, QStringLiteral("Send it"));
        QCOMPARE(rows.at(3).detail, QStringLiteral("Send it"));
        QVERIFY2(rows.at(4).address.startsWith(server.url(QStringLiteral("a/thanks.htm")).toString()),
                 qPrintable(rows.at(4).address));
        QCOMPARE(rows.at(4).title, QStringLiteral("Thanks A"));

        // The next page loaded: one click marks the site done.
        QToolButton *offer = nullptr;
        QTRY_VERIFY((offer = tracker->offerOf(sheet)) != nullptr);
        QCOMPARE(offer->text(), QStringLiteral("Mark as done"));
        QTest::mouseClick(offer, Qt::LeftButton);
        QCOMPARE(itemState(0), QStringLiteral("done"));
        QVERIFY(sites->siteToolTip(0).startsWith(QLatin1String("Done for ClipNest 3.2.1")));
        QCOMPARE(sites->progressLabel()->text(), QStringLiteral("1 of 4 done for ClipNest 3.2.1"));
        QVERIFY(!tracker->offerOf(sheet));

        // A submit that leads to an error page: recorded with its status, no offer.
        clickSite(1);
        shell::TbxWebTabSheet *second = waitForTab(2);
        QTRY_COMPARE_WITH_TIMEOUT(kinds(history(1)), QStringList({"open", "fill"}), 15000);
        win->submitForm();
        QTRY_COMPARE_WITH_TIMEOUT(kinds(history(1)).value(4), QStringLiteral("result"), 15000);
        QCOMPARE(history(1).at(4).httpStatus, 404);
        QTest::qWait(300);
        QVERIFY(!tracker->offerOf(second));

        // The site's login page in the same tab: Login is logged for the site.
        win->withCtrl(true, [&] { win->OpenURL(server.url(QStringLiteral("b/login.htm")).toString()); });
        QTRY_COMPARE_WITH_TIMEOUT(second->title(), QStringLiteral("Log in"), 15000);
        QTRY_VERIFY_WITH_TIMEOUT(!second->browser()->isBusy(), 15000);
        win->login();
        QTRY_COMPARE_WITH_TIMEOUT(history(1).last().kind, QStringLiteral("login"), 15000);
        QCOMPARE(history(1).last().detail, QStringLiteral("Sign in"));

        // Closing the tab is the last event.
        win->CloseTabPage(sheet);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QTRY_COMPARE(history(0).last().kind, QStringLiteral("close"));
        QVERIFY(history(0).last().address.contains(QLatin1String("a/thanks.htm")));
    }

    void statesFilterCounterAndNextSite()
    {
        QListWidget *list = sites->siteList();
        sites->setSiteState(0, State::Done);
        sites->showSiteMenu(1, list->mapToGlobal(QPoint(5, 5)));
        sites->siteMenu()->findChild<QAction *>(QStringLiteral("actSiteSkipped"))->trigger();
        sites->siteMenu()->hide();
        answerNextDialog(QStringLiteral("captcha broken"));
        sites->showSiteMenu(2, list->mapToGlobal(QPoint(5, 5)));
        sites->siteMenu()->findChild<QAction *>(QStringLiteral("actSiteFailed"))->trigger();
        sites->siteMenu()->hide();

        QCOMPARE(itemState(0), QStringLiteral("done"));
        QCOMPARE(itemState(1), QStringLiteral("skipped"));
        QCOMPARE(itemState(2), QStringLiteral("failed"));
        QCOMPARE(itemState(3), QStringLiteral("open"));
        QVERIFY(sites->siteToolTip(2).contains(QLatin1String("Note: captcha broken")));
        QVERIFY(sites->siteToolTip(3).contains(QLatin1String("Nothing logged yet")));
        QVERIFY(!sites->siteMark(0).isNull());
        QVERIFY(sites->siteMark(0).cacheKey() != sites->siteMark(1).cacheKey());
        // The list paints the marks: the done row differs from an open one.
        const QImage shot = list->viewport()->grab().toImage();
        const QRect r0 = list->visualItemRect(list->item(0)), r3 = list->visualItemRect(list->item(3));
        QVERIFY(shot.copy(r0.left(), r0.top(), 16, r0.height()) != shot.copy(r3.left(), r3.top(), 16, r3.height()));
        // Resting the mouse on a row shows its tooltip.
        const QPoint p2 = list->visualItemRect(list->item(2)).center();
        QHelpEvent help(QEvent::ToolTip, p2, list->viewport()->mapToGlobal(p2));
        QApplication::sendEvent(list->viewport(), &help);
        QTRY_VERIFY(QToolTip::text().startsWith(QLatin1String("Failed for ClipNest 3.2.1")));
        QVERIFY(QToolTip::text().contains(QLatin1String("Note: captcha broken")));
        QToolTip::hideText();
        QCOMPARE(sites->progressLabel()->text(), QStringLiteral("1 of 4 done for ClipNest 3.2.1"));

        // The filter hides what is done for this version only.
        sites->filterBox()->setCurrentIndex(1);
        QCOMPARE(sites->filterBox()->currentText(), QStringLiteral("Not done for this version"));
        QVERIFY(list->isRowHidden(0));
        QVERIFY(!list->isRowHidden(1) && !list->isRowHidden(2) && !list->isRowHidden(3));

        // Next site, from the first row: B is skipped, C failed is still to do.
        ctrl = true; // a new tab all the same
        list->setCurrentRow(0);
        QAction *next = win->action(QStringLiteral("actNextSite"));
        QVERIFY(next);
        QCOMPARE(next->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
        QVERIFY(win->menuNamed(QStringLiteral("Submission"))->actions().contains(next));
        QVERIFY(win->buttonBand()->actions().contains(next));
        next->trigger();
        shell::TbxWebTabSheet *c = waitForTab(1);
        QCOMPARE(list->currentRow(), 2);
        QTRY_COMPARE_WITH_TIMEOUT(kinds(history(2)).value(1), QStringLiteral("open"), 15000);
        QCOMPARE(history(2).at(1).address, server.url(QStringLiteral("c/submit.htm")).toString());
        // Ctrl+N with the keyboard in the page goes to the window all the same.
        {
            shell::TKeyRouter router(win.get());
            router.install();
            win->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(win.get()));
            QTRY_VERIFY_WITH_TIMEOUT(!c->browser()->isBusy(), 15000);
            win->FocusPage();
            QTRY_VERIFY(QApplication::focusWidget() &&
                        (QApplication::focusWidget() == c->browser() ||
                         c->browser()->isAncestorOf(QApplication::focusWidget())));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::ControlModifier);
            router.remove();
        }
        shell::TbxWebTabSheet *d = waitForTab(2);
        QCOMPARE(list->currentRow(), 3);
        QTRY_COMPARE_WITH_TIMEOUT(d->browser()->url(), server.url(QStringLiteral("d/submit.htm")), 15000);

        // The tab's context menu sets the state of the current tab's site.
        QCOMPARE(win->CurrentPage(), d);
        QMenu *tabStates = win->tabMenu()->findChild<QMenu *>(QStringLiteral("popTabSiteState"));
        QVERIFY(tabStates);
        tabStates->findChild<QAction *>(QStringLiteral("actTabSiteDone"))->trigger();
        QCOMPARE(itemState(3), QStringLiteral("done"));
        QVERIFY(list->isRowHidden(3));
        QCOMPARE(sites->progressLabel()->text(), QStringLiteral("2 of 4 done for ClipNest 3.2.1"));

        // Around the end of the list to C, the only site left.
        next->trigger();
        waitForTab(3);
        QCOMPARE(list->currentRow(), 2);
        sites->setSiteState(2, State::Done);
        next->trigger();
        QTest::qWait(200);
        QCOMPARE(win->pageCount(), 3);
        QCOMPARE(messages, QStringList({"message:Every site is done or skipped for ClipNest 3.2.1."}));

        // Back to open: the site is listed and offered again.
        sites->setSiteState(3, State::Open);
        QVERIFY(!list->isRowHidden(3));
        QCOMPARE(sites->nextSiteRow(), 3);

        // Another version is a campaign of its own.
        record.Edit();
        record.setFieldText(QStringLiteral("Program_Version"), QStringLiteral("3.3"));
        record.Post();
        QCOMPARE(sites->progressLabel()->text(), QStringLiteral("0 of 4 done for ClipNest 3.3"));
        QCOMPARE(itemState(0), QStringLiteral("open"));
        record.Edit();
        record.setFieldText(QStringLiteral("Program_Version"), QStringLiteral("3.2.1"));
        record.Post();
        QCOMPARE(itemState(0), QStringLiteral("done"));
    }

    void tabMenuActsOnTheClickedTab()
    {
        clickSite(0);
        shell::TbxWebTabSheet *a = waitForTab(1);
        clickSite(1);
        shell::TbxWebTabSheet *b = waitForTab(2);
        QTRY_COMPARE_WITH_TIMEOUT(kinds(history(1)).value(0), QStringLiteral("open"), 15000);
        QCOMPARE(win->CurrentPage(), b);
        QVERIFY(a != b);
        // Right-click A's tab, not the current one.
        auto *bar = win->tabStrip()->findChild<QTabBar *>();
        QVERIFY(bar);
        const QPoint at = bar->tabRect(0).center();
        QContextMenuEvent click(QContextMenuEvent::Mouse, at, bar->mapToGlobal(at));
        QApplication::sendEvent(bar, &click);
        QTRY_VERIFY(win->tabMenu()->isVisible());
        QCOMPARE(tracker->menuTab(), a);
        QMenu *tabStates = win->tabMenu()->findChild<QMenu *>(QStringLiteral("popTabSiteState"));
        QVERIFY(tabStates->isEnabled());
        answerNextDialog(QStringLiteral("form gone"));
        tabStates->findChild<QAction *>(QStringLiteral("actTabSiteFailed"))->trigger();
        win->tabMenu()->hide();
        QCOMPARE(itemState(0), QStringLiteral("failed"));
        QCOMPARE(itemState(1), QStringLiteral("open"));
        QVERIFY(sites->siteToolTip(0).contains(QLatin1String("Note: form gone")));
        QCOMPARE(win->CurrentPage(), b);
    }

    void refusedSubmitIsLoggedAsAPressOnly()
    {
        clickSite(2);
        shell::TbxWebTabSheet *sheet = waitForTab(1);
        QTRY_COMPARE_WITH_TIMEOUT(kinds(history(2)), QStringList({"open", "fill"}), 15000);
        win->withCtrl(true, [&] { win->OpenURL(server.url(QStringLiteral("c/refuse.htm")).toString()); });
        QTRY_COMPARE_WITH_TIMEOUT(sheet->title(), QStringLiteral("Refuses"), 15000);
        QTRY_VERIFY_WITH_TIMEOUT(!sheet->browser()->isBusy(), 15000);
        // The automatic fill of the new page ends after its load.
        QTRY_COMPARE_WITH_TIMEOUT(kinds(history(2)).count(QStringLiteral("fill")), 2, 15000);
        const int before = int(history(2).size());
        win->submitForm();
        QTRY_COMPARE_WITH_TIMEOUT(history(2).last().kind, QStringLiteral("press"), 15000);
        QCOMPARE(history(2).last().detail, QStringLiteral("Send it"));
        QTRY_VERIFY_WITH_TIMEOUT(sheet->statusPanel()->text().contains(QLatin1String("did not send the form")),
                                 shell::TCampaignTracker::kSendWaitMs + 5000);
        // Nothing but the press: no form sent, no result.
        QCOMPARE(kinds(history(2)).mid(before), QStringList({"press"}));
        QVERIFY(sheet->browser()->url().toString().endsWith(QLatin1String("c/refuse.htm")));
        QVERIFY(!tracker->offerOf(sheet));
        QVERIFY(sites->siteToolTip(2).contains(QLatin1String("Last: Submit pressed (Send it)")));
    }

    void filterChoiceIsKeptInTheSettingsFile()
    {
        QTemporaryDir folder;
        const shell::Settings settings(folder.path());
        shell::rememberSiteFilter(sites, settings);
        QVERIFY(!sites->notDoneFilter());
        sites->filterBox()->setFocus();
        QTest::keyClick(sites->filterBox(), Qt::Key_Down);
        QVERIFY(sites->notDoneFilter());
        QVERIFY(settings.notDoneFilter());
        QFile ini(settings.filePath());
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QVERIFY(ini.readAll().contains("NotDoneOnly=1"));
        // The next start shows the list as it was left.
        sites::TSitesPanel again;
        shell::rememberSiteFilter(&again, settings);
        QVERIFY(again.notDoneFilter());
        QCOMPARE(again.filterBox()->currentText(), QStringLiteral("Not done for this version"));
    }

    void corruptDatabaseIsLeftAloneAndBrowsingGoesOn()
    {
        cleanup();
        const QString path = dir.filePath(QStringLiteral("corrupt.sqlite"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, '\x5a'));
        f.close();
        build(path);
        QVERIFY(!log->isOn());
        QVERIFY(log->problem().contains(path));
        QCOMPARE(sites->progressLabel()->text(), QStringLiteral("Submissions are not logged."));
        QVERIFY(sites->siteToolTip(0).isEmpty());

        clickSite(0);
        shell::TbxWebTabSheet *sheet = waitForTab(1);
        QTRY_COMPARE_WITH_TIMEOUT(
            testpages::eval(sheet->browser()->page(), QStringLiteral("document.querySelector('[name=title]').value"))
                .toString(),
            QStringLiteral("ClipNest"), 15000);
        win->action(QStringLiteral("actNextSite"))->trigger();
        waitForTab(2);
        QCOMPARE(sites->siteList()->currentRow(), 1);
        QFile again(path);
        QVERIFY(again.open(QIODevice::ReadOnly));
        QCOMPARE(again.readAll(), QByteArray(4096, '\x5a'));
        QVERIFY(messages.isEmpty());
    }
};

int main(int argc, char **argv)
{
    web::prepareWebEngineEnvironment();
    QApplication app(argc, argv);
    TestCampaign t;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&t, argc, argv);
}

#include "test_campaign.moc"
