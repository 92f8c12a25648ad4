#include "sitedirectory.h"

#include "platform/atomicfile.h"

#include <QFile>
#include <QStringDecoder>

namespace sites {

QString directoryFileName() { return QStringLiteral("padsites.dat"); }

QStringList splitDirectoryLines(QStringView text)
{
    QStringList lines;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && text[i] != QChar(0)) {
        const qsizetype start = i;
        while (i < n && text[i] != QChar(0) && text[i] != u'\r' && text[i] != u'\n')
            ++i;
        lines.append(text.mid(start, i - start).toString());
        if (i < n && text[i] == u'\r')
            ++i;
        if (i < n && text[i] == u'\n')
            ++i;
    }
    return lines;
}

QStringList decodeDirectoryLines(const QByteArray &bytes)
{
    QByteArrayView data(bytes);
    if (data.startsWith("\xEF\xBB\xBF"))
        data = data.sliced(3);
    // Splitting the byte-for-byte text finds the same line ends as splitting
    // the bytes: CR, LF and NUL never occur inside a UTF-8 sequence.
    QStringList lines = splitDirectoryLines(QString::fromLatin1(data));
    for (QString &line : lines) {
        bool plain = true;
        for (QChar c : std::as_const(line)) {
            if (c.unicode() >= 0x80) {
                plain = false;
                break;
            }
        }
        if (plain)
            continue;
        const QByteArray raw = line.toLatin1();
        // A mark at the start of a later line is a character of that line.
        QStringDecoder utf8(QStringDecoder::Utf8,
                            QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        const QString decoded = utf8(raw);
        if (!utf8.hasError())
            line = decoded;
    }
    return lines;
}

std::optional<QStringList> readDirectoryLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return decodeDirectoryLines(bytes);
}

QList<TSiteEntry> siteEntriesFromLines(const QStringList &lines)
{
    QList<TSiteEntry> entries;
    const qsizetype count = lines.size();
    if (count < 4)
        return entries;
    const qsizetype sites = (count - 4) / 3 + 1;
    entries.reserve(sites);
    for (qsizetype k = 0; k < sites; ++k) {
        TSiteEntry e;
        e.Name = lines[3 * k + 1].mid(1);
        e.NewReleaseURL = lines[3 * k + 2];
        e.UpdateURL = lines[3 * k + 3];
        entries.append(e);
    }
    return entries;
}

QList<TSiteEntry> loadSiteEntries(const QString &path)
{
    const auto lines = readDirectoryLines(path);
    return lines ? siteEntriesFromLines(*lines) : QList<TSiteEntry>();
}

QString siteDisplayName(const QString &name)
{
    QString shown = name;
    shown.replace(QLatin1String("(bad)"), QString(), Qt::CaseSensitive);
    shown.replace(QLatin1String("(pop)"), QString(), Qt::CaseSensitive);
    qsizetype begin = 0;
    qsizetype end = shown.size();
    while (begin < end && shown[begin].unicode() <= 32)
        ++begin;
    while (end > begin && shown[end - 1].unicode() <= 32)
        --end;
    return shown.mid(begin, end - begin);
}

std::optional<int> parseDirectoryVersion(const QString &line)
{
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (i < n && line[i] == u' ')
        ++i;
    bool negative = false;
    if (i < n && (line[i] == u'+' || line[i] == u'-')) {
        negative = line[i] == u'-';
        ++i;
    }
    if (i == n)
        return std::nullopt;
    qint64 value = 0;
    for (; i < n; ++i) {
        const char16_t c = line[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value > qint64(std::numeric_limits<int>::max()) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min())
        return std::nullopt;
    return int(value);
}

bool writeDirectoryFile(const QString &path, const QStringList &lines)
{
    QString text;
    // The reader drops a mark that starts the file; a first line that starts
    // with one keeps it behind a mark of its own.
    if (!lines.isEmpty() && lines.first().startsWith(QChar(0xFEFF)))
        text += QChar(0xFEFF);
    for (const QString &line : lines) {
        text += line;
        text += QLatin1String("\r\n");
    }
    return platform::writeFileAtomically(path, text.toUtf8());
}

} // namespace sites
