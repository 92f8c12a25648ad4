#include "checksitesmode.h"

#include "commandline.h"

#include "base/json.h"
#include "campaign/csvcell.h"
#include "campaign/sitecheckstore.h"
#include "sites/sitechecker.h"
#include "sites/sitedirectory.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHash>

#include <cstdio>
#include <unistd.h>

namespace app {

namespace {

const char kUsage[] = "usage: doduvodaz --check-sites [--jobs N] [--timeout S] [--format json|csv]";

QString failure(const QString &message) { return QStringLiteral("doduvodaz: %1\n%2").arg(message, kUsage); }

QString timeText(const QDateTime &t) { return t.isValid() ? t.toUTC().toString(Qt::ISODateWithMs) : QString(); }

QByteArray checkJson(const campaign::SiteCheck &c)
{
    if (!c.isValid())
        return QByteArrayLiteral("null");
    base::OrderedJsonObject o;
    o.add(QStringLiteral("address"), c.address)
        .add(QStringLiteral("result"), campaign::outcomeWord(c.outcome))
        .add(QStringLiteral("httpStatus"), c.httpStatus)
        .add(QStringLiteral("finalUrl"), c.finalAddress)
        .add(QStringLiteral("redirectHost"), c.redirectHost)
        .add(QStringLiteral("detail"), c.detail)
        .add(QStringLiteral("time"), timeText(c.time));
    return o.toJson();
}

QByteArray jsonLine(const campaign::Site &s, const campaign::SiteCheck &newRelease, const campaign::SiteCheck &update)
{
    base::OrderedJsonObject site;
    site.add(QStringLiteral("site"), s.name)
        .add(QStringLiteral("newReleaseUrl"), s.newReleaseUrl)
        .add(QStringLiteral("updateUrl"), s.updateUrl);
    QByteArray line = site.toJson();
    line.chop(1); // the closing brace: the checks follow
    return line + ",\"newRelease\":" + checkJson(newRelease) + ",\"update\":" + checkJson(update) + "}\n";
}

QStringList csvChecks(const campaign::SiteCheck &c)
{
    if (!c.isValid())
        return {QString(), QString(), QString(), QString(), QString(), QString()};
    return {campaign::outcomeWord(c.outcome),
            c.httpStatus ? QString::number(c.httpStatus) : QString(),
            c.finalAddress,
            c.redirectHost,
            c.detail,
            timeText(c.time)};
}

void writeOut(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

} // namespace

std::optional<CheckSitesOptions> parseCheckSites(const QStringList &args, QString *error)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption check(QStringLiteral("check-sites"));
    const QCommandLineOption jobs(QStringLiteral("jobs"), QString(), QStringLiteral("N"));
    const QCommandLineOption timeout(QStringLiteral("timeout"), QString(), QStringLiteral("S"));
    const QCommandLineOption format(QStringLiteral("format"), QString(), QStringLiteral("json|csv"));
    parser.addOptions({check, jobs, timeout, format});
    if (!parser.parse(QStringList {QStringLiteral("doduvodaz")} + args)) {
        *error = failure(parser.errorText());
        return std::nullopt;
    }
    CheckSitesOptions o;
    const auto number = [&](const QCommandLineOption &option, int *value, const QString &complaint) {
        if (!parser.isSet(option))
            return true;
        bool ok = false;
        *value = parser.value(option).toInt(&ok);
        if (ok && *value > 0)
            return true;
        *error = failure(complaint);
        return false;
    };
    if (!number(jobs, &o.jobs, QStringLiteral("--jobs takes a whole number above 0")) ||
        !number(timeout, &o.timeoutSeconds, QStringLiteral("--timeout takes a whole number of seconds")))
        return std::nullopt;
    if (parser.isSet(format)) {
        const QString f = parser.value(format);
        if (f != QLatin1String("json") && f != QLatin1String("csv")) {
            *error = failure(QStringLiteral("--format takes json or csv"));
            return std::nullopt;
        }
        o.csv = f == QLatin1String("csv");
    }
    if (!parser.positionalArguments().isEmpty()) {
        *error = failure(QStringLiteral("--check-sites takes no items"));
        return std::nullopt;
    }
    return o;
}

int runCheckSites(const CheckSitesOptions &options)
{
    QList<campaign::Site> sites;
    for (const sites::TSiteEntry &e : sites::loadSiteEntries(sites::directoryFileName()))
        sites.append({sites::siteDisplayName(e.Name), e.NewReleaseURL, e.UpdateURL});

    campaign::SiteCheckStore store;
    if (!store.open()) {
        complain(store.problem());
        return 1;
    }

    if (options.csv)
        writeOut(campaign::csvLine(
            {QStringLiteral("site"), QStringLiteral("new_release_url"), QStringLiteral("update_url"),
             QStringLiteral("new_release_result"), QStringLiteral("new_release_status"),
             QStringLiteral("new_release_final_url"), QStringLiteral("new_release_redirect_host"),
             QStringLiteral("new_release_detail"), QStringLiteral("new_release_time"), QStringLiteral("update_result"),
             QStringLiteral("update_status"), QStringLiteral("update_final_url"),
             QStringLiteral("update_redirect_host"), QStringLiteral("update_detail"), QStringLiteral("update_time")}));

    // Each site's line is printed once its addresses are checked and every
    // site before it is printed.
    QHash<QString, campaign::SiteCheck> results;
    qsizetype printed = 0;
    int unreachableSites = 0;
    bool writeFailed = false;
    const bool terminal = isatty(fileno(stderr));
    const auto resultOf = [&](const campaign::Site &s, const QString &address) {
        return address.isEmpty() ? campaign::SiteCheck() : results.value(campaign::siteCheckKey(s, address));
    };
    const auto complete = [&](const campaign::Site &s) {
        return (s.newReleaseUrl.isEmpty() || resultOf(s, s.newReleaseUrl).isValid()) &&
            (s.updateUrl.isEmpty() || resultOf(s, s.updateUrl).isValid());
    };
    const auto printReady = [&] {
        while (printed < sites.size() && complete(sites[printed])) {
            const campaign::Site &s = sites[printed++];
            const campaign::SiteCheck n = resultOf(s, s.newReleaseUrl);
            const campaign::SiteCheck u = resultOf(s, s.updateUrl);
            unreachableSites += sites::isUnreachable(n) || sites::isUnreachable(u);
            if (options.csv)
                writeOut(campaign::csvLine(QStringList {s.name, s.newReleaseUrl, s.updateUrl} + csvChecks(n) +
                                           csvChecks(u)));
            else
                writeOut(jsonLine(s, n, u));
            if (terminal) {
                const QByteArray progress = QStringLiteral("\rChecked %1 of %2 sites, %3 unreachable ")
                                                .arg(printed)
                                                .arg(sites.size())
                                                .arg(unreachableSites)
                                                .toLocal8Bit();
                std::fwrite(progress.constData(), 1, size_t(progress.size()), stderr);
                std::fflush(stderr);
            }
        }
    };

    sites::SiteChecker checker;
    checker.setJobs(options.jobs);
    checker.setTimeout(options.timeoutSeconds * 1000);
    QObject::connect(&checker, &sites::SiteChecker::checked, &checker, [&](const campaign::SiteCheck &c) {
        if (!writeFailed && !store.record(c)) {
            writeFailed = true;
            complain(store.problem());
        }
        results.insert(campaign::siteCheckKey(c.site, c.address), c);
        printReady();
    });
    QObject::connect(&checker, &sites::SiteChecker::finished, &checker, [] { QCoreApplication::quit(); });
    checker.start(sites::checkTargets(sites));
    QCoreApplication::exec();
    printReady(); // sites without any address
    if (terminal)
        std::fputs("\n", stderr);
    return writeFailed ? 1 : 0;
}

} // namespace app
