#pragma once
// How the program brings up the software record at start: the data file
// softdata.xml from the current directory, then the refill from the PAD file
// imported last. Errors end the load silently, leaving the table as it is.
class TSoftwareTable;

void loadRecordAtStartup(TSoftwareTable &table);
