#include "addressbar.h"

#include <QAbstractItemView>
#include <QFileIconProvider>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace shell {

namespace {

// Typed text that the box turns into what was meant, tried in this order.
struct Correction {
    const char16_t *trigger;
    const char16_t *replacement;
};
constexpr Correction Corrections[] = {{u"wrong", u"www"}, {u"???", u"http"}};

// Addresses may be long (data: addresses, long queries); the line edit's own
// limit of 32767 characters would cut them silently.
constexpr int MaxAddressLength = 2 * 1024 * 1024;

bool isEnterKey(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

QIcon addressIcon()
{
    static const QIcon icon =
        QIcon::fromTheme(QStringLiteral("text-html"), QFileIconProvider().icon(QAbstractFileIconProvider::Network));
    return icon;
}

} // namespace

TIEAddress::TIEAddress(QWidget *parent) : QComboBox(parent)
{
    setObjectName(QStringLiteral("cmbURL"));
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert); // the box keeps its list itself
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(20);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    lineEdit()->setMaxLength(MaxAddressLength);
    view()->installEventFilter(this);
}

void TIEAddress::setText(const QString &address)
{
    lineEdit()->setText(address);
    lineEdit()->setCursorPosition(0); // a long address shows its beginning
    m_recorded = address;
}

QStringList TIEAddress::addresses() const
{
    QStringList list;
    for (int i = 0; i < count(); ++i)
        list << itemText(i);
    return list;
}

bool TIEAddress::boxHasFocus() const { return hasFocus() || lineEdit()->hasFocus(); }

void TIEAddress::record(const QString &address) { m_recorded = address; }

void TIEAddress::recordEntered()
{
    const QString shown = currentText();
    record(shown);
    const QString entry = shown.trimmed();
    if (entry.isEmpty())
        return;
    const int cursor = lineEdit()->cursorPosition();
    const int existing = findText(entry, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (existing >= 0)
        removeItem(existing);
    insertItem(0, addressIcon(), entry);
    while (count() > MaxAddresses)
        removeItem(count() - 1);
    // Changing the list may move the current item; the box keeps its text.
    if (currentText() != shown) {
        lineEdit()->setText(shown);
        lineEdit()->setCursorPosition(cursor);
    }
}

void TIEAddress::cmbURLKeyUp(int key)
{
    for (const Correction &c : Corrections) {
        if (currentText() == QStringView(c.trigger)) {
            // Select all, delete, set the replacement, caret to the end.
            setText(QString::fromUtf16(c.replacement));
            lineEdit()->end(false);
            break;
        }
    }
    if (isEnterKey(key)) {
        const QString address = m_recorded.trimmed();
        if (!address.isEmpty())
            emit enterPressed(address);
    }
}

void TIEAddress::keyPressEvent(QKeyEvent *event)
{
    if (isEnterKey(event->key())) {
        recordEntered();
        QComboBox::keyPressEvent(event);
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

void TIEAddress::keyReleaseEvent(QKeyEvent *event)
{
    QComboBox::keyReleaseEvent(event);
    if (!event->isAutoRepeat())
        cmbURLKeyUp(event->key());
}

bool TIEAddress::eventFilter(QObject *watched, QEvent *event)
{
    // Enter in the open list takes the highlighted entry into the box and
    // records it, so that the release of Enter opens that entry. A mouse
    // choice is left to the combo box: it only fills the box.
    if (watched == view() && event->type() == QEvent::KeyPress && isEnterKey(static_cast<QKeyEvent *>(event)->key())) {
        const QModelIndex index = view()->currentIndex();
        if (index.isValid()) {
            lineEdit()->setText(index.data(Qt::DisplayRole).toString());
            hidePopup();
            recordEntered();
            return true;
        }
    }
    return QComboBox::eventFilter(watched, event);
}

TAddressBar::TAddressBar(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("tbAddress"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    m_panel = new QWidget(this);
    m_panel->setObjectName(QStringLiteral("pnlAddress"));
    m_label = new QLabel(tr("Address:"), m_panel);
    m_box = new TIEAddress(m_panel);
    m_label->setBuddy(m_box);
    auto *layout = new QHBoxLayout(m_panel);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->addWidget(m_label);
    layout->addWidget(m_box, 1);

    m_go = new QPushButton(tr("Go"), this);
    m_go->setObjectName(QStringLiteral("btnGo"));
    m_go->setAutoDefault(false);

    connect(m_go, &QPushButton::clicked, this, &TAddressBar::btnGoClick);
    connect(m_box, &TIEAddress::enterPressed, this, &TAddressBar::openRequested);
}

QSize TAddressBar::sizeHint() const
{
    const QSize panel = m_panel->sizeHint();
    const QSize go = m_go->sizeHint();
    return {panel.width() + go.width(), std::max(panel.height(), go.height())};
}

QSize TAddressBar::minimumSizeHint() const
{
    const QSize panel = m_panel->minimumSizeHint();
    const QSize go = m_go->sizeHint();
    return {panel.width() + go.width(), std::max(panel.height(), go.height())};
}

void TAddressBar::btnGoClick()
{
    const QString address = m_box->text();
    if (!address.isEmpty())
        emit openRequested(address);
}

void TAddressBar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    tbAddressResize();
}

void TAddressBar::tbAddressResize()
{
    const int goWidth = m_go->sizeHint().width();
    const int panelWidth = std::max(0, width() - goWidth);
    const int panelHeight = std::min(height(), m_panel->sizeHint().height());
    const int goHeight = std::min(height(), m_go->sizeHint().height());
    m_panel->setGeometry(0, (height() - panelHeight) / 2, panelWidth, panelHeight);
    m_go->setGeometry(panelWidth, (height() - goHeight) / 2, goWidth, goHeight);
}

} // namespace shell
