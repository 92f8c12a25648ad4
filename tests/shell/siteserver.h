#pragma once
// A loopback web server for tests of sites that behave like real ones: plain
// HTTP or HTTPS with a certificate made for the test, and a handler that
// gets each request and answers with the raw bytes of a response. The
// connection is closed after each answer; an answer may also stop halfway
// (closeAfter bytes) as a failing server does.
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QUrl>
#include <functional>

namespace testsupport {

struct SiteRequest {
    QByteArray method;
    QString path;                          // with the query
    QHash<QByteArray, QByteArray> headers; // names in lower case
};

struct SiteReply {
    QByteArray bytes;
    qsizetype closeAfter = -1; // send only this many bytes, then close
    bool holdOpen = false;     // with closeAfter: keep the connection open instead
};

inline SiteReply htmlReply(const QByteArray &html, int status = 200, const QByteArray &extraHeaders = {})
{
    return {"HTTP/1.1 " + QByteArray::number(status) + " X\r\nContent-Type: text/html; charset=utf-8\r\n" +
            extraHeaders + "Content-Length: " + QByteArray::number(html.size()) + "\r\nConnection: close\r\n\r\n" +
            html};
}

class SiteServer : public QTcpServer {
public:
    std::function<SiteReply(const SiteRequest &)> handler;

    // Makes a self-signed certificate for 127.0.0.1 with openssl; false
    // when that failed.
    bool makeCertificate(const QTemporaryDir &dir)
    {
        const QString key = dir.filePath(QStringLiteral("key.pem")), cert = dir.filePath(QStringLiteral("cert.pem"));
        QProcess p;
        p.start(QStringLiteral("openssl"),
                {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=127.0.0.1", "-addext",
                 "subjectAltName=IP:127.0.0.1", "-keyout", key, "-out", cert});
        if (!p.waitForFinished(60000) || p.exitCode() != 0)
            return false;
        QFile k(key), c(cert);
        if (!k.open(QIODevice::ReadOnly) || !c.open(QIODevice::ReadOnly))
            return false;
        m_key = QSslKey(k.readAll(), QSsl::Rsa);
        m_cert = QSslCertificate(c.readAll());
        m_tls = !m_key.isNull() && !m_cert.isNull();
        return m_tls;
    }
    bool start() { return listen(QHostAddress::LocalHost); }
    QUrl url(const QString &path) const
    {
        return QUrl(QStringLiteral("%1://127.0.0.1:%2/%3").arg(m_tls ? "https" : "http").arg(serverPort()).arg(path));
    }
    int requestCount(const QString &path) const { return m_counts.value(path); }

protected:
    void incomingConnection(qintptr descriptor) override
    {
        QTcpSocket *socket = nullptr;
        if (m_tls) {
            auto *ssl = new QSslSocket(this);
            ssl->setSocketDescriptor(descriptor);
            ssl->setLocalCertificate(m_cert);
            ssl->setPrivateKey(m_key);
            ssl->startServerEncryption();
            socket = ssl;
        } else {
            socket = new QTcpSocket(this);
            socket->setSocketDescriptor(descriptor);
        }
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
            *buffer += socket->readAll();
            const qsizetype end = buffer->indexOf("\r\n\r\n");
            if (end < 0)
                return;
            SiteRequest request;
            const QList<QByteArray> lines = buffer->left(end).split('\n');
            const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
            request.method = first.value(0);
            request.path = QString::fromUtf8(first.value(1));
            for (qsizetype i = 1; i < lines.size(); ++i) {
                const qsizetype colon = lines[i].indexOf(':');
                if (colon > 0)
                    request.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
            }
            buffer->clear();
            m_counts[request.path.section(QLatin1Char('?'), 0, 0)]++;
            SiteReply reply = handler ? handler(request) : htmlReply("Not here", 404);
            if (reply.closeAfter >= 0) {
                socket->write(reply.bytes.left(reply.closeAfter));
                if (!reply.holdOpen)
                    socket->disconnectFromHost();
                return;
            }
            socket->write(reply.bytes);
            socket->disconnectFromHost();
        });
    }

private:
    bool m_tls = false;
    QSslKey m_key;
    QSslCertificate m_cert;
    QHash<QString, int> m_counts;
};

} // namespace testsupport
