#include "pagefunctions.h"

#include "scriptrunner.h"

#include <QPointer>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace web {

namespace {

// What a call answers when its function is not defined in the document.
const QString &missingAnswer()
{
    static const QString text = QStringLiteral("\u0001doduvodaz: no such function");
    return text;
}

QString definition(const PageFunction &f)
{
    return QStringLiteral("(window.__doduFunctions = window.__doduFunctions || {})['%1'] = %2;\n")
        .arg(f.name, f.source);
}

bool isMissing(const QVariant &v) { return v.userType() == QMetaType::QString && v.toString() == missingAnswer(); }

} // namespace

QString PageCall::script() const
{
    return QStringLiteral("(function (f) { return f ? f(%1) : '%2'; })(window.__doduFunctions && "
                          "window.__doduFunctions['%3'])")
        .arg(arguments, missingAnswer(), function->name);
}

QString PageCall::standalone() const { return definition(*function) + script(); }

void callPageFunction(QWebEnginePage *page, const PageCall &call, QObject *receiver,
                      std::function<void(const QVariant &result)> answer)
{
    if (!page || call.isNull())
        return;
    callScript(page, call.script(), receiver,
               [page = QPointer<QWebEnginePage>(page), call, receiver, answer](const QVariant &v) {
                   if (!isMissing(v)) {
                       answer(v);
                       return;
                   }
                   // A document the functions were not installed in: this
                   // one is defined there and called again; a document that
                   // changed meanwhile answers as one without a page would.
                   callScript(page, call.standalone(), receiver,
                              [answer](const QVariant &again) { answer(isMissing(again) ? QVariant() : again); });
               });
}

void installPageFunctions(QWebEnginePage *page, const QList<const PageFunction *> &functions)
{
    if (!page)
        return;
    static const QString name = QStringLiteral("doduvodaz-page-functions");
    if (!page->scripts().find(name).isEmpty())
        return;
    QString source;
    for (const PageFunction *f : functions)
        source += definition(*f);
    QWebEngineScript script;
    script.setName(name);
    script.setSourceCode(source);
    script.setWorldId(programWorld());
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setRunsOnSubFrames(false);
    page->scripts().insert(script);
}

} // namespace web
