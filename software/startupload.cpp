#include "startupload.h"

#include "softwaretable.h"

#include "engine/error.h"

void loadRecordAtStartup(TSoftwareTable &table)
{
    try {
        table.LoadFromFile(QStringLiteral("softdata.xml"));
    } catch (const dodu::Error &) {
        // A missing or unreadable data file leaves the table closed.
    }
}
