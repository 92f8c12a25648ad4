#pragma once
// Answers the program's modal dialogs as they come, one answer each, while a
// test waits for what follows from them.
#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>

namespace testsupport {

class DialogAnswerer : public QObject {
public:
    std::function<bool(QDialog *)> answer; // true: handled
    QStringList seen;                      // window titles
    explicit DialogAnswerer(QObject *parent) : QObject(parent)
    {
        m_timer.setInterval(50);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!d || !d->isVisible() || d == m_last)
                return;
            if (answer && answer(d)) {
                m_last = d;
                seen << d->windowTitle();
            }
        });
        m_timer.start();
    }

private:
    QTimer m_timer;
    QPointer<QDialog> m_last;
};

} // namespace testsupport
