#include "csvcell.h"

namespace campaign {

QString csvSafeText(const QString &text)
{
    if (text.isEmpty())
        return text;
    switch (text.front().unicode()) {
    case '=':
    case '+':
    case '-':
    case '@':
    case '\t':
    case '\r': return QLatin1Char('\'') + text;
    default: return text;
    }
}

QByteArray csvCell(const QString &text)
{
    QByteArray bytes = csvSafeText(text).toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') || bytes.contains('\r')) {
        bytes.replace("\"", "\"\"");
        bytes = '"' + bytes + '"';
    }
    return bytes;
}

QByteArray csvLine(const QStringList &cells)
{
    QByteArray out;
    for (int i = 0; i < cells.size(); ++i) {
        if (i)
            out += ',';
        out += csvCell(cells[i]);
    }
    out += "\r\n";
    return out;
}

} // namespace campaign
