#pragma once
// Editing controls bound to one field of the software record. A bound control
// shows the field's text; typing in it opens the record for changes (Edit) by
// itself, and the typed text goes into the field when the control is left or
// when the editor commits. A character limit refuses typing beyond it (a
// longer text put there by an import stays, and may only shrink).
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStringList>

namespace software {

class TSoftwareTable;

// What every bound control shares: the field, the text last shown from it and
// whether the control holds typed text not yet in the field.
class FieldLink {
public:
    FieldLink(TSoftwareTable &table, const QString &field) : m_table(table), m_field(field) { }
    virtual ~FieldLink() = default;

    const QString &fieldName() const { return m_field; }
    bool isModified() const { return m_modified; }

    // Writes typed text into the field; nothing when there is none.
    virtual void flush() = 0;
    // Shows the field's text. Unless forced, a control holding typed text
    // keeps it while its own field is unchanged.
    virtual void refresh(bool force) = 0;

protected:
    // The field's current text; empty when the table lacks the field.
    QString fieldValue() const;
    bool usable() const;
    // Opens the record for changes; false (error shown) when it cannot.
    bool beginEdit();
    // Stores text in the field; false (error shown) when it cannot.
    bool store(const QString &text);

    TSoftwareTable &m_table;
    QString m_field;
    QString m_shown; // the field text the control last showed
    bool m_modified = false;
};

// What the two text controls share: the character limit and the text last
// accepted from typing.
class TypedFieldLink : public FieldLink {
public:
    TypedFieldLink(TSoftwareTable &table, const QString &field, int limit) : FieldLink(table, field), m_limit(limit) { }

protected:
    enum class Typing { Refused, Reverted, Accepted };
    // Judges the control's new text (in the field's form): refused beyond the
    // limit (show m_accepted again), reverted when the record cannot be opened
    // for changes (show m_shown again), or accepted.
    Typing typed(const QString &now);
    // Takes the field's text for showing; false when the control keeps its
    // typed text (not forced, and its own field unchanged).
    bool takeField(bool force, QString &current);

    int m_limit;
    QString m_accepted;
};

class BoundLineEdit : public QLineEdit, public TypedFieldLink {
    Q_OBJECT
public:
    // limit 0: no limit of its own (the field's width still applies).
    BoundLineEdit(TSoftwareTable &table, const QString &field, int limit = 0, QWidget *parent = nullptr);
    void flush() override;
    void refresh(bool force) override;

protected:
    void focusOutEvent(QFocusEvent *e) override;

private:
    void userEdited(const QString &text);
};

// Multi-line text; the field holds CR LF line ends, the control plain LF.
// The limit counts the field's characters, each line end as two.
class BoundMemo : public QPlainTextEdit, public TypedFieldLink {
    Q_OBJECT
public:
    BoundMemo(TSoftwareTable &table, const QString &field, int limit = 0, bool wrap = true, QWidget *parent = nullptr);
    void flush() override;
    void refresh(bool force) override;
    // The control's text as the field would hold it.
    QString fieldFormText() const;

protected:
    void focusOutEvent(QFocusEvent *e) override;

private:
    void userChanged();
    void show(const QString &fieldText);
    bool m_loading = false;
};

// A drop-down list that only picks: the entry equal to the field's text (case
// ignored) is shown selected, any other text shows no selection and stays in
// the field. Picking writes the entry's text at once.
class BoundComboBox : public QComboBox, public FieldLink {
    Q_OBJECT
public:
    BoundComboBox(TSoftwareTable &table, const QString &field, const QStringList &entries, QWidget *parent = nullptr);
    void flush() override { }
    void refresh(bool force) override;

private:
    QStringList m_entries;
};

// Buttons whose captions are the values; the button equal to the field's text
// (case and all) is selected, otherwise none. Clicking writes the caption.
class BoundRadioGroup : public QGroupBox, public FieldLink {
    Q_OBJECT
public:
    BoundRadioGroup(TSoftwareTable &table, const QString &field, const QString &caption, const QStringList &values,
                    QWidget *parent = nullptr);
    void flush() override { }
    void refresh(bool force) override;

private:
    QButtonGroup m_group;
    QStringList m_values;
};

// A check list standing for a list-text field. It is not refreshed with the
// other controls: it follows the field only after each commit (resync), and a
// tick by the user rewrites the field from the ticked entries.
class FieldCheckList : public QListWidget, public FieldLink {
    Q_OBJECT
public:
    FieldCheckList(TSoftwareTable &table, const QString &field, const QStringList &entries, QWidget *parent = nullptr);
    void flush() override { }
    void refresh(bool force) override; // only the enabled state
    // Ticks exactly the entries the field's text holds.
    void resync();
    QStringList tickedEntries() const;

private:
    void ticked(QListWidgetItem *item);
    QStringList m_entries;
    bool m_syncing = false;
};

} // namespace software
