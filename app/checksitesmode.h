#pragma once
// doduvodaz --check-sites [--jobs N] [--timeout S] [--format json|csv]: checks
// every listed site's new-release and update addresses as "Check sites" does,
// keeps the results in the submission log's database and prints one line per
// site (JSON Lines, or CSV after a header line), in list order. A progress
// line goes to standard error when it is a terminal. Needs a
// QCoreApplication.
#include <QString>
#include <QStringList>

#include <optional>

namespace app {

struct CheckSitesOptions {
    int jobs = 8;
    int timeoutSeconds = 15;
    bool csv = false;
};

// nullopt on wrong arguments, with error holding the message and usage line.
std::optional<CheckSitesOptions> parseCheckSites(const QStringList &args, QString *error);

// 0 when the check ran, whatever it found; 1 when the results cannot be
// written.
int runCheckSites(const CheckSitesOptions &options);

} // namespace app
