// The submission log on real SQLite files: events and states per site and
// release, history kept across renames and removals, files that cannot be used
// (corrupt, another program's, locked, a folder, read-only) refused and left
// untouched, and a writer killed with SIGKILL losing nothing it committed.
#include "campaign/campaignreport.h"
#include "campaign/csvcell.h"
#include "campaign/sitecheckstore.h"
#include "campaign/submissionlog.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <unistd.h>

using namespace campaign;

namespace {

const Campaign kRelease {QStringLiteral("ClipNest"), QStringLiteral("3.2.1")};
const Site kAlpha {QStringLiteral("Alpha Downloads"), QStringLiteral("http://alpha.example/new"),
                   QStringLiteral("http://alpha.example/upd")};
const Site kBeta {QStringLiteral("Beta Soft"), QStringLiteral("http://beta.example/new"), QString()};

Event ev(EventKind kind, const QString &detail = QString())
{
    Event e;
    e.kind = kind;
    e.detail = detail;
    e.address = QStringLiteral("http://x.example/");
    return e;
}

QByteArray digest(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// The writer for the kill test: records events one by one and says after
// each that it is committed, then waits to be killed.
int drive(const QString &path, int count)
{
    SubmissionLog log;
    if (!log.open(path)) {
        std::fprintf(stderr, "%s\n", qPrintable(log.problem()));
        return 1;
    }
    for (int i = 1; i <= count; ++i) {
        if (!log.record(kRelease, kAlpha, ev(EventKind::Filled, QString::number(i))))
            return 1;
        std::printf("committed %d\n", i);
        std::fflush(stdout);
    }
    for (;;)
        pause();
}

// One of two copies of the program writing the same log at once: events for
// ten sites in turn, each site added by whichever copy comes first.
int share(const QString &path, const QString &who, int count)
{
    SubmissionLog log;
    if (!log.open(path)) {
        std::fprintf(stderr, "%s\n", qPrintable(log.problem()));
        return 1;
    }
    for (int i = 0; i < count; ++i) {
        const Site site {QStringLiteral("Site %1").arg(i % 10), QStringLiteral("http://s%1.example/").arg(i % 10),
                         QString()};
        // Reading the states now and then, as the site list does.
        if (i % 7 == 0)
            log.statuses(kRelease, {site});
        if (!log.record(kRelease, site, ev(EventKind::Filled, who + QString::number(i)))) {
            std::fprintf(stderr, "%s\n", qPrintable(log.problem()));
            return 1;
        }
    }
    return 0;
}

} // namespace

class TestSubmissionLog : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir;
    int n = 0;
    QString fresh() { return dir.filePath(QStringLiteral("log%1.sqlite").arg(++n)); }

private Q_SLOTS:
    void initTestCase() { QVERIFY(dir.isValid()); }

