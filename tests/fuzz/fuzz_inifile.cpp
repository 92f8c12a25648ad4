// quillet.ini: read with the profile rules, edited in place, saved and read
// again.
#include "fuzzsupport.h"

#include "platform/inifile.h"

#include <QList>
#include <QPair>

namespace {

// Section names as the file spells them, to ask the reader about.
QStringList sectionNamesIn(const QByteArray &bytes)
{
    QStringList names = {QStringLiteral("PROGRAM"), QStringLiteral("Internet Config"), QStringLiteral("Favorite"),
                         QStringLiteral("MstURL"), QStringLiteral("HotURL")};
    for (const QByteArray &raw : bytes.split('\n')) {
        const QByteArray line = raw.trimmed();
        const qsizetype close = line.lastIndexOf(']');
        if (line.startsWith('[') && close > 0 && names.size() < 16)
            names << QString::fromUtf8(line.mid(1, close - 1).trimmed());
    }
    return names;
}

using Values = QList<QPair<QString, QString>>;

Values valuesOf(const platform::IniFile &ini, const QString &section)
{
    Values values;
    for (const QString &key : ini.keyNames(section))
        values.append({key, ini.readString(section, key)});
    return values;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::input(data, size);
    const QString path = fuzz::writeScratchFile(QStringLiteral("quillet.ini"), bytes);
    const QStringList sections = sectionNamesIn(bytes);

    platform::IniFile ini(path);
    QList<Values> before;
    for (const QString &section : sections) {
        const Values values = valuesOf(ini, section);
        FUZZ_CHECK(values.isEmpty() || ini.sectionExists(section));
        for (const auto &[key, value] : values) {
            FUZZ_CHECK(value.size() <= platform::IniFile::MaxValueLength && fuzz::validUtf16(value));
            const int n = ini.readInteger(section, key, 12345);
            FUZZ_CHECK(n == platform::IniFile::parseInteger(value, 12345));
            FUZZ_CHECK(ini.readBool(section, key, true) == (platform::IniFile::parseInteger(value, 1) != 0));
        }
        before << values;
    }

    // One value changed, one key added: both read back, nothing else moves,
    // before and after the file is saved.
    const QString section = sections.last();
    const QStringList keys = ini.keyNames(section);
    const QString changedKey = keys.isEmpty() ? QStringLiteral("Width") : keys.first();
    const bool changed = ini.writeString(section, changedKey, QStringLiteral("changed value"));
    const bool added = ini.writeInteger(section, QStringLiteral("FuzzAddedKey"), -42);
    auto expect = [&](const platform::IniFile &f) {
        if (changed)
            FUZZ_CHECK(f.readString(section, changedKey) == QLatin1String("changed value"));
        if (added)
            FUZZ_CHECK(f.readInteger(section, QStringLiteral("FuzzAddedKey"), 0) == -42);
        for (int s = 0; s < sections.size(); ++s) {
            for (const auto &[key, value] : before.at(s)) {
                const bool touched = sections.at(s).trimmed().compare(section.trimmed(), Qt::CaseInsensitive) == 0 &&
                    (key.compare(changedKey, Qt::CaseInsensitive) == 0 ||
                     key.compare(QLatin1String("FuzzAddedKey"), Qt::CaseInsensitive) == 0);
                if (!touched)
                    FUZZ_CHECK(f.readString(sections.at(s), key) == value);
            }
        }
    };
    expect(ini);
    FUZZ_CHECK(ini.save());
    expect(platform::IniFile(path));
    return 0;
}
