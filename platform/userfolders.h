#pragma once
// Where the program's files live on this machine.
//
// The data files (the record file, padsites.dat, help.htm and what the site
// directory update downloads) are opened by bare name in the process's current
// directory. At start-up prepareWorkingFolder() chooses that folder: the
// directory the program was started from when it holds the record file (a folder
// the author keeps the files in, as scripts/run prepares), otherwise the
// per-user data folder $XDG_DATA_HOME/doduvodaz (~/.local/share/doduvodaz),
// filled at the first start with copies of the delivered files; files already
// there are never replaced.
//
// quillet.ini lives beside the program when that folder is writable, otherwise
// in $XDG_CONFIG_HOME/doduvodaz (~/.config/doduvodaz), created from the
// delivered default.
#include <QString>
#include <QStringList>

namespace platform {

// The folder of the files delivered with the program: share/doduvodaz beside
// the installed bin/, else the source tree's data/ for a build-tree program.
// Empty when neither exists.
QString deliveredDataDir();

// $XDG_DATA_HOME/doduvodaz and $XDG_CONFIG_HOME/doduvodaz (no trailing slash).
QString userDataDir();
QString userConfigDir();

// Chooses the working folder as described above and makes it the current
// directory. Returns the problems met, one message each, naming the path
// (an unwritable folder, a delivered file that is missing); the program goes
// on with whatever could be prepared.
// recordFile: the name of the file that holds the software record, which
// marks an author's own folder and is delivered with the other files.
QStringList prepareWorkingFolder(const QString &recordFile);

// The folder that holds quillet.ini, with a trailing separator; creates the
// per-user file from the delivered default when the program's folder cannot
// be written. problems receives a message when that fails.
QString settingsFolder(QStringList *problems = nullptr);

} // namespace platform
