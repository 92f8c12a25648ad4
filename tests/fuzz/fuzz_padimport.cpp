// A PAD file imported into the record: read, decoded, every field taken from
// it. Also the licence text reader, which takes files of the same origin.
#include "fuzzsupport.h"

#include "base/error.h"
#include "platform/systemsettings.h"
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

    const QString padText = software::padTextFromBytes(bytes);
    FUZZ_CHECK(fuzz::crLfLines(padText));
    FUZZ_CHECK(!padText.contains(QChar(0)));
    FUZZ_CHECK(fuzz::validUtf16(padText));

    software::TSoftwareTable table;
    table.open(software::TSoftwareTable::standardFields(), {});
    software::refillFromRememberedPad(table);
    FUZZ_CHECK(table.state() == software::TSoftwareTable::Browse && table.rowCount() == 1);
    // Every field holds what fits of its value, never half a character.
    for (int i = 0; i < table.fieldCount(); ++i) {
        const QString held = table.fieldText(i);
        FUZZ_CHECK(held.size() <= table.fieldWidth(i));
        FUZZ_CHECK(fuzz::validUtf16(held));
    }

    const QString plain = software::plainTextFromBytes(bytes);
    FUZZ_CHECK(fuzz::crLfLines(plain));
    FUZZ_CHECK(fuzz::validUtf16(plain));
    return 0;
}
