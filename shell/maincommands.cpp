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

TMainCommands::TMainCommands(QWidget *window, const std::map<Command, std::function<void()>> &run,
                             std::function<void(int n, bool here)> hot)
    : QObject(window)
{
    using K = QKeySequence;
    using C = Command;
    const auto does = [&run](Command c) {
        const auto it = run.find(c);
        return it != run.end() ? it->second : std::function<void()>();
    };
    add(window, C::GoBack, "actGoBack", tr("Back"), {K(Qt::ALT | Qt::Key_Left)}, does(C::GoBack))
        ->setIcon(themed("go-previous", QStyle::SP_ArrowBack));
    add(window, C::GoForward, "actGoFrwr", tr("Forward"), {K(Qt::ALT | Qt::Key_Right)}, does(C::GoForward))
        ->setIcon(themed("go-next", QStyle::SP_ArrowForward));
    add(window, C::Stop, "actStop", tr("Stop"), {K(Qt::Key_Escape)}, does(C::Stop))
        ->setIcon(themed("process-stop", QStyle::SP_BrowserStop));
    QAction *refresh = add(window, C::Refresh, "actRefresh", tr("Refresh"), {K(Qt::Key_F5)}, does(C::Refresh));
    refresh->setIcon(themed("view-refresh", QStyle::SP_BrowserReload));
    refresh->setIconText(tr("Reflash"));
    QAction *home =
        add(window, C::GoMaster, "actGoMaster", tr("Go Master"), {K(Qt::ALT | Qt::Key_Home)}, does(C::GoMaster));
    home->setIcon(themed("go-home", QStyle::SP_DirHomeIcon));
    home->setIconText(tr("Home"));
    add(window, C::Save, "actSave", tr("Save"), {K(Qt::CTRL | Qt::Key_S)}, does(C::Save))
        ->setIcon(themed("document-save", QStyle::SP_DialogSaveButton));
    add(window, C::Print, "actPrint", tr("Print"), {K(Qt::CTRL | Qt::Key_P)}, does(C::Print))
        ->setIcon(themed("document-print", QStyle::SP_FileDialogDetailedView));
    add(window, C::PageSetup, "actPageSetup", tr("Page Setup"), {}, does(C::PageSetup));
    add(window, C::Properties, "actProperties", tr("Properties"), {}, does(C::Properties));
    add(window, C::Copy, "actCopy", tr("Copy"), {K(Qt::CTRL | Qt::Key_C)}, does(C::Copy));
    add(window, C::SelectAll, "actSelectAll", tr("Select All"), {K(Qt::CTRL | Qt::Key_A)}, does(C::SelectAll));
    add(window, C::Find, "actFind", tr("Find"), {K(Qt::CTRL | Qt::Key_F)}, does(C::Find));
    QAction *close =
        add(window, C::ClosePage, "actClosePage", tr("Close Page"), {K(Qt::ALT | Qt::Key_X)}, does(C::ClosePage));
    close->setIcon(themed("window-close", QStyle::SP_DialogCloseButton));
    close->setIconText(tr("Close"));
    add(window, C::CloseAll, "actCloseAll", tr("Close All"), {K(Qt::CTRL | Qt::Key_K)}, does(C::CloseAll))
        ->setIcon(themed("edit-clear-all", QStyle::SP_DialogDiscardButton));
    add(window, C::DupPage, "actDupPage", tr("Dup Page"), {K(Qt::ALT | Qt::Key_C)}, does(C::DupPage));
    add(window, C::TabNext, "actTabNext", tr("Next Tab"),
        {K(Qt::CTRL | Qt::Key_Right), K(Qt::CTRL | Qt::Key_Tab), K(Qt::ALT | Qt::Key_W)}, does(C::TabNext));
    add(window, C::TabPrev, "actTabPrev", tr("Tab Prev"), {K(Qt::CTRL | Qt::Key_Left), K(Qt::ALT | Qt::Key_Q)},
        does(C::TabPrev));
    QAction *fav = add(window, C::ShowFavorite, "actShowFavorite", tr("Favorites"), {K(Qt::CTRL | Qt::Key_T)},
                       does(C::ShowFavorite));
    fav->setIcon(themed("view-sidetree", QStyle::SP_FileDialogListView));
    fav->setIconText(tr("Browser"));
    fav->setCheckable(true);
    fav->setChecked(true);
    add(window, C::NextSite, "actNextSite", tr("Next site"), {K(Qt::CTRL | Qt::Key_N)}, does(C::NextSite))
        ->setIcon(themed("go-jump", QStyle::SP_MediaSkipForward));

    add(window, C::Open, "menOpen", tr("&Open..."), {K(Qt::CTRL | Qt::Key_O)}, does(C::Open));
    add(window, C::Exit, "menExit", tr("E&xit"), {}, does(C::Exit));
    add(window, C::EditSoftware, "EditSoftwareinformations1", tr("Edit software information..."), {},
        does(C::EditSoftware));
    add(window, C::FillForm, "menStop", tr("Fill form fields"), {}, does(C::FillForm));
    add(window, C::SubmitForm, "menRefresh", tr("Submit form"), {}, does(C::SubmitForm));
    add(window, C::Help, "menHelpItem", tr("Help"), {}, does(C::Help));
    add(window, C::HomePage, "menHomePage", tr("HomePage"), {}, does(C::HomePage));
    add(window, C::UpdateSites, "Updatedownloadsites1", tr("Update download sites"), {}, does(C::UpdateSites));
    add(window, C::About, "menAbout", tr("About..."), {}, does(C::About));
    add(window, C::NewPage, "ToolButton6", tr("New"), {}, does(C::NewPage))
        ->setIcon(themed("document-new", QStyle::SP_FileIcon));
    add(window, C::FocusAddress, "actFocusAddress", tr("Address"), {K(Qt::ALT | Qt::Key_D)}, does(C::FocusAddress));
    add(window, C::DropFileMenu, "actDropFile", tr("File"), {K(Qt::ALT | Qt::Key_F)}, does(C::DropFileMenu));
    add(window, C::DropSoftwareMenu, "actDropSoftware", tr("Software"), {K(Qt::ALT | Qt::Key_E)},
        does(C::DropSoftwareMenu));
    add(window, C::DropSubmissionMenu, "actDropSubmission", tr("Submission"), {K(Qt::ALT | Qt::Key_V)},
        does(C::DropSubmissionMenu));
    add(window, C::DropFavoritesMenu, "actDropFavorities", tr("Favorities"), {K(Qt::ALT | Qt::Key_A)},
        does(C::DropFavoritesMenu));
    add(window, C::DropHelpMenu, "actDropHelp", tr("Help"), {K(Qt::ALT | Qt::Key_T)}, does(C::DropHelpMenu));
    // The hot F-keys: the address in a new tab, or with Ctrl in this one.
    for (int n : {2, 3, 6, 7, 8, 9, 11, 12}) {
        const auto key = Qt::Key(Qt::Key_F1 + n - 1);
        const auto open = [hot, n](bool here) {
            return [hot, n, here] {
                if (hot)
                    hot(n, here);
            };
        };
        addAction(window, QStringLiteral("actHot%1").arg(n), tr("Hot address %1").arg(n), {K(QKeyCombination(key))},
                  open(false));
        addAction(window, QStringLiteral("actHot%1Here").arg(n), tr("Hot address %1 here").arg(n), {K(Qt::CTRL | key)},
                  open(true));
    }
    // Keys the page has first while it has the focus.
    m_pageFirst = {action(C::GoBack), action(C::GoForward), action(C::Refresh)};
}

