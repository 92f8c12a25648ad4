#include "startupload.h"

#include "padimport.h"
#include "softwaretable.h"

#include "base/error.h"

#include <QObject>

namespace software {

void loadRecordAtStartup(TSoftwareTable &table, QString *loadError, QString *refillError)
{
    if (loadError)
        loadError->clear();
    if (refillError)
        refillError->clear();
    try {
        table.LoadFromFile(TSoftwareTable::dataFile());
    } catch (const base::Error &e) {
        // A missing or unreadable data file leaves the table closed.
        if (loadError)
            *loadError = e.text();
        return;
    }
    try {
        refillFromRememberedPad(table);
    } catch (const base::Error &e) {
        // A remembered PAD file that is gone or unreadable leaves the record
        // as the data file holds it.
        if (refillError)
            *refillError = e.text();
    }
}

QStringList loadRecordWithProblems(TSoftwareTable &table)
{
    QStringList problems;
    QString loadError, refillError;
    loadRecordAtStartup(table, &loadError, &refillError);
    if (!loadError.isEmpty())
        problems << loadError;
    if (!refillError.isEmpty())
        problems << QObject::tr("The PAD file imported last could not refill the record: %1").arg(refillError);
    return problems;
}

} // namespace software
