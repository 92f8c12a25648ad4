#include "favoritesmenu.h"

#include "addfavoriteform.h"
#include "base/error.h"
#include "platform/desktop.h"
#include "platform/favoritesfolder.h"
#include "platform/messages.h"
#include "platform/shortcutfile.h"

#include <QAction>
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHash>
#include <QMimeDatabase>
#include <QUrl>

namespace shell {

namespace {

// Where a sub-menu or a file entry sits below the favourites folder.
const char *const RelPathProperty = "favoriteRelPath";
// The text the entry stands for: the folder name or the file's display name.
const char *const HintProperty = "favoriteHint";

QFileIconProvider &iconProvider()
{
    static QFileIconProvider provider;
    return provider;
}

QIcon folderIcon()
{
    static const QIcon icon =
        QIcon::fromTheme(QStringLiteral("folder"), iconProvider().icon(QAbstractFileIconProvider::Folder));
    return icon;
}

// Icons by extension from the desktop's icon theme, kept for the run: a large
// folder holds mostly .url files.
QIcon fileIcon(const QString &fileName)
{
    static QHash<QString, QIcon> cache;
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    const auto found = cache.constFind(suffix);
    if (found != cache.constEnd())
        return *found;
    QIcon fallback = iconProvider().icon(QAbstractFileIconProvider::File);
    if (suffix == QLatin1String("url"))
        fallback = QIcon::fromTheme(QStringLiteral("text-html"),
                                    QIcon::fromTheme(QStringLiteral("internet-web-browser"), fallback));
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(fileName, QMimeDatabase::MatchExtension);
    const QIcon icon = QIcon::fromTheme(mime.iconName(), QIcon::fromTheme(mime.genericIconName(), fallback));
    cache.insert(suffix, icon);
    return icon;
}

bool isPlaceholder(const QAction *action) { return !action->isEnabled() && !action->menu(); }

} // namespace

QString favoriteMenuText(const QString &name)
{
    QString text = name;
    text.replace(u'&', QStringLiteral("&&"));
    text.replace(u'\t', u' ');
    return text;
}

TFavoritesMenu::TFavoritesMenu(QWidget *parent) : QMenu(tr("Favorities"), parent)
{
    setObjectName(QStringLiteral("popFavorite"));
    setProperty(RelPathProperty, QStringList());
    m_root = platform::FavoritesPath();

    m_add = addAction(tr("Add to favorities..."));
    m_add->setObjectName(QStringLiteral("menFavoriteAdd"));
    m_organize = addAction(tr("Organize favorities..."));
    m_organize->setObjectName(QStringLiteral("menFavoriteOrg"));
    addSeparator();

    connect(m_add, &QAction::triggered, this, &TFavoritesMenu::menFavoriteAddClick);
    connect(m_organize, &QAction::triggered, this, &TFavoritesMenu::menFavoriteOrgClick);
    // Changes made in the file manager show the next time the menu opens.
    connect(this, &QMenu::aboutToShow, this, [this] {
        if (m_rebuildOnShow)
            RebuildFavoritesMenu();
    });
}

void TFavoritesMenu::setOrganizeHooks(std::function<void()> before, std::function<void()> after)
{
    m_beforeOrganize = std::move(before);
    m_afterOrganize = std::move(after);
}

QString TFavoritesMenu::folderOf(const QMenu *menu) const
{
    const QStringList rel = menu->property(RelPathProperty).toStringList();
    return rel.isEmpty() ? m_root : m_root + u'/' + rel.join(u'/');
}

void TFavoritesMenu::RebuildFavoritesMenu()
{
    const QList<QAction *> items = actions();
    for (qsizetype i = items.size() - 1; i >= 2; --i) {
        QAction *item = items[i];
        removeAction(item);
        if (QMenu *sub = item->menu())
            delete sub; // takes its entries and its own menu action with it
        else if (item->parent() == this)
            delete item;
    }
    FillFavoritesMenu(this);
    appendHotEntries();
}

void TFavoritesMenu::FillFavoritesMenu(QMenu *menu)
{
    if (m_root.isEmpty())
        return;
    const platform::FavoritesListing listing = platform::ListFavoritesFolder(folderOf(menu));
    if (listing.folders.isEmpty() && listing.files.isEmpty())
        return;
    // The placeholder of a folder gives way to its first entry.
    if (menu != this) {
        const QList<QAction *> items = menu->actions();
        if (!items.isEmpty() && isPlaceholder(items.first())) {
            menu->removeAction(items.first());
            delete items.first();
        }
    }
    for (const QString &name : listing.folders)
        addFolderEntry(menu, name);
    for (const QString &name : listing.files)
        addFileEntry(menu, name);
}

void TFavoritesMenu::addFolderEntry(QMenu *menu, const QString &name)
{
    auto *sub = new QMenu(favoriteMenuText(name), menu);
    sub->setIcon(folderIcon());
    sub->setProperty(RelPathProperty, menu->property(RelPathProperty).toStringList() << name);
    sub->menuAction()->setProperty(HintProperty, name);
    menu->addMenu(sub);
    addPlaceholder(sub);
    connect(sub, &QMenu::aboutToShow, this, [this, sub] { FavoriteFolderClick(sub); });
}

void TFavoritesMenu::addFileEntry(QMenu *menu, const QString &fileName)
{
    const QString hint = platform::favoriteDisplayName(fileName);
    auto *item = new QAction(fileIcon(fileName), favoriteMenuText(hint), menu);
    item->setProperty(HintProperty, hint);
    item->setProperty(RelPathProperty, menu->property(RelPathProperty).toStringList() << hint);
    menu->addAction(item);
    connect(item, &QAction::triggered, this, [this, item] { FavoriteItemClick(item); });
}

void TFavoritesMenu::addPlaceholder(QMenu *menu)
{
    auto *placeholder = new QAction(menu);
    placeholder->setEnabled(false);
    menu->addAction(placeholder);
}

void TFavoritesMenu::appendHotEntries()
{
    addSeparator();
    if (!m_hotCaption)
        return;
    for (int n = 2; n <= 12; ++n) {
        QString caption = m_hotCaption(n);
        if (caption.isEmpty())
            continue;
        caption.replace(u'\t', u' ');
        // The key is shown, not bound: the key routing owns F2 to F12.
        QAction *item = addAction(caption + QStringLiteral("\tF") + QString::number(n));
        item->setData(n);
        connect(item, &QAction::triggered, this, [this, n] { emit hotEntryRequested(n); });
    }
}

void TFavoritesMenu::FavoriteFolderClick(QMenu *folder)
{
    const QList<QAction *> items = folder->actions();
    if (!items.isEmpty() && !items.first()->isEnabled())
        FillFavoritesMenu(folder);
}

void TFavoritesMenu::FavoriteItemClick(QAction *item)
{
    if (m_root.isEmpty())
        return;
    QString path = m_root + u'/' + item->property(RelPathProperty).toStringList().join(u'/');
    path += platform::FindFileExt(path);
    if (!QFileInfo(path).isFile())
        return;
    const QString url = platform::ReadShortcutURL(path);
    if (url.isEmpty())
        platform::showMessage(tr("URL is null"));
    else
        emit openUrlRequested(url);
}

void TFavoritesMenu::menFavoriteAddClick()
{
    if (!m_currentPage)
        return;
    const auto [title, address] = m_currentPage();
    if (address.isEmpty())
        return;
    TAddFavoriteForm form(m_root, title.isEmpty() ? address : title,
                          parentWidget() ? parentWidget()->window() : nullptr);
    if (form.exec() == QDialog::Accepted && !m_root.isEmpty()) {
        const QString file = form.targetFile();
        const bool replace = !QFileInfo::exists(file) ||
            platform::askYesNo(tr("%1 already exists. Do you want to replace it?").arg(QFileInfo(file).fileName()));
        if (replace) {
            try {
                writeFavorite(file, address);
            } catch (const base::Error &e) {
                platform::showError(e.text());
            }
        }
    }
    RebuildFavoritesMenu();
}

void TFavoritesMenu::menFavoriteOrgClick()
{
    if (m_beforeOrganize)
        m_beforeOrganize();
    if (!m_root.isEmpty()) {
        QDir().mkpath(m_root);
        platform::openExternally(QUrl::fromLocalFile(m_root));
    }
    RebuildFavoritesMenu();
    // The file manager runs beside the program, so its changes are picked up
    // whenever the menu opens from now on.
    m_rebuildOnShow = true;
    if (m_afterOrganize)
        m_afterOrganize();
}

} // namespace shell
