#pragma once
// Plain message boxes with an OK button, titled with the application title,
// and the application's general error handler, as every folder calls them.
// The boxes themselves are the window's: the shell installs them at start;
// tests install a sink that records the texts instead.
#include <QString>
#include <functional>

namespace platform {

// "Korvane Software Doduvodaz": the title of every message box.
QString applicationTitle();

// Shows text in a plain message box and returns when the user closed it.
void showMessage(const QString &text);

// The general error handler: shows an error's text in an error box.
void showError(const QString &text);

// Confirmation with Yes and No; true for Yes.
bool askYesNo(const QString &text);

// Where the texts go. kind is "message", "error" or "question"; the answer
// is used for questions.
using MessageSink = std::function<bool(const QString &kind, const QString &text)>;

// The boxes (the shell's, at start). Without them a text goes to the log
// and a question is answered No.
void installMessageBoxes(MessageSink boxes);

// Replaces the boxes (tests). Pass nullptr to restore them.
void setMessageSink(MessageSink sink);

} // namespace platform
