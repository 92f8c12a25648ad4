#include "web/pageguard.h"

#include "web/certificateexceptions.h"
#include "web/credentials.h"
#include "web/embeddedwb.h"
#include "web/problempage.h"

#include <QAuthenticator>

namespace web {

namespace {

QString featureText(QWebEnginePage::Feature feature)
{
    switch (feature) {
    case QWebEnginePage::Notifications: return PageGuard::tr("to show notifications");
    case QWebEnginePage::Geolocation: return PageGuard::tr("for your location");
    case QWebEnginePage::MediaAudioCapture: return PageGuard::tr("for the microphone");
    case QWebEnginePage::MediaVideoCapture: return PageGuard::tr("for the camera");
    case QWebEnginePage::MediaAudioVideoCapture: return PageGuard::tr("for the camera and microphone");
    case QWebEnginePage::MouseLock: return PageGuard::tr("to capture the mouse pointer");
    case QWebEnginePage::DesktopVideoCapture:
    case QWebEnginePage::DesktopAudioVideoCapture: return PageGuard::tr("to capture the screen");
    }
    return PageGuard::tr("for a permission");
}

QString hostOf(const QUrl &url) { return url.host().isEmpty() ? url.toDisplayString() : url.host(); }

} // namespace

PageGuard::PageGuard(TbxEmbeddedWb *browser) : QObject(browser), m_browser(browser)
{
    m_problem = new ProblemPage(browser);
    QWebEnginePage *page = browser->page();
    connect(page, &QWebEnginePage::certificateError, this, &PageGuard::onCertificateError);
    connect(page, &QWebEnginePage::authenticationRequired, this,
            [this](const QUrl &url, QAuthenticator *a) { onAuthentication(url, a, QString()); });
    connect(page, &QWebEnginePage::proxyAuthenticationRequired, this, &PageGuard::onAuthentication);
    connect(page, &QWebEnginePage::featurePermissionRequested, this, &PageGuard::onPermission);
    connect(page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int) { onRendererEnded(status); });
    connect(page, &QWebEnginePage::loadStarted, this, [this] {
        // A new load while a certificate question is open replaces it.
        if (!m_pending)
            m_problem->hide();
    });
    connect(page, &QWebEnginePage::loadFinished, this, [this] { m_triedRemembered.clear(); });
}

PageGuard::~PageGuard()
{
    if (m_pending)
        m_pending->rejectCertificate();
}

ProblemPage *PageGuard::problemPage() const { return m_problem->isHidden() ? nullptr : m_problem; }

void PageGuard::onCertificateError(const QWebEngineCertificateError &error)
{
    const QString host = error.url().host();
    if (CertificateExceptions::isAccepted(host, error.certificateChain())) {
        QWebEngineCertificateError(error).acceptCertificate();
        return;
    }
    if (m_pending) // an earlier question for this page is answered by the new load
        std::exchange(m_pending, std::nullopt)->rejectCertificate();
    const QString why = certificateErrorText(error.type(), error.description());
    QList<ProblemPage::Button> buttons {{QStringLiteral("GoBack"), tr("Go back"), [this] { goBack(); }}};
    QString text = tr("The connection to %1 is not private: %2").arg(host, why);
    if (error.isOverridable()) {
        QWebEngineCertificateError deferred(error);
        deferred.defer();
        m_pending = deferred;
        text += QLatin1String("\n\n") +
            tr("Someone could be reading or changing what you send to this site. Go on only if you know that "
               "this site uses this certificate; it is then trusted until the program ends.");
        buttons << ProblemPage::Button {QStringLiteral("ContinueAnyway"), tr("Continue to %1 anyway").arg(host),
                                        [this] { continueAnyway(); }};
    }
    m_problem->present(tr("This site's certificate is not trusted"), text, buttons);
    Q_EMIT statusNote(tr("%1: %2").arg(host, why));
}

void PageGuard::continueAnyway()
{
    if (!m_pending)
        return;
    QWebEngineCertificateError error = *std::exchange(m_pending, std::nullopt);
    CertificateExceptions::accept(error.url().host(), error.certificateChain());
    m_problem->hide();
    error.acceptCertificate();
}

void PageGuard::goBack()
{
    if (m_pending)
        std::exchange(m_pending, std::nullopt)->rejectCertificate();
    m_problem->hide();
    if (m_browser->canGoBack())
        m_browser->back();
    else
        m_browser->setHtml(QString());
}

void PageGuard::dismiss() { m_problem->hide(); }

void PageGuard::onAuthentication(const QUrl &url, QAuthenticator *authenticator, const QString &proxyHost)
{
    CredentialsRequest request;
    request.url = url;
    request.proxy = !proxyHost.isEmpty();
    request.host = request.proxy ? proxyHost : url.host();
    request.realm = authenticator->realm();
    const QString key = request.host + QLatin1Char('\n') + request.realm + (request.proxy ? "p" : "");
    // Remembered answers are given once per load; when the server refuses
    // them the user is asked.
    if (RememberedCredentials::recall(request) && !m_triedRemembered.contains(key)) {
        m_triedRemembered.insert(key);
        authenticator->setUser(request.username);
        authenticator->setPassword(request.password);
        return;
    }
    request.password.clear();
    if (!m_browser->host()->askCredentials(m_browser, request)) {
        // No answer: the engine shows what the server sent with its refusal.
        *authenticator = QAuthenticator();
        return;
    }
    m_triedRemembered.insert(key);
    if (request.remember)
        RememberedCredentials::remember(request);
    else
        RememberedCredentials::forget(request);
    authenticator->setUser(request.username);
    authenticator->setPassword(request.password);
}

void PageGuard::onPermission(const QUrl &origin, QWebEnginePage::Feature feature)
{
    m_browser->page()->setFeaturePermission(origin, feature, QWebEnginePage::PermissionDeniedByUser);
    Q_EMIT statusNote(tr("%1 asked %2; refused.").arg(hostOf(origin), featureText(feature)));
}

void PageGuard::onRendererEnded(QWebEnginePage::RenderProcessTerminationStatus status)
{
    if (status == QWebEnginePage::NormalTerminationStatus)
        return;
    const QString host = hostOf(m_browser->url());
    m_problem->present(tr("This page stopped working"),
                       tr("The part of the program that showed %1 stopped. The other tabs go on working; Reload "
                          "opens the page again.")
                           .arg(host),
                       {{QStringLiteral("Reload"), tr("Reload"), [this] {
                             dismiss();
                             m_browser->reload();
                         }}});
    Q_EMIT statusNote(tr("The page of %1 stopped working.").arg(host));
}

} // namespace web
