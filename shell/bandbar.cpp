#include "bandbar.h"

namespace shell {

BandBar::BandBar(const QString &title, QWidget *parent) : QToolBar(title, parent) { }

void BandBar::setPreferredWidth(int width)
{
    if (width == m_preferredWidth)
        return;
    m_preferredWidth = qMax(0, width);
    updateGeometry();
}

QSize BandBar::sizeHint() const
{
    QSize hint = QToolBar::sizeHint();
    if (orientation() == Qt::Horizontal)
        hint.setWidth(qMax(hint.width(), m_preferredWidth));
    return hint;
}

} // namespace shell
