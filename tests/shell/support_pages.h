#pragma once
// Helpers for tests that drive pages in the real engine.
#include <QString>
#include <QVariant>

class QTemporaryDir;
class QWebEnginePage;

namespace testpages {

// Writes html to name in dir and returns the file's path.
QString write(const QTemporaryDir &dir, const QString &name, const QString &html);

// Runs a script in the page's main world and waits for its result;
// "(no answer)" when none came within ten seconds.
QVariant eval(QWebEnginePage *page, const QString &script);

} // namespace testpages
