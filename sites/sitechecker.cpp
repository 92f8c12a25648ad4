#include "sitechecker.h"

#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QSslError>
#include <QTimer>
#include <utility>

namespace sites {

namespace {

// A page is read this far at most: enough for its title and its forms.
constexpr qint64 kBodyLimit = 512 * 1024;
constexpr int kMaxRedirects = 10;

// Hosts of one site: the same name, with or without a leading "www.".
QString siteHost(const QUrl &url)
{
    QString host = url.host().toLower();
    if (host.startsWith(QLatin1String("www.")))
        host.remove(0, 4);
    return host;
}

bool isHtml(const QNetworkReply *reply)
{
    const QString type = reply->header(QNetworkRequest::ContentTypeHeader).toString().toLower();
    return type.isEmpty() || type.contains(QLatin1String("html"));
}

} // namespace

struct SiteChecker::Job {
    CheckTarget target;
    QUrl url;
    int redirects = 0;
    bool head = true;
    bool timedOut = false;
    bool capped = false;
    QByteArray body;
    QString tlsError;
    QPointer<QNetworkReply> reply;
    QTimer *timer = nullptr;
};

namespace {

// The timer may be the one whose signal is being handled: it goes later.
void dropTimer(SiteChecker::Job *job)
{
    if (job->timer) {
        job->timer->stop();
        job->timer->deleteLater();
    }
}

} // namespace

QList<CheckTarget> checkTargets(const QList<campaign::Site> &sites)
{
    QList<CheckTarget> out;
    for (const campaign::Site &s : sites) {
        if (!s.newReleaseUrl.isEmpty())
            out.append({s, s.newReleaseUrl});
        if (!s.updateUrl.isEmpty() && s.updateUrl != s.newReleaseUrl)
            out.append({s, s.updateUrl});
    }
    return out;
}

bool looksParked(const QByteArray &html)
{
    // Words that parking services and domain sellers put on their pages.
    static const QRegularExpression words(
        QStringLiteral("domain (name )?(is|may be|might be) for sale|buy this domain|this domain is parked|"
                       "domain parking|parked (free|domain|by)|domain has expired|domain is available for purchase|"
                       "sedoparking|parkingcrew|bodis\\.com|hugedomains|afternic|dan\\.com/buy|"
                       "inquire about this domain|make an offer on this domain"),
        QRegularExpression::CaseInsensitiveOption);
    return words.match(QString::fromUtf8(html)).hasMatch();
}

bool hasForm(const QByteArray &html)
{
    static const QRegularExpression form(QStringLiteral("<form[\\s>/]"), QRegularExpression::CaseInsensitiveOption);
    return form.match(QString::fromUtf8(html)).hasMatch();
}

bool isUnreachable(const campaign::SiteCheck &check)
{
    using O = campaign::CheckOutcome;
    switch (check.outcome) {
    case O::Http:
    case O::Dns:
    case O::Refused:
    case O::Timeout:
    case O::Parked:
    case O::Network: return check.isValid();
    case O::Live:
    case O::Tls:
    case O::NoForm:
    case O::Moved: break;
    }
    return false;
}

QString checkResultText(const campaign::SiteCheck &c)
{
    using O = campaign::CheckOutcome;
    switch (c.outcome) {
    case O::Live:
        return SiteChecker::tr("live (HTTP %1)")
            .arg(c.httpStatus ? QString::number(c.httpStatus) : QStringLiteral("-"));
    case O::Http: return SiteChecker::tr("HTTP %1").arg(c.httpStatus);
    case O::Dns: return SiteChecker::tr("host name not found");
    case O::Refused: return SiteChecker::tr("connection refused");
    case O::Tls: return SiteChecker::tr("secure connection failed: %1").arg(c.detail);
    case O::Timeout: return SiteChecker::tr("no answer within the time limit");
    case O::Parked: return SiteChecker::tr("parked domain (a for-sale or parking page)");
    case O::NoForm: return SiteChecker::tr("page without a form");
    case O::Moved: return SiteChecker::tr("moved to %1").arg(c.redirectHost);
    case O::Network: break;
    }
    return SiteChecker::tr("unreachable: %1").arg(c.detail);
}

SiteChecker::SiteChecker(QObject *parent) : QObject(parent), m_network(new QNetworkAccessManager(this))
{
    // No cookie of the browsing profile reaches this manager; the requests
    // below neither send nor keep cookies of their own.
    m_network->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

SiteChecker::~SiteChecker() { cancel(); }

void SiteChecker::setJobs(int jobs) { m_jobs = qMax(1, jobs); }

void SiteChecker::setTimeout(int milliseconds) { m_timeoutMs = qMax(1, milliseconds); }

QByteArray SiteChecker::userAgent() { return QByteArrayLiteral("Doduvodaz/" DODUVODAZ_VERSION " (site check)"); }

void SiteChecker::start(const QList<CheckTarget> &targets)
{
    cancel();
    ++m_run;
    m_targets = targets;
    m_next = 0;
    m_done = 0;
    m_unreachable = 0;
    m_running = true;
    if (m_targets.isEmpty()) {
        m_running = false;
        QMetaObject::invokeMethod(
            this, [this] { Q_EMIT finished(false); }, Qt::QueuedConnection);
        return;
    }
    startNext();
}

void SiteChecker::cancel()
{
    if (!m_running)
        return;
    m_running = false;
    ++m_run; // what is still queued for this run is dropped
    const QSet<Job *> jobs = std::exchange(m_jobsRunning, {});
    for (Job *job : jobs) {
        if (job->reply) {
            job->reply->disconnect(this);
            job->reply->abort();
            job->reply->deleteLater();
        }
        dropTimer(job);
        delete job;
    }
    Q_EMIT finished(true);
}

void SiteChecker::startNext()
{
    while (m_running && m_jobsRunning.size() < m_jobs && m_next < m_targets.size()) {
        auto *job = new Job;
        job->target = m_targets.at(m_next++);
        m_jobsRunning.insert(job);
        job->url = QUrl::fromUserInput(job->target.address, QDir::currentPath());
        if (job->url.isLocalFile()) {
            QMetaObject::invokeMethod(
                this,
                [this, job, run = m_run] {
                    if (run == m_run)
                        checkLocalFile(job);
                },
                Qt::QueuedConnection);
            continue;
        }
        const QString scheme = job->url.scheme();
        if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) {
            campaign::SiteCheck c;
            c.outcome = campaign::CheckOutcome::Network;
            c.detail = tr("not a web address");
            QMetaObject::invokeMethod(
                this,
                [this, job, c, run = m_run] {
                    if (run == m_run)
                        finish(job, c);
                },
                Qt::QueuedConnection);
            continue;
        }
        job->timer = new QTimer(this);
        job->timer->setSingleShot(true);
        connect(job->timer, &QTimer::timeout, this, [job] {
            job->timedOut = true;
            if (job->reply)
                job->reply->abort();
        });
        job->timer->start(m_timeoutMs);
        request(job, true);
    }
}

void SiteChecker::request(Job *job, bool head)
{
    job->head = head;
    job->body.clear();
    job->capped = false;
    QNetworkRequest req(job->url);
    req.setHeader(QNetworkRequest::UserAgentHeader, userAgent());
    req.setRawHeader("Accept", "text/html,application/xhtml+xml,*/*;q=0.8");
    req.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    req.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    req.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    QNetworkReply *reply = head ? m_network->head(req) : m_network->get(req);
    job->reply = reply;
    connect(reply, &QNetworkReply::sslErrors, this, [job](const QList<QSslError> &errors) {
        if (!errors.isEmpty())
            job->tlsError = errors.first().errorString();
    });
    if (!head)
        connect(reply, &QIODevice::readyRead, this, [job, reply] {
            job->body += reply->read(kBodyLimit - job->body.size());
            if (job->body.size() >= kBodyLimit && !job->capped) {
                job->capped = true; // enough read: the rest is not needed
                reply->abort();
            }
        });
    connect(reply, &QNetworkReply::finished, this, [this, job] { onFinished(job); });
}

void SiteChecker::onFinished(Job *job)
{
    using O = campaign::CheckOutcome;
    QNetworkReply *reply = job->reply;
    if (!reply || !m_jobsRunning.contains(job))
        return;
    reply->deleteLater();
    job->reply = nullptr;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QNetworkReply::NetworkError error = reply->error();
    campaign::SiteCheck c;
    c.finalAddress = job->url.toString();
    c.httpStatus = status;
    if (job->timedOut) {
        c.outcome = O::Timeout;
        finish(job, c);
        return;
    }
    if (status == 0) {
        c.detail = reply->errorString();
        if (error == QNetworkReply::HostNotFoundError)
            c.outcome = O::Dns;
        else if (error == QNetworkReply::ConnectionRefusedError)
            c.outcome = O::Refused;
        else if (error == QNetworkReply::SslHandshakeFailedError || !job->tlsError.isEmpty()) {
            c.outcome = O::Tls;
            if (!job->tlsError.isEmpty())
                c.detail = job->tlsError;
        } else if (error == QNetworkReply::TimeoutError)
            c.outcome = O::Timeout;
        else
            c.outcome = O::Network;
        finish(job, c);
        return;
    }
    if (status >= 300 && status < 400 && reply->hasRawHeader("Location")) {
        const QUrl target = job->url.resolved(QUrl::fromEncoded(reply->rawHeader("Location")));
        if (siteHost(target) != siteHost(job->url)) {
            c.outcome = O::Moved;
            c.redirectHost = target.host();
            c.detail = target.toString();
            finish(job, c);
            return;
        }
        if (++job->redirects > kMaxRedirects) {
            c.outcome = O::Network;
            c.detail = tr("too many redirects");
            finish(job, c);
            return;
        }
        job->url = target;
        request(job, true);
        return;
    }
    // Servers that do not take HEAD say so in several ways.
    if (job->head && (status == 400 || status == 403 || status == 405 || status == 501)) {
        request(job, false);
        return;
    }
    if (status >= 400) {
        c.outcome = O::Http;
        finish(job, c);
        return;
    }
    if (status >= 200 && status < 300 && isHtml(reply)) {
        if (job->head) { // the page itself tells a live form from a parked domain
            request(job, false);
            return;
        }
        if (error != QNetworkReply::NoError && !job->capped) {
            c.outcome = O::Network;
            c.detail = reply->errorString();
        } else
            c.outcome = looksParked(job->body) ? O::Parked : hasForm(job->body) ? O::Live : O::NoForm;
        finish(job, c);
        return;
    }
    c.outcome = O::Live;
    finish(job, c);
}

void SiteChecker::checkLocalFile(Job *job)
{
    campaign::SiteCheck c;
    c.finalAddress = job->url.toString();
    QFile file(job->url.toLocalFile());
    if (!file.open(QIODevice::ReadOnly)) {
        c.outcome = campaign::CheckOutcome::Network;
        c.detail = file.errorString();
    } else {
        const QByteArray html = file.read(kBodyLimit);
        c.outcome = looksParked(html) ? campaign::CheckOutcome::Parked
            : hasForm(html)           ? campaign::CheckOutcome::Live
                                      : campaign::CheckOutcome::NoForm;
    }
    finish(job, c);
}

void SiteChecker::finish(Job *job, campaign::SiteCheck check)
{
    if (!m_jobsRunning.remove(job))
        return; // cancelled meanwhile
    check.time = QDateTime::currentDateTimeUtc();
    check.site = job->target.site;
    check.address = job->target.address;
    if (job->reply) {
        job->reply->disconnect(this);
        job->reply->deleteLater();
    }
    dropTimer(job);
    delete job;
    ++m_done;
    if (isUnreachable(check))
        ++m_unreachable;
    Q_EMIT checked(check);
    if (!m_running)
        return; // cancelled by a receiver
    if (m_done >= m_targets.size()) {
        m_running = false;
        Q_EMIT finished(false);
        return;
    }
    startNext();
}

} // namespace sites
