#pragma once
// The site directory file padsites.dat: line 0 holds the directory's version,
// then every complete group of three lines is one site (a name line whose first
// character is a prefix that is never shown, the new-release address, the
// update address). Lines end with CR LF, LF or CR; a NUL ends the text.
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace sites {

struct TSiteEntry {
    QString Name;          // name line without its prefix character, markers kept
    QString NewReleaseURL; // exactly as written
    QString UpdateURL;     // exactly as written
};

// The bare name the program reads and the update replaces.
QString directoryFileName();

// Splits text into lines: CR LF, LF and CR each end a line, a final line needs
// no line end (so a trailing line end adds no empty line), and a NUL ends the
// text.
QStringList splitDirectoryLines(QStringView text);

// Decodes the file's bytes into lines. Each line is taken as UTF-8 when it is
// valid UTF-8 and byte for byte (Latin-1) otherwise, so that no byte is lost or
// replaced. A UTF-8 byte order mark at the start is dropped.
QStringList decodeDirectoryLines(const QByteArray &bytes);

// Reads a directory file into lines; nullopt when it is missing or unreadable.
std::optional<QStringList> readDirectoryLines(const QString &path);

// The entries that the lines describe, in file order, as many as the lines
// hold.
QList<TSiteEntry> siteEntriesFromLines(const QStringList &lines);

// The entries of a directory file; none when it is missing or unreadable.
QList<TSiteEntry> loadSiteEntries(const QString &path);

// The name as listed: every "(bad)" removed, then every "(pop)" removed from
// what is left (exact case, one pass each), then stripped of leading and
// trailing characters with codes 0 to 32.
QString siteDisplayName(const QString &name);

// A version line as a number: optional blanks, an optional sign, then decimal
// digits and nothing after them; nullopt for anything else or out of range.
std::optional<int> parseDirectoryVersion(const QString &line);

// Replaces the file with the lines, each followed by CR LF, encoded as UTF-8
// (behind a byte order mark when the first line starts with U+FEFF, so that
// the file reads back as the same lines).
// The file is replaced as a whole or not at all: on failure the old file stays
// as it was and false is returned.
bool writeDirectoryFile(const QString &path, const QStringList &lines);

} // namespace sites
