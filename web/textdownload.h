#pragma once
// A browser that only downloads: it loads one address, bypassing every cache,
// and hands back the text of the document it got. Used where a file published
// on a web server is read through the browser engine (its proxy and
// certificate settings) rather than a network library of our own.
#include <QUrl>
#include <QVariant>
#include <QWebEngineView>
#include <functional>

namespace web {

class TextDownload : public QWebEngineView {
    Q_OBJECT
public:
    explicit TextDownload(QWidget *parent = nullptr);

    // Starts loading address; finished() follows.
    void start(const QUrl &address);
    void stop();
    // Asks for the text of the loaded document's body; `answer` gets a
    // string, or a null variant when the document has no body, later (never
    // once this object has gone).
    void requestBodyText(std::function<void(const QVariant &text)> answer);

Q_SIGNALS:
    void finished(bool ok);
};

} // namespace web
