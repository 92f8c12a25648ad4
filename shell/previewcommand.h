#pragma once
// doduvodaz --report [--mode fill|login|submit] [--rules classic|smart]
//                    [--username TEXT] [--password TEXT] [--timeout SECONDS] ADDRESS
// Loads the address in the browser engine as a tab would (so the automatic
// fill runs when it has loaded), runs the login or submit command on it when
// asked, and prints what every form control holds as JSON Lines. Presses are
// recorded and their default action prevented, so the page stays. With
// --rules smart the smart fill runs instead of the exact rules, and each
// control line gains "field", the record field used ("" when left alone).
#include <QStringList>

// Returns the exit status: 0 done, 1 a command raised an error, 2 the page did
// not load, 64 the arguments were wrong. Needs a QApplication.
int runPreviewCommand(const QStringList &arguments);
