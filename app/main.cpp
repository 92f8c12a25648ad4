#include "platform/webengineenv.h"
#include "shell/mainwindow.h"
#include "shell/previewcommand.h"
#include "software/recordcommands.h"
#include "software/softwaretable.h"
#include "software/startupload.h"

#include <QApplication>
#include <QWebEngineProfile>

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

    QApplication::setApplicationDisplayName(QStringLiteral("Korvane Software Doduvodaz"));
    TSoftwareTable record;
    loadRecordAtStartup(record);
    QWebEngineProfile profile(QStringLiteral("doduvodaz"));
    TfrmBrwMain window(record, &profile);
    window.show();
    for (const QString &item : args)
        window.OpenURL(item);
    return app.exec();
}
