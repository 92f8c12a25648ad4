#pragma once
// Helpers for tests that drive pages in the real engine.
#include <QString>
#include <QUrl>
#include <QVariant>
#include <QWebEngineScript>

class QTemporaryDir;
class QWebEnginePage;

namespace testpages {

// Writes html to name in dir and returns the file's path.
QString write(const QTemporaryDir &dir, const QString &name, const QString &html);

// Loads url and waits for it; whether it loaded.
bool load(QWebEnginePage *page, const QUrl &url, int timeoutMs = 30000);

// Runs a script in the given world (the page's own by default) and waits for
// its result; "(no answer)", with a warning, when none came in time.
QVariant eval(QWebEnginePage *page, const QString &script, quint32 world = QWebEngineScript::MainWorld,
              int timeoutMs = 10000);

} // namespace testpages
