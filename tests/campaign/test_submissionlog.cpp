// The submission log on real SQLite files: events and states per site and
// release, history kept across renames and removals, files that cannot be used
// (corrupt, another program's, locked, a folder, read-only) refused and left
// untouched, and a writer killed with SIGKILL losing nothing it committed.
#include "campaign/campaignreport.h"
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
    TestSubmissionLog t;
    return QTest::qExec(&t, argc, argv);
}

#include "test_submissionlog.moc"
