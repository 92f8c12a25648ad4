// "Check sites" on a large directory: servers started here on 127.0.0.1 (in
// a thread of their own, as remote sites would be) answer 2,000 addresses of
// 1,000 sites; a fifth of them are slow (2 s) or never answer. The check runs
// as in the window: the site list (600 rows) beside a status bar, every
// result written to a fresh submissions.sqlite and shown at once. Measured:
//   - the whole check's time, against addresses x timeout / jobs;
//   - the process's peak memory (getrusage) before and after;
//   - the longest gap between the ticks of a 5 ms timer in the main loop
//     while the check runs (target: under 50 ms).
//
//   bench_sitecheck [--jobs N] [--timeout S] [--sites N]
#include "campaign/sitecheckstore.h"
#include "shell/sitecheckcommand.h"
#include "sites/sitechecker.h"
#include "sites/sitespanel.h"
#include "support/checkserver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMainWindow>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QTest>
#include <QTimer>
#include <utility>

#include <sys/resource.h>

namespace {

QTextStream out(stdout);

// The main thread's processor time so far, in ms.
qint64 threadCpuMs()
{
    rusage usage {};
    getrusage(RUSAGE_THREAD, &usage);
    return (qint64(usage.ru_utime.tv_sec) + usage.ru_stime.tv_sec) * 1000 +
        (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

long peakKb()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int argument(const QStringList &args, const QString &name, int fallback)
{
    const qsizetype i = args.indexOf(name);
    return i >= 0 && i + 1 < args.size() ? args.at(i + 1).toInt() : fallback;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int jobs = argument(args, QStringLiteral("--jobs"), 8);
    const int timeout = argument(args, QStringLiteral("--timeout"), 3);
    const int siteCount = argument(args, QStringLiteral("--sites"), 1000);
    constexpr int kServers = 25;

    QTemporaryDir dir;
    const QString database = dir.filePath(QStringLiteral("submissions.sqlite"));

    // The servers, in their own thread. Address k of the 2 x sites: every
    // tenth is slow, every tenth (offset five) never answers.
    QThread serverThread;
    serverThread.start();
    QObject serverSide;
    serverSide.moveToThread(&serverThread);
    QList<testsupport::CheckServer *> servers;
    QMetaObject::invokeMethod(
        &serverSide,
        [&] {
            for (int i = 0; i < kServers; ++i) {
                auto *s = new testsupport::CheckServer;
                s->answer = [](const QByteArray &, const QByteArray &path) {
                    const int k = path.mid(path.lastIndexOf('/') + 1).toInt();
                    testsupport::CheckAnswer a {
                        200, {}, "<html><head><title>Submit</title></head><body><form><input name=a></form></body>"};
                    if (k % 10 == 0)
                        a.delayMs = 2000;
                    else if (k % 10 == 5)
                        a.silent = true;
                    return a;
                };
                s->listenLocal();
                servers << s;
            }
        },
        Qt::BlockingQueuedConnection);

    QList<campaign::Site> sites;
    QByteArray dat = "1\r\n";
    for (int i = 0; i < siteCount; ++i) {
        const auto *s = servers[i % kServers];
        const campaign::Site site {QStringLiteral("Download site %1").arg(i),
                                   s->url(QStringLiteral("s%1/new/%2").arg(i).arg(2 * i)),
                                   s->url(QStringLiteral("s%1/upd/%2").arg(i).arg(2 * i + 1))};
        sites << site;
        dat += ("*" + site.name + "\r\n" + site.newReleaseUrl + "\r\n" + site.updateUrl + "\r\n").toUtf8();
    }
    const QString directory = dir.filePath(QStringLiteral("padsites.dat"));
    {
        QFile f(directory);
        f.open(QIODevice::WriteOnly);
        f.write(dat);
    }

    QMainWindow window;
    auto *panel = new sites::TSitesPanel;
    window.setCentralWidget(panel);
    panel->loadDirectory(directory);
    campaign::SubmissionLog log;
    log.open(database);
    panel->setSubmissionLog(&log, [] { return campaign::Campaign {QStringLiteral("ClipNest"), "3.2"}; });
    auto *command = new shell::TSiteCheckCommand(&window, panel, database);
    command->setLimits(jobs, timeout);
    window.resize(900, 700);
    window.show();
    QApplication::processEvents();

    const long peakBefore = peakKb();
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    int ticks = 0;
    QTimer ticker;
    ticker.setInterval(5);
    long stalls = 0; // gaps of 50 ms or more
    // Of a gap, the time the main thread itself ran (the rest it waited for
    // a processor): what the program's own work held the loop.
    qint64 lastCpu = threadCpuMs();
    qint64 longestBusy = 0;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 cpu = threadCpuMs();
        if (sinceTick.isValid()) {
            longestGap = qMax(longestGap, sinceTick.elapsed());
            stalls += sinceTick.elapsed() >= 50;
            longestBusy = qMax(longestBusy, cpu - lastCpu);
        }
        lastCpu = cpu;
        sinceTick.restart();
        ++ticks;
    });

    // The same ticks first without a check: what the machine itself costs.
    ticker.start();
    QTest::qWait(10000);
    const qint64 idleGap = longestGap;
    const int idleTicks = ticks;
    longestGap = 0;
    ticks = 0;
    const long idleStalls = std::exchange(stalls, 0);
    const qint64 idleBusy = std::exchange(longestBusy, 0);

    QSignalSpy finished(command, &shell::TSiteCheckCommand::finished);
    QElapsedTimer total;
    total.start();
    command->checkSites(sites);
    finished.wait(3600 * 1000);
    const qint64 elapsed = total.elapsed();
    ticker.stop();
    const long peakAfter = peakKb();

    const int addresses = command->checker()->total();
    const double bound = double(addresses) * timeout / jobs;
    campaign::SiteCheckStore store;
    store.openForReading(database);
    const int stored = int(store.latest().size());

    out << "addresses: " << addresses << " of " << siteCount << " sites on " << kServers
        << " servers; a tenth slow (2 s), a tenth silent; jobs " << jobs << ", timeout " << timeout << " s\n";
    out << "check: " << QString::number(elapsed / 1000.0, 'f', 1)
        << " s (addresses x timeout / jobs = " << QString::number(bound, 'f', 0) << " s); " << command->progressText()
        << "; " << stored << " results stored\n";
    out << "peak memory: " << peakBefore / 1024 << " MB before the check, " << peakAfter / 1024 << " MB after\n";
    out << "main loop: longest gap between 5 ms ticks " << longestGap << " ms over " << ticks << " ticks, " << stalls
        << " gaps of 50 ms or more (target < 50 ms); without a check, over 10 s: " << idleGap << " ms over "
        << idleTicks << " ticks, " << idleStalls << " gaps of 50 ms or more\n";
    out << "main thread: longest run between two ticks " << longestBusy << " ms during the check, " << idleBusy
        << " ms without (getrusage per thread, 1-10 ms resolution)" << Qt::endl;

    QMetaObject::invokeMethod(
        &serverSide, [&] { qDeleteAll(servers); }, Qt::BlockingQueuedConnection);
    serverThread.quit();
    serverThread.wait();
    return longestGap < 50 && elapsed < bound * 1000 ? 0 : 1;
}
