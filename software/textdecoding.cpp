#include "textdecoding.h"

#include "platform/utf16text.h"

#include <QRegularExpression>
#include <QStringList>
#include <QStringDecoder>

namespace software {

namespace {

const char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The encoding named by an XML declaration in the text, or "".
QString declaredEncodingIn(QString head)
{
    const qsizetype end = head.indexOf(QLatin1String("?>"));
    if (end < 0 || end > 1024)
        return QString();
    head.truncate(end + 2);
    static const QRegularExpression decl(
        QStringLiteral("^\\s*<\\?xml\\s[^>]*?\\bencoding\\s*=\\s*[\"']([A-Za-z0-9._:+-]+)[\"']"));
    const auto m = decl.match(head);
    return m.hasMatch() ? m.captured(1) : QString();
}

// The declaration is read from the first bytes taken as Latin-1: every
// encoding a declaration can be found in agrees with ASCII there.
QString declaredEncoding(const QByteArray &bytes)
{
    const qsizetype end = bytes.indexOf("?>");
    if (end < 0 || end > 1024)
        return QString();
    return declaredEncodingIn(QString::fromLatin1(bytes.left(end + 2)));
}

QString plainName(const QString &name) { return name.toLower().remove(QLatin1Char('-')).remove(QLatin1Char('_')); }

// Names under which Windows programs write their code page: Latin-1 and
// ASCII declarations come with Windows-1252 bytes (quotes, dashes, the euro
// sign) far more often than with C1 controls.
bool isWindowsLatinName(const QString &name)
{
    static const QStringList names = {"windows1252", "cp1252", "iso88591", "latin1", "l1", "usascii", "ascii"};
    return names.contains(plainName(name));
}

QString decodeWith(QStringConverter::Encoding encoding, const QByteArray &bytes)
{
    QStringDecoder decoder(encoding);
    return decoder(bytes);
}

QString cutAtZero(QString text)
{
    const qsizetype zero = text.indexOf(QChar(0));
    if (zero >= 0)
        text.truncate(zero);
    return text;
}

// Text in an encoding told by a byte-order mark, or by how "<?" is written
// when a declaration in UTF-16 has no mark. Empty optional when neither.
std::optional<QString> byMark(const QByteArray &bytes)
{
    const auto starts = [&bytes](const char *mark, int size) { return bytes.startsWith(QByteArray(mark, size)); };
    if (starts("\x00\x00\xFE\xFF", 4))
        return decodeWith(QStringConverter::Utf32BE, bytes.mid(4));
    if (starts("\xFF\xFE\x00\x00", 4))
        return decodeWith(QStringConverter::Utf32LE, bytes.mid(4));
    if (starts("\xEF\xBB\xBF", 3))
        return decodeWith(QStringConverter::Utf8, bytes.mid(3));
    if (starts("\xFF\xFE", 2))
        return platform::decodeUtf16(bytes.mid(2), QStringConverter::Utf16LE);
    if (starts("\xFE\xFF", 2))
        return platform::decodeUtf16(bytes.mid(2), QStringConverter::Utf16BE);
    if (starts("<\x00?\x00", 4))
        return platform::decodeUtf16(bytes, QStringConverter::Utf16LE);
    if (starts("\x00<\x00?", 4))
        return platform::decodeUtf16(bytes, QStringConverter::Utf16BE);
    return std::nullopt;
}

} // namespace

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

QString decodeXmlBytes(const QByteArray &bytes, QString *refusedEncoding)
{
    if (refusedEncoding)
        refusedEncoding->clear();
    if (const auto marked = byMark(bytes))
        return cutAtZero(platform::withoutLoneSurrogates(*marked));

    const QString name = declaredEncoding(bytes);
    // Bytes that are valid UTF-8 and use its multi-byte sequences are UTF-8
    // whatever the declaration says: text in an 8-bit code page practically
    // never forms such sequences, and PAD generators that declare their
    // code page while writing UTF-8 are common.
    {
        QStringDecoder utf8(QStringConverter::Utf8);
        const QString text = utf8(bytes);
        if (!utf8.hasError() && text.size() < bytes.size())
            return cutAtZero(text);
    }
    if (isWindowsLatinName(name))
        return cutAtZero(fromWindows1252(bytes));
    if (!name.isEmpty() && plainName(name) != QLatin1String("utf8")) {
        const auto known = QStringConverter::encodingForName(name.toLatin1().constData());
        // A 16- or 32-bit encoding cannot hold a declaration readable byte
        // by byte; the declaration is wrong and the bytes decide.
        const bool wide = known && *known != QStringConverter::Utf8 && *known != QStringConverter::Latin1 &&
            *known != QStringConverter::System;
        if (!wide) {
            QStringDecoder decoder(name.toLatin1().constData());
            const QString text = decoder.isValid() ? platform::withoutLoneSurrogates(decoder(bytes)) : QString();
            // An encoding whose decoding loses the declaration is not one
            // this file can be read in.
            if (!decoder.isValid() || declaredEncodingIn(text).compare(name, Qt::CaseInsensitive) != 0) {
                if (refusedEncoding)
                    *refusedEncoding = name;
                return QString();
            }
            return cutAtZero(text);
        }
    }
    QStringDecoder utf8(QStringConverter::Utf8);
    const QString text = utf8(bytes);
    if (!utf8.hasError())
        return cutAtZero(text);
    return cutAtZero(fromWindows1252(bytes));
}

QString decodePlainText(const QByteArray &bytes)
{
    auto utf16 = [&bytes](QStringConverter::Encoding e) { return platform::decodeUtf16(bytes.mid(2), e); };
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE"))
        return utf16(QStringConverter::Utf16LE);
    if (bytes.startsWith("\xFE\xFF"))
        return utf16(QStringConverter::Utf16BE);
    QStringDecoder utf8(QStringConverter::Utf8);
    const QString text = utf8(bytes);
    return utf8.hasError() ? fromWindows1252(bytes) : text;
}

} // namespace software
