#pragma once
// An HTTP server on 127.0.0.1 for tests: pages set in memory, files under a
// folder, or one answer for every other request; one response per
// connection. It can also keep silent or close the connection halfway through
// a body, as failing servers do. Every test executable gets this file; it is
// compiled only where QtNetwork is linked.
#ifdef QT_NETWORK_LIB
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

namespace testsupport {

class HttpServer : public QObject {
public:
    enum class Mode { Answer, Silent, CloseMidway };

    explicit HttpServer(QObject *parent = nullptr);
    ~HttpServer() override;

    // Listens on 127.0.0.1 on a free port; false when that fails.
    bool listen();
    // Stops listening and drops every open connection.
    void stop();
    quint16 port() const;
    // "127.0.0.1:PORT"
    QString hostAndPort() const;
    // http://127.0.0.1:PORT/path (path without the leading slash).
    QUrl url(const QString &path = QString()) const;

    // Serves body at /path; the content type defaults to UTF-8 HTML.
    void setPage(const QString &path, const QByteArray &body,
                 const QByteArray &contentType = QByteArrayLiteral("text/html; charset=utf-8"));
    // Serves files under folder for paths that have no page of their own.
    void setRoot(const QString &folder);

    // The answer to every request that has no page or file of its own
    // (without one: 404).
    void setAnswer(int status, const QByteArray &contentType, const QByteArray &body);
    // Answer, keep silent (read the request, send nothing), or send half of
    // the body and close.
    void setMode(Mode mode) { m_mode = mode; }

    // How many requests asked for /path (query strings left out).
    int requests(const QString &path) const;
    // The request targets as sent, in order.
    QStringList paths() const { return m_paths; }
    // Called with each request's target as it arrives.
    std::function<void(const QString &target)> onRequest;

private:
    void onConnection();
    void answer(QTcpSocket *socket, const QByteArray &request);

    struct Page {
        QByteArray body;
        QByteArray contentType;
    };
    QTcpServer m_server;
    Mode m_mode = Mode::Answer;
    bool m_hasAnswer = false;
    int m_answerStatus = 200;
    Page m_answer;
    QStringList m_paths;
    QList<QPointer<QTcpSocket>> m_sockets;
    QHash<QString, Page> m_pages;
    QHash<QString, int> m_requests;
    QString m_root;
};

} // namespace testsupport
#endif
