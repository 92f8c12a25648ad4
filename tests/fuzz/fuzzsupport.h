#pragma once
// Shared by the fuzz targets: a private scratch folder for the readers that
// take a file name, and a check that stops the run when a reader breaks one of
// its promises (libFuzzer saves the input as a crash).
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#define FUZZ_CHECK(cond)                                                                                               \
    do {                                                                                                               \
        if (!(cond)) {                                                                                                 \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond);                              \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (0)

namespace fuzz {

// A folder of this process, in memory when /dev/shm is usable, removed at exit.
inline const QString &scratchDir()
{
    static const QString dir = [] {
        QByteArray base = ::access("/dev/shm", W_OK) == 0 ? QByteArray("/dev/shm") : QDir::tempPath().toLocal8Bit();
        QByteArray pattern = base + "/dodu-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        static QByteArray made = pattern;
        std::atexit([] { QDir(QString::fromLocal8Bit(made)).removeRecursively(); });
        return QString::fromLocal8Bit(pattern);
    }();
    return dir;
}

inline QString scratchPath(const QString &name) { return scratchDir() + QLatin1Char('/') + name; }

// Writes bytes to the scratch file name (replacing it) and returns its path.
inline QString writeScratchFile(const QString &name, const QByteArray &bytes)
{
    const QString path = scratchPath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::abort();
    }
    return path;
}

inline QByteArray input(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// Every line break of text is CR LF and text ends with one (or is empty).
inline bool crLfLines(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'\r' && (i + 1 >= text.size() || text.at(i + 1) != u'\n'))
            return false;
        if (text.at(i) == u'\n' && (i == 0 || text.at(i - 1) != u'\r'))
            return false;
    }
    return text.isEmpty() || text.endsWith(QLatin1String("\r\n"));
}

// Whether text is valid UTF-16: every surrogate is half of a pair. Text read
// from a file must be, or it cannot be written anywhere unchanged.
inline bool validUtf16(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return false;
    }
    return true;
}

} // namespace fuzz
