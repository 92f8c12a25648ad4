#include "web/webengineenv.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QWebEngineProfile>
#include <unistd.h>

namespace web {

void prepareWebEngineEnvironment(bool windowless)
{
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    QList<const char *> wanted = {"--disable-background-networking", "--disable-component-update"};
    // A page without a window counts as hidden, and a hidden page's timers
    // are slowed to a tick a second; a page shown to no one (the report) runs
    // its scripts at their own pace.
    if (windowless)
        wanted << "--disable-background-timer-throttling"
               << "--disable-renderer-backgrounding";
    for (const char *f : wanted) {
        if (!flags.contains(f)) {
            if (!flags.isEmpty())
                flags += ' ';
            flags += f;
        }
    }
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

QWebEngineProfile *newProfile(const QString &storageName, QObject *parent)
{
    return storageName.isEmpty() ? new QWebEngineProfile(parent) : new QWebEngineProfile(storageName, parent);
}

} // namespace web
