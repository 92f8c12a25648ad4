#include "fieldcontrols.h"

#include "padvaluelists.h"
#include "softwaretable.h"

#include "base/error.h"
#include "platform/messages.h"

#include <QHBoxLayout>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTextCursor>

namespace software {

namespace {

// An edit is refused when it takes the text beyond the limit; a text already
// longer (from an import) may still shrink.
bool refused(int limit, const QString &before, const QString &after)
{
    return limit > 0 && after.size() > limit && after.size() > before.size();
}

QString toControlLines(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString toFieldLines(QString text)
{
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

} // namespace

// ---- FieldLink ------------------------------------------------------------

QString FieldLink::fieldValue() const
{
    const int i = m_table.indexOf(m_field);
    return i < 0 ? QString() : m_table.fieldText(i);
}

bool FieldLink::usable() const { return m_table.isOpen() && m_table.indexOf(m_field) >= 0; }

bool FieldLink::beginEdit()
{
    if (m_table.state() == TSoftwareTable::Editing)
        return true;
    try {
        m_table.Edit();
        return true;
    } catch (const base::Error &e) {
        platform::showError(e.text());
        return false;
    }
}

bool FieldLink::store(const QString &text)
{
    if (!beginEdit())
        return false;
    // Marked clean first: storing refreshes every control, this one included.
    m_modified = false;
    m_shown = text;
    try {
        m_table.setFieldText(m_field, text);
        return true;
    } catch (const base::Error &e) {
        platform::showError(e.text());
        return false;
    }
}

// ---- TypedFieldLink -------------------------------------------------------

TypedFieldLink::Typing TypedFieldLink::typed(const QString &now)
{
    if (refused(m_limit, m_accepted, now))
        return Typing::Refused;
    if (!m_modified && !beginEdit()) {
        m_accepted = m_shown;
        return Typing::Reverted;
    }
    m_accepted = now;
    m_modified = true;
    return Typing::Accepted;
}

bool TypedFieldLink::takeField(bool force, QString &current)
{
    current = fieldValue();
    if (!force && m_modified && current == m_shown)
        return false;
    m_shown = current;
    m_modified = false;
    m_accepted = current;
    return true;
}

// ---- BoundLineEdit --------------------------------------------------------

BoundLineEdit::BoundLineEdit(TSoftwareTable &table, const QString &field, int limit, QWidget *parent)
    : QLineEdit(parent), TypedFieldLink(table, field, limit)
{
    setObjectName(field);
    connect(this, &QLineEdit::textEdited, this, &BoundLineEdit::userEdited);
}

void BoundLineEdit::userEdited(const QString &text)
{
    switch (typed(text)) {
    case Typing::Refused: {
        const int cursor = cursorPosition() - int(text.size() - m_accepted.size());
        setText(m_accepted);
        setCursorPosition(qMax(0, cursor));
        break;
    }
    case Typing::Reverted: setText(m_shown); break;
    case Typing::Accepted: break;
    }
}

void BoundLineEdit::flush()
{
    if (m_modified)
        store(text());
}

void BoundLineEdit::refresh(bool force)
{
    setEnabled(usable());
    QString current;
    if (!takeField(force, current))
        return;
    if (text() != current) {
        setText(current);
        if (!hasFocus())
            setCursorPosition(0); // show the beginning of a long value
    }
}

void BoundLineEdit::focusOutEvent(QFocusEvent *e)
{
    flush();
    QLineEdit::focusOutEvent(e);
}

// ---- BoundMemo --------------------------------------------------------------

BoundMemo::BoundMemo(TSoftwareTable &table, const QString &field, int limit, bool wrap, QWidget *parent)
    : QPlainTextEdit(parent), TypedFieldLink(table, field, limit)
{
    setObjectName(field);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    if (!wrap) {
        setLineWrapMode(QPlainTextEdit::NoWrap);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    }
    connect(this, &QPlainTextEdit::textChanged, this, &BoundMemo::userChanged);
}

QString BoundMemo::fieldFormText() const { return toFieldLines(toPlainText()); }

void BoundMemo::show(const QString &fieldText)
{
    m_loading = true;
    setPlainText(toControlLines(fieldText));
    m_loading = false;
}

void BoundMemo::userChanged()
{
    if (m_loading)
        return;
    switch (typed(fieldFormText())) {
    case Typing::Refused: {
        const int grown = int(toPlainText().size() - toControlLines(m_accepted).size());
        const int cursor = textCursor().position() - grown;
        show(m_accepted);
        QTextCursor c = textCursor();
        c.setPosition(qBound(0, cursor, int(toPlainText().size())));
        setTextCursor(c);
        break;
    }
    case Typing::Reverted: show(m_shown); break;
    case Typing::Accepted: break;
    }
}

void BoundMemo::flush()
{
    if (m_modified)
        store(fieldFormText());
}

void BoundMemo::refresh(bool force)
{
    setEnabled(usable());
    QString current;
    if (!takeField(force, current))
        return;
    if (toPlainText() != toControlLines(current))
        show(current);
}

void BoundMemo::focusOutEvent(QFocusEvent *e)
{
    flush();
    QPlainTextEdit::focusOutEvent(e);
}

// ---- BoundComboBox ----------------------------------------------------------

BoundComboBox::BoundComboBox(TSoftwareTable &table, const QString &field, const QStringList &entries, QWidget *parent)
    : QComboBox(parent), FieldLink(table, field), m_entries(entries)
{
    setObjectName(field);
    setEditable(false);
    addItems(entries);
    setCurrentIndex(-1);
    setMaxVisibleItems(16);
    // Long entries (categories) must not widen the page; the open list shows them whole.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(4);
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (index < 0 || index >= m_entries.size())
            return;
        if (!store(m_entries.at(index)))
            refresh(true);
    });
}

void BoundComboBox::refresh(bool)
{
    setEnabled(usable());
    m_shown = fieldValue();
    const QSignalBlocker block(this);
    setCurrentIndex(matchingEntry(m_entries, m_shown));
}

// ---- BoundRadioGroup --------------------------------------------------------

BoundRadioGroup::BoundRadioGroup(TSoftwareTable &table, const QString &field, const QString &caption,
                                 const QStringList &values, QWidget *parent)
    : QGroupBox(caption, parent), FieldLink(table, field), m_values(values)
{
    setObjectName(field);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(6, 2, 6, 2);
    for (int i = 0; i < values.size(); ++i) {
        auto *b = new QRadioButton(values.at(i), this);
        m_group.addButton(b, i);
        row->addWidget(b);
    }
    connect(&m_group, &QButtonGroup::idClicked, this, [this](int id) {
        if (!store(m_values.value(id)))
            refresh(true);
    });
}

void BoundRadioGroup::refresh(bool)
{
    setEnabled(usable());
    m_shown = fieldValue();
    const int at = int(m_values.indexOf(m_shown)); // exact, with case
    if (at >= 0) {
        m_group.button(at)->setChecked(true);
        return;
    }
    m_group.setExclusive(false);
    for (QAbstractButton *b : m_group.buttons())
        b->setChecked(false);
    m_group.setExclusive(true);
}

// ---- FieldCheckList ---------------------------------------------------------

FieldCheckList::FieldCheckList(TSoftwareTable &table, const QString &field, const QStringList &entries, QWidget *parent)
    : QListWidget(parent), FieldLink(table, field), m_entries(entries)
{
    setObjectName(field);
    for (const QString &e : entries) {
        auto *item = new QListWidgetItem(e, this);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    connect(this, &QListWidget::itemChanged, this, &FieldCheckList::ticked);
}

void FieldCheckList::ticked(QListWidgetItem *)
{
    if (m_syncing)
        return;
    QVector<bool> on;
    for (int i = 0; i < count(); ++i)
        on << (item(i)->checkState() == Qt::Checked);
    store(listText(m_entries, on));
}

void FieldCheckList::refresh(bool) { setEnabled(usable()); }

void FieldCheckList::resync()
{
    const QString text = fieldValue();
    m_syncing = true;
    for (int i = 0; i < count(); ++i)
        item(i)->setCheckState(listTextHolds(text, m_entries.at(i)) ? Qt::Checked : Qt::Unchecked);
    m_syncing = false;
}

QStringList FieldCheckList::tickedEntries() const
{
    QStringList out;
    for (int i = 0; i < count(); ++i)
        if (item(i)->checkState() == Qt::Checked)
            out << m_entries.at(i);
    return out;
}

} // namespace software
