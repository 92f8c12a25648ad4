#include "helpcommands.h"

#include "platform/desktop.h"

#include <QDir>
#include <QUrl>

namespace shell {

void showHelp()
{
    // cleanPath: in the root folder "/" + "/help.htm" would read as a network
    // path.
    platform::openExternally(QUrl::fromLocalFile(QDir::cleanPath(QDir::currentPath() + QStringLiteral("/help.htm"))));
}

void openHomePage() { platform::openExternally(platform::makerSite(QStringLiteral("/software_doduvodaz.htm"))); }

} // namespace shell
