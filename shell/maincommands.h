#pragma once
// The main window's commands: one QAction each, shared by the menus, the
// button bar and the key routing, with its caption, shortcut and icon. The
// window says what each command does; the enabled states follow the state
// the window reports (current page, number of pages, focus, side panel).
#include <QHash>
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
};

class TMainCommands : public QObject {
    Q_OBJECT
public:
    // The actions are added to window, so that their shortcuts work
    // wherever the focus is in it.
    TMainCommands(QWidget *window, const std::map<Command, std::function<void()>> &run);

    QAction *action(Command command) const { return m_byCommand.value(command); }
    QAction *action(const QString &objectName) const { return m_byName.value(objectName); }
    QList<QAction *> actions() const { return m_all; }

    struct State {
        TbxWebTabSheet *page = nullptr; // the current tab page
        int pageCount = 0;
        bool addressFocused = false;
        bool sidePanelVisible = true;
    };
    void update(const State &state);

private:
    QAction *add(QWidget *window, Command command, const char *name, const QString &caption, const QKeySequence &key,
                 std::function<void()> run);

    QHash<Command, QAction *> m_byCommand;
    QHash<QString, QAction *> m_byName;
    QList<QAction *> m_all;
};

} // namespace shell
