#include "messageboxes.h"

#include "platform/messages.h"

#include <QApplication>
#include <QMessageBox>

namespace shell {

namespace {

QWidget *parentWindow()
{
    QWidget *w = QApplication::activeModalWidget();
    if (!w)
        w = QApplication::activeWindow();
    return w;
}

bool showBox(const QString &kind, const QString &text)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    if (kind == QLatin1String("error")) {
        icon = QMessageBox::Critical;
    } else if (kind == QLatin1String("question")) {
        icon = QMessageBox::Question;
        buttons = QMessageBox::Yes | QMessageBox::No;
    }
    QMessageBox box(icon, platform::applicationTitle(), text, buttons, parentWindow());
    return box.exec() == QMessageBox::Yes;
}

} // namespace

void installMessageBoxes() { platform::installMessageBoxes(showBox); }

} // namespace shell
