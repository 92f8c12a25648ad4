#pragma once
// The program as a whole: start-up in order, the activation handler, the
// hand-over between instances and the end.
#include <QStringList>

namespace shell {

// The folder of the executable with a trailing separator.
QString ProgramDir();

// Opens one item of a command line: an Internet-shortcut (.url) file opens
// the address it holds; anything else opens as it is.
class TfrmBrwMain;
void OpenCommandLineItem(TfrmBrwMain &window, const QString &item);

// Runs the program with the command-line items (the arguments after the
// program name); problems are messages from preparing the working folder,
// shown once the window is up. Returns the exit status. Needs the
// QApplication.
int runProgram(const QStringList &items, QStringList problems = {});

} // namespace shell
