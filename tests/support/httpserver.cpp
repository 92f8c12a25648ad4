#include "httpserver.h"

#ifdef QT_NETWORK_LIB
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpSocket>
#include <memory>

namespace testsupport {

namespace {

QByteArray typeOf(const QString &path)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext == QLatin1String("htm") || ext == QLatin1String("html"))
        return QByteArrayLiteral("text/html; charset=utf-8");
    if (ext == QLatin1String("css"))
        return QByteArrayLiteral("text/css");
    if (ext == QLatin1String("js"))
        return QByteArrayLiteral("text/javascript");
    if (ext == QLatin1String("xml"))
        return QByteArrayLiteral("application/xml");
    return QByteArrayLiteral("application/octet-stream");
}

} // namespace

HttpServer::HttpServer(QObject *parent) : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &HttpServer::onConnection);
}

HttpServer::~HttpServer() { stop(); }

bool HttpServer::listen() { return m_server.listen(QHostAddress::LocalHost, 0); }

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
    m_hasAnswer = true;
    m_answerStatus = status;
    m_answer = {body, contentType};
}

quint16 HttpServer::port() const { return m_server.serverPort(); }

QUrl HttpServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/%2").arg(port()).arg(path));
}

void HttpServer::setPage(const QString &path, const QByteArray &body, const QByteArray &contentType)
{
    m_pages.insert(QLatin1Char('/') + path, {body, contentType});
}

void HttpServer::setRoot(const QString &folder) { m_root = folder; }

int HttpServer::requests(const QString &path) const { return m_requests.value(QLatin1Char('/') + path); }

void HttpServer::onConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        m_sockets.removeAll(QPointer<QTcpSocket>());
        m_sockets.append(socket);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
            buffer->append(socket->readAll());
            if (buffer->contains("\r\n\r\n")) {
                answer(socket, *buffer);
                buffer->clear();
            }
        });
    }
}

void HttpServer::answer(QTcpSocket *socket, const QByteArray &request)
{
    const QList<QByteArray> line = request.left(request.indexOf("\r\n")).split(' ');
    QString path = line.size() >= 2 ? QString::fromUtf8(line[1]) : QStringLiteral("/");
    m_paths.append(path);
    if (onRequest)
        onRequest(path);
    if (m_mode == Mode::Silent)
        return;
    const qsizetype query = path.indexOf(QLatin1Char('?'));
    if (query >= 0)
        path.truncate(query);
    path = QUrl::fromPercentEncoding(path.toUtf8());
    m_requests[path] += 1;

    QByteArray status = "200 OK";
    QByteArray body;
    QByteArray type = "text/plain";
    const auto page = m_pages.constFind(path);
    if (page != m_pages.constEnd()) {
        body = page->body;
        type = page->contentType;
    } else {
        const QString file =
            m_root.isEmpty() || path.contains(QLatin1String("..")) ? QString() : QDir(m_root).filePath(path.mid(1));
        QFile f(file);
        if (!file.isEmpty() && QFileInfo(file).isFile() && f.open(QIODevice::ReadOnly)) {
            body = f.readAll();
            type = typeOf(file);
        } else if (m_hasAnswer) {
            status = QByteArray::number(m_answerStatus) + (m_answerStatus == 200 ? " OK" : " Not Found");
            body = m_answer.body;
            type = m_answer.contentType;
        } else {
            status = "404 Not Found";
            body = "not found";
        }
    }
    QByteArray head = "HTTP/1.1 " + status + "\r\nContent-Type: " + type +
        "\r\nContent-Length: " + QByteArray::number(body.size()) +
        "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n";
    if (m_mode == Mode::CloseMidway) {
        socket->write(head + body.left(body.size() / 2));
        socket->flush();
        socket->disconnectFromHost();
        return;
    }
    socket->write(head + body);
    socket->disconnectFromHost();
}

} // namespace testsupport
#endif
