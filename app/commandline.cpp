#include "commandline.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace app {

namespace {

const char kReportUsage[] =
    "usage: doduvodaz --report [--mode fill|login|submit] [--rules classic|smart] [--username TEXT]\n"
    "                          [--password TEXT] [--timeout SECONDS] [--accept-certificate-errors] ADDRESS";
const char kRecordUsage[] =
    "usage: doduvodaz --import-pad FILE [--language NAME] | doduvodaz --export-pad FILE | doduvodaz --show-record";
const char kCampaignUsage[] = "usage: doduvodaz --campaign [--version V] [--format json|csv]";
const char kWindowUsage[] = "usage: doduvodaz [ITEM...]   (doduvodaz --help lists every option)";

QCommandLineOption flag(const char *name, const char *description)
{
    return QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(description));
}

QCommandLineOption valued(const char *name, const char *description, const char *valueName)
{
    return QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(description),
                              QString::fromLatin1(valueName));
}

// The options of every mode, described for the help.
const QCommandLineOption kReport = flag("report",
                                        "Loads ADDRESS in the browser engine without a window, fills it as a tab "
                                        "would and prints every form control as JSON Lines.");
const QCommandLineOption kMode =
    valued("mode", "With --report: fill (default), or run login or submit after the fill.", "fill|login|submit");
const QCommandLineOption kRules =
    valued("rules", "With --report: the exact name rules (classic, default) or the smart fill.", "classic|smart");
const QCommandLineOption kUsername = valued("username", "With --report: the text of the login's Username box.", "TEXT");
const QCommandLineOption kPassword = valued("password", "With --report: the text of the login's Password box.", "TEXT");
const QCommandLineOption kTimeout =
    valued("timeout",
           "With --report: seconds to wait for the page (default 30); with --check-sites: for each address "
           "(default 15).",
           "SECONDS");
const QCommandLineOption kAcceptCertificateErrors =
    flag("accept-certificate-errors", "With --report: goes on to pages whose certificate is not trusted.");
const QCommandLineOption kImportPad =
    valued("import-pad", "Imports the PAD file FILE into the software record and saves it.", "FILE");
const QCommandLineOption kLanguage =
    valued("language", "With --import-pad: the language of the file's descriptions to take (default English).", "NAME");
const QCommandLineOption kExportPad =
    valued("export-pad", "Writes the software record as the PAD 3.11 file FILE.", "FILE");
const QCommandLineOption kShowRecord =
    flag("show-record", "Prints the software record as one JSON object, fields in table order.");
const QCommandLineOption kCampaign =
    flag("campaign", "Prints every listed site's submission state for the record's release.");
const QCommandLineOption kCampaignVersion =
    valued("version", "With --campaign: the release to report on instead of the record's version.", "V");
const QCommandLineOption kFormat =
    valued("format", "With --campaign and --check-sites: json (default) or csv.", "json|csv");
const QCommandLineOption kCheckSites = flag("check-sites",
                                            "Checks whether every listed site's pages still answer and prints "
                                            "one line per site.");
const QCommandLineOption kJobs = valued("jobs", "With --check-sites: addresses checked at once (default 8).", "N");
const QCommandLineOption kHelp =
    QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Shows this help."));
const QCommandLineOption kVersion = flag("version",
                                         "Prints the program's version. With --campaign, --version V names the "
                                         "release to report on instead of the record's version.");

// A complaint about the arguments: the message and the mode's usage line.
QString failure(const QString &message, const char *usage)
{
    return QStringLiteral("doduvodaz: %1\n%2").arg(message, QString::fromLatin1(usage));
}

// Parses args (without the program's name) with the options given; on a
// parse error sets error to the parser's message and the usage line.
bool parse(QCommandLineParser &parser, const QList<QCommandLineOption> &options, const QStringList &args,
           const char *usage, QString *error)
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(options);
    if (parser.parse(QStringList {QStringLiteral("doduvodaz")} + args))
        return true;
    *error = failure(parser.errorText(), usage);
    return false;
}

// The option an argument names, "" for an item or a value.
QString optionName(const QString &arg)
{
    if (!arg.startsWith(QLatin1Char('-')) || arg.size() < 2)
        return QString();
    QString name = arg.mid(arg.startsWith(QLatin1String("--")) ? 2 : 1);
    const qsizetype eq = name.indexOf(QLatin1Char('='));
    return eq >= 0 ? name.left(eq) : name;
}

} // namespace

