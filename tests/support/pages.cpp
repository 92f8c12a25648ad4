#include "pages.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>

#include <memory>

namespace testpages {

QString write(const QTemporaryDir &dir, const QString &name, const QString &html)
{
    QFile f(dir.filePath(name));
    if (f.open(QIODevice::WriteOnly))
        f.write(html.toUtf8());
    return f.fileName();
}

bool load(QWebEnginePage *page, const QUrl &url, int timeoutMs)
{
    QSignalSpy done(page, &QWebEnginePage::loadFinished);
    page->load(url);
    return done.wait(timeoutMs) && done.first().first().toBool();
}

QVariant eval(QWebEnginePage *page, const QString &script, quint32 world, int timeoutMs)
{
    // Shared with the callback: it may come after the wait has given up.
    struct Answer {
        QVariant value;
        bool done = false;
    };
    auto answer = std::make_shared<Answer>();
    page->runJavaScript(script, world, [answer](const QVariant &v) {
        answer->value = v;
        answer->done = true;
    });
    if (!QTest::qWaitFor([&] { return answer->done; }, timeoutMs)) {
        qWarning("the page did not answer: %s", qPrintable(script.left(80)));
        return QStringLiteral("(no answer)");
    }
    return answer->value;
}

} // namespace testpages
