#include "sitecheckview.h"

#include "sitechecker.h"

#include <QPainter>

namespace sites {

namespace {

enum class Mark { None, Unreachable, Moved, Doubtful };

Mark markOf(const campaign::SiteCheck &c)
{
    if (!c.isValid())
        return Mark::None;
    if (isUnreachable(c))
        return Mark::Unreachable;
    switch (c.outcome) {
    case campaign::CheckOutcome::Moved: return Mark::Moved;
    case campaign::CheckOutcome::NoForm:
    case campaign::CheckOutcome::Tls: return Mark::Doubtful;
    default: break;
    }
    return Mark::None;
}

QPixmap markPixmap(Mark m)
{
    QPixmap pm(12, 12);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (m) {
    case Mark::Unreachable: // a dark red disc with a white bar: no entry
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(170, 20, 20));
        p.drawEllipse(QRectF(0.5, 0.5, 11, 11));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2.5, 5, 7, 2));
        break;
    case Mark::Moved: // an orange arrow pointing away
        p.setPen(QPen(QColor(220, 120, 0), 2));
        p.drawLine(QPointF(1.5, 6), QPointF(10, 6));
        p.drawPolyline(QPolygonF({QPointF(6.5, 2.5), QPointF(10, 6), QPointF(6.5, 9.5)}));
        break;
    case Mark::Doubtful: // an amber question mark
        p.setPen(QPen(QColor(200, 150, 0), 1));
        p.setFont(QFont(QStringLiteral("Sans"), 8, QFont::Bold));
        p.drawText(QRectF(0, 0, 12, 12), Qt::AlignCenter, QStringLiteral("?"));
        break;
    case Mark::None: break;
    }
    p.end();
    return pm;
}

QString when(const QDateTime &t) { return t.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")); }

} // namespace

SiteCheckView::SiteCheckView(QObject *parent) : QObject(parent)
{
    m_changed.setSingleShot(true);
    m_changed.setInterval(250);
    connect(&m_changed, &QTimer::timeout, this, &SiteCheckView::changed);
}

void SiteCheckView::setChecks(const QHash<QString, campaign::SiteCheck> &checks)
{
    m_checks = checks;
    m_changed.stop();
    Q_EMIT changed();
}

void SiteCheckView::note(const campaign::SiteCheck &check)
{
    m_checks.insert(campaign::siteCheckKey(check.site, check.address), check);
    if (!m_changed.isActive())
        m_changed.start();
}

campaign::SiteCheck SiteCheckView::checkOf(const campaign::Site &site, const QString &address) const
{
    if (address.isEmpty())
        return {};
    return m_checks.value(campaign::siteCheckKey(site, address));
}

QIcon SiteCheckView::mark(const campaign::Site &site, const QString &chosen) const
{
    const Mark m = markOf(checkOf(site, chosen));
    return m == Mark::None ? QIcon() : QIcon(markPixmap(m));
}

QIcon SiteCheckView::decoration(const QIcon &stateMark, const campaign::Site &site, const QString &chosen) const
{
    if (m_checks.isEmpty())
        return stateMark;
    const Mark m = markOf(checkOf(site, chosen));
    const QString key = QString::number(stateMark.cacheKey()) + QLatin1Char('/') + QString::number(int(m));
    auto it = m_decorations.constFind(key);
    if (it != m_decorations.constEnd())
        return *it;
    QPixmap pm(26, 12);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    if (!stateMark.isNull())
        p.drawPixmap(0, 0, stateMark.pixmap(12, 12));
    p.drawPixmap(14, 0, markPixmap(m));
    p.end();
    const QIcon icon(pm);
    m_decorations.insert(key, icon);
    return icon;
}

QString SiteCheckView::toolTip(const campaign::Site &site) const
{
    QStringList lines;
    const auto line = [&](const QString &address, const QString &caption) {
        const campaign::SiteCheck c = checkOf(site, address);
        if (c.isValid())
            lines << tr("%1: %2 (checked %3)").arg(caption, checkResultText(c), when(c.time));
    };
    line(site.newReleaseUrl, tr("New-release page"));
    if (site.updateUrl != site.newReleaseUrl)
        line(site.updateUrl, tr("Update page"));
    return lines.join(QLatin1Char('\n'));
}

bool SiteCheckView::isUnreachable(const campaign::Site &site, const QString &chosen) const
{
    return markOf(checkOf(site, chosen)) == Mark::Unreachable;
}

} // namespace sites
