// The release campaign with a large submission log: 600 sites, each with a
// history in each of 50 versions (opened, filled, submitted, result, state:
// 150,000 rows). Measures, offscreen:
//   - the site list's refresh for one campaign (marks, tooltips, filter and
//     counter for all 600 rows), median of the runs;
//   - the start-up cost of the log: opening it and the site list's first
//     refresh, each start a process of its own, with this log and with none
//     (the file is made with the first event, not at the start), medians and
//     their difference.
//
//   bench_campaign [--runs N]
#include "campaign/submissionlog.h"
#include "sites/sitespanel.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>

namespace {

constexpr int kSites = 600;
constexpr int kVersions = 50;
QTextStream out(stdout);

QString versionName(int v) { return QStringLiteral("3.%1").arg(v); }

void writeDirectory(const QString &path)
{
    QByteArray dat = "42\r\n";
    for (int i = 0; i < kSites; ++i)
        dat += QStringLiteral("*Download site %1\r\nhttp://site%1.example/submit\r\nhttp://site%1.example/update\r\n")
                   .arg(i)
                   .toUtf8();
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(dat);
}

bool writeLog(const QString &path)
{
    {
        // The log's own first write makes the file and its table.
        campaign::SubmissionLog log;
        if (!log.open(path) ||
            !log.setState({QStringLiteral("Other"), QStringLiteral("1.0")}, {}, campaign::State::Open)) {
            out << log.problem() << Qt::endl;
            return false;
        }
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
    db.setDatabaseName(path);
    if (!db.open())
        return false;
    QSqlQuery q(db);
    q.exec(QStringLiteral("BEGIN"));
    q.prepare(QStringLiteral("INSERT INTO sites (id, name, new_url, update_url) VALUES (?, ?, ?, ?)"));
    for (int s = 0; s < kSites; ++s) {
        const QString site = QStringLiteral("http://site%1.example/").arg(s);
        q.addBindValue(10 + s);
        q.addBindValue(QStringLiteral("Download site %1").arg(s));
        q.addBindValue(site + QStringLiteral("submit"));
        q.addBindValue(site + QStringLiteral("update"));
        if (!q.exec()) {
            out << "insert failed" << Qt::endl;
            return false;
        }
    }
    q.prepare(QStringLiteral("INSERT INTO events (time, program, version, site, kind, is_state, address, detail,"
                             " status, title, state, note) VALUES (?,?,?,?,?,?,?,?,?,?,?,?)"));
    static const char *const kinds[] = {"open", "fill", "submit", "result", "state"};
    static const char *const states[] = {"done", "skipped", "failed", "done"};
    qint64 t = QDateTime::currentMSecsSinceEpoch() - qint64(kVersions) * kSites * 5 * 1000;
    for (int v = 0; v < kVersions; ++v)
        for (int s = 0; s < kSites; ++s)
            for (int k = 0; k < 5; ++k) {
                const QString site = QStringLiteral("http://site%1.example/").arg(s);
                q.addBindValue(t += 1000);
                q.addBindValue(QStringLiteral("ClipNest"));
                q.addBindValue(versionName(v));
                q.addBindValue(10 + s);
                q.addBindValue(QString::fromLatin1(kinds[k]));
                q.addBindValue(k == 4 ? 1 : 0);
                q.addBindValue(site + QStringLiteral("submit"));
                q.addBindValue(k == 1       ? QStringLiteral("42 controls")
                                   : k == 2 ? QStringLiteral("Submit")
                                            : QStringLiteral(""));
                q.addBindValue(k == 3 ? 200 : 0);
                q.addBindValue(k == 3 ? QStringLiteral("Thank you") : QStringLiteral(""));
                // Three sites in four have a state; the rest stay open.
                q.addBindValue(k == 4 && s % 4 != 3 ? QString::fromLatin1(states[s % 4]) : QStringLiteral(""));
                q.addBindValue(QStringLiteral(""));
                if (!q.exec()) {
                    out << "insert failed" << Qt::endl;
                    return false;
                }
            }
    q.exec(QStringLiteral("COMMIT"));
    q.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    q.finish();
    db.close();
    return true;
}

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[v.size() / 2];
}

// One start's share of the log: open it and show the states in the list.
int startOnce(const QString &folder, const QString &logPath)
{
    sites::TSitesPanel panel;
    panel.loadDirectory(QDir(folder).filePath(QStringLiteral("padsites.dat")));
    panel.show();
    QCoreApplication::processEvents();
    QElapsedTimer t;
    t.start();
    campaign::SubmissionLog log;
    log.open(logPath);
    const qint64 opened = t.nsecsElapsed();
    panel.setSubmissionLog(&log, [] {
        return campaign::Campaign {QStringLiteral("ClipNest"), versionName(kVersions - 1)};
    });
    const qint64 ns = t.nsecsElapsed();
    if (!log.isOn())
        return 1;
    out << ns << ' ' << opened << Qt::endl;
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--start-once"))
        return startOnce(args[2], args[3]);
    int runs = 15;
    const int r = args.indexOf(QStringLiteral("--runs"));
    if (r > 0 && r + 1 < args.size())
        runs = qMax(1, args[r + 1].toInt());

    QTemporaryDir dir;
    const QString logPath = dir.filePath(QStringLiteral("submissions.sqlite"));
    writeDirectory(dir.filePath(QStringLiteral("padsites.dat")));
    QElapsedTimer t;
    t.start();
    if (!writeLog(logPath))
        return 1;
    out << QStringLiteral("log: %1 sites x %2 versions, %3 rows, %4 MB, written in %5 s")
               .arg(kSites)
               .arg(kVersions)
               .arg(kSites * kVersions * 5)
               .arg(QFileInfo(logPath).size() / 1048576.0, 0, 'f', 1)
               .arg(t.elapsed() / 1000.0, 0, 'f', 1)
        << Qt::endl;

    // The site list's refresh for one campaign.
    {
        sites::TSitesPanel panel;
        panel.loadDirectory(dir.filePath(QStringLiteral("padsites.dat")));
        panel.resize(240, 700);
        panel.show();
        campaign::SubmissionLog log;
        if (!log.open(logPath))
            return 1;
        int v = kVersions / 2;
        panel.setSubmissionLog(&log, [&v] { return campaign::Campaign {QStringLiteral("ClipNest"), versionName(v)}; });
        panel.setNotDoneFilter(true);
        QList<double> ms;
        for (int i = 0; i < runs; ++i) {
            v = (kVersions / 2 + i) % kVersions; // a different campaign each time
            QElapsedTimer e;
            e.start();
            panel.refreshCampaign();
            QCoreApplication::processEvents(); // the list repaints
            ms << e.nsecsElapsed() / 1e6;
        }
        out << QStringLiteral(
                   "site list refresh for a campaign (600 sites): median %1 ms, max %2 ms (target < 50 ms); %3")
                   .arg(median(ms), 0, 'f', 2)
                   .arg(*std::max_element(ms.begin(), ms.end()), 0, 'f', 2)
                   .arg(panel.progressLabel()->text())
            << Qt::endl;
    }

    // Start-up: the log's share, each in a fresh process.
    QList<double> openMs;
    auto starts = [&](bool withLog) {
        QList<double> ms;
        openMs.clear();
        for (int i = 0; i < runs; ++i) {
            const QString path = withLog ? logPath : dir.filePath(QStringLiteral("new.sqlite"));
            if (!withLog)
                for (const char *suffix : {"", "-wal", "-shm"})
                    QFile::remove(path + QLatin1String(suffix));
            QProcess p;
            p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--start-once"), dir.path(), path});
            p.waitForFinished(60000);
            const QByteArray line = p.readAllStandardOutput().trimmed();
            if (p.exitCode() != 0 || line.isEmpty())
                return QList<double>();
            ms << line.split(' ').value(0).toLongLong() / 1e6;
            openMs << line.split(' ').value(1).toLongLong() / 1e6;
        }
        return ms;
    };
    const QList<double> with = starts(true);
    const double withOpen = median(openMs);
    const QList<double> without = starts(false);
    const double withoutOpen = median(openMs);
    if (with.isEmpty() || without.isEmpty()) {
        out << "a start failed" << Qt::endl;
        return 1;
    }
    out << QStringLiteral("start-up, log opened and first refresh: with the log median %1 ms (of which opening %2 ms),"
                          " without a log median %3 ms (opening %4 ms), difference %5 ms (target < 30 ms)")
               .arg(median(with), 0, 'f', 2)
               .arg(withOpen, 0, 'f', 2)
               .arg(median(without), 0, 'f', 2)
               .arg(withoutOpen, 0, 'f', 2)
               .arg(median(with) - median(without), 0, 'f', 2)
        << Qt::endl;
    return 0;
}
