#pragma once
// Reading a PAD file into the software record: the file's bytes made text
// (textdecoding.h), each field's value taken from it (padtext.h), checked,
// and put into the record.
#include "padtext.h"
#include "textdecoding.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace software {

class TSoftwareTable;

// The PAD text of a file's bytes: decoded as XML text is, and every line end
// (CR, LF or CR LF) made CR LF, with CR LF after the last line. Empty, with
// refusedEncoding set to its name, when the file's encoding cannot be read.
QString padTextFromBytes(const QByteArray &bytes, QString *refusedEncoding = nullptr);

// The text of a plain text file chosen by the author (a licence, say),
// decoded by decodePlainText, every line end made CR LF, with CR LF after the
// last line.
QString plainTextFromBytes(const QByteArray &bytes);

// Reads a PAD file as PAD text. Throws base::Error naming the file when it is
// missing, a folder, unreadable, larger than a PAD file can sensibly be, or
// in an encoding that cannot be read (naming the encoding).
QString readPadText(const QString &path);

// A PAD file read and checked, ready to go into the record.
struct PadFile {
    QString path;
    QString text;          // the PAD text
    QStringList languages; // of its descriptions, English first
    QString language;      // the one to take descriptions from; "" the default
};

// Reads path and checks it: it must hold at least one of the fields' elements
// ("FILE is not a PAD file" otherwise), and language, when given, must be one
// of its description languages. Throws base::Error; nothing is changed.
PadFile readPadFile(const QString &path, const QStringList &fieldNames, const QString &language = QString());

// Opens the record for changes, empties every field, sets every field from
// the file and commits. Returns the fields whose values were longer than the
// field holds and were cut, in table order. Throws when the table is closed.
QStringList fillFromPadFile(TSoftwareTable &table, const PadFile &pad);

// The import after the file has been chosen: reads and checks the file,
// remembers it (with the language) as the PAD file imported last, and fills
// the record from it. A failure changes neither the record nor the
// remembered file. Returns the fields that were cut.
QStringList importPadFile(TSoftwareTable &table, const QString &path, const QString &language = QString());

// The PAD file imported last and the language of its descriptions that was
// chosen, kept for the user across restarts (the system values "xmlfile" and
// "xmllanguage"); empty when none was.
QString rememberedPadFile();
QString rememberedPadLanguage();
void setRememberedPadFile(const QString &path, const QString &language = QString());

// One line per cut field: "NAME was cut to WIDTH characters".
QString cutFieldsMessage(const QStringList &fields, const TSoftwareTable &table);

// The start-up refill: rebuilds the record from the remembered PAD file (in
// the remembered language while the file still has it) when there is one.
// Throws when the file cannot be read or is no PAD file (the record is
// untouched), or the table is closed.
void refillFromRememberedPad(TSoftwareTable &table);

} // namespace software
