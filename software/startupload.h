#pragma once
// How the program brings up the software record at start: the data file
// softdata.xml from the current directory, then the refill from the PAD file
// imported last. An error ends its step, leaving the table as it is; the
// caller is told what went wrong so that it can say so.
#include <QString>
#include <QStringList>

namespace software {

class TSoftwareTable;

// loadError, when given, receives the reason the data file could not be
// loaded (the table then stays closed), or the empty text.
// refillError, when given, receives why the remembered PAD file could not
// refill the record, or the empty text.
void loadRecordAtStartup(TSoftwareTable &table, QString *loadError = nullptr, QString *refillError = nullptr);

// The same, with what went wrong as messages for the user (none when all
// went well).
QStringList loadRecordWithProblems(TSoftwareTable &table);

} // namespace software
