#pragma once
// The message boxes of the window (QMessageBox), through which every
// folder's messages, errors and questions reach the user.

namespace shell {

// Makes the boxes the place where platform::showMessage, showError and
// askYesNo go, unless a test has put a sink of its own in their way.
void installMessageBoxes();

} // namespace shell
