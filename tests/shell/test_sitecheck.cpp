// "Check sites" in the window, against a server on 127.0.0.1: the progress in
// the status bar, the marks, tooltips and filter of the site list, "Next
// site" passing unreachable sites by, cancelling, and the results kept in the
// submission log's file across a restart, beside the log's own tables.
#include "campaign/sitecheckstore.h"
#include "campaign/submissionlog.h"
#include "platform/messages.h"
#include "shell/settings.h"
#include "shell/sitecheckcommand.h"
#include "sites/sitechecker.h"
#include "sites/sitecheckview.h"
#include "sites/sitespanel.h"
#include "support/checkserver.h"

#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

using testsupport::CheckAnswer;
using testsupport::CheckServer;

namespace {

const QByteArray kFormPage = "<html><body><form action=/send><input name=Program_Name></form></body></html>";

// The main window's part in a check: the site list beside a status bar.
struct Window {
    QMainWindow window;
    sites::TSitesPanel *panel = new sites::TSitesPanel;
    campaign::SubmissionLog log;
    shell::TSiteCheckCommand *command = nullptr;

    Window(const QString &directory, const QString &database)
    {
        window.setCentralWidget(panel);
        panel->loadDirectory(directory);
        log.open(database);
        panel->setSubmissionLog(&log, [] { return campaign::Campaign {QStringLiteral("ClipNest"), "3.2"}; });
        command = new shell::TSiteCheckCommand(&window, panel, database);
        command->setLimits(4, 2);
        window.resize(600, 400);
        window.show();
    }
};

} // namespace

class SiteCheckCommandTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    CheckServer m_server;
    QString m_directory;
    QString m_database;
    QStringList m_messages; // boxes the program would have shown

    void writeDirectory(const QStringList &paths)
    {
        QByteArray dat = "1\r\n";
        for (const QString &p : paths)
            dat += ("*Site " + p + "\r\n" + m_server.url(p) + "\r\n\r\n").toUtf8();
        QFile f(m_directory);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(dat);
    }

    void removeDatabase()
    {
        for (const char *end : {"", "-wal", "-shm"})
            QFile::remove(m_database + QLatin1String(end));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        platform::setMessageSink([this](const QString &, const QString &text) {
            m_messages << text;
            return true;
        });
        m_directory = m_dir.filePath(QStringLiteral("padsites.dat"));
        m_database = m_dir.filePath(QStringLiteral("submissions.sqlite"));
        QVERIFY(m_server.listenLocal());
        m_server.answer = [this](const QByteArray &, const QByteArray &path) {
            CheckAnswer a {200, {}, kFormPage};
            if (path.startsWith("/dead"))
                a.status = 404;
            else if (path == "/moved") {
                a.status = 301;
                a.headers = "Location: " + m_server.url("new", "localhost").toUtf8() + "\r\n";
            } else if (path == "/noform")
                a.body = "<html><body>Closed.</body></html>";
            else if (path.startsWith("/silent"))
                a.silent = true;
            return a;
        };
    }

    // Every result was kept: no box was shown.
    void cleanup() { QCOMPARE(m_messages, QStringList()); }

    void checkShowsInTheListAndSurvivesARestart()
    {
        writeDirectory({"live", "dead1", "moved", "noform", "dead2", "live2"});
        {
            Window w(m_directory, m_database);
            QSignalSpy finished(w.command, &shell::TSiteCheckCommand::finished);
            w.command->checkAll();
            QVERIFY(w.command->progressBox()->isVisible());
            QVERIFY(w.window.statusBar()->isVisible());
            QVERIFY(finished.wait(20000));
            QCOMPARE(finished.first().first().toBool(), false);
            QVERIFY(!w.command->progressBox()->isVisible());
            QCOMPARE(w.command->progressText(), QStringLiteral("Checked 6 of 6 sites \u2014 2 unreachable"));
            QVERIFY(w.window.statusBar()->currentMessage().contains(QStringLiteral("2 unreachable")));
        }
        // A new start reads what was found.
        Window w(m_directory, m_database);
        sites::TSitesPanel *p = w.panel;
        QVERIFY(p->isUnreachable(1));
        QVERIFY(p->isUnreachable(4));
        for (int row : {0, 2, 3, 5})
            QVERIFY(!p->isUnreachable(row));
        // Marks: none on a live page, one of its own for each other kind.
        const sites::SiteCheckView *view = w.command->view();
        QVERIFY(view->mark(p->site(0), p->chosenAddress(0)).isNull());
        QVERIFY(!view->mark(p->site(1), p->chosenAddress(1)).isNull());
        QVERIFY(!view->mark(p->site(2), p->chosenAddress(2)).isNull());
        QVERIFY(!view->mark(p->site(3), p->chosenAddress(3)).isNull());
        QCOMPARE(p->siteMark(0).actualSize(QSize(40, 12)), QSize(26, 12));
        QVERIFY(p->siteToolTip(1).contains(QStringLiteral("New-release page: HTTP 404 (checked ")));
        QVERIFY(p->siteToolTip(2).contains(QStringLiteral("moved to localhost")));
        QVERIFY(p->siteToolTip(3).contains(QStringLiteral("page without a form")));
        QVERIFY(p->siteToolTip(0).startsWith(QStringLiteral("Open for ClipNest 3.2"))); // the campaign's part stays

        // The filter "Reachable, not done" hides the unreachable and the done.
        p->setSiteState(5, campaign::State::Done);
        p->filterBox()->setCurrentIndex(2);
        QCOMPARE(p->filterBox()->currentText(), QStringLiteral("Reachable, not done"));
        QList<int> shown;
        for (int i = 0; i < p->siteList()->count(); ++i)
            if (!p->siteList()->isRowHidden(i))
                shown << i;
        QCOMPARE(shown, (QList<int> {0, 2, 3}));

        // "Next site" passes the unreachable site by and says so.
        QSignalSpy chosen(p, &sites::TSitesPanel::siteChosen);
        p->siteList()->setCurrentRow(0);
        QVERIFY(p->openNextSite()); // row 1 is unreachable
        QCOMPARE(chosen.last().first().toInt(), 2);
        QVERIFY(w.window.statusBar()->currentMessage().contains(QStringLiteral("unreachable")));
        p->siteList()->setCurrentRow(3);
        QVERIFY(p->openNextSite()); // 4 unreachable, 5 done: round to 0
        QCOMPARE(chosen.last().first().toInt(), 0);

        // The log shares the file and still reads it.
        campaign::SubmissionLog again;
        QVERIFY(again.open(m_database));
        QCOMPARE(again.statuses({QStringLiteral("ClipNest"), "3.2"}, p->campaignSites())[5].state,
                 campaign::State::Done);
    }

    void oneSiteFromItsContextMenu()
    {
        writeDirectory({"live", "dead1"});
        removeDatabase();
        Window w(m_directory, m_database);
        QSignalSpy finished(w.command, &shell::TSiteCheckCommand::finished);
        w.panel->showSiteMenu(1, QPoint(10, 10));
        QVERIFY(w.panel->siteMenu()->actions().contains(w.command->checkSiteAction()));
        w.panel->siteMenu()->close();
        w.command->checkSiteAction()->trigger();
        QVERIFY(finished.wait(20000));
        QCOMPARE(w.command->progressText(), QStringLiteral("Checked 1 of 1 sites \u2014 1 unreachable"));
        QVERIFY(w.panel->isUnreachable(1));
        QVERIFY(!w.command->view()->checkOf(w.panel->site(0), w.panel->chosenAddress(0)).isValid());
    }

    void cancelInTheMiddleKeepsWhatWasChecked()
    {
        writeDirectory({"live", "dead1", "silent1", "silent2", "silent3", "silent4", "silent5", "live2"});
        removeDatabase();
        {
            Window w(m_directory, m_database);
            w.command->setLimits(1, 60);
            w.command->checkAll();
            QTRY_COMPARE(w.command->checker()->done(), 2);
            QTest::qWait(100);
            QSignalSpy finished(w.command, &shell::TSiteCheckCommand::finished);
            QTest::mouseClick(w.window.findChild<QPushButton *>(QStringLiteral("btnSiteCheckCancel")), Qt::LeftButton);
            QCOMPARE(finished.size(), 1);
            QCOMPARE(finished.first().first().toBool(), true);
            QVERIFY(w.window.statusBar()->currentMessage().startsWith(QStringLiteral("Check cancelled")));
            QVERIFY(!w.command->isRunning());
        }
        campaign::SiteCheckStore store;
        QVERIFY(store.openForReading(m_database));
        const auto kept = store.latest();
        QCOMPARE(kept.size(), 2);
        Window w(m_directory, m_database);
        QVERIFY(w.panel->isUnreachable(1));
        QVERIFY(!w.command->view()->checkOf(w.panel->site(7), w.panel->chosenAddress(7)).isValid());
    }

    void limitsFromTheSettingsFile()
    {
        QTemporaryDir folder;
        const shell::Settings settings(folder.path());
        QCOMPARE(settings.siteCheckJobs(), 8);
        QCOMPARE(settings.siteCheckTimeout(), 15);
        QFile ini(folder.filePath(QStringLiteral("quillet.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[SiteCheck]\r\nJobs=3\r\nTimeout=0\r\n");
        ini.close();
        QCOMPARE(settings.siteCheckJobs(), 3);
        QCOMPARE(settings.siteCheckTimeout(), 1); // at least a second
    }

    void aFileOfAnotherProgramIsLeftAlone()
    {
        const QString other = m_dir.filePath(QStringLiteral("other.sqlite"));
        {
            QFile f(other);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("not a database at all, just text that happens to have the name");
        }
        campaign::SiteCheckStore store;
        QVERIFY(!store.open(other));
        QVERIFY(store.problem().contains(QStringLiteral("other.sqlite")));

        // The window says so once and checks all the same, without keeping.
        writeDirectory({"live", "dead1"});
        {
            Window w(m_directory, other);
            QSignalSpy finished(w.command, &shell::TSiteCheckCommand::finished);
            w.command->checkAll();
            QVERIFY(finished.wait(20000));
            QVERIFY(w.panel->isUnreachable(1));
            QTRY_COMPARE(m_messages.size(), 1);
            QVERIFY(m_messages.first().contains(QStringLiteral("other.sqlite")));
            w.command->checkAll();
            QVERIFY(finished.wait(20000));
            QTest::qWait(50);
            QCOMPARE(m_messages.size(), 1);
            m_messages.clear();
        }
        QFile f(other);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("not a database at all, just text that happens to have the name"));
    }
};

QTEST_MAIN(SiteCheckCommandTest)
#include "test_sitecheck.moc"