    void eventsAndStatesPerSiteAndRelease()
    {
        const QString path = fresh();
        SubmissionLog log;
        QVERIFY2(log.open(path), qPrintable(log.problem()));
        // Made with the first event, not before.
        QVERIFY(!QFile::exists(path));
        QCOMPARE(log.statuses(kRelease, {kAlpha}).at(0).events, 0);
        QSignalSpy changed(&log, &SubmissionLog::changed);
        QVERIFY2(log.record(kRelease, kAlpha, ev(EventKind::Opened)), qPrintable(log.problem()));
        QVERIFY(QFile::exists(path));
        QVERIFY(log.record(kRelease, kAlpha, ev(EventKind::Filled, QStringLiteral("12 controls"))));
        Event result = ev(EventKind::Result);
        result.httpStatus = 404;
        result.title = QStringLiteral("Not here");
        QVERIFY(log.record(kRelease, kAlpha, result));
        QVERIFY(log.setState(kRelease, kAlpha, State::Failed, QStringLiteral("captcha")));
        QVERIFY(log.setState(kRelease, kBeta, State::Skipped));
        // Another version of the same program is a campaign of its own.
        QVERIFY(log.setState({kRelease.program, QStringLiteral("3.2.0")}, kBeta, State::Done));
        QCOMPARE(changed.count(), 6);

        const QList<SiteStatus> st = log.statuses(kRelease, {kAlpha, kBeta});
        QCOMPARE(st.size(), 2);
        QCOMPARE(st[0].state, State::Failed);
        QCOMPARE(st[0].note, QStringLiteral("captcha"));
        QCOMPARE(st[0].events, 4);
        QCOMPARE(st[0].last.kind, QStringLiteral("result"));
        QCOMPARE(st[0].last.httpStatus, 404);
        QCOMPARE(st[0].last.title, QStringLiteral("Not here"));
        QVERIFY(qAbs(st[0].last.time.secsTo(QDateTime::currentDateTimeUtc())) < 60);
        QCOMPARE(st[1].state, State::Skipped);
        QVERIFY(!st[1].last.isValid());

        // Back to open; the history stays.
        QVERIFY(log.setState(kRelease, kAlpha, State::Open));
        QCOMPARE(log.statuses(kRelease, {kAlpha}).at(0).state, State::Open);
        QCOMPARE(log.statuses(kRelease, {kAlpha}).at(0).note, QString());
        QCOMPARE(log.history(kRelease, kAlpha).size(), 5);

        // A second start reads what the first wrote.
        SubmissionLog again;
        QVERIFY(again.open(path));
        QCOMPARE(again.statuses({kRelease.program, QStringLiteral("3.2.0")}, {kAlpha, kBeta}).at(1).state, State::Done);

        const QByteArray csv =
            formatReport(kRelease, {kAlpha, kBeta}, again.statuses(kRelease, {kAlpha, kBeta}), {}, ReportFormat::Csv);
        const QList<QByteArray> lines = csv.split('\n');
        QVERIFY(lines[0].startsWith("site,new_release_url,update_url,listed,state,"));
        QVERIFY2(lines[1].startsWith("Alpha Downloads,http://alpha.example/new,http://alpha.example/upd,yes,open,,"),
                 lines[1].constData());
        QVERIFY(lines[2].startsWith("Beta Soft,http://beta.example/new,,yes,skipped,"));
    }

    void renamedMovedAndRemovedSitesKeepTheirHistory()
    {
        SubmissionLog log;
        QVERIFY(log.open(fresh()));
        QVERIFY(log.setState(kRelease, kAlpha, State::Done));
        QVERIFY(log.record(kRelease, kBeta, ev(EventKind::Submit, QStringLiteral("Send"))));

        // Renamed, same addresses.
        const Site renamed {QStringLiteral("Alpha Software Archive"), kAlpha.newReleaseUrl, kAlpha.updateUrl};
        // Same name, both pages moved.
        const Site moved {kBeta.name, QStringLiteral("http://beta.example/v2/new"), QString()};
        const Site other {QStringLiteral("Gamma"), QStringLiteral("http://gamma.example/"), QString()};
        QList<SiteStatus> st = log.statuses(kRelease, {other, renamed, moved});
        QCOMPARE(st[0].events, 0);
        QCOMPARE(st[1].state, State::Done);
        QCOMPARE(st[2].last.kind, QStringLiteral("submit"));
        QCOMPARE(st[2].last.detail, QStringLiteral("Send"));
        QVERIFY(log.unlisted(kRelease, {other, renamed, moved}).isEmpty());

        // Removed from the directory: listed apart, history whole.
        const auto gone = log.unlisted(kRelease, {other, moved});
        QCOMPARE(gone.size(), 1);
        QCOMPARE(gone[0].first.name, kAlpha.name);
        QCOMPARE(gone[0].second.state, State::Done);
        const QByteArray json =
            formatReport(kRelease, {other, moved}, log.statuses(kRelease, {other, moved}), gone, ReportFormat::Json);
        QVERIFY(json.contains("\"listed\": false"));
        QVERIFY(json.contains("\"progress\": \"0 of 2 done for ClipNest 3.2.1\""));
    }

