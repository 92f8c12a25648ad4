#include "padimport.h"

#include "softwaretable.h"

#include "base/error.h"
#include "platform/systemsettings.h"
#include "platform/utf16text.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>
#include <QStringDecoder>

#include <cstring>

namespace software {

namespace {

// A PAD file is a few kilobytes; this only keeps a wrong choice (a disk image,
// say) from exhausting memory.
const qint64 kMaxPadFileSize = 256LL * 1024 * 1024;

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; the five bytes that
// code page leaves undefined map to the C1 controls of the same value.
const char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString fromWindows1252(const QByteArray &bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *d = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uchar b = uchar(bytes.at(i));
        d[i] = (b >= 0x80 && b < 0xA0) ? QChar(kCp1252High[b - 0x80]) : QChar(b);
    }
    return out;
}

// The encoding named by an XML declaration at the start of the bytes.
QByteArray declaredEncoding(const QByteArray &bytes)
{
    qsizetype end = bytes.indexOf("?>");
    if (end < 0 || end > 512)
        return {};
    const QString head = QString::fromLatin1(bytes.left(end));
    static const QRegularExpression decl(
        QStringLiteral("^(?:\\xEF\\xBB\\xBF)?\\s*<\\?xml\\s[^>]*\\bencoding\\s*=\\s*[\"']([A-Za-z0-9._:-]+)[\"']"));
    const auto m = decl.match(head);
    return m.hasMatch() ? m.captured(1).toLatin1() : QByteArray();
}

QString decode(const QByteArray &bytes)
{
    {
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
        QString text = utf8(bytes);
        if (!utf8.hasError())
            return text;
    }
    const QByteArray name = declaredEncoding(bytes);
    // A declaration of a Unicode encoding is not believed: the bytes have just
    // shown they are not UTF-8, and a 16- or 32-bit text was cut at its first
    // zero byte. Such files, and undeclared ones, are taken as Windows-1252,
    // the code page PAD files written on Windows use.
    if (!name.isEmpty() && !name.toUpper().startsWith("UTF") && !name.toUpper().startsWith("UCS")) {
        QStringDecoder named(name.constData(), QStringConverter::Flag::ConvertInitialBom);
        if (named.isValid())
            return named(bytes);
    }
    return fromWindows1252(bytes);
}

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

// Returns the fields whose values were longer than the field and were cut.
QStringList fillFromPadText(TSoftwareTable &table, const QString &padText)
{
    const int count = table.fieldCount();
    for (int i = 0; i < count; ++i)
        table.setFieldText(i, QString());
    QStringList cut;
    for (int i = 0; i < count; ++i) {
        const QString value = getvaluefromxml(padText, table.fieldName(i));
        table.setFieldText(i, value);
        if (table.fieldText(i).size() < value.size())
            cut << table.fieldName(i);
    }
    return cut;
}

} // namespace

QString getvaluefromxml(const QString &padText, const QString &tag)
{
    const QString open = QLatin1Char('<') + tag + QLatin1Char('>');
    const QString close = QLatin1String("</") + tag + QLatin1Char('>');
    const qsizetype p = padText.indexOf(open);
    if (p < 0)
        return QString();
    const qsizetype q = padText.indexOf(close);
    const qsizetype start = p + open.size();
    if (q < 0 || q <= start)
        return QString();
    const QStringView raw = QStringView(padText).mid(start, q - start);

    static const QString amp = QStringLiteral("&amp;");
    QString value;
    value.reserve(raw.size());
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = raw.indexOf(amp, from, Qt::CaseInsensitive);
        if (at < 0)
            break;
        value.append(raw.mid(from, at - from));
        value.append(QLatin1Char('&'));
        from = at + amp.size();
    }
    value.append(raw.mid(from));
    return value;
}

QString padTextFromBytes(const QByteArray &bytes)
{
    const qsizetype zero = bytes.indexOf('\0');
    return joinLinesWithCrLf(decode(zero < 0 ? bytes : bytes.left(zero)));
}

QString decodePlainText(const QByteArray &bytes)
{
    auto utf16 = [&bytes](QStringConverter::Encoding e) { return platform::decodeUtf16(bytes.mid(2), e); };
    QString text;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        text = QString::fromUtf8(bytes.mid(3));
    } else if (bytes.startsWith("\xFF\xFE")) {
        text = utf16(QStringConverter::Utf16LE);
    } else if (bytes.startsWith("\xFE\xFF")) {
        text = utf16(QStringConverter::Utf16BE);
    } else {
        QStringDecoder utf8(QStringConverter::Utf8);
        text = utf8(bytes);
        if (utf8.hasError())
            text = fromWindows1252(bytes);
    }
    return text;
}

QString plainTextFromBytes(const QByteArray &bytes) { return joinLinesWithCrLf(decodePlainText(bytes)); }

QString readPadText(const QString &path)
{
    const QFileInfo info(path);
    const QString shown = info.absoluteFilePath();
    if (info.isDir())
        throw base::Error(QStringLiteral("Cannot open file %1: it is a folder").arg(shown));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw base::Error(QStringLiteral("Cannot open file %1: %2").arg(shown, f.errorString()));
    if (f.size() > kMaxPadFileSize)
        throw base::Error(QStringLiteral("File %1 is too large for a PAD file").arg(shown));
    // Read in blocks so that reading stops at the first zero byte without
    // taking in the rest of a 16-bit or binary file.
    QByteArray bytes;
    char block[64 * 1024];
    for (;;) {
        const qint64 got = f.read(block, sizeof block);
        if (got < 0)
            throw base::Error(QStringLiteral("Cannot read file %1: %2").arg(shown, f.errorString()));
        if (got == 0)
            break;
        const void *zero = memchr(block, 0, size_t(got));
        if (zero) {
            bytes.append(block, static_cast<const char *>(zero) - block);
            break;
        }
        if (bytes.size() + got > kMaxPadFileSize)
            throw base::Error(QStringLiteral("File %1 is too large for a PAD file").arg(shown));
        bytes.append(block, got);
    }
    return padTextFromBytes(bytes);
}

QString rememberedPadFile() { return platform::systemValue(QStringLiteral("xmlfile")); }

void setRememberedPadFile(const QString &path) { platform::setSystemValue(QStringLiteral("xmlfile"), path); }

QStringList importPadFile(TSoftwareTable &table, const QString &path)
{
    setRememberedPadFile(path);
    table.Edit();
    const QString padText = readPadText(path);
    const QStringList cut = fillFromPadText(table, padText);
    table.Post();
    return cut;
}

QString cutFieldsMessage(const QStringList &fields, const TSoftwareTable &table)
{
    QStringList lines;
    for (const QString &f : fields)
        lines << QStringLiteral("%1 was cut to %2 characters")
                     .arg(f, QString::number(table.fieldWidth(table.indexOf(f))));
    return lines.join(QLatin1Char('\n'));
}

void refillFromRememberedPad(TSoftwareTable &table)
{
    const QString path = rememberedPadFile();
    if (path.isEmpty())
        return;
    const QString padText = readPadText(path);
    table.Edit();
    fillFromPadText(table, padText);
    table.Post();
}

} // namespace software
