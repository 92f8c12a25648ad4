#pragma once
// How the program brings up the software record at start: the data file
// softdata.xml from the current directory, then the refill from the PAD file
// imported last. Errors end each step silently, leaving the table as it is.
#include <QString>

class TSoftwareTable;

// loadError, when given, receives the reason the data file could not be
// loaded (the table then stays closed), or the empty text.
void loadRecordAtStartup(TSoftwareTable &table, QString *loadError = nullptr);
