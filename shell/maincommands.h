#pragma once
// The main window's commands: one QAction each, shared by the menus, the
// button bar and the key routing, with its caption, icon and keys. This is
// the one table of the window's keys; the key routing only decides which
// keys the page sees first. The window says what each command does; the
// enabled states follow the state the window reports (current page, number
// of pages, focus, side panel).
#include <QHash>
#include <QKeySequence>
#include <QSet>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <map>

class QAction;
class QWidget;

namespace shell {

class TbxWebTabSheet;

// The action's object name is the command's name in the settings and the
// tests ("actGoBack", ...).
enum class Command {
    GoBack,
    GoForward,
    Stop,
    Refresh,
    GoMaster,
    Save,
    Print,
    PageSetup,
    Properties,
    Copy,
    SelectAll,
    Find,
    ClosePage,
    CloseAll,
    DupPage,
    TabNext,
    TabPrev,
    ShowFavorite,
    NextSite,
    // The menus' commands.
    Open,
    Exit,
    EditSoftware,
    FillForm,
    SubmitForm,
    Help,
    HomePage,
    UpdateSites,
    About,
    NewPage,
    // Keys without a menu item: the address box, and each menu of the menu
    // bar dropped down.
    FocusAddress,
    DropFileMenu,
    DropSoftwareMenu,
    DropSubmissionMenu,
    DropFavoritesMenu,
    DropHelpMenu,
};

class TMainCommands : public QObject {
    Q_OBJECT
public:
    // The actions are added to window, so that their shortcuts work
    // wherever the focus is in it. hot opens the hot address of F-key n in
    // a new tab, or in the current one when here (the key with Ctrl).
    TMainCommands(QWidget *window, const std::map<Command, std::function<void()>> &run,
                  std::function<void(int n, bool here)> hot = {});

    QAction *action(Command command) const { return m_byCommand.value(command); }
    QAction *action(const QString &objectName) const { return m_byName.value(objectName); }
    QList<QAction *> actions() const { return m_all; }

    // The command bound to the key, Shift left out with letters and Esc;
    // null when none is.
    QAction *actionForKey(QKeyCombination key) const;
    // Whether the page sees the command's key first when it has the focus
    // (a key of the window's everywhere otherwise).
    bool pageFirst(QAction *action) const { return m_pageFirst.contains(action); }

    struct State {
        TbxWebTabSheet *page = nullptr; // the current tab page
        int pageCount = 0;
        bool addressFocused = false;
        bool sidePanelVisible = true;
    };
    void update(const State &state);

private:
    QAction *add(QWidget *window, Command command, const char *name, const QString &caption,
                 const QList<QKeySequence> &keys, std::function<void()> run);
    QAction *addAction(QWidget *window, const QString &name, const QString &caption, const QList<QKeySequence> &keys,
                       std::function<void()> run);

    QHash<Command, QAction *> m_byCommand;
    QSet<QAction *> m_pageFirst;
    QHash<QString, QAction *> m_byName;
    QList<QAction *> m_all;
};

} // namespace shell
