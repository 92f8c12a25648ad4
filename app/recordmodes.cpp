#include "recordmodes.h"

#include "commandline.h"

#include "base/error.h"
#include "base/json.h"
#include "software/padexport.h"
#include "software/padimport.h"
#include "software/softwaretable.h"
#include "software/startupload.h"

#include <QObject>
#include <QStringList>

#include <cstdio>

namespace app {

int runImportPad(const QString &path, const QString &language)
{
    const QString &file = path;
    software::TSoftwareTable table;
    try {
        table.LoadFromFile(software::TSoftwareTable::dataFile());
    } catch (const base::Error &e) {
        complain(QObject::tr("cannot import %1: the software table is closed: %2").arg(file, e.text()));
        return 1;
    }
    QStringList cut;
    try {
        QStringList names;
        for (int i = 0; i < table.fieldCount(); ++i)
            names << table.fieldName(i);
        const software::PadFile pad = software::readPadFile(path, names, language);
        cut = software::fillFromPadFile(table, pad);
        table.SaveToFile(software::TSoftwareTable::dataFile());
        software::setRememberedPadFile(path, pad.language);
    } catch (const base::Error &e) {
        complain(QObject::tr("cannot import %1: %2").arg(file, e.text()));
        return 1;
    }
    for (const QString &line : software::cutFieldsMessage(cut, table).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        complain(QStringLiteral("%1: %2").arg(file, line));
    return 0;
}

int runExportPad(const QString &path)
{
    software::TSoftwareTable table;
    QString loadError, refillError;
    software::loadRecordAtStartup(table, &loadError, &refillError);
    if (!table.isOpen()) {
        complain(QObject::tr("cannot export %1: the software table is closed: %2").arg(path, loadError));
        return 1;
    }
    if (!refillError.isEmpty())
        complain(QObject::tr("The PAD file imported last could not refill the record: %1").arg(refillError));
    try {
        software::exportPadFile(table, path);
    } catch (const base::Error &e) {
        complain(QObject::tr("cannot export %1: %2").arg(path, e.text()));
        return 1;
    }
    return 0;
}

int runShowRecord()
{
    software::TSoftwareTable table;
    QString loadError;
    software::loadRecordAtStartup(table, &loadError);
    const QByteArray json = recordAsJson(table) + '\n';
    std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
    std::fflush(stdout);
    if (!table.isOpen()) {
        complain(QStringLiteral("the software table is closed: %1").arg(loadError));
        return 1;
    }
    return 0;
}

QByteArray recordAsJson(const software::TSoftwareTable &table)
{
    if (!table.isOpen())
        return "{}";
    base::OrderedJsonObject record;
    for (int i = 0; i < table.fieldCount(); ++i)
        record.add(table.fieldName(i), table.fieldText(i));
    return record.toJson(base::OrderedJsonObject::Layout::Indented);
}

} // namespace app
