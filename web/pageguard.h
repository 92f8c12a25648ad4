#pragma once
// What a tab's page needs beyond showing sites that behave: a certificate
// the engine refuses, a site or proxy asking for a password, a permission
// request, a renderer that stopped. One guard watches one browser control.
//
// A refused certificate holds the load and shows a page of the program's own
// naming the host and the error, with "Go back" and "Continue to HOST
// anyway"; continuing trusts that certificate for that host until the
// program ends and lets the load go on (the automatic fill then runs as on
// any page). Permission requests are refused with a note. A renderer that
// stopped leaves "This page stopped working" with Reload.
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QUrl>
#include <QWebEngineCertificateError>
#include <QWebEnginePage>
#include <optional>

class QAuthenticator;

namespace web {

class ProblemPage;
class TbxEmbeddedWb;

class PageGuard : public QObject {
    Q_OBJECT
public:
    explicit PageGuard(TbxEmbeddedWb *browser);
    ~PageGuard() override;

    // The page of our own shown over the site's page, or null while none is.
    ProblemPage *problemPage() const;

Q_SIGNALS:
    // One line for the tab's status bar.
    void statusNote(const QString &text);

private:
    void onCertificateError(const QWebEngineCertificateError &error);
    void onAuthentication(const QUrl &url, QAuthenticator *authenticator, const QString &proxyHost);
    void onPermission(const QUrl &origin, QWebEnginePage::Feature feature);
    void onRendererEnded(QWebEnginePage::RenderProcessTerminationStatus status);
    void continueAnyway();
    void goBack();
    void dismiss();

    TbxEmbeddedWb *m_browser;
    ProblemPage *m_problem;
    std::optional<QWebEngineCertificateError> m_pending;
    QSet<QString> m_triedRemembered; // host+realm answered from memory in this load
};

} // namespace web
