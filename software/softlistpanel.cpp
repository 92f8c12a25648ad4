#include "softlistpanel.h"

#include "softwaretable.h"

#include "base/error.h"
#include "platform/messages.h"

#include <QApplication>
#include <QDrag>
#include <QKeyEvent>
#include <QTimer>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QVBoxLayout>

#include <memory>
#include <new>

namespace software {

const QStringList &rows()
{
    static const QStringList r = {"=====Program Info=====",
                                  "Program Name",
                                  "Program Version",
                                  "Program Release Month",
                                  "Program Release Day",
                                  "Program Release Year",
                                  "Program Cost Dollars",
                                  "Program Type",
                                  "Program OS Support",
                                  "Program System Requirements",
                                  "Program Category Class",
                                  "File Size Bytes",
                                  "File Size K",
                                  "Expire Count",
                                  "Keywords",
                                  "Char Desc 45",
                                  "Char Desc 80",
                                  "Char Desc 250",
                                  "Char Desc 450",
                                  "Char Desc 2000",
                                  "Application Info URL",
                                  "Application Order URL",
                                  "Application Screenshot URL",
                                  "Application Icon URL",
                                  "Application XML File URL",
                                  "Primary Download URL",
                                  "Secondary Download URL",
                                  "Additional Download URL 1",
                                  "Additional Download URL 2",
                                  "=====Company Info=====",
                                  "Company Name",
                                  "Address 1",
                                  "Address 2",
                                  "City Town",
                                  "State Province",
                                  "Zip Postal Code",
                                  "Country",
                                  "Company WebSite URL",
                                  "Contact First Name",
                                  "Contact Last Name",
                                  "Contact Email",
                                  "General Phone",
                                  "Fax Phone"};
    return r;
}

bool isGroupHeader(const QString &rowText) { return rowText.contains(QLatin1String("===")); }

QString fieldNameOfRow(const QString &rowText)
{
    if (isGroupHeader(rowText))
        return QString();
    QString name = rowText;
    name.replace(QLatin1Char(' '), QLatin1Char('_'));
    return name;
}

quint32 dropResultCode(Qt::DropAction outcome, bool escapePressed)
{
    switch (outcome) {
    case Qt::CopyAction:
    case Qt::MoveAction:
    case Qt::LinkAction:
    case Qt::TargetMoveAction: return DropDone;
    case Qt::IgnoreAction: return escapePressed ? DropCancelled : DropDone;
    default: return quint32(outcome);
    }
}

QString dropResultMessage(quint32 code)
{
    switch (code) {
    case DropDone: return QString();
    case DropCancelled: return QObject::tr("Drop cancel");
    case DropOutOfMemory: return QObject::tr("Drop out of memory");
    case DropInvalidAccess: return QObject::tr("Drop unexpected");
    default: return QObject::tr("Drop unknown:") + QStringLiteral("%1").arg(code, 8, 16, QLatin1Char('0')).toUpper();
    }
}

namespace {

class EscapeWatch : public QObject {
public:
    bool pressed = false;

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if ((e->type() == QEvent::KeyPress || e->type() == QEvent::ShortcutOverride) &&
            static_cast<QKeyEvent *>(e)->key() == Qt::Key_Escape)
            pressed = true;
        return false;
    }
};

} // namespace

SoftListBox::SoftListBox(TSoftwareTable &table, QWidget *parent) : QListWidget(parent), m_table(table)
{
    setObjectName(QStringLiteral("SoftListBox"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    // Each row shows its caption in the user's language and keeps the
    // caption the field is named by.
    for (const QString &row : rows()) {
        auto *item = new QListWidgetItem(tr(row.toUtf8().constData()), this);
        item->setData(Qt::UserRole, row);
    }
}

void SoftListBox::mousePressEvent(QMouseEvent *e)
{
    m_pressed = true;
    m_pressPos = e->position().toPoint();
    QListWidget::mousePressEvent(e);
}

void SoftListBox::mouseReleaseEvent(QMouseEvent *e)
{
    if (!(e->buttons() & (Qt::LeftButton | Qt::RightButton)))
        m_pressed = false;
    QListWidget::mouseReleaseEvent(e);
}

void SoftListBox::mouseMoveEvent(QMouseEvent *e)
{
    if (e->buttons() & (Qt::LeftButton | Qt::RightButton)) {
        e->accept();
        // A click with a little hand movement is still a click.
        if (!m_pressed || (e->position().toPoint() - m_pressPos).manhattanLength() < QApplication::startDragDistance())
            return;
        m_pressed = false; // one drag per press
        SoftListBoxMouseMove(e->buttons());
        return;
    }
    m_pressed = false;
    QListWidget::mouseMoveEvent(e);
}

void SoftListBox::SoftListBoxMouseMove(Qt::MouseButtons buttons)
{
    if (!(buttons & (Qt::LeftButton | Qt::RightButton)))
        return;
    const QList<QListWidgetItem *> selected = selectedItems();
    if (selected.isEmpty())
        return;
    const QString row = selected.first()->data(Qt::UserRole).toString();

    quint32 result;
    try {
        auto data = std::make_unique<QMimeData>();
        QString text;
        if (!isGroupHeader(row)) {
            try {
                text = m_table.fieldText(fieldNameOfRow(row));
            } catch (const base::Error &e) {
                platform::showError(e.text());
                return;
            }
        }
        data->setText(text);
        result = runDrag(data.release());
    } catch (const std::bad_alloc &) {
        result = DropOutOfMemory;
    }
    const QString message = dropResultMessage(result);
    if (!message.isEmpty())
        platform::showMessage(message);
}

quint32 SoftListBox::runDrag(QMimeData *data)
{
    if (m_runner) {
        std::unique_ptr<QMimeData> owned(data);
        return m_runner(owned.get());
    }
    // Qt reports Esc and a release over no target alike, so Esc is watched
    // for. The platform's drag installs its own application event filter when
    // the drag starts and eats the key; a filter installed once the drag's
    // loop runs is asked first.
    EscapeWatch watch;
    qApp->installEventFilter(&watch);
    QTimer::singleShot(0, &watch, [&watch] {
        qApp->removeEventFilter(&watch);
        qApp->installEventFilter(&watch);
    });
    auto *drag = new QDrag(this);
    drag->setMimeData(data);
    const Qt::DropAction outcome = drag->exec(Qt::CopyAction | Qt::MoveAction);
    qApp->removeEventFilter(&watch);
    return dropResultCode(outcome, watch.pressed);
}

TSoftListPage::TSoftListPage(TSoftwareTable &table, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("tabHistory"));
    setWindowTitle(tr("Software"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    auto *labels = new QVBoxLayout(panel);
    labels->setContentsMargins(4, 4, 4, 4);
    auto *title = new QLabel(tr("Software information:"), panel);
    auto *hint = new QLabel(tr("Drag information to submision form."), panel);
    title->setTextFormat(Qt::PlainText);
    hint->setTextFormat(Qt::PlainText);
    labels->addWidget(title);
    labels->addWidget(hint);
    layout->addWidget(panel);
    m_list = new SoftListBox(table, this);
    layout->addWidget(m_list, 1);
}

} // namespace software
