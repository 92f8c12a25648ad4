#pragma once
// The campaign's standing as text for scripts: every listed site with its
// state and last event, then the sites the log knows that the directory no
// longer lists. JSON (one object) or CSV (a header line, then a line a site;
// cells that a spreadsheet would take for a formula are written as text).
#include "submissionlog.h"

#include <QByteArray>

namespace campaign {

enum class ReportFormat { Json, Csv };

QByteArray formatReport(const Campaign &c, const QList<Site> &sites, const QList<SiteStatus> &statuses,
                        const QList<std::pair<Site, SiteStatus>> &unlisted, ReportFormat format);

// "37 of 583 done for ClipNest 3.2.1"
QString progressText(const Campaign &c, int done, int total);

} // namespace campaign
