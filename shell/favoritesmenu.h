#pragma once
// The "Favorities" drop-down menu (popFavorite): the two fixed commands, the
// favourites folder as a tree of sub-menus listed lazily, then a separator and
// the hot entries of the settings file.
//
// The main window supplies what the menu cannot know through providers and
// callbacks, and opens what the menu asks for through its signals.
#include <QMenu>
#include <QString>
#include <functional>
#include <utility>

class QAction;

namespace shell {

class TFavoritesMenu : public QMenu {
    Q_OBJECT
public:
    // The hot entry caption for function key n (2 to 12); empty for none.
    using HotCaptionProvider = std::function<QString(int n)>;
    // Title and address of the current tab page; an empty address when there
    // is no current page or it has no address.
    using CurrentPageProvider = std::function<std::pair<QString, QString>()>;

    // Reads FavoritesPath() once. The menu holds the two fixed commands and a
    // separator until RebuildFavoritesMenu() runs.
    explicit TFavoritesMenu(QWidget *parent = nullptr);

    QString favoritesPath() const { return m_root; }

    void setHotCaptionProvider(HotCaptionProvider provider) { m_hotCaption = std::move(provider); }
    void setCurrentPageProvider(CurrentPageProvider provider) { m_currentPage = std::move(provider); }
    // Run around "Organize favorities...": the key hook is taken off before
    // the file manager starts and put back afterwards. The file manager runs
    // beside the program, so from then on the menu is rebuilt each time it
    // opens, showing what was renamed or moved there.
    void setOrganizeHooks(std::function<void()> before, std::function<void()> after);

    QAction *addFavoriteAction() const { return m_add; }
    QAction *organizeAction() const { return m_organize; }

    // Destroys everything after the two fixed commands, lists the favourites
    // folder, appends a separator and the hot entries.
    void RebuildFavoritesMenu();
    // Lists the folder of menu (this menu or a folder's sub-menu) into it.
    void FillFavoritesMenu(QMenu *menu);
    // Run when a folder's sub-menu is about to open: lists it unless done.
    void FavoriteFolderClick(QMenu *folder);
    // Opens the favourite of a file entry.
    void FavoriteItemClick(QAction *item);

    void menFavoriteAddClick();
    void menFavoriteOrgClick();

    // The folder on disk that a folder's sub-menu (or this menu) shows.
    QString folderOf(const QMenu *menu) const;

signals:
    void openUrlRequested(const QString &url);
    void hotEntryRequested(int n);

private:
    void addFolderEntry(QMenu *menu, const QString &name);
    void addFileEntry(QMenu *menu, const QString &fileName);
    void addPlaceholder(QMenu *menu);
    void appendHotEntries();

    QString m_root;
    QAction *m_add = nullptr;
    QAction *m_organize = nullptr;
    HotCaptionProvider m_hotCaption;
    CurrentPageProvider m_currentPage;
    std::function<void()> m_beforeOrganize;
    std::function<void()> m_afterOrganize;
    bool m_rebuildOnShow = false;
};

// Menu text for a name taken from the disk: "&" shows as itself and a tab
// cannot split the text into a shortcut column.
QString favoriteMenuText(const QString &name);

} // namespace shell
