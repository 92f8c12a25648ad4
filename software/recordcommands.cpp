#include "recordcommands.h"

#include "padimport.h"
#include "softwaretable.h"
#include "startupload.h"

#include "base/error.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>

namespace {

const char *const kImport = "--import-pad";
const char *const kShow = "--show-record";

void say(const QString &text)
{
    const QByteArray bytes = QStringLiteral("doduvodaz: %1\n").arg(text).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

void appendJsonString(QByteArray &out, const QString &s)
{
    out += '"';
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t c = s.at(i).unicode();
        switch (c) {
        case u'"': out += "\\\""; break;
        case u'\\': out += "\\\\"; break;
        case u'\n': out += "\\n"; break;
        case u'\r': out += "\\r"; break;
        case u'\t': out += "\\t"; break;
        case u'\b': out += "\\b"; break;
        case u'\f': out += "\\f"; break;
        default:
            if (c < 0x20 || (QChar::isSurrogate(c) && !(QChar::isHighSurrogate(c) && i + 1 < s.size() &&
                                                         QChar::isLowSurrogate(s.at(i + 1).unicode())))) {
                // Control characters and unpaired surrogates as escapes.
                out += "\\u" + QByteArray::number(c, 16).rightJustified(4, '0');
            } else if (QChar::isHighSurrogate(c)) {
                out += QStringView(s).mid(i, 2).toUtf8();
                ++i;
            } else {
                out += QStringView(s).mid(i, 1).toUtf8();
            }
        }
    }
    out += '"';
}

int importPad(const QString &file)
{
    // Remembered as a full path, so that a later start from another folder
    // still finds it.
    const QString path = QFileInfo(file).absoluteFilePath();
    TSoftwareTable table;
    QString loadError;
    try {
        table.LoadFromFile(TSoftwareTable::dataFile());
    } catch (const dodu::Error &e) {
        loadError = e.text();
    }
    QStringList cut;
    try {
        cut = importPadFile(table, path);
    } catch (const dodu::Error &e) {
        if (!table.isOpen())
            say(QStringLiteral("cannot import %1: the software table is closed: %2").arg(file, loadError));
        else
            say(QStringLiteral("cannot import %1: %2").arg(file, e.text()));
        return 1;
    }
    try {
        table.SaveToFile(TSoftwareTable::dataFile());
    } catch (const dodu::Error &e) {
        say(QStringLiteral("cannot save the record: %1").arg(e.text()));
        return 1;
    }
    for (const QString &line : cutFieldsMessage(cut, table).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        say(QStringLiteral("%1: %2").arg(file, line));
    return 0;
}

int showRecord()
{
    TSoftwareTable table;
    QString loadError;
    loadRecordAtStartup(table, &loadError);
    const QByteArray json = recordAsJson(table) + '\n';
    std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
    std::fflush(stdout);
    if (!table.isOpen()) {
        say(QStringLiteral("the software table is closed: %1").arg(loadError));
        return 1;
    }
    return 0;
}

} // namespace

bool isRecordCommand(const QStringList &args)
{
    return args.contains(QLatin1String(kImport)) || args.contains(QLatin1String(kShow));
}

QByteArray recordAsJson(const TSoftwareTable &table)
{
    if (!table.isOpen())
        return "{}";
    QByteArray out = "{";
    for (int i = 0; i < table.fieldCount(); ++i) {
        if (i)
            out += ',';
        out += "\n  ";
        appendJsonString(out, table.fieldName(i));
        out += ": ";
        appendJsonString(out, table.fieldText(i));
    }
    out += table.fieldCount() ? "\n}" : "}";
    return out;
}

int runRecordCommand(int argc, char **argv, const QStringList &args)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("doduvodaz"));
    try {
        if (args.size() == 2 && args.at(0) == QLatin1String(kImport))
            return importPad(args.at(1));
        if (args.size() == 1 && args.at(0) == QLatin1String(kShow))
            return showRecord();
    } catch (const std::exception &e) {
        say(QString::fromLocal8Bit(e.what()));
        return 1;
    }
    say(QStringLiteral("usage: doduvodaz --import-pad FILE | doduvodaz --show-record"));
    return 64;
}
