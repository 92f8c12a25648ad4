#include "campaignmode.h"

#include "campaign/campaignreport.h"
#include "sites/sitedirectory.h"
#include "software/softwaretable.h"
#include "software/startupload.h"
#include "shell/campaigntracker.h"

#include <QCoreApplication>
#include <cstdio>

namespace app {

int runCampaignReport(const CampaignOptions &options)
{
    const campaign::ReportFormat format = options.csv ? campaign::ReportFormat::Csv : campaign::ReportFormat::Json;
    software::TSoftwareTable table;
    QString loadError;
    software::loadRecordAtStartup(table, &loadError);
    if (!table.isOpen()) {
        complain(QCoreApplication::translate("app", "the software table is closed: %1").arg(loadError));
        return 1;
    }
    campaign::Campaign c = shell::campaignOf(table);
    if (options.version)
        c.version = *options.version;

    QList<campaign::Site> sites;
    for (const sites::TSiteEntry &e : sites::loadSiteEntries(sites::directoryFileName()))
        sites.append({sites::siteDisplayName(e.Name), e.NewReleaseURL, e.UpdateURL});

    campaign::SubmissionLog log;
    if (!log.openForReading()) {
        complain(log.problem());
        return 1;
    }
    const QList<campaign::SiteStatus> statuses = log.statuses(c, sites);
    const auto unlisted = log.unlisted(c, sites);
    if (!log.problem().isEmpty()) { // the rows themselves could not be read
        complain(log.problem());
        return 1;
    }
    const QByteArray out = campaign::formatReport(c, sites, statuses, unlisted, format);
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    std::fflush(stdout);
    return 0;
}

} // namespace app
