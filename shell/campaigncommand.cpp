#include "campaigncommand.h"

#include "campaign/campaignreport.h"
#include "sites/sitedirectory.h"
#include "software/softwaretable.h"
#include "software/startupload.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

void say(const QString &text)
{
    const QByteArray bytes = QStringLiteral("doduvodaz: %1\n").arg(text).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

int usage()
{
    say(QStringLiteral("usage: doduvodaz --campaign [--version V] [--format json|csv]"));
    return 64;
}

} // namespace

campaign::Campaign campaignOf(const TSoftwareTable &table)
{
    auto field = [&](const char *name) {
        const int i = table.indexOf(QString::fromLatin1(name));
        return i >= 0 ? table.fieldText(i) : QString();
    };
    return {field("Program_Name"), field("Program_Version")};
}

bool isCampaignCommand(const QStringList &args) { return args.contains(QLatin1String("--campaign")); }

int runCampaignCommand(int argc, char **argv, const QStringList &args)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("doduvodaz"));

    std::optional<QString> version;
    campaign::ReportFormat format = campaign::ReportFormat::Json;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--campaign"))
            continue;
        if ((a == QLatin1String("--version") || a == QLatin1String("--format")) && i + 1 < args.size()) {
            const QString value = args[++i];
            if (a == QLatin1String("--version")) {
                version = value;
            } else if (value == QLatin1String("json")) {
                format = campaign::ReportFormat::Json;
            } else if (value == QLatin1String("csv")) {
                format = campaign::ReportFormat::Csv;
            } else {
                return usage();
            }
            continue;
        }
        return usage();
    }

    TSoftwareTable table;
    QString loadError;
    loadRecordAtStartup(table, &loadError);
    if (!table.isOpen()) {
        say(QStringLiteral("the software table is closed: %1").arg(loadError));
        return 1;
    }
    campaign::Campaign c = campaignOf(table);
    if (version)
        c.version = *version;

    QList<campaign::Site> sites;
    for (const TSiteEntry &e : sites::loadSiteEntries(sites::directoryFileName()))
        sites.append({sites::siteDisplayName(e.Name), e.NewReleaseURL, e.UpdateURL});

    campaign::SubmissionLog log;
    if (!log.openForReading()) {
        say(log.problem());
        return 1;
    }
    const QList<campaign::SiteStatus> statuses = log.statuses(c, sites);
    const auto unlisted = log.unlisted(c, sites);
    if (!log.problem().isEmpty()) { // the rows themselves could not be read
        say(log.problem());
        return 1;
    }
    const QByteArray out = campaign::formatReport(c, sites, statuses, unlisted, format);
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    std::fflush(stdout);
    return 0;
}
