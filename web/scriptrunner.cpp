#include "scriptrunner.h"

#include <QPointer>
#include <QWebEngineScript>

namespace web {

quint32 programWorld() { return QWebEngineScript::ApplicationWorld; }

void callScript(QWebEnginePage *page, const QString &script, QObject *receiver,
                std::function<void(const QVariant &result)> answer)
{
    if (!page)
        return;
    page->runJavaScript(script, programWorld(),
                        [to = QPointer<QObject>(receiver), answer = std::move(answer)](const QVariant &v) {
                            if (to)
                                QMetaObject::invokeMethod(
                                    to.data(), [answer, v] { answer(v); }, Qt::QueuedConnection);
                        });
}

void runScript(QWebEnginePage *page, const QString &script)
{
    if (page)
        page->runJavaScript(script, programWorld());
}

void callScript(QWebEnginePage *page, const PageCall &call, QObject *receiver,
                std::function<void(const QVariant &result)> answer)
{
    // Scripts sent to one page run in the order sent, so the body finds
    // the arguments sent just before it.
    if (!call.arguments.isEmpty())
        runScript(page, call.arguments);
    callScript(page, call.body, receiver, std::move(answer));
}

void runScript(QWebEnginePage *page, const PageCall &call)
{
    if (!call.arguments.isEmpty())
        runScript(page, call.arguments);
    runScript(page, call.body);
}

QString argumentsScript(const QString &values) { return QLatin1String("window.__doduArgs = ") + values; }

QString takeArgumentsScript()
{
    return QStringLiteral("(function () { const a = window.__doduArgs; delete window.__doduArgs; return "
                          "Array.isArray(a) ? a : null; })()");
}

} // namespace web
