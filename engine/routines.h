#pragma once
// The three routines the dispatcher runs on one HTML document, and the
// dispatcher itself.
#include "document.h"
#include "host.h"
#include "record.h"

#include <QString>

namespace engine {

// Upper-casing as the rules need it: names code-page aware, types ASCII only.
QString upperName(const QString &s);
QString upperAscii(const QString &s);

// Whether Program_Install_Support means the software has an uninstaller.
bool hasUninstaller(const QString &installSupport);

void FillSubmissionForm(Document &doc, const Record &record);
void FillLoginForm(Document &doc, const QString &username, const QString &password);
void ClickSubmitButton(Document *doc, Host &host);

// The three commands over a page: fill the submission form, press its
// submit button, fill and press the login form.
enum class FormMode { Fill, Submit, Login };

// The mode of a mode word: "submit", "login", anything else fills.
FormMode formModeOf(const QString &word);

// Picks the page itself or its frames by the body-text rule and runs the
// routine of the mode on each.
void RunFormCommand(Browser &browser, FormMode mode, const Record &record, Host &host);

} // namespace engine
