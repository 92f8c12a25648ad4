#pragma once
// The main window's menus (File, Software, Submission, Favorities, Help, the
// tab's context menu) and its button bar, built from the window's commands:
// they show the commands' actions and know nothing else of the window. The
// menu bar is a tool bar of buttons that each open a menu.
#include <QHash>
#include <QObject>
#include <QString>

class QMenu;
class QToolBar;
class QToolButton;
class QWidget;

namespace shell {

class SmartFillSwitch;
class TMainCommands;

class TMainMenus : public QObject {
    Q_OBJECT
public:
    TMainMenus(QWidget *window, TMainCommands *commands, QToolBar *menuBand, QToolBar *buttonBand);

    QMenu *menuNamed(const QString &caption) const { return m_menus.value(caption); }
    QToolButton *menuButton(const QString &caption) const { return m_menuButtons.value(caption); }
    QMenu *tabMenu() const { return m_tabMenu; }
    // The "Smart fill" command of the Submission menu.
    SmartFillSwitch *smartFill() const { return m_smartFill; }

    // Puts a menu behind one of the menu bar's buttons ("Favorities").
    void setMenu(const QString &caption, QMenu *menu);

Q_SIGNALS:
    // Commands the window carries out on its current page or its lists.
    void checkSitesRequested();
    void savePageAsPdfRequested();
    void downloadsRequested();
    // +1 zooms in, -1 out, 0 back to the actual size.
    void zoomRequested(int step);

private:
    // caption: the menu's caption in the source language, by which it is
    // also found.
    QMenu *addMenu(const char *caption, const QString &objectName);
    void buildMenus();
    void buildButtonBar();

    QWidget *m_window;
    TMainCommands *m_commands;
    QToolBar *m_menuBand;
    QToolBar *m_buttonBand;
    QMenu *m_tabMenu = nullptr;
    SmartFillSwitch *m_smartFill = nullptr;
    QHash<QString, QMenu *> m_menus;
    QHash<QString, QToolButton *> m_menuButtons;
};

} // namespace shell
