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

} // namespace web
