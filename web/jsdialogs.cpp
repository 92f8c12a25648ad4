#include "web/jsdialogs.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>

namespace web {

QString pageDialogTitle(const QUrl &origin)
{
    if (!origin.host().isEmpty())
        return origin.host();
    return origin.toDisplayString(QUrl::RemoveQuery | QUrl::RemoveFragment);
}

namespace {

int runMessage(QWidget *parent, const QUrl &origin, const QString &text, QMessageBox::StandardButtons buttons)
{
    QPointer<QMessageBox> box = new QMessageBox(QMessageBox::NoIcon, pageDialogTitle(origin), text, buttons, parent);
    box->setObjectName(QStringLiteral("PageDialog"));
    box->setTextFormat(Qt::PlainText);
    const int answer = box->exec();
    delete box;
    return answer;
}

} // namespace

void showPageAlert(QWidget *parent, const QUrl &origin, const QString &text)
{
    runMessage(parent, origin, text, QMessageBox::Ok);
}

bool askPageConfirm(QWidget *parent, const QUrl &origin, const QString &text)
{
    return runMessage(parent, origin, text, QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

bool askPagePrompt(QWidget *parent, const QUrl &origin, const QString &text, const QString &defaultText,
                   QString *answer)
{
    QPointer<QInputDialog> dialog = new QInputDialog(parent);
    dialog->setObjectName(QStringLiteral("PageDialog"));
    dialog->setWindowTitle(pageDialogTitle(origin));
    dialog->setLabelText(text);
    dialog->setTextValue(defaultText);
    const bool ok = dialog->exec() == QDialog::Accepted;
    if (dialog && ok && answer)
        *answer = dialog->textValue();
    delete dialog;
    return ok;
}

} // namespace web
