#pragma once
// The program's command line. Without an option it opens each item (an
// address, a file, an Internet shortcut) in a tab; the options below run one
// job without a window instead and exit. Every mode's options are read by
// QCommandLineParser; `doduvodaz --help` lists them all.
//
//   doduvodaz [ITEM...]
//   doduvodaz --report [--mode fill|login|submit] [--rules classic|smart]
//             [--username TEXT] [--password TEXT] [--timeout SECONDS] ADDRESS
//   doduvodaz --import-pad FILE [--language NAME]
//   doduvodaz --export-pad FILE
//   doduvodaz --show-record
//   doduvodaz --campaign [--version V] [--format json|csv]
//   doduvodaz --check-sites [--jobs N] [--timeout S] [--format json|csv]
//   doduvodaz --help | --version
#include "engine/routines.h"
#include "web/autofill.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace app {

// Exit status for arguments that are wrong (as sysexits' EX_USAGE).
constexpr int kUsageStatus = 64;

enum class Mode { Window, Report, ImportPad, ShowRecord, Campaign, CheckSites, Help, Version, ExportPad };

// The mode the arguments (without the program's name) ask for, told by the
// mode's own option alone; whether the rest is right is for its parser. With
// --campaign, --version names a release, not the program's version.
Mode modeOf(const QStringList &args);

struct ReportOptions {
    engine::FormMode mode = engine::FormMode::Fill;
    web::FillRules rules = web::FillRules::Classic;
    QString username;
    QString password;
    int timeoutSeconds = 30;
    QString address;
    bool acceptCertificateErrors = false;
};

struct ImportPadOptions {
    QString file;
    QString language; // of the descriptions; "" the default
};

struct CampaignOptions {
    std::optional<QString> version;
    bool csv = false;
};

// Each parser takes the arguments without the program's name. On wrong
// arguments it returns nullopt and error receives a message of one or more
// lines ending with the mode's usage line.
std::optional<QStringList> parseWindowItems(const QStringList &args, QString *error);
std::optional<ReportOptions> parseReport(const QStringList &args, QString *error);
std::optional<ImportPadOptions> parseImportPad(const QStringList &args, QString *error);
std::optional<QString> parseExportPad(const QStringList &args, QString *error);
bool parseShowRecord(const QStringList &args, QString *error);
std::optional<CampaignOptions> parseCampaign(const QStringList &args, QString *error);

// `doduvodaz --help` and `doduvodaz --version`.
QString helpText();
QString versionText();

// Writes "doduvodaz: " and the text as one line on standard error.
void complain(const QString &text);

// Items given on the command line as relative paths of existing files are
// made absolute against the folder the program was started in, so that they
// are still found after it changes into its working folder (and when they are
// handed to a copy already running elsewhere). Addresses stay as they are.
QStringList absoluteItems(const QStringList &items, const QString &startFolder);

} // namespace app
