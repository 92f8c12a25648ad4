#include "web/certificateexceptions.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QHash>
#include <QSet>
#include <QWebEngineCertificateError>
#include <QWebEnginePage>

namespace web {

namespace {

// host -> fingerprints of the leaf certificates accepted for it.
QHash<QString, QSet<QByteArray>> &accepted()
{
    static QHash<QString, QSet<QByteArray>> hosts;
    return hosts;
}

QByteArray fingerprint(const QList<QSslCertificate> &chain)
{
    return chain.isEmpty() ? QByteArray() : chain.first().digest(QCryptographicHash::Sha256);
}

QString tr(const char *text) { return QCoreApplication::translate("web::CertificateExceptions", text); }

} // namespace

void CertificateExceptions::accept(const QString &host, const QList<QSslCertificate> &chain)
{
    accepted()[host.toLower()].insert(fingerprint(chain));
}

bool CertificateExceptions::isAccepted(const QString &host, const QList<QSslCertificate> &chain)
{
    const auto it = accepted().constFind(host.toLower());
    return it != accepted().constEnd() && it->contains(fingerprint(chain));
}

void CertificateExceptions::clear() { accepted().clear(); }

QString certificateErrorText(int type, const QString &description)
{
    switch (type) {
    case QWebEngineCertificateError::CertificateCommonNameInvalid:
        return tr("The site's certificate was made out for another name than this site's.");
    case QWebEngineCertificateError::CertificateDateInvalid:
        return tr("The site's certificate has expired or is not valid yet.");
    case QWebEngineCertificateError::CertificateAuthorityInvalid:
        return tr("The site's certificate was not issued by an authority this computer trusts (it may have made "
                  "it itself).");
    case QWebEngineCertificateError::CertificateRevoked:
        return tr("The site's certificate has been withdrawn by the authority that issued it.");
    case QWebEngineCertificateError::CertificateWeakSignatureAlgorithm:
    case QWebEngineCertificateError::CertificateWeakKey:
        return tr("The site's certificate uses encryption too weak to be trusted.");
    case QWebEngineCertificateError::SslObsoleteVersion:
        return tr("The site uses an obsolete version of the secure connection.");
    default: break;
    }
    return description.isEmpty() ? tr("The site's certificate is not valid.") : description;
}

void answerCertificateErrors(QWebEnginePage *page, bool acceptAll, std::function<void(const QString &)> refused)
{
    QObject::connect(page, &QWebEnginePage::certificateError, page,
                     [acceptAll, refused = std::move(refused)](const QWebEngineCertificateError &error) {
                         QWebEngineCertificateError answer(error);
                         if (acceptAll && answer.isOverridable()) {
                             answer.acceptCertificate();
                             return;
                         }
                         answer.rejectCertificate();
                         if (refused)
                             refused(QStringLiteral("%1: %2").arg(
                                 error.url().host(), certificateErrorText(error.type(), error.description())));
                     });
}

} // namespace web
