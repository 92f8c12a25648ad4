#include "support_httpserver.h"

#include <QHostAddress>

namespace sitestest {

HttpServer::HttpServer(QObject *parent) : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &HttpServer::onNewConnection);
}

HttpServer::~HttpServer() { stop(); }

bool HttpServer::start() { return m_server.listen(QHostAddress::LocalHost, 0); }

void HttpServer::stop()
{
    m_server.close();
    for (const QPointer<QTcpSocket> &s : std::as_const(m_sockets)) {
        if (s) {
            s->abort();
            delete s.data();
        }
    }
    m_sockets.clear();
}

QString HttpServer::hostAndPort() const { return QStringLiteral("127.0.0.1:%1").arg(port()); }

void HttpServer::setAnswer(int status, const QByteArray &contentType, const QByteArray &body)
{
    m_status = status;
    m_contentType = contentType;
    m_body = body;
}

void HttpServer::onNewConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        m_sockets.append(socket);
        socket->setProperty("request", QByteArray());
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
    }
}

void HttpServer::onReadyRead(QTcpSocket *socket)
{
    QByteArray request = socket->property("request").toByteArray() + socket->readAll();
    socket->setProperty("request", request);
    const qsizetype end = request.indexOf("\r\n\r\n");
    if (end < 0)
        return;
    socket->setProperty("request", request.mid(end + 4));
    const QList<QByteArray> words = request.left(request.indexOf("\r\n")).split(' ');
    const QString path = words.size() >= 2 ? QString::fromLatin1(words[1]) : QString();
    m_paths.append(path);
    Q_EMIT requestArrived(path);

    if (m_mode == Mode::Silent)
        return;
    QByteArray head = "HTTP/1.1 " + QByteArray::number(m_status) + (m_status == 200 ? " OK" : " Not Found") + "\r\n";
    head += "Content-Type: " + m_contentType + "\r\n";
    head += "Content-Length: " + QByteArray::number(m_body.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";
    if (m_mode == Mode::CloseMidway) {
        socket->write(head + m_body.left(m_body.size() / 2));
        socket->flush();
        socket->disconnectFromHost();
        return;
    }
    socket->write(head + m_body);
    socket->disconnectFromHost();
}

} // namespace sitestest
