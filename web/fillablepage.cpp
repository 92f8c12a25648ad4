#include "fillablepage.h"

#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace web {

namespace {

// Scripts of the program's world cannot be reached by the page's own, and the
// page's console messages cannot come from the program's world, but a page
// could print the same text; that costs at most one extra fill.
const QString kMarker = QStringLiteral("\x01"
                                       "doduvodaz:frame-document-complete");
const QString kLeftMarker = QStringLiteral("\x01"
                                           "doduvodaz:frame-document-left");

} // namespace

FillablePage::FillablePage(QWebEngineProfile *profile, QObject *parent) : QWebEnginePage(profile, parent)
{
    QWebEngineScript script;
    script.setName(QStringLiteral("doduvodaz-frame-complete"));
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setInjectionPoint(QWebEngineScript::DocumentReady);
    script.setRunsOnSubFrames(true);
    script.setSourceCode(QStringLiteral(R"JS(
(function () {
  if (window === window.top) return;
  window.addEventListener('beforeunload', () => console.debug('%2'));
  const done = () => console.debug('%1');
  if (document.readyState === 'complete') done();
  else window.addEventListener('load', done, { once: true });
})();
)JS")
                             .arg(QStringLiteral("\\u0001doduvodaz:frame-document-complete"),
                                  QStringLiteral("\\u0001doduvodaz:frame-document-left")));
    scripts().insert(script);
}

void FillablePage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int lineNumber,
                                            const QString &sourceID)
{
    if (message == kMarker) {
        Q_EMIT frameDocumentCompleted();
        return;
    }
    if (message == kLeftMarker) {
        Q_EMIT frameDocumentLeft();
        return;
    }
    QWebEnginePage::javaScriptConsoleMessage(level, message, lineNumber, sourceID);
}

} // namespace web
