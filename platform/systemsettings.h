#pragma once
// Values of the program kept for the user across restarts: a small JSON
// object in one file, read and written by name.
//
// The file is $XDG_CONFIG_HOME/doduvodaz/system-settings.json (by default
// ~/.config/doduvodaz), so that every user can write it; the environment
// variable DODUVODAZ_SYSTEM_SETTINGS names another file instead.
#include <QList>
#include <QPair>
#include <QString>

namespace platform {

QString systemSettingsPath();

// The value stored under name, or the empty text when the file, the value or
// a readable file is missing. Never fails.
QString systemValue(const QString &name);

// Stores value under name, keeping the file's other values; creates the file
// and its folder when missing. The file is replaced atomically. Throws
// base::Error ("Cannot create file PATH") when it cannot be written.
void setSystemValue(const QString &name, const QString &value);
// Stores several values in one replacement of the file: all or none.
void setSystemValues(const QList<QPair<QString, QString>> &values);

} // namespace platform
