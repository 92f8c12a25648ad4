#include "web/textdownload.h"

#include "web/scriptrunner.h"

#include <QWebEngineHttpRequest>
#include <QWebEnginePage>

namespace web {

TextDownload::TextDownload(QWidget *parent) : QWebEngineView(parent)
{
    connect(page(), &QWebEnginePage::loadFinished, this, &TextDownload::finished);
}

void TextDownload::start(const QUrl &address)
{
    QWebEngineHttpRequest request(address);
    // Always the server's current copy, never one kept from an earlier run.
    request.setHeader("Cache-Control", "no-cache");
    request.setHeader("Pragma", "no-cache");
    page()->load(request);
}

void TextDownload::stop() { page()->triggerAction(QWebEnginePage::Stop); }

void TextDownload::requestBodyText(std::function<void(const QVariant &text)> answer)
{
    callScript(page(), QStringLiteral("document.body ? document.body.innerText : null"), this, std::move(answer));
}

} // namespace web
