#include "platform/userfolders.h"
#include "web/webengineenv.h"
#include "shell/campaigncommand.h"
#include "shell/program.h"
#include "shell/previewcommand.h"
#include "software/recordcommands.h"
#include "software/softwaretable.h"

#include <QApplication>

#include <cstdio>

namespace {

// Options whose next argument is a value, not an item to open.
const QStringList kValueOptions = {QStringLiteral("--mode"), QStringLiteral("--username"),
                                   QStringLiteral("--password"), QStringLiteral("--timeout"),
                                   QStringLiteral("--rules"), QStringLiteral("--format"),
                                   QStringLiteral("--version")};

void reportToStderr(const QStringList &problems)
{
    for (const QString &p : problems) {
        const QByteArray line = QStringLiteral("doduvodaz: %1\n").arg(p).toLocal8Bit();
        std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    }
    std::fflush(stderr);
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList typed;
    for (int i = 1; i < argc; ++i)
        typed << QString::fromLocal8Bit(argv[i]);
    // Files named on the command line are found where the user started the
    // program, even after it changes into its working folder (and when they
    // are handed to a copy already running elsewhere).
    const QStringList args = platform::absoluteCommandLineItems(typed, kValueOptions);
    const QStringList problems = platform::prepareWorkingFolder(TSoftwareTable::dataFile());

    if (isRecordCommand(args)) { // --import-pad, --show-record: no window
        reportToStderr(problems);
        return runRecordCommand(argc, argv, args);
    }

    if (isCampaignCommand(args)) { // --campaign: no window
        reportToStderr(problems);
        return runCampaignCommand(argc, argv, args);
    }

    const bool preview = args.contains(QLatin1String("--report"));
    if (preview && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen"); // a report needs no display

    web::prepareWebEngineEnvironment(preview);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("doduvodaz"));
    QApplication::setDesktopFileName(QStringLiteral("org.doduvodaz.Doduvodaz"));
    if (preview) {
        reportToStderr(problems);
        return runPreviewCommand(args);
    }

    return runProgram(args, problems);
}
