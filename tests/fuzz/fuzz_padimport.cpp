// A PAD file imported into the record: read, decoded, every field taken from
// it. Also the licence text reader, which takes files of the same origin.
#include "fuzzsupport.h"

#include "base/error.h"
#include "platform/systemsettings.h"
#include "software/padexport.h"
#include "software/padimport.h"
#include "software/softwaretable.h"

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The import remembers the file; keep that away from the user's settings.
    ::setenv("DODUVODAZ_SYSTEM_SETTINGS", qPrintable(fuzz::scratchPath(QStringLiteral("system-settings.json"))), 1);
    // Every input is written to this file and imported from it the way the
    // program does at every start, from the PAD file it remembers; storing
    // the name once keeps the settings file out of each run.
    software::setRememberedPadFile(fuzz::scratchPath(QStringLiteral("pad.xml")));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::input(data, size);
    fuzz::writeScratchFile(QStringLiteral("pad.xml"), bytes);

    QString refused;
    const QString padText = software::padTextFromBytes(bytes, &refused);
    FUZZ_CHECK(refused.isEmpty() || padText.isEmpty());
    FUZZ_CHECK(fuzz::crLfLines(padText));
    FUZZ_CHECK(!padText.contains(QChar(0)));
    FUZZ_CHECK(fuzz::validUtf16(padText));

    for (const QString &language : software::padLanguages(padText))
        FUZZ_CHECK(!language.isEmpty() && fuzz::validUtf16(language));

    software::TSoftwareTable table;
    table.open(software::TSoftwareTable::standardFields(), {});
    try {
        software::refillFromRememberedPad(table);
    } catch (const base::Error &) {
        // Refused (no PAD file, an unreadable encoding): nothing was changed.
        FUZZ_CHECK(table.state() == software::TSoftwareTable::Browse && table.rowCount() == 0);
        return 0;
    }
    FUZZ_CHECK(table.state() == software::TSoftwareTable::Browse && table.rowCount() == 1);
    // Every field holds what fits of its value, never half a character.
    for (int i = 0; i < table.fieldCount(); ++i) {
        const QString held = table.fieldText(i);
        FUZZ_CHECK(held.size() <= table.fieldWidth(i));
        FUZZ_CHECK(fuzz::validUtf16(held));
    }

    // What was imported exports and imports again unchanged, unless it holds
    // characters XML cannot carry (those are written as U+FFFD).
    bool carriable = true;
    for (int i = 0; i < table.fieldCount(); ++i)
        for (QChar c : table.fieldText(i))
            carriable = carriable && (c.unicode() >= 0x20 || c == u'\t' || c == u'\r' || c == u'\n') &&
                c.unicode() != 0xFFFE && c.unicode() != 0xFFFF;
    if (carriable) {
        QStringList names;
        for (int i = 0; i < table.fieldCount(); ++i)
            names << table.fieldName(i);
        const QStringList again = software::padValues(software::padTextFromBytes(software::padFileBytes(table)), names);
        for (int i = 0; i < table.fieldCount(); ++i)
            FUZZ_CHECK(again.at(i) == table.fieldText(i));
    }

    const QString plain = software::plainTextFromBytes(bytes);
    FUZZ_CHECK(fuzz::crLfLines(plain));
    FUZZ_CHECK(fuzz::validUtf16(plain));
    return 0;
}
