#pragma once
// Script calls into a page, run in the program's own isolated world so that
// the page's scripts neither see nor disturb them.
#include <QPointer>
#include <QVariant>
#include <QWebEnginePage>

namespace web {

// Runs a script and waits for its result, letting other events run meanwhile.
// Returns an invalid QVariant, with *ok false, when the page went away or did
// not answer within timeoutMs.
QVariant runScriptAndWait(QWebEnginePage *page, const QString &script, int timeoutMs = 15000, bool *ok = nullptr);

// Runs a script without waiting for it. Scripts run in the order given.
void runScript(QWebEnginePage *page, const QString &script);

// The world the program's scripts run in.
quint32 programWorld();

} // namespace web
