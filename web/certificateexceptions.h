#pragma once
// Certificates the user chose to trust although the engine refused them:
// kept per host for as long as the program runs, never written anywhere.
// A later visit to the same host with the same certificate goes on without
// asking; another certificate for that host asks again.
#include <QList>
#include <QSslCertificate>
#include <QString>
#include <functional>

class QWebEnginePage;

namespace web {

class CertificateExceptions {
public:
    static void accept(const QString &host, const QList<QSslCertificate> &chain);
    static bool isAccepted(const QString &host, const QList<QSslCertificate> &chain);
    // Forgets every exception (for tests).
    static void clear();
};

// The engine's certificate error (QWebEngineCertificateError::Type) in plain
// words; description is the engine's own text, used for kinds without words
// of their own.
QString certificateErrorText(int type, const QString &description);

// For a page nobody looks at: every certificate error is accepted (acceptAll)
// or refused; refused hears of each refusal as "HOST: what is wrong".
void answerCertificateErrors(QWebEnginePage *page, bool acceptAll, std::function<void(const QString &)> refused);

} // namespace web
