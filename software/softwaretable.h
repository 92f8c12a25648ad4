#pragma once
// The software record: an in-memory table of named text fields with one
// current row, kept in softdata.xml. Field lookups ignore case; a missing
// field raises "ClientDataSet1: Field 'NAME' not found".
#include "engine/record.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

namespace software {

struct TFieldDef {
    QString name;
    int width = 255;
};

class TSoftwareTable : public QObject, public engine::Record {
    Q_OBJECT
public:
    enum State { Closed, Browse, Editing };

    explicit TSoftwareTable(QObject *parent = nullptr);

    // The file in the working folder that holds the record: loaded at the
    // start, saved by "Save All" and by an import.
    static QString dataFile() { return QStringLiteral("softdata.xml"); }

    // The 73 fields of the record, in table order, with their widths; the
    // delivered data file defines exactly these.
    static const QVector<TFieldDef> &standardFields();

    State state() const { return m_state; }
    bool isOpen() const { return m_state != Closed; }
    int rowCount() const { return int(m_rows.size()); }

    // Replaces fields and rows from the file; the current record is the first
    // row. Throws base::Error and leaves the table as it was on failure.
    void LoadFromFile(const QString &path);
    // Commits an open edit, then writes the whole table atomically. Throws
    // "Cannot create file PATH" when the file cannot be written.
    void SaveToFile(const QString &path);
    // Opens the table with the given fields and rows (no file involved).
    void open(const QVector<TFieldDef> &fields, const QVector<QStringList> &rows);

    int fieldCount() const { return int(m_fields.size()); }
    QString fieldName(int index) const { return m_fields.value(index).name; }
    int fieldWidth(int index) const { return m_fields.value(index).width; }
    // Position of a field, case ignored; -1 when there is none.
    int indexOf(const QString &name) const;
    // Position of a field, or the not-found error.
    int FieldByName(const QString &name) const;

    // Text of a field in the current record (the edit buffer while editing).
    QString fieldText(const QString &name) const override;
    QString fieldText(int index) const;
    // Writing needs an open edit; the text is cut to the field's width.
    void setFieldText(const QString &name, const QString &text);
    void setFieldText(int index, const QString &text);

    void Edit();
    void Post();
    void cancel();

Q_SIGNALS:
    void AfterPost();
    // Any change of what the current record shows (load, edit, post, cancel).
    void recordChanged();

private:
    [[noreturn]] void fail(const QString &message) const;
    void requireEditing() const;

    State m_state = Closed;
    QVector<TFieldDef> m_fields;
    QVector<QStringList> m_rows;
    QStringList m_buffer; // the open edit
    bool m_appending = false;
};

} // namespace software
