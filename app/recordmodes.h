#pragma once
// The software record from the command line, without a window:
//
//   doduvodaz --import-pad FILE [--language NAME]
//                                 imports FILE as "Import XML file..." does
//                                 after its dialog (descriptions in NAME, by
//                                 default English), saves softdata.xml as
//                                 "Save All" does, and only then remembers
//                                 FILE (and NAME) as the PAD file imported
//                                 last. A failure leaves softdata.xml and the
//                                 remembered file as they were.
//   doduvodaz --export-pad FILE   loads the record as a start does and writes
//                                 it as the PAD file FILE.
//   doduvodaz --show-record       loads the record as a start does (softdata.xml
//                                 then the remembered PAD file) and prints it
//                                 as one JSON object, fields in table order.
//
// Both work in the working folder (see platform/userfolders.h), print
// messages on standard error and return 0 on success, 1 on failure. They
// need a QCoreApplication.
#include <QByteArray>
#include <QString>

namespace software {
class TSoftwareTable;
}

namespace app {

// path: the PAD file, a full path (remembered and named in messages).
int runImportPad(const QString &path, const QString &language = QString());
int runExportPad(const QString &path);
int runShowRecord();

// The current record as one JSON object, field names as keys in table order,
// values exactly as held; "{}" for a closed table.
QByteArray recordAsJson(const software::TSoftwareTable &table);

} // namespace app
