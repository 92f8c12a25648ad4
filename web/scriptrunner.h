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

// A call into the page sent as two scripts: `arguments`, short and new on
// every call, leaves its values in window.__doduArgs; `body`, the same text
// on every call, takes them (takeArgumentsScript). The engine keeps the code
// of a script text it has compiled, so a long script whose text never
// changes is compiled once per renderer, not on every call.
struct PageCall {
    QString arguments;
    QString body;
    // Both as one script, for callers that send it through other means.
    QString joined() const { return arguments + QLatin1String(";\n") + body; }
};
void callScript(QWebEnginePage *page, const PageCall &call, QObject *receiver,
                std::function<void(const QVariant &result)> answer);
void runScript(QWebEnginePage *page, const PageCall &call);

// The script that sets the arguments a body takes; `values` is the text of
// a script array ("[1, true]").
QString argumentsScript(const QString &values);

// The expression, for the end of a body, that takes the arguments its
// arguments script left, or null when none are there (the document changed
// between the two).
QString takeArgumentsScript();

// The world the program's scripts run in.
quint32 programWorld();

} // namespace web
