#pragma once
// The main window's look at every key before its controls see it, installed
// while the main window is active. It takes the program's global keys (Esc,
// the hot F-keys, Ctrl+Tab/K/O/S, the Alt letters), lets the page of the
// current tab have every other key first when the page has the focus, and
// gives the window's commands precedence over the focused control otherwise.
#include <QObject>
#include <QPointer>

class QKeyEvent;

namespace shell {

class TfrmBrwMain;

enum class Command;

class TKeyRouter : public QObject {
    Q_OBJECT
public:
    explicit TKeyRouter(TfrmBrwMain *window);

    void install();
    void remove();
    bool isInstalled() const { return m_installed; }

    void HandleAltKey(QChar c);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Route { Normal, Taken, ToPage };
    Route decide(QKeyEvent *e, bool run);
    bool focusInPage() const;
    bool runActionFor(QKeyEvent *e);
    bool runAction(Command command);

    TfrmBrwMain *m_window;
    bool m_installed = false;
    // The decision for the key press under way (its ShortcutOverride came first).
    int m_key = 0;
    Route m_route = Route::Normal;
    bool m_pending = false;
};

} // namespace shell
