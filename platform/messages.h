#pragma once
// Plain message boxes with an OK button, titled with the application title,
// and the application's general error handler. Tests install a sink that
// records the texts instead of showing boxes.
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

// Replaces the boxes (tests). kind is "message", "error" or "question"; the
// sink's answer is used for questions. Pass nullptr to restore the boxes.
using MessageSink = std::function<bool(const QString &kind, const QString &text)>;
void setMessageSink(MessageSink sink);

} // namespace platform
