#include "desktop.h"

#include <QFile>
#include <QDesktopServices>

namespace platform {

namespace {
std::function<void(const QUrl &)> &opener()
{
    static std::function<void(const QUrl &)> o;
    return o;
}
} // namespace

void setExternalOpener(std::function<void(const QUrl &)> o) { opener() = std::move(o); }

void openExternally(const QUrl &url)
{
    if (opener()) {
        opener()(url);
        return;
    }
    QDesktopServices::openUrl(url);
}

QUrl makerSite(const QString &path)
{
    return QUrl(QStringLiteral("http://") + QStringLiteral(DODUVODAZ_MAKER_HOST) +
                (path.isEmpty() ? QStringLiteral("/") : path));
}

QString makerEmail() { return QStringLiteral(DODUVODAZ_MAKER_EMAIL); }

void traceOpen(const QString &address)
{
    static const QString path = qEnvironmentVariable("DODUVODAZ_TRACE");
    if (path.isEmpty())
        return;
    QFile f(path);
    if (f.open(QIODevice::Append))
        f.write("open " + address.toUtf8() + '\n');
}

} // namespace platform
