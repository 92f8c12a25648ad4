#pragma once
// Reading a PAD file into the software record. The extraction is a plain text
// search for <Name> and </Name>, not an XML parser: which files import well is
// decided by exactly these rules.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace software {

class TSoftwareTable;

// The text between the first "<tag>" and the first "</tag>" of padText (case
// and all), with every "&amp;" (in any letter case) replaced by "&" in one
// left-to-right pass. Empty when either tag is missing or the closing tag does
// not come after the opening one. Nothing else is decoded.
QString getvaluefromxml(const QString &padText, const QString &tag);

// The PAD text of a file's bytes: cut at the first zero byte, decoded, and
// every line end (CR, LF or CR LF) made CR LF, with CR LF after the last line.
// Bytes that are valid UTF-8 are read as UTF-8; other bytes in the encoding the
// XML declaration names when that is an 8-bit encoding Qt knows, else as
// Windows-1252. A byte-order mark is kept as the first character.
QString padTextFromBytes(const QByteArray &bytes);

// The text of a plain text file chosen by the author (a licence, say): decoded
// by its byte-order mark (UTF-8, UTF-16 LE or BE, the mark itself dropped),
// else as UTF-8 when the bytes are valid UTF-8, else as Windows-1252; every
// line end made CR LF, with CR LF after the last line. Zero bytes are kept as
// text, since a UTF-16 file is full of them. decodePlainText does the
// decoding alone.
QString decodePlainText(const QByteArray &bytes);
QString plainTextFromBytes(const QByteArray &bytes);

// Reads a PAD file as PAD text. Throws base::Error naming the file when it is
// missing, a folder, unreadable, or larger than a PAD file can sensibly be.
QString readPadText(const QString &path);

// The import after the file has been chosen: remembers path as the PAD file
// imported last (before reading it), opens the record for changes, reads the
// file, empties every field, sets every field from the file and commits.
// Errors end it where they occur: the path stays stored when the reading
// fails, and the record then stays open for changes, uncommitted. Returns the
// fields whose values were longer than the field holds and were cut, in table
// order.
QStringList importPadFile(TSoftwareTable &table, const QString &path);

// The PAD file imported last, kept for the user across restarts (the system
// value "xmlfile"); empty when none was.
QString rememberedPadFile();
void setRememberedPadFile(const QString &path);

// One line per cut field: "NAME was cut to WIDTH characters".
QString cutFieldsMessage(const QStringList &fields, const TSoftwareTable &table);

// The start-up refill: rebuilds the record from the remembered PAD file when
// there is one. Throws when the file cannot be read (the record is untouched)
// or the table is closed.
void refillFromRememberedPad(TSoftwareTable &table);

} // namespace software
