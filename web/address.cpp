#include "address.h"

#include <QDir>
#include <QFileInfo>

namespace web {

QUrl addressToUrl(const QString &address)
{
    const QString a = address;
    // An existing file wins, so that "data/demo/x.htm" opens the file.
    QFileInfo fi(QDir::current(), a);
    if (!a.contains(QLatin1String("://")) && fi.exists())
        return QUrl::fromLocalFile(fi.absoluteFilePath());
    QUrl url(a, QUrl::StrictMode);
    if (url.isValid() && !url.scheme().isEmpty() && url.scheme().size() > 1)
        return url;
    return QUrl::fromUserInput(a, QDir::currentPath(), QUrl::AssumeLocalFile);
}

} // namespace web
