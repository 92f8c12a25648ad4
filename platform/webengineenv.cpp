#include "webengineenv.h"

#include <QByteArray>
#include <QCoreApplication>
#include <unistd.h>

namespace platform {

void prepareWebEngineEnvironment()
{
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    for (const char *f : {"--disable-background-networking", "--disable-component-update"}) {
        if (!flags.contains(f)) {
            if (!flags.isEmpty())
                flags += ' ';
            flags += f;
        }
    }
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

} // namespace platform
