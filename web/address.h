#pragma once
#include <QString>
#include <QUrl>

namespace web {

// What an address typed or given by the user means: a URL when it has a
// scheme or looks like a host, otherwise a file, relative names taken against
// the current directory.
QUrl addressToUrl(const QString &address);

} // namespace web
