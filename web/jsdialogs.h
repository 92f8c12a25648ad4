#pragma once
// The dialogs a page's script opens (alert, confirm, prompt, and the
// question before leaving a page), titled with the page's host. Each is the
// page's own modal dialog: the program's events go on running while it is
// open, and the script that opened it waits for the answer.
#include <QString>
#include <QUrl>

class QWidget;

namespace web {

// The title of a dialog opened by a page of origin: its host, or for a page
// without one (a file) its address.
QString pageDialogTitle(const QUrl &origin);

void showPageAlert(QWidget *parent, const QUrl &origin, const QString &text);
bool askPageConfirm(QWidget *parent, const QUrl &origin, const QString &text);
// false when cancelled; otherwise *answer holds the text typed.
bool askPagePrompt(QWidget *parent, const QUrl &origin, const QString &text, const QString &defaultText,
                   QString *answer);

} // namespace web
