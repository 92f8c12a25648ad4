// One start of a program with a single receiving instance, for the
// single-instance tests. Usage:
//   instancedriver [--acquire-ms N] [--deliver-ms N] [--no-front] [--busy-ms N]
//                  [-- ITEM...]
// The items after "--" are the command line handed over. Writes one line per
// event to standard output:
//   HANDED               the items went to the running instance; exits 0
//   RECEIVER <pid>       this start is the receiving instance; keeps running
//   ALONE <pid>          no endpoint could be had: runs without hand-over
//   FRONT                a start handed over and asked to be brought forward
//   ITEMS <json array>   the items a start handed over
//   ERROR <text>         the check failed; exits 2
// A receiving driver stays busy for --busy-ms before its event loop runs, as a
// program still starting would, and ends normally when its input ends.
#include "base/error.h"
#include "platform/singleinstance.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSocketNotifier>
#include <QThread>

#include <cstdio>
#include <unistd.h>

namespace {

void say(const QByteArray &line)
{
    std::fputs(line.constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const QString executable = QFileInfo(QCoreApplication::applicationFilePath()).fileName();

    platform::TOneInstance instance(executable);
    QStringList items;
    int busyMs = 0;
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QLatin1String("--")) {
            items = args.mid(i + 1);
            break;
        }
        if (a == QLatin1String("--acquire-ms") && i + 1 < args.size())
            instance.setAcquireTimeout(args.at(++i).toInt());
        else if (a == QLatin1String("--deliver-ms") && i + 1 < args.size())
            instance.setDeliverTimeout(args.at(++i).toInt());
        else if (a == QLatin1String("--busy-ms") && i + 1 < args.size())
            busyMs = args.at(++i).toInt();
        else if (a == QLatin1String("--no-front"))
            instance.setShowOnNewInstance(false);
    }

    QObject::connect(&instance, &platform::TOneInstance::bringToFront, [] { say("FRONT"); });
    QObject::connect(&instance, &platform::TOneInstance::OnInstanceStarted, [](const QStringList &handed) {
        say("ITEMS " + QJsonDocument(QJsonArray::fromStringList(handed)).toJson(QJsonDocument::Compact));
    });

    try {
        if (instance.handOver(items)) {
            say("HANDED");
            return 0;
        }
    } catch (const base::Error &e) {
        say("ERROR " + e.text().toUtf8());
        return 2;
    }
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&input] {
        char buffer[256];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0) {
            input.setEnabled(false);
            QCoreApplication::quit();
        }
    });
    say((instance.isReceiving() ? "RECEIVER " : "ALONE ") + QByteArray::number(QCoreApplication::applicationPid()));
    QThread::msleep(busyMs);
    return app.exec();
}
