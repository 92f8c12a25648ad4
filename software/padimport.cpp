#include "padimport.h"

#include "softwaretable.h"

#include "base/error.h"
#include "platform/systemsettings.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace software {

namespace {

// A PAD file is a few kilobytes; this only keeps a wrong choice (a disk image,
// say) from exhausting memory.
const qint64 kMaxPadFileSize = 256LL * 1024 * 1024;

const QString kFileKey = QStringLiteral("xmlfile");
const QString kLanguageKey = QStringLiteral("xmllanguage");

QString joinLinesWithCrLf(const QString &text)
{
    QString out;
    out.reserve(text.size() + text.size() / 32 + 2);
    const QChar *p = text.constData();
    const qsizetype n = text.size();
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i].unicode();
        if (c != u'\r' && c != u'\n')
            continue;
        out.append(p + lineStart, i - lineStart);
        out.append(QLatin1String("\r\n"));
        if (c == u'\r' && i + 1 < n && p[i + 1] == u'\n')
            ++i;
        lineStart = i + 1;
    }
    if (lineStart < n) {
        out.append(p + lineStart, n - lineStart);
        out.append(QLatin1String("\r\n"));
    }
    return out;
}

void requireOpen(const TSoftwareTable &table)
{
    if (!table.isOpen())
        throw base::Error(table.objectName() + QStringLiteral(": ") +
                          QObject::tr("Cannot perform this operation on a closed dataset"));
}

QStringList fieldNamesOf(const TSoftwareTable &table)
{
    QStringList names;
    for (int i = 0; i < table.fieldCount(); ++i)
        names << table.fieldName(i);
    return names;
}

} // namespace

QString padTextFromBytes(const QByteArray &bytes, QString *refusedEncoding)
{
    return joinLinesWithCrLf(decodeXmlBytes(bytes, refusedEncoding));
}

QString plainTextFromBytes(const QByteArray &bytes) { return joinLinesWithCrLf(decodePlainText(bytes)); }

QString readPadText(const QString &path)
{
    const QFileInfo info(path);
    const QString shown = info.absoluteFilePath();
    if (info.isDir())
        throw base::Error(QObject::tr("Cannot open file %1: it is a folder").arg(shown));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw base::Error(QObject::tr("Cannot open file %1: %2").arg(shown, f.errorString()));
    if (f.size() > kMaxPadFileSize)
        throw base::Error(QObject::tr("File %1 is too large for a PAD file").arg(shown));
    // Read in blocks: asking for the limit at once would reserve all of it.
    QByteArray bytes;
    bytes.reserve(f.size());
    char block[64 * 1024];
    for (;;) {
        const qint64 got = f.read(block, sizeof block);
        if (got < 0)
            throw base::Error(QObject::tr("Cannot read file %1: %2").arg(shown, f.errorString()));
        if (got == 0)
            break;
        if (bytes.size() + got > kMaxPadFileSize)
            throw base::Error(QObject::tr("File %1 is too large for a PAD file").arg(shown));
        bytes.append(block, got);
    }
    QString refused;
    QString text = padTextFromBytes(bytes, &refused);
    if (!refused.isEmpty())
        throw base::Error(
            QObject::tr("Cannot read file %1: its encoding %2 is not one this program can read").arg(shown, refused));
    return text;
}

PadFile readPadFile(const QString &path, const QStringList &fieldNames, const QString &language)
{
    PadFile pad;
    pad.path = path;
    pad.text = readPadText(path);
    if (!hasAnyPadElement(pad.text, fieldNames))
        throw base::Error(QObject::tr("%1 is not a PAD file").arg(QFileInfo(path).absoluteFilePath()));
    pad.languages = padLanguages(pad.text);
    if (!language.isEmpty()) {
        for (const QString &l : std::as_const(pad.languages))
            if (l.compare(language, Qt::CaseInsensitive) == 0)
                pad.language = l;
        if (pad.language.isEmpty())
            throw base::Error(
                QObject::tr("%1 has no descriptions in %2 (it has: %3)")
                    .arg(QFileInfo(path).absoluteFilePath(), language,
                         pad.languages.isEmpty() ? QObject::tr("none") : pad.languages.join(QStringLiteral(", "))));
    }
    return pad;
}

QStringList fillFromPadFile(TSoftwareTable &table, const PadFile &pad)
{
    requireOpen(table);
    const QStringList values = padValues(pad.text, fieldNamesOf(table), pad.language);
    table.Edit();
    const int count = table.fieldCount();
    for (int i = 0; i < count; ++i)
        table.setFieldText(i, QString());
    QStringList cut;
    for (int i = 0; i < count; ++i) {
        table.setFieldText(i, values.at(i));
        if (table.fieldText(i).size() < values.at(i).size())
            cut << table.fieldName(i);
    }
    table.Post();
    return cut;
}

QStringList importPadFile(TSoftwareTable &table, const QString &path, const QString &language)
{
    requireOpen(table);
    const PadFile pad = readPadFile(path, fieldNamesOf(table), language);
    setRememberedPadFile(path, pad.language);
    return fillFromPadFile(table, pad);
}

QString rememberedPadFile() { return platform::systemValue(kFileKey); }

QString rememberedPadLanguage() { return platform::systemValue(kLanguageKey); }

void setRememberedPadFile(const QString &path, const QString &language)
{
    platform::setSystemValues({{kFileKey, path}, {kLanguageKey, language}});
}

QString cutFieldsMessage(const QStringList &fields, const TSoftwareTable &table)
{
    QStringList lines;
    for (const QString &f : fields)
        lines << QObject::tr("%1 was cut to %2 characters").arg(f, QString::number(table.fieldWidth(table.indexOf(f))));
    return lines.join(QLatin1Char('\n'));
}

void refillFromRememberedPad(TSoftwareTable &table)
{
    const QString path = rememberedPadFile();
    if (path.isEmpty())
        return;
    requireOpen(table);
    PadFile pad = readPadFile(path, fieldNamesOf(table));
    const QString language = rememberedPadLanguage();
    for (const QString &l : std::as_const(pad.languages))
        if (l.compare(language, Qt::CaseInsensitive) == 0)
            pad.language = l;
    fillFromPadFile(table, pad);
}

} // namespace software
