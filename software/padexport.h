#pragma once
// Writing the record as a PAD file (PAD 3.11, UTF-8) that download sites' PAD
// readers take:
//
//   <XML_DIZ_INFO>
//     <MASTER_PAD_VERSION_INFO> version 3.11, the editor, the PAD note
//     <Company_Info> the company's fields, <Contact_Info>, <Support_Info>
//     <Program_Info> the program's fields, <File_Info>, <Expire_Info>
//     <Program_Descriptions><English> Keywords, Char_Desc_*
//     <Web_Info> <Application_URLs>, <Download_URLs>
//     <Permissions> Distribution_Permissions, EULA
//
// Each field of the record stands in its element; fields of the record that a
// PAD file has no place for follow at the end of <XML_DIZ_INFO>. Importing
// the file gives the same record: line breaks are written as line ends
// (CR LF as one, a lone CR or LF as a character reference), white space at a
// value's ends as character references, and characters XML cannot carry
// (control characters, halves of surrogate pairs) as U+FFFD.
#include <QByteArray>
#include <QString>

namespace software {

class TSoftwareTable;

// The PAD file of the current record. Throws base::Error when the table is
// closed.
QByteArray padFileBytes(const TSoftwareTable &table);

// Writes it to path atomically. Throws base::Error ("Cannot create file
// PATH") when it cannot be written.
void exportPadFile(const TSoftwareTable &table, const QString &path);

} // namespace software
