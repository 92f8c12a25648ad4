#include "platform/webengineenv.h"
#include "shell/program.h"
#include "shell/previewcommand.h"
#include "software/recordcommands.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    if (isRecordCommand(argc, argv)) // --import-pad, --show-record: no window
        return runRecordCommand(argc, argv);

    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);

    const bool preview = args.contains(QLatin1String("--report"));
    if (preview && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen"); // a report needs no display

    platform::prepareWebEngineEnvironment();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("doduvodaz"));
    if (preview)
        return runPreviewCommand(args);

    return runProgram(args);
}
