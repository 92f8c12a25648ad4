#pragma once
// The user's favourites folder and how the favourites menu lists it.
//
// The folder is "Favorites" under the user's data directory
// ($XDG_DATA_HOME/doduvodaz/Favorites, usually
// ~/.local/share/doduvodaz/Favorites), or the folder named by the environment
// variable DODUVODAZ_FAVORITES when that is set and not empty.
//
// A folder entry is listed as a folder only when it is a plain directory.
// A directory that carries anything more goes with the files, where clicking
// it opens nothing. Two such marks exist here:
//   - read-only: the owner may not write to the directory;
//   - link: the entry is a symbolic link (to a directory), as links and
//     junctions are marked on other systems. This also keeps the menu out
//     of link loops.
// Hidden entries (names beginning with ".") and entries that are neither
// directories nor ordinary files (sockets, devices, broken links) are not
// listed.
#include <QString>
#include <QStringList>

namespace platform {

QString FavoritesPath();

struct FavoritesListing {
    QStringList folders; // names of sub-folders
    QStringList files;   // file names, extensions included
};

// The entries of folder, each list sorted by name without regard to case.
// A missing or unreadable folder gives two empty lists.
FavoritesListing ListFavoritesFolder(const QString &folder);

// What the menu shows for a file: its name without the last extension.
QString favoriteDisplayName(const QString &fileName);

// The extension, with its dot, of the first ordinary file (by name, without
// regard to case) in path's folder whose name is path's last part followed by
// a dot and anything; empty when there is none.
QString FindFileExt(const QString &path);

// The sub-folders of root that the menu shows, at any depth, as paths
// relative to root joined by "/", in menu order (each folder followed by its
// own sub-folders). A folder reached twice (a bind mount, say) is taken once;
// at most maxFolders are returned.
QStringList FavoriteSubfolders(const QString &root, int maxFolders = 2000);

} // namespace platform
