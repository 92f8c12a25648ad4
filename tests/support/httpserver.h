#pragma once
// A static HTTP server on 127.0.0.1 for tests: pages set in memory or files
// under a folder, one response per connection. Every test executable gets
// this file; it is compiled only where QtNetwork is linked.
#ifdef QT_NETWORK_LIB
#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QUrl>

class QTcpSocket;

namespace testsupport {

class HttpServer : public QObject {
public:
    explicit HttpServer(QObject *parent = nullptr);

    // Listens on 127.0.0.1 on a free port; false when that fails.
    bool listen();
    quint16 port() const;
    // http://127.0.0.1:PORT/path (path without the leading slash).
    QUrl url(const QString &path = QString()) const;

    // Serves body at /path; the content type defaults to UTF-8 HTML.
    void setPage(const QString &path, const QByteArray &body,
                 const QByteArray &contentType = QByteArrayLiteral("text/html; charset=utf-8"));
    // Serves files under folder for paths that have no page of their own.
    void setRoot(const QString &folder);

    // How many requests asked for /path (query strings left out).
    int requests(const QString &path) const;

private:
    void onConnection();
    void answer(QTcpSocket *socket, const QByteArray &request);

    struct Page {
        QByteArray body;
        QByteArray contentType;
    };
    QTcpServer m_server;
    QHash<QString, Page> m_pages;
    QHash<QString, int> m_requests;
    QString m_root;
};

} // namespace testsupport
#endif
