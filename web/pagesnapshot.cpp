#include "pagesnapshot.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace web {

PageSnapshot parsePageSnapshot(const QString &json)
{
    PageSnapshot snapshot;
    snapshot.top = QJsonDocument::fromJson(json.toUtf8()).object();
    const QJsonArray frames = snapshot.top.value(QLatin1String("frames")).toArray();
    for (const QJsonValue &v : frames) {
        const QJsonObject f = v.toObject();
        PageSnapshot::Frame frame;
        if (f.value(QLatin1String("refused")).toBool()) {
            frame.kind = PageSnapshot::FrameKind::Refused;
        } else if (f.value(QLatin1String("none")).toBool()) {
            frame.kind = PageSnapshot::FrameKind::None;
        } else {
            frame.kind = PageSnapshot::FrameKind::Document;
            frame.description = f;
        }
        snapshot.frames.append(frame);
    }
    return snapshot;
}

int snapshotKey(const QJsonObject &description)
{
    return description.value(QLatin1String("key")).toInt();
}

void loadSnapshotDocument(engine::MemoryDocument &doc, const QJsonObject &o)
{
    if (!o.value(QLatin1String("html")).toBool())
        doc.setNotHtml();
    if (!o.value(QLatin1String("body")).toBool())
        doc.setNoBody();
    else
        doc.setBodyTextLength(o.value(QLatin1String("len")).toInt());
    static const QString input = QStringLiteral("input");
    static const QString textarea = QStringLiteral("textarea");
    const QJsonArray els = o.value(QLatin1String("els")).toArray();
    for (const QJsonValue &v : els) {
        const QJsonArray a = v.toArray();
        const QString type = a.at(0).toString();
        const bool area = type == textarea;
        engine::MemoryElement &e = doc.addElement(area ? textarea : input);
        if (!area)
            e.typeText = type;
        e.nameText = a.at(1).toString();
        e.valueTextV = a.at(2).toString();
        e.altTextV = a.at(3).toString();
        e.form = a.at(4).toInt(-1);
    }
}

} // namespace web
