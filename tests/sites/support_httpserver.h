#pragma once
// A small HTTP server on 127.0.0.1 for the update tests. It answers every
// request with one configured response, or keeps silent, or closes the
// connection halfway through the body.
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

namespace sitestest {

class HttpServer : public QObject {
    Q_OBJECT
public:
    enum class Mode { Answer, Silent, CloseMidway };

    explicit HttpServer(QObject *parent = nullptr);
    ~HttpServer() override;

    // Listens on 127.0.0.1 on a free port; false when that fails.
    bool start();
    void stop();
    quint16 port() const { return m_server.serverPort(); }
    // "127.0.0.1:PORT"
    QString hostAndPort() const;

    void setMode(Mode mode) { m_mode = mode; }
    void setAnswer(int status, const QByteArray &contentType, const QByteArray &body);

    // Paths of the requests received so far, in order.
    QStringList paths() const { return m_paths; }
    int requestCount(const QString &path) const { return int(m_paths.count(path)); }

Q_SIGNALS:
    void requestArrived(const QString &path);

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket *socket);

    QTcpServer m_server;
    Mode m_mode = Mode::Answer;
    int m_status = 200;
    QByteArray m_contentType = "text/plain; charset=utf-8";
    QByteArray m_body;
    QStringList m_paths;
    QList<QPointer<QTcpSocket>> m_sockets;
};

} // namespace sitestest
