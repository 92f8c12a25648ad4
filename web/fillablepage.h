#pragma once
// A web page that says when a document inside one of its frames has
// completed. The engine's load-finished signal speaks for the top document
// only, so a frame that goes on to its next step after the page loaded would
// otherwise never be filled. A small script in the program's own script world
// runs in every sub-frame and reports the frame's load event back through the
// console, where this page picks it out before it reaches the log; it also
// reports a frame leaving its document, when the next one starts to load.
#include <QWebEnginePage>

namespace web {

class FillablePage : public QWebEnginePage {
    Q_OBJECT
public:
    explicit FillablePage(QWebEngineProfile *profile, QObject *parent = nullptr);

Q_SIGNALS:
    // A document inside a frame (at any depth) has completed loading.
    void frameDocumentCompleted();
    // A frame (at any depth) is leaving its document for another one.
    void frameDocumentLeft();

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int lineNumber,
                                  const QString &sourceID) override;
};

} // namespace web
