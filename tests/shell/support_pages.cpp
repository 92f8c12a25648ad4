#include "support_pages.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>

namespace testpages {

QString write(const QTemporaryDir &dir, const QString &name, const QString &html)
{
    QFile f(dir.filePath(name));
    if (f.open(QIODevice::WriteOnly))
        f.write(html.toUtf8());
    return f.fileName();
}

QVariant eval(QWebEnginePage *page, const QString &script)
{
    QVariant result;
    bool done = false;
    page->runJavaScript(script, [&](const QVariant &v) {
        result = v;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 10000))
        return QStringLiteral("(no answer)");
    return result;
}

} // namespace testpages
