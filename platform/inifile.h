#pragma once
// An INI text file read and edited with the rules of the Windows profile
// functions, so that quillet.ini behaves as its users expect:
//
// - "[name]" opens a section, "key=value" holds a value. Blanks around
//   section names, key names and values are ignored; a value enclosed in
//   matching single or double quotes loses them. Names compare without
//   regard to case. Lines starting with ";" are comments; lines that are
//   neither a section, nor hold "=" with a key name before it, hold nothing.
// - Where a section or a key appears twice, the first one counts; the later
//   one is ignored by every read and left alone by every write.
// - A text value is read up to 2047 characters.
// - A number is decimal, with an optional sign, or hexadecimal when the value
//   is longer than two characters and starts with "0x" or "0X". Like the
//   Windows function, reading stops at the first character that is not a
//   digit, so "12abc" reads 12. A value with no digit at its start, an empty
//   value and a number outside the 32-bit range give the default.
// - A flag is a number: 0 is false, any other number true. Flags are written
//   as "1" and "0", numbers in decimal.
//
// The object holds the file as it was when constructed; one object serves one
// group of reads and writes. Writes change only the line concerned (a new key
// goes after the last key of its section, a new section at the end of the
// file); every other byte of the file, comments and line endings included,
// stays as it was. save() replaces the file atomically.
//
// A file larger than MaxFileSize, one that cannot be read, or a folder in its
// place is treated as empty for reading and is never overwritten.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace platform {

class IniFile {
public:
    static constexpr int MaxValueLength = 2047;
    static constexpr qint64 MaxFileSize = 4 * 1024 * 1024;

    // Reads the file now. A missing file is an empty one that save() creates.
    explicit IniFile(const QString &path);

    QString path() const { return m_path; }

    bool sectionExists(const QString &section) const;
    // The key names of the section in file order, each name once.
    QStringList keyNames(const QString &section) const;

    QString readString(const QString &section, const QString &key, const QString &defaultValue = QString()) const;
    int readInteger(const QString &section, const QString &key, int defaultValue) const;
    bool readBool(const QString &section, const QString &key, bool defaultValue) const;

    // Change the text held in memory. False when the names or the value cannot
    // be stored in an INI line (empty or line-breaking names, a line break in
    // the value) or the file may not be overwritten.
    bool writeString(const QString &section, const QString &key, const QString &value);
    bool writeInteger(const QString &section, const QString &key, int value);
    bool writeBool(const QString &section, const QString &key, bool value);

    // Writes the changed text atomically. True when there was nothing to write
    // or the file was replaced; false when it could not be written, in which
    // case the file on disk is unchanged.
    bool save();

    // The number rules above applied to one value.
    static int parseInteger(const QString &text, int defaultValue);

private:
    enum class Kind { Other, Section, Key };
    struct Line {
        QByteArray text; // without its line ending
        QByteArray eol;  // "\n", "\r\n" or empty for a last line without one
        Kind kind = Kind::Other;
        QString name;  // section or key name, trimmed
        QString value; // key value, trimmed and unquoted
    };

    static Line classify(QByteArray text, QByteArray eol);
    int findSection(const QString &section) const;
    int sectionEnd(int sectionLine) const;
    int findKey(int sectionLine, const QString &key) const;
    QByteArray newLineEnding() const;

    QString m_path;
    QByteArray m_bom;
    QList<Line> m_lines;
    bool m_writable = true;
    bool m_dirty = false;
};

} // namespace platform
