#include "logfileidentity.h"

#include <QSqlQuery>

namespace campaign {

LogFileIdentity readLogIdentity(const QSqlDatabase &db, QSqlError *error)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT (SELECT application_id FROM pragma_application_id()), "
                               "(SELECT count(*) FROM sqlite_master)")) ||
        !q.next()) {
        *error = q.lastError();
        return LogFileIdentity::Unreadable;
    }
    const int appId = q.value(0).toInt();
    const bool empty = q.value(1).toInt() == 0;
    if (appId == kLogApplicationId)
        return LogFileIdentity::Ours;
    return appId == 0 && empty ? LogFileIdentity::Empty : LogFileIdentity::Foreign;
}

} // namespace campaign
