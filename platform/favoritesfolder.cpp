#include "favoritesfolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <algorithm>

namespace platform {

namespace {

void sortByName(QStringList &names)
{
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b; // names differing only in case: a fixed order
    });
}

bool isPlainFolder(const QFileInfo &info)
{
    return info.isDir() && !info.isSymLink() && (info.permissions() & QFileDevice::WriteOwner);
}

constexpr int MaxFolderDepth = 64;

void collectSubfolders(const QString &root, const QString &relative, int depth, int maxFolders, QSet<QString> &seen,
                       QStringList &out)
{
    if (depth > MaxFolderDepth)
        return;
    const QString folder = relative.isEmpty() ? root : root + u'/' + relative;
    const QStringList names = ListFavoritesFolder(folder).folders;
    for (const QString &name : names) {
        if (out.size() >= maxFolders)
            return;
        const QString sub = relative.isEmpty() ? name : relative + u'/' + name;
        const QString canonical = QFileInfo(root + u'/' + sub).canonicalFilePath();
        if (canonical.isEmpty() || seen.contains(canonical))
            continue;
        seen.insert(canonical);
        out << sub;
        collectSubfolders(root, sub, depth + 1, maxFolders, seen, out);
    }
}

} // namespace

QString FavoritesPath()
{
    const QString overridden = qEnvironmentVariable("DODUVODAZ_FAVORITES");
    if (!overridden.isEmpty())
        return QDir::cleanPath(overridden);
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        return QString();
    return data + QStringLiteral("/doduvodaz/Favorites");
}

FavoritesListing ListFavoritesFolder(const QString &folder)
{
    FavoritesListing listing;
    if (folder.isEmpty())
        return listing;
    // No QDir::Hidden and no QDir::System: hidden entries, broken links and
    // special files stay out.
    QDirIterator it(folder, QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        const QString name = info.fileName();
        if (name.startsWith(u'.'))
            continue;
        if (isPlainFolder(info))
            listing.folders << name;
        else if (info.isDir() || info.isFile())
            listing.files << name;
    }
    sortByName(listing.folders);
    sortByName(listing.files);
    return listing;
}

QString favoriteDisplayName(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot > 0 ? fileName.left(dot) : fileName;
}

QString FindFileExt(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString folder = slash < 0 ? QStringLiteral(".") : (slash == 0 ? QStringLiteral("/") : path.left(slash));
    const QString prefix = path.mid(slash + 1) + u'.';
    QStringList matches;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (name.startsWith(prefix) && it.fileInfo().isFile())
            matches << name;
    }
    if (matches.isEmpty())
        return QString();
    sortByName(matches);
    return matches.first().mid(prefix.size() - 1);
}

QStringList FavoriteSubfolders(const QString &root, int maxFolders)
{
    QStringList out;
    if (root.isEmpty())
        return out;
    QSet<QString> seen;
    const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
    if (!canonicalRoot.isEmpty())
        seen.insert(canonicalRoot);
    collectSubfolders(root, QString(), 0, maxFolders, seen, out);
    return out;
}

} // namespace platform
