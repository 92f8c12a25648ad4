// softdata.xml as the program loads it at every start. What loads must save
// and load again to the same table; what fails must leave the table alone.
#include "fuzzsupport.h"

#include "base/error.h"
#include "software/softwaretable.h"

namespace {

QVector<QStringList> rowsOf(const software::TSoftwareTable &t)
{
    // The table shows its current (first) row only; that is what is compared.
    QVector<QStringList> rows;
    QStringList row;
    for (int i = 0; i < t.fieldCount(); ++i)
        row << t.fieldText(i);
    rows << row;
    return rows;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = fuzz::writeScratchFile(QStringLiteral("softdata.xml"), fuzz::input(data, size));

    software::TSoftwareTable table;
    const QVector<software::TFieldDef> before = {{QStringLiteral("Before"), 7}};
    table.open(before, {{QStringLiteral("kept")}});
    try {
        table.LoadFromFile(path);
    } catch (const base::Error &) {
        FUZZ_CHECK(table.state() == software::TSoftwareTable::Browse);
        FUZZ_CHECK(table.fieldCount() == 1 && table.fieldName(0) == QLatin1String("Before"));
        FUZZ_CHECK(table.fieldText(0) == QLatin1String("kept"));
        return 0;
    }
    FUZZ_CHECK(table.state() == software::TSoftwareTable::Browse);
    for (int i = 0; i < table.fieldCount(); ++i) {
        FUZZ_CHECK(!table.fieldName(i).isEmpty());
        FUZZ_CHECK(table.fieldWidth(i) > 0);
        FUZZ_CHECK(table.indexOf(table.fieldName(i)) == i);
        FUZZ_CHECK(table.fieldText(i).size() <= table.fieldWidth(i));
        FUZZ_CHECK(fuzz::validUtf16(table.fieldName(i)) && fuzz::validUtf16(table.fieldText(i)));
    }

    const QString saved = fuzz::scratchPath(QStringLiteral("saved.xml"));
    table.SaveToFile(saved);
    software::TSoftwareTable again;
    again.LoadFromFile(saved);
    FUZZ_CHECK(again.fieldCount() == table.fieldCount());
    FUZZ_CHECK(again.rowCount() == table.rowCount());
    for (int i = 0; i < table.fieldCount(); ++i) {
        FUZZ_CHECK(again.fieldName(i) == table.fieldName(i));
        FUZZ_CHECK(again.fieldWidth(i) == table.fieldWidth(i));
    }
    FUZZ_CHECK(rowsOf(again) == rowsOf(table));

    // An edit of every field on the loaded table, as the editor makes it.
    if (table.fieldCount() > 0) {
        table.Edit();
        for (int i = 0; i < table.fieldCount(); ++i)
            table.setFieldText(i, table.fieldText(i) + QLatin1Char('x'));
        table.Post();
    }
    return 0;
}