Mode modeOf(const QStringList &args)
{
    QStringList names;
    for (const QString &a : args) {
        if (a == QLatin1String("--"))
            break; // what follows is items
        names << optionName(a);
    }
    if (names.contains(QLatin1String("help")) || names.contains(QLatin1String("h")))
        return Mode::Help;
    if (names.contains(QLatin1String("report")))
        return Mode::Report;
    if (names.contains(QLatin1String("import-pad")))
        return Mode::ImportPad;
    if (names.contains(QLatin1String("export-pad")))
        return Mode::ExportPad;
    if (names.contains(QLatin1String("show-record")))
        return Mode::ShowRecord;
    if (names.contains(QLatin1String("campaign")))
        return Mode::Campaign;
    if (names.contains(QLatin1String("check-sites")))
        return Mode::CheckSites;
    if (names.contains(QLatin1String("version")))
        return Mode::Version;
    return Mode::Window;
}

std::optional<QStringList> parseWindowItems(const QStringList &args, QString *error)
{
    // Qt's own options (-platform xcb, -style fusion, -reverse, ...) are for
    // the application object, which takes them out itself.
    static const QStringList qtWithValue = {"platform",      "platformpluginpath",
                                            "platformtheme", "plugin",
                                            "qmljsdebugger", "qwindowgeometry",
                                            "qwindowicon",   "qwindowtitle",
                                            "session",       "display",
                                            "geometry",      "style",
                                            "stylesheet",    "title",
                                            "visual"};
    static const QStringList qtFlags = {"reverse", "widgetcount", "nograb", "dograb", "sync"};
    QStringList ours;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QLatin1String("--")) {
            ours += args.mid(i);
            break;
        }
        const QString name = optionName(a);
        if (qtFlags.contains(name) || (qtWithValue.contains(name) && a.contains(QLatin1Char('='))))
            continue;
        if (qtWithValue.contains(name)) {
            ++i; // and its value
            continue;
        }
        ours << a;
    }
    QCommandLineParser parser;
    if (!parse(parser, {}, ours, kWindowUsage, error))
        return std::nullopt;
    QStringList items;
    for (const QString &item : parser.positionalArguments())
        if (!item.isEmpty()) // an empty item is skipped
            items << item;
    return items;
}

std::optional<ReportOptions> parseReport(const QStringList &args, QString *error)
{
    QCommandLineParser parser;
    if (!parse(parser, {kReport, kMode, kRules, kUsername, kPassword, kTimeout, kAcceptCertificateErrors}, args,
               kReportUsage, error))
        return std::nullopt;
    ReportOptions o;
    o.acceptCertificateErrors = parser.isSet(kAcceptCertificateErrors);
    if (parser.isSet(kMode)) {
        const QString m = parser.value(kMode);
        if (m != QLatin1String("fill") && m != QLatin1String("login") && m != QLatin1String("submit")) {
            *error = failure(QStringLiteral("--mode takes fill, login or submit"), kReportUsage);
            return std::nullopt;
        }
        o.mode = engine::formModeOf(m);
    }
    if (parser.isSet(kRules)) {
        const QString r = parser.value(kRules);
        if (r != QLatin1String("classic") && r != QLatin1String("smart")) {
            *error = failure(QStringLiteral("--rules takes classic or smart"), kReportUsage);
            return std::nullopt;
        }
        o.rules = r == QLatin1String("smart") ? web::FillRules::Smart : web::FillRules::Classic;
    }
    o.username = parser.value(kUsername);
    o.password = parser.value(kPassword);
    if (parser.isSet(kTimeout)) {
        bool ok = false;
        o.timeoutSeconds = parser.value(kTimeout).toInt(&ok);
        if (!ok || o.timeoutSeconds <= 0) {
            *error = failure(QStringLiteral("--timeout takes a whole number of seconds"), kReportUsage);
            return std::nullopt;
        }
    }
    const QStringList rest = parser.positionalArguments();
    if (rest.size() != 1 || rest.first().isEmpty()) {
        *error = failure(rest.isEmpty() ? QStringLiteral("no address given") : QStringLiteral("one address only"),
                         kReportUsage);
        return std::nullopt;
    }
    o.address = rest.first();
    return o;
}