    void corruptFileIsRefusedAndLeftAlone()
    {
        const QString path = fresh();
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QByteArray junk;
        for (int i = 0; i < 8192; ++i)
            junk += char((i * 7919) & 0xff);
        f.write(junk);
        f.close();
        const QByteArray before = digest(path);

        SubmissionLog log;
        QVERIFY(!log.open(path));
        QVERIFY(!log.isOn());
        QVERIFY2(log.problem().contains(path), qPrintable(log.problem()));
        QVERIFY2(log.problem().contains(QLatin1String("not a database")), qPrintable(log.problem()));
        QVERIFY(!log.record(kRelease, kAlpha, ev(EventKind::Opened)));
        QVERIFY(!log.setState(kRelease, kAlpha, State::Done));
        QCOMPARE(log.statuses(kRelease, {kAlpha}).at(0).state, State::Open);
        QCOMPARE(digest(path), before);
        QVERIFY(!QFile::exists(path + QStringLiteral("-wal")));

        SubmissionLog reader;
        QVERIFY(!reader.openForReading(path));
        QCOMPARE(digest(path), before);
    }

    void anotherProgramsDatabaseIsRefused()
    {
        const QString path = fresh();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec(QStringLiteral("CREATE TABLE recipes (name TEXT)")));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("other"));
        const QByteArray before = digest(path);
        SubmissionLog log;
        QVERIFY(!log.open(path));
        QVERIFY2(log.problem().contains(QLatin1String("not a submission log")), qPrintable(log.problem()));
        QCOMPARE(digest(path), before);
    }

    void lockedFolderAndReadOnlyFilesAreRefused()
    {
        // Locked: another writer holds the database.
        const QString path = fresh();
        {
            SubmissionLog first;
            QVERIFY(first.open(path));
        }
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery hold(db);
            QVERIFY(hold.exec(QStringLiteral("BEGIN EXCLUSIVE")));
            SubmissionLog log;
            QVERIFY(!log.open(path));
            QVERIFY2(log.problem().contains(path) && log.problem().contains(QLatin1String("locked")),
                     qPrintable(log.problem()));
            QVERIFY(hold.exec(QStringLiteral("ROLLBACK")));
            hold.finish();
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("holder"));

        // A folder where the file should be.
        const QString folder = fresh();
        QVERIFY(QDir().mkpath(folder));
        SubmissionLog log;
        QVERIFY(!log.open(folder));
        QVERIFY(log.problem().contains(folder));
        QVERIFY(QFileInfo(folder).isDir());

        // A file the user may not write (root may write anything).
        if (geteuid() != 0) {
            const QString ro = fresh();
            {
                SubmissionLog w;
                QVERIFY(w.open(ro));
                QVERIFY(w.setState(kRelease, kAlpha, State::Done));
            }
            QFile::setPermissions(ro, QFileDevice::ReadOwner);
            const QByteArray before = digest(ro);
            SubmissionLog log2;
            QVERIFY(!log2.open(ro));
            QVERIFY2(log2.problem().contains(ro), qPrintable(log2.problem()));
            QCOMPARE(digest(ro), before);
            // A folder the user may not write: nothing is created there.
            const QString locked = fresh();
            QVERIFY(QDir().mkpath(locked));
            QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            SubmissionLog log3;
            QVERIFY(!log3.open(QDir(locked).filePath(QStringLiteral("submissions.sqlite"))));
            QVERIFY2(log3.problem().contains(locked), qPrintable(log3.problem()));
            QVERIFY(QDir(locked).isEmpty());
            // Still readable for --campaign.
            SubmissionLog reader;
            QVERIFY2(reader.openForReading(ro), qPrintable(reader.problem()));
            QCOMPARE(reader.statuses(kRelease, {kAlpha}).at(0).state, State::Done);
        }
    }

    void failureInUseSwitchesTheLogOffOnce()
    {
        const QString path = fresh();
        SubmissionLog log;
        QVERIFY(log.open(path));
        QVERIFY(log.record(kRelease, kAlpha, ev(EventKind::Opened)));
        QSignalSpy off(&log, &SubmissionLog::switchedOff);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("breaker"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec(QStringLiteral("DROP TABLE events")));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("breaker"));
        QVERIFY(!log.record(kRelease, kAlpha, ev(EventKind::Opened)));
        QVERIFY(!log.isOn());
        QCOMPARE(off.count(), 1);
        QVERIFY(off.at(0).at(0).toString().contains(path));
        QVERIFY(!log.setState(kRelease, kAlpha, State::Done));
        QCOMPARE(off.count(), 1);
        QVERIFY(QFileInfo(path).size() > 0);
    }

    void missingFileReadsAsEmptyAndIsNotCreated()
    {
        const QString path = fresh();
        SubmissionLog reader;
        QVERIFY(reader.openForReading(path));
        QCOMPARE(reader.statuses(kRelease, {kAlpha}).at(0).state, State::Open);
        QVERIFY(!QFile::exists(path));
    }

    void twoWritersShareOneFile()
    {
        // Two connections: the second has read the sites table before the
        // first adds a site, then logs that same site.
        const QString path = fresh();
        SubmissionLog a, b;
        QVERIFY(a.open(path));
        QVERIFY(a.record(kRelease, kAlpha, ev(EventKind::Opened)));
        QVERIFY(b.open(path));
        QCOMPARE(b.statuses(kRelease, {kAlpha, kBeta}).at(0).events, 1);
        QVERIFY(a.record(kRelease, kBeta, ev(EventKind::Opened)));
        QVERIFY2(b.record(kRelease, kBeta, ev(EventKind::Filled)), qPrintable(b.problem()));
        QVERIFY2(b.setState(kRelease, kBeta, State::Done), qPrintable(b.problem()));
        QVERIFY(a.isOn() && b.isOn());
        for (SubmissionLog *log : {&a, &b}) {
            const QList<SiteStatus> st = log->statuses(kRelease, {kAlpha, kBeta});
            QCOMPARE(st[0].events, 1);
            QCOMPARE(st[1].events, 3);
            QCOMPARE(st[1].state, State::Done);
            QCOMPARE(st[1].last.kind, QStringLiteral("fill"));
        }

        // Two processes writing at once, from a file that does not exist yet.
        const QString shared = fresh();
        QProcess one, two;
        const QString self = QCoreApplication::applicationFilePath();
        one.start(self, {QStringLiteral("--share"), shared, QStringLiteral("a"), QStringLiteral("150")});
        two.start(self, {QStringLiteral("--share"), shared, QStringLiteral("b"), QStringLiteral("150")});
        QVERIFY(one.waitForFinished(60000) && two.waitForFinished(60000));
        QVERIFY2(one.exitCode() == 0, one.readAllStandardError().constData());
        QVERIFY2(two.exitCode() == 0, two.readAllStandardError().constData());
        SubmissionLog reader;
        QVERIFY(reader.openForReading(shared));
        QList<Site> sites;
        for (int i = 0; i < 10; ++i)
            sites.append({QStringLiteral("Site %1").arg(i), QStringLiteral("http://s%1.example/").arg(i), QString()});
        const QList<SiteStatus> st = reader.statuses(kRelease, sites);
        for (int i = 0; i < 10; ++i)
            QCOMPARE(st[i].events, 30);
        QStringList details;
        for (const LoggedEvent &e : reader.history(kRelease, sites[3]))
            details << e.detail;
        for (const char *who : {"a", "b"})
            for (int i = 3; i < 150; i += 10)
                QVERIFY(details.contains(QLatin1String(who) + QString::number(i)));
        QVERIFY(reader.unlisted(kRelease, sites).isEmpty());
    }

    void sitesOfOneNameKeepStatesOfTheirOwn()
    {
        const Site first {QStringLiteral("Soft Portal"), QStringLiteral("http://one.example/new"),
                          QStringLiteral("http://one.example/upd")};
        const Site second {QStringLiteral("Soft Portal"), QStringLiteral("http://two.example/new"),
                           QStringLiteral("http://two.example/upd")};
        const QString path = fresh();
        SubmissionLog log;
        QVERIFY(log.open(path));
        QVERIFY(log.setState(kRelease, second, State::Done, QStringLiteral("listed at once")));
        QVERIFY(log.setState(kRelease, first, State::Skipped, QStringLiteral("asks for money")));
        QVERIFY(log.record(kRelease, second, ev(EventKind::Submit, QStringLiteral("Send"))));
        const QList<SiteStatus> st = log.statuses(kRelease, {first, second});
        QCOMPARE(st[0].state, State::Skipped);
        QCOMPARE(st[0].note, QStringLiteral("asks for money")); // Done and Skipped keep their notes
        QCOMPARE(st[0].events, 1);
        QCOMPARE(st[1].state, State::Done);
        QCOMPARE(st[1].note, QStringLiteral("listed at once"));
        QCOMPARE(st[1].last.detail, QStringLiteral("Send"));
        QCOMPARE(log.history(kRelease, second).size(), 2);
        // The report puts each state on its own row.
        SubmissionLog reader;
        QVERIFY(reader.openForReading(path));
        const QList<QByteArray> lines =
            formatReport(kRelease, {first, second}, reader.statuses(kRelease, {first, second}), {}, ReportFormat::Csv)
                .split('\n');
        QVERIFY2(lines[1].startsWith("Soft Portal,http://one.example/new,http://one.example/upd,yes,skipped,"),
                 lines[1].constData());
        QVERIFY2(lines[2].startsWith("Soft Portal,http://two.example/new,http://two.example/upd,yes,done,"),
                 lines[2].constData());
        // Alone in the list, its own state still stands.
        QCOMPARE(reader.statuses(kRelease, {first}).at(0).state, State::Skipped);
    }

    void csvCellsAreNeverFormulas()
    {
        SubmissionLog log;
        QVERIFY(log.open(fresh()));
        Event result = ev(EventKind::Result);
        result.title = QStringLiteral("=HYPERLINK(\"http://evil.example/\",\"Click me\")");
        result.detail = QStringLiteral("@SUM(A1)");
        QVERIFY(log.record(kRelease, kAlpha, result));
        QVERIFY(log.setState(kRelease, kAlpha, State::Failed, QStringLiteral("-2+3")));
        const Site tabbed {QStringLiteral("\tTabbed"), QStringLiteral("+http://plus.example/"), QString()};
        const QList<Site> sites {kAlpha, tabbed};
        const QByteArray csv = formatReport(kRelease, sites, log.statuses(kRelease, sites), {}, ReportFormat::Csv);
        QVERIFY2(csv.contains(",\"'=HYPERLINK(\"\"http://evil.example/\"\",\"\"Click me\"\")\"\r\n"), csv.constData());
        QVERIFY(csv.contains(",'@SUM(A1),"));
        QVERIFY(csv.contains(",failed,'-2+3,"));
        QVERIFY(csv.contains("\r\n'\tTabbed,'+http://plus.example/,,yes,open,"));
        QCOMPARE(csvSafeText(QStringLiteral("\rx")), QStringLiteral("'\rx"));
        QCOMPARE(csvSafeText(QStringLiteral("Alpha =1")), QStringLiteral("Alpha =1"));
        QCOMPARE(csvSafeText(QString()), QString());
        // JSON keeps the text as it is.
        const QByteArray json = formatReport(kRelease, sites, log.statuses(kRelease, sites), {}, ReportFormat::Json);
        QVERIFY(json.contains("\"title\": \"=HYPERLINK("));
        QVERIFY(json.contains("\"note\": \"-2+3\""));
    }

    void fileMadeByTheSiteCheckBecomesALog()
    {
        // "Check sites" may make the file before anything is logged: it then
        // holds only the checks' table, and is still this program's log.
        const QString path = fresh();
        {
            SiteCheckStore checks;
            QVERIFY(checks.open(path));
            SiteCheck c;
            c.time = QDateTime::currentDateTimeUtc();
            c.site = kAlpha;
            c.address = kAlpha.newReleaseUrl;
            QVERIFY(checks.record(c));
        }
        SubmissionLog reader;
        QVERIFY2(reader.openForReading(path), qPrintable(reader.problem()));
        QCOMPARE(reader.statuses(kRelease, {kAlpha}).at(0).events, 0);
        SubmissionLog log;
        QVERIFY2(log.open(path), qPrintable(log.problem()));
        QVERIFY2(log.record(kRelease, kAlpha, ev(EventKind::Opened)), qPrintable(log.problem()));
        QCOMPARE(log.statuses(kRelease, {kAlpha}).at(0).events, 1);
        SiteCheckStore again;
        QVERIFY(again.openForReading(path));
    }

    void logWithForeignTablesIsCheckedBeforeAnyChange()
    {
        // The program's application id, but tables of something else.
        const QString path = fresh();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("foreign"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("PRAGMA application_id=%1").arg(0x446F6475)));
            QVERIFY(q.exec(QStringLiteral("CREATE TABLE recipes (name TEXT)")));
            QVERIFY(q.exec(QStringLiteral("CREATE TABLE sites (id INTEGER PRIMARY KEY, name TEXT)")));
            q.finish();
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("foreign"));
        const QByteArray before = digest(path);
        SubmissionLog log;
        QVERIFY(!log.open(path));
        QVERIFY2(log.problem().contains(QLatin1String("not a submission log")), qPrintable(log.problem()));
        QVERIFY(log.problem().contains(QLatin1String("left as it is")));
        QCOMPARE(digest(path), before);
        QVERIFY(!QFile::exists(path + QStringLiteral("-wal")));
        QVERIFY(!QFile::exists(path + QStringLiteral("-shm")));
        SubmissionLog reader;
        QVERIFY(!reader.openForReading(path));
        QCOMPARE(digest(path), before);
        // Still in its own journal mode, without the log's tables.
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("look"));
            db.setDatabaseName(path);
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("PRAGMA journal_mode")) && q.next());
            QCOMPARE(q.value(0).toString(), QStringLiteral("delete"));
            QVERIFY(q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'events'")) && q.next());
            QCOMPARE(q.value(0).toInt(), 0);
            q.finish();
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("look"));
    }

    void killedWriterLosesNothingCommitted()
    {
        const QString path = fresh();
        QProcess writer;
        writer.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--drive"), path, QStringLiteral("25")});
        QVERIFY(writer.waitForStarted());
        QByteArray out;
        QElapsedTimer t;
        t.start();
        while (!out.contains("committed 25\n") && t.elapsed() < 20000) {
            writer.waitForReadyRead(200);
            out += writer.readAllStandardOutput();
        }
        QVERIFY2(out.contains("committed 25\n"), out.constData());
        // Killed right after its last commit, without a chance to close.
        ::kill(pid_t(writer.processId()), SIGKILL);
        QVERIFY(writer.waitForFinished(5000));
        QCOMPARE(writer.exitStatus(), QProcess::CrashExit);
        QVERIFY(QFile::exists(path + QStringLiteral("-wal")));

        SubmissionLog log;
        QVERIFY2(log.open(path), qPrintable(log.problem()));
        const QList<LoggedEvent> rows = log.history(kRelease, kAlpha);
        QCOMPARE(rows.size(), 25);
        for (int i = 0; i < 25; ++i)
            QCOMPARE(rows[i].detail, QString::number(i + 1));
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--drive"))
        return drive(args[2], args[3].toInt());
    if (args.size() == 5 && args[1] == QLatin1String("--share"))
        return share(args[2], args[3], args[4].toInt());
    TestSubmissionLog t;
    return QTest::qExec(&t, argc, argv);
}

#include "test_submissionlog.moc"
