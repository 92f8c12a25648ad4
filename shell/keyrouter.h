#pragma once
// The main window's look at every key before its controls see it, installed
// while the main window is active. The keys themselves are the commands'
// (TMainCommands); this decides who has a key first. The window's keys
// everywhere are those with Ctrl, Alt with a letter (one that runs nothing is
// swallowed all the same) and the commands' keys that the page does not
// have first (Esc, the hot F-keys). Every other key goes to the page of the
// current tab first when the page has the focus, and comes back to the
// window's commands when the page leaves it; elsewhere the window's commands
// come before the focused control.
#include <QObject>
#include <QPointer>

class QKeyEvent;

namespace shell {

class TfrmBrwMain;

class TKeyRouter : public QObject {
    Q_OBJECT
public:
    explicit TKeyRouter(TfrmBrwMain *window);

    void install();
    void remove();
    bool isInstalled() const { return m_installed; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Route { Normal, Taken, ToPage };
    Route decide(QKeyEvent *e, bool run);
    bool focusInPage() const;
    bool runActionFor(QKeyEvent *e);

    TfrmBrwMain *m_window;
    bool m_installed = false;
    // The decision for the key press under way (its ShortcutOverride came first).
    int m_key = 0;
    Route m_route = Route::Normal;
    bool m_pending = false;
};

} // namespace shell
