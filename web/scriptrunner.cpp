#include "scriptrunner.h"

#include <QEventLoop>
#include <QTimer>
#include <QWebEngineScript>
#include <memory>

namespace web {

quint32 programWorld() { return QWebEngineScript::ApplicationWorld; }

QVariant runScriptAndWait(QWebEnginePage *page, const QString &script, int timeoutMs, bool *ok)
{
    if (ok)
        *ok = false;
    if (!page)
        return QVariant();
    struct Wait {
        QEventLoop loop;
        QVariant result;
        bool done = false;
    };
    auto wait = std::make_shared<Wait>();
    std::weak_ptr<Wait> weak = wait;
    QPointer<QWebEnginePage> guard(page);
    page->runJavaScript(script, programWorld(), [weak](const QVariant &v) {
        if (auto w = weak.lock()) {
            w->result = v;
            w->done = true;
            w->loop.quit();
        }
    });
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &wait->loop, &QEventLoop::quit);
    QMetaObject::Connection gone = QObject::connect(page, &QObject::destroyed, &wait->loop, &QEventLoop::quit);
    timer.start(timeoutMs);
    if (!wait->done)
        wait->loop.exec();
    QObject::disconnect(gone);
    if (ok)
        *ok = wait->done && guard;
    return wait->done ? wait->result : QVariant();
}

void runScript(QWebEnginePage *page, const QString &script)
{
    if (page)
        page->runJavaScript(script, programWorld());
}

} // namespace web
