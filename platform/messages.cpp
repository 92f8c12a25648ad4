#include "messages.h"

#include <QApplication>
#include <QMessageBox>

namespace platform {

namespace {
MessageSink &sink()
{
    static MessageSink s;
    return s;
}

QWidget *parentWindow()
{
    QWidget *w = QApplication::activeModalWidget();
    if (!w)
        w = QApplication::activeWindow();
    return w;
}
} // namespace

QString applicationTitle() { return QStringLiteral("Korvane Software Doduvodaz"); }

void setMessageSink(MessageSink s) { sink() = std::move(s); }

void showMessage(const QString &text)
{
    if (sink()) {
        sink()(QStringLiteral("message"), text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, applicationTitle(), text, QMessageBox::Ok, parentWindow());
    box.exec();
}

void showError(const QString &text)
{
    if (sink()) {
        sink()(QStringLiteral("error"), text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, applicationTitle(), text, QMessageBox::Ok, parentWindow());
    box.exec();
}

bool askYesNo(const QString &text)
{
    if (sink())
        return sink()(QStringLiteral("question"), text);
    QMessageBox box(QMessageBox::Question, applicationTitle(), text, QMessageBox::Yes | QMessageBox::No,
                    parentWindow());
    return box.exec() == QMessageBox::Yes;
}

} // namespace platform
