// A PAD file chosen for import: decoded, every field taken from it, the
// record filled. Also the licence text reader, which takes a file of the same
// origin.
#include "fuzzsupport.h"

#include "engine/error.h"
#include "software/padimport.h"
#include "software/softwaretable.h"

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The import remembers the file; keep that away from the user's settings.
    ::setenv("DODUVODAZ_SYSTEM_SETTINGS", qPrintable(fuzz::scratchPath(QStringLiteral("system-settings.json"))), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::input(data, size);
    const QString path = fuzz::writeScratchFile(QStringLiteral("pad.xml"), bytes);

    const QString padText = padTextFromBytes(bytes);
    FUZZ_CHECK(fuzz::crLfLines(padText));
    FUZZ_CHECK(!padText.contains(QChar(0)));
    FUZZ_CHECK(fuzz::validUtf16(padText));
    FUZZ_CHECK(readPadText(path) == padText);

    TSoftwareTable table;
    table.open(TSoftwareTable::standardFields(), {});
    const QStringList cut = importPadFile(table, path);
    FUZZ_CHECK(table.state() == TSoftwareTable::Browse && table.rowCount() == 1);
    for (int i = 0; i < table.fieldCount(); ++i) {
        const QString name = table.fieldName(i);
        const QString value = getvaluefromxml(padText, name);
        const QString held = table.fieldText(i);
        FUZZ_CHECK(held.size() <= table.fieldWidth(i));
        FUZZ_CHECK(value.startsWith(held));
        FUZZ_CHECK(cut.contains(name) == (held.size() < value.size()));
    }
    FUZZ_CHECK(cutFieldsMessage(cut, table).count(QLatin1Char('\n')) == qMax<qsizetype>(0, cut.size() - 1));

    const QString plain = plainTextFromBytes(bytes);
    FUZZ_CHECK(fuzz::crLfLines(plain));
    FUZZ_CHECK(fuzz::validUtf16(plain));
    return 0;
}
