#pragma once
// doduvodaz --report: loads the address in the browser engine as a tab would
// (so the automatic fill runs when it has loaded), runs the login or submit
// command on it when asked, and prints what every form control holds as JSON
// Lines. Presses are recorded and their default action prevented, so the page
// stays. With --rules smart the smart fill runs instead of the exact rules,
// and each control line gains "field", the record field used ("" when left
// alone).
#include "commandline.h"

namespace app {

// Returns the exit status: 0 done, 1 a command raised an error, 2 the page did
// not load. Needs a QApplication.
int runReport(const ReportOptions &options);

} // namespace app
