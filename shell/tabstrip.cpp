#include "tabstrip.h"

#include "webtabsheet.h"

#include <QMouseEvent>
#include <QTabBar>

namespace shell {

TPage95Control::TPage95Control(QWidget *parent) : QTabWidget(parent)
{
    setObjectName(QStringLiteral("pc"));
    setDocumentMode(true);
    setElideMode(Qt::ElideNone);
    setUsesScrollButtons(true);
    tabBar()->installEventFilter(this);
    tabBar()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tabBar(), &QWidget::customContextMenuRequested, this, [this](const QPoint &p) {
        m_menuPage = page(tabBar()->tabAt(p));
        Q_EMIT contextMenuAt(tabBar()->mapToGlobal(p));
        m_menuPage = nullptr;
    });
    // Inactive tabs in a colour of their own.
    setStyleSheet(QStringLiteral("QTabBar::tab:!selected { color: #505a64; background: #dde3e8; }"
                                 "QTabBar::tab { font-family: monospace; padding: 3px 6px; }"));
}

TbxWebTabSheet *TPage95Control::page(int index) const { return qobject_cast<TbxWebTabSheet *>(widget(index)); }

TbxWebTabSheet *TPage95Control::activePage() const { return qobject_cast<TbxWebTabSheet *>(currentWidget()); }

void TPage95Control::movePage(int from, int to)
{
    if (from < 0 || to < 0 || from >= count() || to >= count() || from == to)
        return;
    tabBar()->moveTab(from, to);
}

TbxWebTabSheet *TPage95Control::neighbour(TbxWebTabSheet *p, bool forward) const
{
    const int n = count();
    if (n == 0)
        return nullptr;
    const int i = indexOf(p);
    if (i < 0)
        return activePage();
    return page(((forward ? i + 1 : i - 1) % n + n) % n);
}

bool TPage95Control::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != tabBar())
        return QTabWidget::eventFilter(watched, event);
    // A left press with Ctrl alone starts dragging the active tab; releasing
    // it over a tab moves the active page to that position.
    if (event->type() == QEvent::MouseButtonPress) {
        auto *me = static_cast<QMouseEvent *>(event);
        if (me->button() == Qt::LeftButton && me->buttons() == Qt::LeftButton &&
            (me->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier)) == Qt::ControlModifier) {
            m_dragFrom = currentIndex();
            tabBar()->setCursor(Qt::DragMoveCursor);
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonRelease && m_dragFrom >= 0) {
        auto *me = static_cast<QMouseEvent *>(event);
        const int to = tabBar()->tabAt(me->position().toPoint());
        const int from = m_dragFrom;
        m_dragFrom = -1;
        tabBar()->unsetCursor();
        if (to >= 0 && from == currentIndex())
            movePage(from, to);
        return true;
    }
    return QTabWidget::eventFilter(watched, event);
}

} // namespace shell
