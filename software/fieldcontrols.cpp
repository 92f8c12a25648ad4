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

void TypedFieldLink::userTyped()
{
    const QString now = toField(controlText());
    if (refused(m_limit, m_accepted, now)) {
        // Back to the text last accepted, the cursor where the typing began.
        const int before = int(controlText().size());
        const int cursor = controlCursor();
        setControlText(toControl(m_accepted));
        const int after = int(controlText().size());
        setControlCursor(qBound(0, cursor - (before - after), after));
        return;
    }
    if (!m_modified && !beginEdit()) {
        // The record cannot be changed: the field's text again.
        m_accepted = m_shown;
        setControlText(toControl(m_shown));
        return;
    }
    m_accepted = now;
    m_modified = true;
}

void TypedFieldLink::flush()
{
    if (m_modified)
        store(toField(controlText()));
}

void TypedFieldLink::refresh(bool force)
{
    control()->setEnabled(usable());
    const QString current = fieldValue();
    // Typed text stays while its own field is unchanged, unless forced.
    if (!force && m_modified && current == m_shown)
        return;
    m_shown = current;
    m_modified = false;
    m_accepted = current;
    if (controlText() != toControl(current)) {
        setControlText(toControl(current));
        if (!control()->hasFocus())
            setControlCursor(0); // show the beginning of a long value
    }
}

// ---- BoundLineEdit --------------------------------------------------------

BoundLineEdit::BoundLineEdit(TSoftwareTable &table, const QString &field, int limit, QWidget *parent)
    : QLineEdit(parent), TypedFieldLink(table, field, limit)
{
    setObjectName(field);
    connect(this, &QLineEdit::textEdited, this, [this] { userTyped(); });
}

void BoundLineEdit::setControlText(const QString &text) { setText(text); }

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
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_loading)
            userTyped();
    });
}

QString BoundMemo::toControl(const QString &fieldText) const { return toControlLines(fieldText); }

QString BoundMemo::toField(const QString &controlText) const { return toFieldLines(controlText); }

void BoundMemo::setControlText(const QString &text)
{
    m_loading = true;
    setPlainText(text);
    m_loading = false;
}

void BoundMemo::setControlCursor(int position)
{
    QTextCursor c = textCursor();
    c.setPosition(qBound(0, position, int(toPlainText().size())));
    setTextCursor(c);
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

void FieldCheckList::ticked(QListWidgetItem *item)
{
    if (m_syncing)
        return;
    const int at = row(item);
    if (at < 0 || at >= m_entries.size())
        return;
    if (!store(withEntry(fieldValue(), m_entries, at, item->checkState() == Qt::Checked)))
        resync();
}

void FieldCheckList::refresh(bool)
{
    setEnabled(usable());
    resync();
}

void FieldCheckList::resync()
{
    const QString text = fieldValue();
    m_syncing = true;
    for (int i = 0; i < count(); ++i) {
        const Qt::CheckState state = listTextHolds(text, m_entries.at(i)) ? Qt::Checked : Qt::Unchecked;
        if (item(i)->checkState() != state)
            item(i)->setCheckState(state);
    }
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
