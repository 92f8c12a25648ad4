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

// What the two text controls share: the character limit, the text last
// accepted from typing, and the steps of showing the field (refresh), putting
// typed text into it (flush) and refusing or reverting typing. The control
// supplies its text, cursor and line-end form through the hooks below.
class TypedFieldLink : public FieldLink {
public:
    TypedFieldLink(TSoftwareTable &table, const QString &field, int limit) : FieldLink(table, field), m_limit(limit) { }

    void flush() override;
    void refresh(bool force) override;

protected:
    // Called by the control after each change the user typed.
    void userTyped();

    virtual QWidget *control() = 0;
    virtual QString controlText() const = 0;
    // Shows text without taking it as typed.
    virtual void setControlText(const QString &text) = 0;
    virtual int controlCursor() const = 0;
    virtual void setControlCursor(int position) = 0;
    // The field's text as the control shows it, and back.
    virtual QString toControl(const QString &fieldText) const { return fieldText; }
    virtual QString toField(const QString &controlText) const { return controlText; }

private:
    int m_limit;
    QString m_accepted;
};

class BoundLineEdit : public QLineEdit, public TypedFieldLink {
    Q_OBJECT
public:
    // limit 0: no limit of its own (the field's width still applies).
    BoundLineEdit(TSoftwareTable &table, const QString &field, int limit = 0, QWidget *parent = nullptr);

protected:
    void focusOutEvent(QFocusEvent *e) override;
    QWidget *control() override { return this; }
    QString controlText() const override { return text(); }
    void setControlText(const QString &text) override;
    int controlCursor() const override { return cursorPosition(); }
    void setControlCursor(int position) override { setCursorPosition(position); }
};

// Multi-line text; the field holds CR LF line ends, the control plain LF.
// The limit counts the field's characters, each line end as two.
class BoundMemo : public QPlainTextEdit, public TypedFieldLink {
    Q_OBJECT
public:
    BoundMemo(TSoftwareTable &table, const QString &field, int limit = 0, bool wrap = true, QWidget *parent = nullptr);
    // The control's text as the field would hold it.
    QString fieldFormText() const { return toField(toPlainText()); }

protected:
    void focusOutEvent(QFocusEvent *e) override;
    QWidget *control() override { return this; }
    QString controlText() const override { return toPlainText(); }
    void setControlText(const QString &text) override;
    int controlCursor() const override { return textCursor().position(); }
    void setControlCursor(int position) override;
    QString toControl(const QString &fieldText) const override;
    QString toField(const QString &controlText) const override;

private:
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

// A check list standing for a list-text field. It shows the field's entries
// whenever the field changes (and from the start); a tick by the user adds or
// removes that one entry in the field's text, keeping every other entry,
// known to the list or not, where it stands.
class FieldCheckList : public QListWidget, public FieldLink {
    Q_OBJECT
public:
    FieldCheckList(TSoftwareTable &table, const QString &field, const QStringList &entries, QWidget *parent = nullptr);
    void flush() override { }
    void refresh(bool force) override;
    // Ticks exactly the entries the field's text holds.
    void resync();
    QStringList tickedEntries() const;

private:
    void ticked(QListWidgetItem *item);
    QStringList m_entries;
    bool m_syncing = false;
};

} // namespace software