std::optional<ImportPadOptions> parseImportPad(const QStringList &args, QString *error)
{
    QCommandLineParser parser;
    if (!parse(parser, {kImportPad, kLanguage}, args, kRecordUsage, error))
        return std::nullopt;
    const QStringList files = parser.values(kImportPad);
    if (files.size() != 1 || files.first().isEmpty() || !parser.positionalArguments().isEmpty()) {
        *error = failure(QStringLiteral("--import-pad takes one file"), kRecordUsage);
        return std::nullopt;
    }
    const QStringList languages = parser.values(kLanguage);
    if (languages.size() > 1 || (languages.size() == 1 && languages.first().isEmpty())) {
        *error = failure(QStringLiteral("--language takes one language"), kRecordUsage);
        return std::nullopt;
    }
    return ImportPadOptions {files.first(), languages.value(0)};
}

std::optional<QString> parseExportPad(const QStringList &args, QString *error)
{
    QCommandLineParser parser;
    if (!parse(parser, {kExportPad}, args, kRecordUsage, error))
        return std::nullopt;
    const QStringList files = parser.values(kExportPad);
    if (files.size() != 1 || files.first().isEmpty() || !parser.positionalArguments().isEmpty()) {
        *error = failure(QStringLiteral("--export-pad takes one file"), kRecordUsage);
        return std::nullopt;
    }
    return files.first();
}

bool parseShowRecord(const QStringList &args, QString *error)
{
    QCommandLineParser parser;
    if (!parse(parser, {kShowRecord}, args, kRecordUsage, error))
        return false;
    if (!parser.positionalArguments().isEmpty()) {
        *error = failure(QStringLiteral("--show-record takes no items"), kRecordUsage);
        return false;
    }
    return true;
}

std::optional<CampaignOptions> parseCampaign(const QStringList &args, QString *error)
{
    QCommandLineParser parser;
    if (!parse(parser, {kCampaign, kCampaignVersion, kFormat}, args, kCampaignUsage, error))
        return std::nullopt;
    CampaignOptions o;
    if (parser.isSet(kCampaignVersion))
        o.version = parser.value(kCampaignVersion);
    if (parser.isSet(kFormat)) {
        const QString f = parser.value(kFormat);
        if (f != QLatin1String("json") && f != QLatin1String("csv")) {
            *error = failure(QStringLiteral("--format takes json or csv"), kCampaignUsage);
            return std::nullopt;
        }
        o.csv = f == QLatin1String("csv");
    }
    if (!parser.positionalArguments().isEmpty()) {
        *error = failure(QStringLiteral("--campaign takes no items"), kCampaignUsage);
        return std::nullopt;
    }
    return o;
}

QString helpText()
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A web browser that fills download sites' submission forms from your software's PAD record.\n"
        "Without an option, opens each ITEM (an address, a file, an Internet shortcut) in a tab; a second\n"
        "start hands its items to the program already running. The options run one job without a window."));
    parser.addOptions({kHelp, kVersion, kReport, kMode, kRules, kUsername, kPassword, kTimeout, kImportPad, kLanguage,
                       kExportPad, kShowRecord, kCampaign, kFormat, kCheckSites, kJobs});
    parser.addOption(kAcceptCertificateErrors);
    parser.addPositionalArgument(QStringLiteral("ITEM"),
                                 QStringLiteral("What to open in a tab; with --report, the address."),
                                 QStringLiteral("[ITEM...]"));
    QString text = parser.helpText();
    // Qt names the program by the path it was started with; the help names
    // it as it is typed.
    const qsizetype end = text.indexOf(QLatin1Char('\n'));
    text.replace(0, end, QStringLiteral("Usage: doduvodaz [options] [ITEM...]"));
    return text +
        QStringLiteral("\nExit status: 0 done, 1 failed, 2 (--report) the page did not load, 64 wrong arguments.\n");
}

QString versionText() { return QStringLiteral("doduvodaz %1\n").arg(QStringLiteral(DODUVODAZ_VERSION)); }

void complain(const QString &text)
{
    const QByteArray line = QStringLiteral("doduvodaz: %1\n").arg(text).toLocal8Bit();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
}

QStringList absoluteItems(const QStringList &items, const QString &startFolder)
{
    QStringList out;
    out.reserve(items.size());
    const QDir start(startFolder);
    for (const QString &item : items) {
        const QFileInfo info(start, item);
        if (!item.isEmpty() && QFileInfo(item).isRelative() && info.exists())
            out << info.absoluteFilePath();
        else
            out << item;
    }
    return out;
}

} // namespace app
