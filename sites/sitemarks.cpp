#include "sitemarks.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QTextDocument>

namespace sites {

namespace {

QString when(const QDateTime &t) { return t.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")); }

QString eventText(const campaign::LoggedEvent &e)
{
    QString text;
    if (e.kind == QLatin1String("open"))
        text = QStringLiteral("page opened");
    else if (e.kind == QLatin1String("fill"))
        text = QStringLiteral("form filled (%1)").arg(e.detail);
    else if (e.kind == QLatin1String("login"))
        text = QStringLiteral("Login pressed");
    else if (e.kind == QLatin1String("press"))
        text =
            e.detail.isEmpty() ? QStringLiteral("Submit pressed") : QStringLiteral("Submit pressed (%1)").arg(e.detail);
    else if (e.kind == QLatin1String("submit"))
        text = e.detail.isEmpty() ? QStringLiteral("form sent") : QStringLiteral("form sent (%1)").arg(e.detail);
    else if (e.kind == QLatin1String("result")) {
        text = QStringLiteral("result page");
        if (!e.title.isEmpty())
            text += QStringLiteral(" \"%1\"").arg(e.title);
        if (e.httpStatus)
            text += QStringLiteral(" (HTTP %1)").arg(e.httpStatus);
    } else if (e.kind == QLatin1String("close"))
        text = QStringLiteral("tab closed");
    else
        text = e.kind;
    return text + QStringLiteral(", ") + when(e.time);
}

} // namespace

QIcon stateMark(campaign::State state, bool touched)
{
    static QIcon marks[5];
    const int k = touched && state == campaign::State::Open ? 4 : int(state);
    if (!marks[k].isNull())
        return marks[k];
    QPixmap pm(12, 12);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (k) {
    case int(campaign::State::Done): // a green tick
        p.setPen(QPen(QColor(0, 140, 60), 2.2));
        p.drawPolyline(QPolygonF({QPointF(2, 6.5), QPointF(5, 9.5), QPointF(10.5, 2.5)}));
        break;
    case int(campaign::State::Skipped): // a grey dash
        p.setPen(QPen(QColor(120, 120, 120), 2.2));
        p.drawLine(QPointF(2, 6), QPointF(10, 6));
        break;
    case int(campaign::State::Failed): // a red cross
        p.setPen(QPen(QColor(200, 30, 30), 2.2));
        p.drawLine(QPointF(2.5, 2.5), QPointF(9.5, 9.5));
        p.drawLine(QPointF(9.5, 2.5), QPointF(2.5, 9.5));
        break;
    case 4: // opened or filled, not decided yet: a blue dot
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 100, 200));
        p.drawEllipse(QPointF(6, 6), 3, 3);
        break;
    default: break; // open and untouched: an empty mark keeps the names aligned
    }
    p.end();
    marks[k] = QIcon(pm);
    return marks[k];
}

QString siteStatusText(const campaign::Campaign &c, const campaign::SiteStatus &st)
{
    QString text = QStringLiteral("%1 for %2").arg(campaign::stateCaption(st.state), c.label());
    if (st.stateTime.isValid())
        text += QStringLiteral(" (since %1)").arg(when(st.stateTime));
    if (!st.note.isEmpty())
        text += QStringLiteral("\nNote: ") + st.note;
    text +=
        st.last.isValid() ? QStringLiteral("\nLast: ") + eventText(st.last) : QStringLiteral("\nNothing logged yet");
    return text;
}

MarkDelegate::MarkDelegate(std::function<QIcon(int)> markFor, QObject *parent)
    : QStyledItemDelegate(parent), m_markFor(std::move(markFor))
{ }

void MarkDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const QIcon mark = m_markFor(index.row());
    if (!mark.isNull()) {
        option->icon = mark;
        option->decorationSize = mark.actualSize(QSize(26, 12));
        option->features |= QStyleOptionViewItem::HasDecoration;
    }
}

QString plainToolTip(const QString &text)
{
    // Text that would be taken for rich text is escaped and wrapped, so
    // that nothing in it counts as a tag; its line ends stay line ends.
    if (!Qt::mightBeRichText(text))
        return text;
    return QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

void addSiteStateItems(QMenu *menu, const QString &prefix, QWidget *dialogParent,
                       std::function<void(campaign::State state, const QString &note)> chosen)
{
    const auto add = [&](const char *name, const QString &caption, campaign::State state, bool askNote) {
        QAction *a = menu->addAction(caption);
        a->setObjectName(prefix + QLatin1String(name));
        QObject::connect(a, &QAction::triggered, menu, [dialogParent, chosen, state, askNote, caption] {
            QString note;
            if (askNote) {
                bool ok = false;
                QString title = caption;
                title.remove(QLatin1String("..."));
                note = QInputDialog::getText(dialogParent, title, QObject::tr("Note (optional):"), QLineEdit::Normal,
                                             QString(), &ok);
                if (!ok)
                    return;
            }
            chosen(state, note);
        });
    };
    add("Done", QObject::tr("Done"), campaign::State::Done, false);
    add("DoneNote", QObject::tr("Done with a note..."), campaign::State::Done, true);
    add("Skipped", QObject::tr("Skipped"), campaign::State::Skipped, false);
    add("SkippedNote", QObject::tr("Skipped with a note..."), campaign::State::Skipped, true);
    add("Failed", QObject::tr("Failed..."), campaign::State::Failed, true);
    add("Open", QObject::tr("Not done (open)"), campaign::State::Open, false);
}

} // namespace sites
