// padsites.dat, as delivered and as downloaded by the update.
#include "fuzzsupport.h"

#include "sites/sitedirectory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::input(data, size);
    const QString path = fuzz::writeScratchFile(QStringLiteral("padsites.dat"), bytes);

    const QStringList lines = sites::decodeDirectoryLines(bytes);
    for (const QString &line : lines) {
        FUZZ_CHECK(!line.contains(u'\r') && !line.contains(u'\n') && !line.contains(QChar(0)));
        FUZZ_CHECK(fuzz::validUtf16(line));
    }
    const auto read = sites::readDirectoryLines(path);
    FUZZ_CHECK(read && *read == lines);

    const QList<sites::TSiteEntry> entries = sites::siteEntriesFromLines(lines);
    FUZZ_CHECK(entries.size() == (lines.size() < 4 ? 0 : (lines.size() - 1) / 3));
    for (const sites::TSiteEntry &e : entries) {
        const QString shown = sites::siteDisplayName(e.Name);
        FUZZ_CHECK(shown.isEmpty() || (shown.front().unicode() > 32 && shown.back().unicode() > 32));
    }
    FUZZ_CHECK(sites::loadSiteEntries(path).size() == entries.size());
    if (!lines.isEmpty()) {
        const auto version = sites::parseDirectoryVersion(lines.first());
        if (version)
            FUZZ_CHECK(sites::parseDirectoryVersion(QString::number(*version)) == version);
    }

    // The update writes the lines it took from the server; they read back the
    // same.
    const QString copy = fuzz::scratchPath(QStringLiteral("copy.dat"));
    FUZZ_CHECK(sites::writeDirectoryFile(copy, lines));
    const auto back = sites::readDirectoryLines(copy);
    FUZZ_CHECK(back && *back == lines);
    return 0;
}
