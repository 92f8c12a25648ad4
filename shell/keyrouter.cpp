#include "keyrouter.h"

#include "maincommands.h"
#include "mainwindow.h"
#include "webtabsheet.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>

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

bool TKeyRouter::runActionFor(QKeyEvent *e)
{
    QAction *a = m_window->commands()->actionForKey(e->keyCombination());
    if (!a || !a->isEnabled())
        return false;
    a->trigger();
    return true;
}

TKeyRouter::Route TKeyRouter::decide(QKeyEvent *e, bool run)
{
    const int key = e->key();
    const Qt::KeyboardModifiers mods =
        e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const bool altLetter = (mods & ~Qt::ShiftModifier) == Qt::AltModifier && key >= Qt::Key_A && key <= Qt::Key_Z;
    QAction *command = m_window->commands()->actionForKey(e->keyCombination());
    const bool windowKey =
        (mods & Qt::ControlModifier) || altLetter || (command && !m_window->commands()->pageFirst(command));
    if (windowKey) {
        if (command && command->isEnabled()) {
            if (run)
                command->trigger();
            return Route::Taken;
        }
        return altLetter ? Route::Taken : Route::Normal;
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
