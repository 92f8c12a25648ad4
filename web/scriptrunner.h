#pragma once
// Script calls into a page, run in the program's own isolated world so that
// the page's scripts neither see nor disturb them. Nothing here waits: an
// answer arrives later as a call on a receiver object.
#include <QObject>
#include <QVariant>
#include <QWebEnginePage>
#include <functional>

namespace web {

// Runs a script; `answer` gets its result on a later turn of the event loop,
// as an event of receiver, so that it never runs inside the engine's own
// notification and is dropped with receiver. A page that is being deleted
// answers every call still open with an invalid QVariant; receivers made
// children of the page go with it before that answer is delivered.
void callScript(QWebEnginePage *page, const QString &script, QObject *receiver,
                std::function<void(const QVariant &result)> answer);

// Runs a script without waiting for it. Scripts run in the order given.
void runScript(QWebEnginePage *page, const QString &script);

// The world the program's scripts run in.
quint32 programWorld();

} // namespace web
