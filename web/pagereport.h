#pragma once
// What the form controls of a page and of its frames (one level) hold now, as
// JSON Lines: {"frame":-1,"tag":...,"type":...,"name":...,"value":...,
// "checked":...,"clicked":...}, and {"frame":i,"refused":true} for a frame
// whose document cannot be read. With withField each control line ends with
// "text", a <button>'s own text ("" for the others), and "field": the record
// field the last smart fill used for it, "" when it left the control alone.
#include <QStringList>
#include <QWebEnginePage>

namespace web {

QStringList controlReport(QWebEnginePage *page, bool withField = false);

} // namespace web
