#include "restoretabsbar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace shell {

TRestoreTabsBar::TRestoreTabsBar(const QList<SessionTab> &tabs, std::function<void(const QString &)> reopen,
                                 QWidget *parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("RestoreTabsBar"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(255, 248, 214));
    p.setColor(QPalette::WindowText, QColor(60, 50, 0));
    setPalette(p);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    m_label = new QLabel(this);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setText(tr("Doduvodaz did not end normally last time. Reopen the %n tab(s) that were open?", nullptr,
                        int(tabs.size())));
    QStringList lines;
    for (const SessionTab &t : tabs)
        lines << (t.site.isEmpty() ? t.address : tr("%1 — %2").arg(t.site, t.address));
    m_label->setToolTip(lines.join(QLatin1Char('\n')));
    setToolTip(m_label->toolTip());
    m_reopen = new QPushButton(tr("&Reopen tabs"), this);
    m_reopen->setObjectName(QStringLiteral("ReopenTabs"));
    m_dismiss = new QPushButton(tr("No, thanks"), this);
    m_dismiss->setObjectName(QStringLiteral("DismissRestore"));
    layout->addWidget(m_label, 1);
    layout->addWidget(m_reopen);
    layout->addWidget(m_dismiss);
    connect(m_reopen, &QPushButton::clicked, this, [this, tabs, reopen = std::move(reopen)] {
        hide();
        for (const SessionTab &t : tabs)
            reopen(t.address);
        deleteLater();
    });
    connect(m_dismiss, &QPushButton::clicked, this, [this] {
        hide();
        deleteLater();
    });
}

} // namespace shell
