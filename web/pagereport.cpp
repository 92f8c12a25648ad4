#include "pagereport.h"

#include "base/json.h"

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
                String(fields.get(e) || ''), tag === 'button' ? e.textContent.replace(/\s+/g, ' ').trim() : '']);
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

} // namespace

QString controlReportScript() { return QString::fromLatin1(kReportScript); }

QStringList readControlReport(const QVariant &v, bool withField)
{
    QStringList lines;
    const QJsonArray rows = QJsonDocument::fromJson(v.toString().toUtf8()).array();
    for (const QJsonValue &r : rows) {
        const QJsonArray a = r.toArray();
        const int frame = a.at(0).toInt();
        if (a.at(1).isNull()) {
            lines << QString::fromUtf8(base::OrderedJsonObject()
                                           .add(QStringLiteral("frame"), frame)
                                           .add(QStringLiteral("refused"), true)
                                           .toJson());
            continue;
        }
        base::OrderedJsonObject line;
        line.add(QStringLiteral("frame"), frame)
            .add(QStringLiteral("tag"), a.at(1).toString())
            .add(QStringLiteral("type"), a.at(2).toString())
            .add(QStringLiteral("name"), a.at(3).toString())
            .add(QStringLiteral("value"), a.at(4).toString())
            .add(QStringLiteral("checked"), a.at(5).toBool())
            .add(QStringLiteral("clicked"), a.at(6).toBool());
        if (withField)
            line.add(QStringLiteral("text"), a.at(8).toString()).add(QStringLiteral("field"), a.at(7).toString());
        lines << QString::fromUtf8(line.toJson());
    }
    return lines;
}

} // namespace web
