#pragma once
// One cell of a CSV file meant for spreadsheets. Text that comes from
// elsewhere (a page title, a site's name) could start a formula: a cell
// starting with '=', '+', '-', '@', a tab or a carriage return gets a leading
// apostrophe, so that spreadsheets show it as text. A cell holding a comma,
// a quote or a line end is quoted, its quotes doubled.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace campaign {

// The text with the apostrophe in front when it could be read as a formula.
QString csvSafeText(const QString &text);

// The cell as written: made safe, then quoted when needed, as UTF-8.
QByteArray csvCell(const QString &text);

// A whole line of cells, ended by CR LF.
QByteArray csvLine(const QStringList &cells);

} // namespace campaign
