#pragma once
// What a file opened as the submission log is: the log (its application id),
// an empty database still to be made one, or something else. The submission
// log and the site-check store share the file and ask the same question.
#include <QSqlDatabase>
#include <QSqlError>

namespace campaign {

constexpr int kLogApplicationId = 0x446F6475;
constexpr int kLogSchemaVersion = 1;

enum class LogFileIdentity { Ours, Empty, Foreign, Unreadable };

// Reads the file's id and whether it holds anything in one statement, and so
// in one read transaction: another copy may be making the log at that moment.
// Unreadable sets *error.
LogFileIdentity readLogIdentity(const QSqlDatabase &db, QSqlError *error);

} // namespace campaign