QAction *TMainCommands::add(QWidget *window, Command command, const char *name, const QString &caption,
                            const QList<QKeySequence> &keys, std::function<void()> run)
{
    QAction *a = addAction(window, QString::fromLatin1(name), caption, keys, std::move(run));
    m_byCommand.insert(command, a);
    return a;
}

QAction *TMainCommands::addAction(QWidget *window, const QString &name, const QString &caption,
                                  const QList<QKeySequence> &keys, std::function<void()> run)
{
    auto *a = new QAction(caption, window);
    a->setObjectName(name);
    if (!keys.isEmpty())
        a->setShortcuts(keys);
    if (run)
        connect(a, &QAction::triggered, this, [run] { run(); });
    window->addAction(a);
    m_byName.insert(a->objectName(), a);
    m_all << a;
    return a;
}

QAction *TMainCommands::actionForKey(QKeyCombination key) const
{
    const QKeySequence typed(key);
    // Letters and Esc act the same with Shift.
    const bool shiftFree = key.key() == Qt::Key_Escape || (key.key() >= Qt::Key_A && key.key() <= Qt::Key_Z);
    const QKeySequence unshifted(QKeyCombination(key.keyboardModifiers() & ~Qt::ShiftModifier, key.key()));
    for (QAction *a : m_all) {
        const QList<QKeySequence> keys = a->shortcuts();
        if (keys.contains(typed) || (shiftFree && keys.contains(unshifted)))
            return a;
    }
    return nullptr;
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
