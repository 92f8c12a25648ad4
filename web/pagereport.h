#pragma once
// What the form controls of a page and of its frames (one level) hold now, as
// JSON Lines: {"frame":-1,"tag":...,"type":...,"name":...,"value":...,
// "checked":...,"clicked":...}, and {"frame":i,"refused":true} for a frame
// whose document cannot be read. With withField each control line ends with
// "text", a <button>'s own text ("" for the others), and "field": the record
// field the last smart fill used for it, "" when it left the control alone.
#include <QStringList>
#include <QString>
#include <QVariant>

namespace web {

// The script that lists the controls, to run in the program's world; its
// answer is read by readControlReport.
QString controlReportScript();

// The report's lines from the script's answer.
QStringList readControlReport(const QVariant &answer, bool withField = false);

} // namespace web
