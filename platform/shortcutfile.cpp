#include "shortcutfile.h"

#include "base/error.h"

#include <QCoreApplication>
#include <QFile>
#include "atomicfile.h"
#include "utf16text.h"
#include <QStringDecoder>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// A shortcut file is a few lines; anything beyond this is not looked at.
constexpr qint64 MaxShortcutFileSize = 1024 * 1024;

const QString ShortcutSection = QStringLiteral("InternetShortcut");
const QString UrlKey = QStringLiteral("URL");

// The file's text, or a null string when it is binary. Text in UTF-16 must
// carry its byte-order mark; everything else is read as UTF-8.
QString decodeShortcutText(const QByteArray &bytes)
{
    const auto bomEncoding = QStringConverter::encodingForData(bytes);
    if (bomEncoding && (*bomEncoding == QStringConverter::Utf16LE || *bomEncoding == QStringConverter::Utf16BE)) {
        const QString text = decodeUtf16(bytes.mid(2), *bomEncoding);
        return text.contains(QChar(0)) ? QString() : text;
    }
    if (bytes.contains('\0'))
        return QString();
    QStringDecoder decoder(QStringConverter::Utf8);
    QString text = decoder(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text.isNull() ? QString(QLatin1String("")) : text;
}

QString unquoted(const QString &value)
{
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == u'"' || first == u'\'') && value.back() == first)
            return value.mid(1, value.size() - 2);
    }
    return value;
}

// The value of key in the first section named section, as the profile
// functions find it: names without regard to case, first key wins.
QString profileValue(const QString &text, const QString &section, const QString &key)
{
    bool inSection = false;
    bool sectionSeen = false;
    qsizetype pos = 0;
    while (pos < text.size()) {
        qsizetype end = pos;
        while (end < text.size() && text[end] != u'\n' && text[end] != u'\r')
            ++end;
        const QString line = text.mid(pos, end - pos).trimmed();
        pos = end;
        if (pos < text.size() && text[pos] == u'\r')
            ++pos;
        if (pos < text.size() && text[pos] == u'\n')
            ++pos;

        if (line.startsWith(u'[')) {
            if (inSection)
                return QString(); // only the first section of that name counts
            qsizetype close = line.indexOf(u']');
            const QString name = line.mid(1, close < 0 ? -1 : close - 1).trimmed();
            inSection = !sectionSeen && name.compare(section, Qt::CaseInsensitive) == 0;
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        if (!inSection)
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        if (line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return unquoted(line.mid(eq + 1).trimmed());
    }
    return QString();
}

} // namespace

QString ReadShortcutURL(const QString &fileName)
{
    // A longer name would be cut and could name another file; take nothing.
    if (fileName.isEmpty() || fileName.size() > MaxShortcutNameLength)
        return QString();
    // Only a regular file is a shortcut. Opening without waiting and checking
    // the opened file (not the name, which could change in between) keeps a
    // FIFO or device from blocking the caller.
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return QString();
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return QString();
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return QString();
    }
    // No buffer larger than the file (and one byte to see it grow past the
    // limit): a shortcut is a few lines.
    QByteArray bytes = file.read(qMin<qint64>(info.st_size, MaxShortcutFileSize) + 1);
    if (bytes.size() > MaxShortcutFileSize) {
        // Keep whole lines only, so that no address is taken cut.
        bytes.truncate(MaxShortcutFileSize);
        const qsizetype lastBreak = std::max(bytes.lastIndexOf('\n'), bytes.lastIndexOf('\r'));
        bytes.truncate(lastBreak < 0 ? 0 : lastBreak);
    }
    const QString text = decodeShortcutText(bytes);
    if (text.isNull())
        return QString();
    return profileValue(text, ShortcutSection, UrlKey);
}

void writeShortcutFile(const QString &fileName, const QString &url)
{
    QString address = url;
    address.remove(u'\r');
    address.remove(u'\n');
    const QString text = QStringLiteral("[InternetShortcut]\r\nURL=") + address + QStringLiteral("\r\n");
    if (writeFileAtomically(fileName, text.toUtf8()))
        return;
    throw base::Error(QCoreApplication::translate("platform", "Cannot create file %1").arg(fileName));
}

} // namespace platform
