#include "maincommands.h"

#include "webtabsheet.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QKeySequence>
#include <QStyle>
#include <QWidget>

namespace shell {

namespace {

QIcon themed(const char *name, QStyle::StandardPixmap fallback)
{
    return QIcon::fromTheme(QString::fromLatin1(name), QApplication::style()->standardIcon(fallback));
}

} // namespace

TMainCommands::TMainCommands(QWidget *window, const std::map<Command, std::function<void()>> &run) : QObject(window)
{
    using K = QKeySequence;
    using C = Command;
    const auto does = [&run](Command c) {
        const auto it = run.find(c);
        return it != run.end() ? it->second : std::function<void()>();
    };
    add(window, C::GoBack, "actGoBack", tr("Back"), K(Qt::ALT | Qt::Key_Left), does(C::GoBack))
        ->setIcon(themed("go-previous", QStyle::SP_ArrowBack));
    add(window, C::GoForward, "actGoFrwr", tr("Forward"), K(Qt::ALT | Qt::Key_Right), does(C::GoForward))
        ->setIcon(themed("go-next", QStyle::SP_ArrowForward));
    add(window, C::Stop, "actStop", tr("Stop"), K(Qt::Key_Escape), does(C::Stop))
        ->setIcon(themed("process-stop", QStyle::SP_BrowserStop));
    QAction *refresh = add(window, C::Refresh, "actRefresh", tr("Refresh"), K(Qt::Key_F5), does(C::Refresh));
    refresh->setIcon(themed("view-refresh", QStyle::SP_BrowserReload));
    refresh->setIconText(QStringLiteral("Reflash"));
    QAction *home =
        add(window, C::GoMaster, "actGoMaster", tr("Go Master"), K(Qt::ALT | Qt::Key_Home), does(C::GoMaster));
    home->setIcon(themed("go-home", QStyle::SP_DirHomeIcon));
    home->setIconText(QStringLiteral("Home"));
    add(window, C::Save, "actSave", tr("Save"), K(Qt::CTRL | Qt::Key_S), does(C::Save))
        ->setIcon(themed("document-save", QStyle::SP_DialogSaveButton));
    add(window, C::Print, "actPrint", tr("Print"), K(Qt::CTRL | Qt::Key_P), does(C::Print))
        ->setIcon(themed("document-print", QStyle::SP_FileDialogDetailedView));
    add(window, C::PageSetup, "actPageSetup", tr("Page Setup"), K(), does(C::PageSetup));
    add(window, C::Properties, "actProperties", tr("Properties"), K(), does(C::Properties));
    add(window, C::Copy, "actCopy", tr("Copy"), K(Qt::CTRL | Qt::Key_C), does(C::Copy));
    add(window, C::SelectAll, "actSelectAll", tr("Select All"), K(Qt::CTRL | Qt::Key_A), does(C::SelectAll));
    add(window, C::Find, "actFind", tr("Find"), K(Qt::CTRL | Qt::Key_F), does(C::Find));
    QAction *close =
        add(window, C::ClosePage, "actClosePage", tr("Close Page"), K(Qt::ALT | Qt::Key_X), does(C::ClosePage));
    close->setIcon(themed("window-close", QStyle::SP_DialogCloseButton));
    close->setIconText(QStringLiteral("Close"));
    add(window, C::CloseAll, "actCloseAll", tr("Close All"), K(Qt::CTRL | Qt::Key_K), does(C::CloseAll))
        ->setIcon(themed("edit-clear-all", QStyle::SP_DialogDiscardButton));
    add(window, C::DupPage, "actDupPage", tr("Dup Page"), K(Qt::ALT | Qt::Key_C), does(C::DupPage));
    add(window, C::TabNext, "actTabNext", tr("Next Tab"), K(Qt::CTRL | Qt::Key_Right), does(C::TabNext));
    add(window, C::TabPrev, "actTabPrev", tr("Tab Prev"), K(Qt::CTRL | Qt::Key_Left), does(C::TabPrev));
    QAction *fav = add(window, C::ShowFavorite, "actShowFavorite", tr("Favorites"), K(Qt::CTRL | Qt::Key_T),
                       does(C::ShowFavorite));
    fav->setIcon(themed("view-sidetree", QStyle::SP_FileDialogListView));
    fav->setIconText(QStringLiteral("Browser"));
    fav->setCheckable(true);
    fav->setChecked(true);
    add(window, C::NextSite, "actNextSite", tr("Next site"), K(Qt::CTRL | Qt::Key_N), does(C::NextSite))
        ->setIcon(themed("go-jump", QStyle::SP_MediaSkipForward));
}

QAction *TMainCommands::add(QWidget *window, Command command, const char *name, const QString &caption,
                            const QKeySequence &key, std::function<void()> run)
{
    auto *a = new QAction(caption, window);
    a->setObjectName(QString::fromLatin1(name));
    if (!key.isEmpty())
        a->setShortcut(key);
    if (run)
        connect(a, &QAction::triggered, this, [run] { run(); });
    window->addAction(a);
    m_byCommand.insert(command, a);
    m_byName.insert(a->objectName(), a);
    m_all << a;
    return a;
}

void TMainCommands::update(const State &state)
{
    TbxWebTabSheet *page = state.page;
    const bool open = page != nullptr;
    const bool loaded = page ? !page->isBusy() : state.addressFocused;
    const auto set = [this](Command c, bool on) {
        if (QAction *a = m_byCommand.value(c))
            a->setEnabled(on);
    };
    set(Command::GoBack, page && page->canGoBack());
    set(Command::GoForward, page && page->canGoForward());
    for (Command c : {Command::Stop, Command::Refresh, Command::PageSetup, Command::Properties, Command::ClosePage,
                      Command::CloseAll, Command::DupPage})
        set(c, open);
    for (Command c : {Command::Save, Command::Print, Command::Copy, Command::SelectAll, Command::Find})
        set(c, loaded);
    set(Command::TabNext, state.pageCount > 1);
    set(Command::TabPrev, state.pageCount > 1);
    set(Command::GoMaster, true);
    set(Command::ShowFavorite, true);
    set(Command::NextSite, true);
    if (QAction *fav = m_byCommand.value(Command::ShowFavorite))
        fav->setChecked(state.sidePanelVisible);
}

} // namespace shell
