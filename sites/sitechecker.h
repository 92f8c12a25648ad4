#pragma once
// "Check sites": asks every listed address whether its page is still there,
// over the network (not in browser tabs), a few at a time, each within a time
// limit. A redirect within the same site is followed; one to another host is
// noted and not followed. A server that refuses HEAD is asked with GET; a page
// that answers 200 with HTML is read (up to a limit) to tell a parked domain
// and a page without a form from a live submission page.
//
// The checker has a network access manager of its own: no cookies of the
// browsing profile are sent, and none it receives are kept.
#include "campaign/sitecheckstore.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

namespace sites {

struct CheckTarget {
    campaign::Site site;
    QString address;
};

// Both addresses of each site (an empty one is left out; one address listed
// twice is checked once).
QList<CheckTarget> checkTargets(const QList<campaign::Site> &sites);

// The result's words for a person: "live", "HTTP 404", "moved to other.example",
// "no answer within the time limit", ...
QString checkResultText(const campaign::SiteCheck &check);

// Whether a page's HTML names a domain-parking or domain-for-sale page, and
// whether it holds a form.
bool looksParked(const QByteArray &html);
bool hasForm(const QByteArray &html);

class SiteChecker : public QObject {
    Q_OBJECT
public:
    explicit SiteChecker(QObject *parent = nullptr);
    ~SiteChecker() override;

    // At most this many addresses at once (at least 1).
    void setJobs(int jobs);
    int jobs() const { return m_jobs; }
    // Each address's whole check, redirects included, within this time.
    void setTimeout(int milliseconds);
    int timeout() const { return m_timeoutMs; }
    // The User-Agent header sent: the program's name and version.
    static QByteArray userAgent();

    // Starts checking; an earlier run still going is cancelled first.
    void start(const QList<CheckTarget> &targets);
    // Stops: nothing more is reported, what was reported stays.
    void cancel();
    bool isRunning() const { return m_running; }

    int total() const { return int(m_targets.size()); }
    int done() const { return m_done; }
    int unreachable() const { return m_unreachable; }

Q_SIGNALS:
    void checked(const campaign::SiteCheck &check);
    // After the last check, or after cancel().
    void finished(bool cancelled);

public:
    struct Job; // one address being checked

private:
    void startNext();
    void request(Job *job, bool head);
    void onFinished(Job *job);
    void finish(Job *job, campaign::SiteCheck check);
    void checkLocalFile(Job *job);

    QNetworkAccessManager *m_network;
    QList<CheckTarget> m_targets;
    QSet<Job *> m_jobsRunning;
    int m_next = 0;
    int m_done = 0;
    int m_unreachable = 0;
    int m_jobs = 8;
    int m_timeoutMs = 15000;
    bool m_running = false;
    quint64 m_run = 0; // counts runs and cancels
};

// Whether a check says the page cannot be reached (no answer, an error
// status, or a parked domain): such a site is skipped by "Next site".
bool isUnreachable(const campaign::SiteCheck &check);

} // namespace sites
