#include "recordmodes.h"

#include "commandline.h"

#include "base/error.h"
#include "base/json.h"
#include "software/padimport.h"
#include "software/softwaretable.h"
#include "software/startupload.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace app {

int runImportPad(const QString &path)
{
    const QString &file = path;
    software::TSoftwareTable table;
    QString loadError;
    try {
        table.LoadFromFile(software::TSoftwareTable::dataFile());
    } catch (const base::Error &e) {
        loadError = e.text();
    }
    QStringList cut;
    try {
        cut = software::importPadFile(table, path);
    } catch (const base::Error &e) {
        if (!table.isOpen())
            complain(QCoreApplication::translate("app", "cannot import %1: the software table is closed: %2")
                         .arg(file, loadError));
        else
            complain(QCoreApplication::translate("app", "cannot import %1: %2").arg(file, e.text()));
        return 1;
    }
    try {
        table.SaveToFile(software::TSoftwareTable::dataFile());
    } catch (const base::Error &e) {
        complain(QCoreApplication::translate("app", "cannot save the record: %1").arg(e.text()));
        return 1;
    }
    for (const QString &line : software::cutFieldsMessage(cut, table).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        complain(QStringLiteral("%1: %2").arg(file, line));
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
        complain(QCoreApplication::translate("app", "the software table is closed: %1").arg(loadError));
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
