#pragma once
// A scriptable HTTP server on 127.0.0.1 for the site checks: each request's
// answer (status, extra headers, body, a delay, or silence) is chosen by a
// function of the method and path; with a certificate it speaks TLS. It keeps
// every request's head and counts the connections open at once. Header-only;
// needs QtNetwork.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <functional>

namespace testsupport {

struct CheckAnswer {
    int status = 200;
    QByteArray headers; // extra header lines, each ending in \r\n
    QByteArray body;
    int delayMs = 0;
    bool silent = false; // read the request, never answer
};

class CheckServer : public QTcpServer {
public:
    std::function<CheckAnswer(const QByteArray &method, const QByteArray &path)> answer;
    QList<QByteArray> requests; // each request's head as received
    int open = 0;               // connections open now
    int mostOpen = 0;           // the most open at once

    explicit CheckServer(QObject *parent = nullptr) : QTcpServer(parent) { }

    bool listenLocal() { return listen(QHostAddress::LocalHost); }
    QString url(const QString &path, const QString &host = QStringLiteral("127.0.0.1")) const
    {
        return QStringLiteral("%1://%2:%3/%4")
            .arg(QString::fromLatin1(m_tls ? "https" : "http"), host)
            .arg(serverPort())
            .arg(path);
    }
    void useTls(const QSslCertificate &cert, const QSslKey &key)
    {
        m_tls = true;
        m_cert = cert;
        m_key = key;
    }

protected:
    void incomingConnection(qintptr descriptor) override
    {
        QTcpSocket *socket = m_tls ? new QSslSocket(this) : new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        ++open;
        mostOpen = qMax(mostOpen, open);
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            --open;
            socket->deleteLater();
        });
        if (m_tls) {
            auto *ssl = static_cast<QSslSocket *>(socket);
            ssl->setLocalCertificate(m_cert);
            ssl->setPrivateKey(m_key);
            connect(ssl, &QSslSocket::errorOccurred, ssl, [ssl] { ssl->abort(); });
            ssl->startServerEncryption();
        }
        auto *buffer = new QByteArray;
        connect(socket, &QObject::destroyed, this, [buffer] { delete buffer; });
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
            *buffer += socket->readAll();
            const qsizetype end = buffer->indexOf("\r\n\r\n");
            if (end < 0)
                return;
            const QByteArray head = buffer->left(end);
            buffer->clear();
            requests << head;
            const QList<QByteArray> first = head.left(head.indexOf("\r\n")).split(' ');
            const QByteArray method = first.value(0);
            const CheckAnswer a = answer ? answer(method, first.value(1)) : CheckAnswer();
            if (a.silent)
                return;
            QByteArray reply = "HTTP/1.1 " + QByteArray::number(a.status) + " Answer\r\n";
            if (!a.headers.contains("Content-Type"))
                reply += "Content-Type: text/html; charset=utf-8\r\n";
            reply +=
                a.headers + "Content-Length: " + QByteArray::number(a.body.size()) + "\r\nConnection: close\r\n\r\n";
            if (method != "HEAD")
                reply += a.body;
            QPointer<QTcpSocket> s(socket);
            QTimer::singleShot(a.delayMs, this, [s, reply] {
                if (!s)
                    return;
                s->write(reply);
                s->disconnectFromHost();
            });
        });
    }

private:
    bool m_tls = false;
    QSslCertificate m_cert;
    QSslKey m_key;
};

} // namespace testsupport
