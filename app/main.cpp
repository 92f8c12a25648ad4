#include "campaignmode.h"
#include "checksitesmode.h"
#include "commandline.h"
#include "recordmodes.h"
#include "reportmode.h"

#include "platform/userfolders.h"
#include "shell/program.h"
#include "software/softwaretable.h"
#include "web/webengineenv.h"

#include <QApplication>
#include <QDir>

#include <cstdio>
#include <functional>

namespace {

void reportToStderr(const QStringList &problems)
{
    for (const QString &p : problems)
        app::complain(p);
}

void writeToStdout(const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

// Wrong arguments: the parser's message and the usage line.
int usageError(const QString &error)
{
    const QByteArray bytes = (error + QLatin1Char('\n')).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    return app::kUsageStatus;
}

// Prepares the working folder as a start does, says what could not be
// prepared, then runs the job.
int inWorkingFolder(const std::function<int()> &job)
{
    reportToStderr(platform::prepareWorkingFolder(software::TSoftwareTable::dataFile()));
    return job();
}

// The jobs without a window: each reads its arguments first and runs under a
// QCoreApplication.
int runWithoutWindow(int argc, char **argv, app::Mode mode, const QStringList &args, const QString &startFolder)
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("doduvodaz"));
    QString error;
    try {
        switch (mode) {
        case app::Mode::ImportPad:
            if (const auto options = app::parseImportPad(args, &error)) {
                // Remembered as a full path, so that a later start from
                // another folder still finds it.
                const QString path = QDir(startFolder).absoluteFilePath(options->file);
                return inWorkingFolder([&] { return app::runImportPad(path, options->language); });
            }
            break;
        case app::Mode::ExportPad:
            if (const auto file = app::parseExportPad(args, &error)) {
                const QString path = QDir(startFolder).absoluteFilePath(*file);
                return inWorkingFolder([&] { return app::runExportPad(path); });
            }
            break;
        case app::Mode::ShowRecord:
            if (app::parseShowRecord(args, &error))
                return inWorkingFolder(app::runShowRecord);
            break;
        case app::Mode::Campaign:
            if (const auto options = app::parseCampaign(args, &error))
                return inWorkingFolder([&] { return app::runCampaignReport(*options); });
            break;
        case app::Mode::CheckSites:
            if (const auto options = app::parseCheckSites(args, &error))
                return inWorkingFolder([&] { return app::runCheckSites(*options); });
            break;
        default: return 1;
        }
    } catch (const std::exception &e) {
        app::complain(QString::fromLocal8Bit(e.what()));
        return 1;
    }
    return usageError(error);
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList typed;
    for (int i = 1; i < argc; ++i)
        typed << QString::fromLocal8Bit(argv[i]);
    // Files named on the command line are found where the user started the
    // program, even after it changes into its working folder.
    const QString startFolder = QDir::currentPath();

    const app::Mode mode = app::modeOf(typed);
    switch (mode) {
    case app::Mode::Help: writeToStdout(app::helpText()); return 0;
    case app::Mode::Version: writeToStdout(app::versionText()); return 0;
    case app::Mode::ImportPad:
    case app::Mode::ExportPad:
    case app::Mode::ShowRecord:
    case app::Mode::Campaign:
    case app::Mode::CheckSites: return runWithoutWindow(argc, argv, mode, typed, startFolder);
    case app::Mode::Report:
    case app::Mode::Window: break;
    }

    QString error;
    std::optional<QStringList> items;
    std::optional<app::ReportOptions> report;
    if (mode == app::Mode::Report) {
        report = app::parseReport(typed, &error);
        if (!report)
            return usageError(error);
        report->address = app::absoluteItems({report->address}, startFolder).constFirst();
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen"); // a report needs no display
    } else {
        // Wrong arguments are told before anything is prepared or shown.
        items = app::parseWindowItems(typed, &error);
        if (!items)
            return usageError(error);
    }
    const QStringList problems = platform::prepareWorkingFolder(software::TSoftwareTable::dataFile());
    web::prepareWebEngineEnvironment(report.has_value());
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("doduvodaz"));
    QApplication::setDesktopFileName(QStringLiteral("org.doduvodaz.Doduvodaz"));
    if (report) {
        reportToStderr(problems);
        return app::runReport(*report);
    }

    return shell::runProgram(app::absoluteItems(*items, startFolder), problems);
}
