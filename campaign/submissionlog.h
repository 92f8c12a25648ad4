#pragma once
// The submission log: what happened on each download site for each release
// ("campaign": the record's program name and version), kept in the SQLite
// database submissions.sqlite in the working folder.
//
// Every event is one row of an append-only table, written in its own
// transaction in WAL mode, so a program that is killed loses nothing that was
// committed. A site's state (done, skipped, failed, open) is the latest
// "state" row for it. Each row names a site as the directory listed it (name
// and both addresses, a row of the sites table): it belongs to the listed
// site with that name and those addresses, so two sites listed under one
// name keep states of their own. A site renamed or moved by a directory
// update keeps its history through its addresses (or its name, when no other
// listed site has it), and the rows of a removed site stay in the file.
//
// Several copies of the program may write the file at once: each waits for
// the others' writes, takes a site row another copy added, and reads the
// rows others wrote.
//
// When the database cannot be used (not a database, locked, not writable)
// the log says so once, naming the file, and is off until the next start; it
// never deletes, truncates or rewrites such a file.
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSqlDatabase>
#include <QString>

namespace campaign {

// The release being announced.
struct Campaign {
    QString program;
    QString version;
    bool isValid() const { return !program.isEmpty() || !version.isEmpty(); }
    // "ClipNest 3.2.1"
    QString label() const { return version.isEmpty() ? program : program + QLatin1Char(' ') + version; }
};

// A site as the directory lists it: display name and its two addresses.
struct Site {
    QString name;
    QString newReleaseUrl;
    QString updateUrl;
};

enum class State { Open, Done, Skipped, Failed };
QString stateWord(State s);               // "open", "done", "skipped", "failed"
State stateFromWord(const QString &word); // unknown words are Open
QString stateCaption(State s);            // "Open", "Done", "Skipped", "Failed"

// What can happen to a site's page.
// Pressed: a submit button was pressed; Submit: a new page followed the
// press, so the form was sent.
enum class EventKind { Opened, Filled, Login, Pressed, Submit, Result, Closed, StateSet };
// "open", "fill", "login", "press", "submit", "result", "close", "state"
QString eventWord(EventKind k);

struct Event {
    EventKind kind = EventKind::Opened;
    QString address;    // the page's address (final address for a result)
    QString detail;     // controls written, the button pressed
    int httpStatus = 0; // 0: not known
    QString title;      // page title of a result
};

// One row read back.
struct LoggedEvent {
    qint64 id = 0;
    QDateTime time; // UTC
    QString kind;   // the event word
    QString address;
    QString detail;
    int httpStatus = 0;
    QString title;
    bool isValid() const { return id > 0; }
};

// A listed site's standing in one campaign.
struct SiteStatus {
    State state = State::Open;
    QString note;        // with Done, Skipped or Failed
    QDateTime stateTime; // when the state was set; invalid when never set
    LoggedEvent last;    // the last event other than a state change
    int events = 0;      // rows of this campaign that belong to the site
};

class SubmissionLog : public QObject {
    Q_OBJECT
public:
    explicit SubmissionLog(QObject *parent = nullptr);
    ~SubmissionLog() override;

    // The file's bare name, in the working folder.
    static QString fileName();

    // Opens the database for writing; a missing one is created with the first
    // event. False, with problem() set, when it cannot be used; the log then
    // stays off.
    bool open(const QString &path = fileName());
    // Opens an existing database only to read it; a missing file is an empty
    // log and is not created.
    bool openForReading(const QString &path = fileName());

    bool isOn() const { return m_on; }
    QString path() const { return m_path; }
    // The message naming the file, once something went wrong.
    QString problem() const { return m_problem; }

    // Each returns false when the log is off or the write failed (the log
    // then switches off and emits switchedOff once).
    bool record(const Campaign &c, const Site &site, const Event &event);
    bool setState(const Campaign &c, const Site &site, State state, const QString &note = QString());

    // The status of each listed site in the campaign, in list order.
    QList<SiteStatus> statuses(const Campaign &c, const QList<Site> &sites);
    // Rows of the campaign that belong to none of the listed sites (sites
    // removed from the directory), one status per distinct site.
    QList<std::pair<Site, SiteStatus>> unlisted(const Campaign &c, const QList<Site> &sites);

    // Every event of a site in a campaign, oldest first: its own and those
    // of the site under another name with the same addresses (never those
    // of another site that only shares its name).
    QList<LoggedEvent> history(const Campaign &c, const Site &site);

Q_SIGNALS:
    // Something was written.
    void changed();
    // The log failed while in use and is now off; message names the file.
    void switchedOff(const QString &message);

private:
    bool openDatabase(const QString &path, bool readOnly);
    bool fail(const QString &reason);
    bool write(const Campaign &c, const Site &site, const QString &kind, const Event &event, const QString &state,
               const QString &note);
    bool loadSites();
    template <typename F>
    void scan(const Campaign &c, const QList<Site> &sites, bool latestOnly, bool nameAlone, F &&perRow);

    QString m_connection;
    QString m_path;
    QString m_problem;
    bool m_on = false;
    bool m_readOnly = false;
    bool m_deferred = false; // the file is made with the first write
    // The sites table as far as read: rows up to m_lastSiteId, and the
    // rows this log wrote.
    qint64 m_lastSiteId = 0;
    QHash<QString, qint64> m_siteIds;
    QHash<qint64, Site> m_sites;
};

} // namespace campaign
