#pragma once
// The results of "Check sites": one row per address checked, in a table of
// its own (site_checks) in the submission log's database. The store opens its
// own connection to the file (WAL, a short busy wait), so that the log and the
// store write side by side. A site is named as the directory listed it: its
// name and both addresses.
#include "submissionlog.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

namespace campaign {

// What a check found at one address.
enum class CheckOutcome {
    Live,    // answered 2xx with a form (or a page that is not HTML)
    Http,    // answered 4xx or 5xx
    Dns,     // the host name is not known
    Refused, // nothing listens there
    Tls,     // the secure connection failed (certificate and the like)
    Timeout, // no full answer in time
    Parked,  // a domain-parking or for-sale page
    NoForm,  // a page without any form
    Moved,   // redirected to another host
    Network, // any other failure of the connection
};
QString outcomeWord(CheckOutcome o); // "ok", "http", "dns", "refused", "tls", "timeout", "parked", "no-form", ...
CheckOutcome outcomeFromWord(const QString &word);

struct SiteCheck {
    QDateTime time; // UTC; invalid: never checked
    Site site;
    QString address; // the address as listed
    CheckOutcome outcome = CheckOutcome::Live;
    int httpStatus = 0;   // the last answer's status, 0 when none came
    QString finalAddress; // where the redirects within the site ended
    QString redirectHost; // the other host a redirect pointed to
    QString detail;       // the error's text
    bool isValid() const { return time.isValid(); }
};

// A key that names one address of one listed site.
QString siteCheckKey(const Site &site, const QString &address);

class SiteCheckStore {
public:
    SiteCheckStore();
    ~SiteCheckStore();
    SiteCheckStore(const SiteCheckStore &) = delete;
    SiteCheckStore &operator=(const SiteCheckStore &) = delete;

    // Opens (and creates when missing) the database for writing, or an
    // existing one for reading; false, with problem() naming the file, when
    // it cannot be used. A file of another program is never changed.
    bool open(const QString &path = SubmissionLog::fileName());
    bool openForReading(const QString &path = SubmissionLog::fileName());
    bool isOpen() const { return m_open; }
    QString problem() const { return m_problem; }

    // Appends one check, or several in one transaction; false (and
    // problem() set) when they cannot be written.
    bool record(const SiteCheck &check);
    bool record(const QList<SiteCheck> &checks);
    // The last check of every address that has one, by siteCheckKey.
    QHash<QString, SiteCheck> latest();

private:
    bool fail(const QString &reason);
    bool openDatabase(const QString &path, bool readOnly);

    QString m_connection;
    QString m_path;
    QString m_problem;
    bool m_open = false;
    bool m_empty = false; // opened for reading, nothing checked yet
};

} // namespace campaign
