#include "pagereport.h"

#include "scriptrunner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace web {

namespace {

const char kReportScript[] = R"JS(
(function () {
  const pressed = window.__doduPressed || new Set();
  const fields = window.__doduFields || new WeakMap();
  const out = [];
  function list(doc, frame) {
    if (!doc) return;
    for (const e of doc.querySelectorAll('input, textarea, select, button')) {
      const tag = e.localName;
      out.push([frame, tag, tag === 'textarea' ? '' : String(e.type || ''), String(e.name || ''),
                String(e.value == null ? '' : e.value), tag === 'input' ? !!e.checked : false, pressed.has(e),
                String(fields.get(e) || '')]);
    }
  }
  list(document, -1);
  for (let i = 0; i < window.frames.length; ++i) {
    let d = null;
    try { d = window.frames[i].document; } catch (err) { d = null; }
    if (!d) out.push([i, null]);
    else list(d, i);
  }
  return JSON.stringify(out);
})()
)JS";

QString jsonBool(bool b) { return b ? QStringLiteral("true") : QStringLiteral("false"); }

} // namespace

QString jsonQuote(const QString &text)
{
    const QByteArray a = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(a.mid(1, a.size() - 2));
}

QStringList controlReport(QWebEnginePage *page, bool withField)
{
    QStringList lines;
    const QVariant v = runScriptAndWait(page, QString::fromLatin1(kReportScript));
    const QJsonArray rows = QJsonDocument::fromJson(v.toString().toUtf8()).array();
    for (const QJsonValue &r : rows) {
        const QJsonArray a = r.toArray();
        const int frame = a.at(0).toInt();
        if (a.at(1).isNull()) {
            lines << QStringLiteral("{\"frame\":%1,\"refused\":true}").arg(frame);
            continue;
        }
        QString line = QStringLiteral("{\"frame\":%1,\"tag\":%2,\"type\":%3,\"name\":%4,\"value\":%5,\"checked\":%6,\"clicked\":%7")
                     .arg(frame)
                     .arg(jsonQuote(a.at(1).toString()), jsonQuote(a.at(2).toString()), jsonQuote(a.at(3).toString()),
                          jsonQuote(a.at(4).toString()), jsonBool(a.at(5).toBool()), jsonBool(a.at(6).toBool()));
        if (withField)
            line += QStringLiteral(",\"field\":") + jsonQuote(a.at(7).toString());
        lines << line + QLatin1Char('}');
    }
    return lines;
}

} // namespace web
