#include "keyrouter.h"

#include "addressbar.h"
#include "mainwindow.h"
#include "webtabsheet.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QKeyEvent>
#include <QToolButton>

#include <optional>

namespace shell {

TKeyRouter::TKeyRouter(TfrmBrwMain *window) : QObject(window), m_window(window) { }

void TKeyRouter::install()
{
    if (m_installed)
        return;
    qApp->installEventFilter(this);
    m_installed = true;
}

void TKeyRouter::remove()
{
    if (!m_installed)
        return;
    qApp->removeEventFilter(this);
    m_installed = false;
    m_pending = false;
}

bool TKeyRouter::focusInPage() const
{
    TbxWebTabSheet *page = m_window->CurrentPage();
    QWidget *focus = QApplication::focusWidget();
    return page && page->browser() && focus && (focus == page->browser() || page->browser()->isAncestorOf(focus));
}

bool TKeyRouter::runAction(Command command)
{
    QAction *a = m_window->action(command);
    if (a && a->isEnabled())
        a->trigger();
    return true;
}

bool TKeyRouter::runActionFor(QKeyEvent *e)
{
    const QKeySequence seq(e->keyCombination());
    for (QAction *a : m_window->actions()) {
        if (a->shortcut() == seq && a->isEnabled()) {
            a->trigger();
            return true;
        }
    }
    return false;
}

void TKeyRouter::HandleAltKey(QChar c)
{
    auto drop = [this](const char *menu) {
        if (QToolButton *b = m_window->menuButton(QString::fromLatin1(menu)))
            b->showMenu();
    };
    switch (c.toUpper().unicode()) {
    case 'A': drop("Favorities"); break;
    case 'C': runAction(Command::DupPage); break;
    case 'D':
        if (TIEAddress *box = m_window->addressBox()) {
            box->setFocus(Qt::ShortcutFocusReason);
            if (box->lineEdit())
                box->lineEdit()->selectAll();
        }
        break;
    case 'E': drop("Software"); break;
    case 'F': drop("File"); break;
    case 'Q': runAction(Command::TabPrev); break;
    case 'T': drop("Help"); break;
    case 'V': drop("Submission"); break;
    case 'W': runAction(Command::TabNext); break;
    case 'X': runAction(Command::ClosePage); break;
    default: break;
    }
}

TKeyRouter::Route TKeyRouter::decide(QKeyEvent *e, bool run)
{
    const int key = e->key();
    const Qt::KeyboardModifiers mods =
        e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    TbxWebTabSheet *page = m_window->CurrentPage();

    // The letter keys act the same in upper and lower case, so Shift is
    // ignored with them and with Esc.
    const Qt::KeyboardModifiers unshifted = mods & ~Qt::ShiftModifier;
    if (key == Qt::Key_Escape && unshifted == Qt::NoModifier) {
        if (!page)
            return Route::Normal;
        if (run && page->browser())
            page->browser()->stop();
        return Route::Taken;
    }
    static const int hot[] = {Qt::Key_F2, Qt::Key_F3, Qt::Key_F6,  Qt::Key_F7,
                              Qt::Key_F8, Qt::Key_F9, Qt::Key_F11, Qt::Key_F12};
    for (int h : hot) {
        if (key == h) {
            if (run) {
                // The page opens in the current tab when Ctrl is held.
                const bool ctrl = mods & Qt::ControlModifier;
                m_window->withCtrl(ctrl, [&] { m_window->OpenHotURL(key - Qt::Key_F1 + 1); });
            }
            return Route::Taken;
        }
    }
    if (mods == Qt::ControlModifier) {
        if (key == Qt::Key_O) {
            if (run)
                m_window->openFileDialog();
            return Route::Taken;
        }
        std::optional<Command> command;
        switch (key) {
        case Qt::Key_Tab: command = Command::TabNext; break;
        case Qt::Key_K: command = Command::CloseAll; break;
        case Qt::Key_S: command = Command::Save; break;
        default: break;
        }
        if (command) {
            if (run)
                runAction(*command);
            return Route::Taken;
        }
    }
    // Other keys with Ctrl are the window's shortcuts first, wherever the
    // focus is (Ctrl+Right steps to the next tab even in a text field).
    if (mods & Qt::ControlModifier) {
        if (run && runActionFor(e))
            return Route::Taken;
        return Route::Normal;
    }
    if (unshifted == Qt::AltModifier && key >= Qt::Key_A && key <= Qt::Key_Z) {
        if (run)
            HandleAltKey(QChar(key));
        return Route::Taken;
    }
    if (focusInPage() && !m_window->addressBoxHasFocus())
        return Route::ToPage;
    // Elsewhere the window's commands come before the focused control.
    if (run ? runActionFor(e) : false)
        return Route::Taken;
    return Route::Normal;
}

bool TKeyRouter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return false;
    // Only keys of the main window itself: an open menu or another window
    // keeps its own keys.
    if (QApplication::activePopupWidget())
        return false;
    if (auto *w = qobject_cast<QWidget *>(watched); w && w->window() != m_window)
        return false;
    switch (event->type()) {
    case QEvent::ShortcutOverride: {
        auto *e = static_cast<QKeyEvent *>(event);
        m_key = e->key();
        m_route = decide(e, true);
        m_pending = true;
        if (m_route == Route::Normal)
            return false;
        // Taken or for the page: no shortcut of the window fires for it.
        e->accept();
        return true;
    }
    case QEvent::KeyPress: {
        auto *e = static_cast<QKeyEvent *>(event);
        // A key the page did not consume comes back to the tab page.
        if (auto *sheet = qobject_cast<TbxWebTabSheet *>(watched)) {
            if (sheet == m_window->CurrentPage() && m_pending && m_key == e->key() && m_route == Route::ToPage) {
                m_pending = false;
                const int key = e->key();
                const bool passThrough = key == Qt::Key_Backspace || key == Qt::Key_Tab || key == Qt::Key_Backtab ||
                    key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down ||
                    key == Qt::Key_Delete || key == Qt::Key_Return || key == Qt::Key_Enter;
                if (!passThrough)
                    runActionFor(e);
                return true;
            }
            return false;
        }
        if (m_pending && m_key == e->key() && m_route == Route::Taken) {
            if (watched == QApplication::focusWidget() || watched == QApplication::focusObject())
                m_pending = false;
            return true;
        }
        return false;
    }
    default: return false;
    }
}

} // namespace shell
