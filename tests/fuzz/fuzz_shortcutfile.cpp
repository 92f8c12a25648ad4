// A .url shortcut from the favourites folder or the command line.
#include "fuzzsupport.h"

#include "platform/shortcutfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = fuzz::writeScratchFile(QStringLiteral("s.url"), fuzz::input(data, size));
    const QString url = platform::ReadShortcutURL(path);
    FUZZ_CHECK(!url.contains(u'\r') && !url.contains(u'\n') && !url.contains(QChar(0)));
    FUZZ_CHECK(fuzz::validUtf16(url));
    if (url.isEmpty())
        return 0;

    // "Add to favorities..." writes the address back; it must read the same,
    // unless it has blanks at an end (kept only inside quotes) or looks quoted
    // itself (the quotes would be taken off).
    const bool looksQuoted =
        url.size() >= 2 && (url.front() == u'"' || url.front() == u'\'') && url.back() == url.front();
    const QString copy = fuzz::scratchPath(QStringLiteral("copy.url"));
    platform::writeShortcutFile(copy, url);
    if (!looksQuoted && url == url.trimmed())
        FUZZ_CHECK(platform::ReadShortcutURL(copy) == url);
    return 0;
}
