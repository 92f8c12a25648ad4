#pragma once
// Opening addresses outside the program: the desktop's web browser for web
// pages and local help, its mail program for mailto: addresses, its file
// manager for folders. Errors are ignored, as nothing useful can be done.
#include <QString>
#include <QUrl>
#include <functional>

namespace platform {

void openExternally(const QUrl &url);

// The maker's web site: the root page, and a page on it by path.
QUrl makerSite(const QString &path = QString());
// The maker's e-mail address.
QString makerEmail();

// With DODUVODAZ_TRACE naming a file, every address the program opens is
// appended to it as a line "open ADDRESS": a record of what a session opened,
// and a way for scripts to see what a running program did.
void traceOpen(const QString &address);

// Tests: record the addresses instead of starting programs. nullptr restores.
void setExternalOpener(std::function<void(const QUrl &)> opener);

} // namespace platform
