#include "pagesnapshot.h"

#include "base/parts.h"

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

int snapshotKey(const QJsonObject &description) { return description.value(QLatin1String("key")).toInt(); }

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
            e.setDeclaredType(type);
        e.setDeclaredName(a.at(1).toString());
        e.setStoredValue(a.at(2).toString());
        e.setStoredAlt(a.at(3).toString());
        e.setFormIndex(a.at(4).toInt(-1));
    }
}

namespace {

// One control of the snapshot with signals.
void readControl(const QJsonArray &a, engine::Control &c)
{
    static const QString select = QStringLiteral("select");
    static const QString textarea = QStringLiteral("textarea");
    static const QString input = QStringLiteral("input");
    c.form = a.at(0).toInt(-1);
    c.type = a.at(1).toString();
    c.tag = c.type == textarea || c.type == select ? c.type : input;
    const int flags = a.at(2).toInt();
    c.checked = flags & 1;
    c.multiple = flags & 2;
    c.visible = flags & 4;
    c.editable = flags & 8;
    c.name = a.at(3).toString();
    c.id = a.at(4).toString();
    c.label = a.at(5).toString();
    c.context = a.at(6).toString();
    c.value = a.at(7).toString();
    c.maxLength = a.at(8).toInt(-1);
    c.placeholder = a.at(9).toString();
    c.aria = a.at(10).toString();
    c.title = a.at(11).toString();
    c.autocomplete = a.at(12).toString();
    c.pattern = a.at(13).toString();
    const QJsonArray options = a.at(14).toArray();
    c.options.reserve(options.size());
    for (const QJsonValue &ov : options) {
        const QJsonArray o = ov.toArray();
        const QString text = o.at(0).toString();
        c.options << engine::Option {text, o.size() < 2 ? text : o.at(1).toString(), o.at(2).toInt() == 1};
    }
    c.after = a.at(15).toString();
}

} // namespace

void loadSnapshotSignals(engine::Page &page, const QJsonObject &description)
{
    const QJsonObject sig = description.value(QLatin1String("sig")).toObject();
    const QJsonArray controls = sig.value(QLatin1String("c")).toArray();
    const qsizetype first = page.controls.size();
    page.controls.resize(first + controls.size());
    // Each control on its own, a long page in parts on several threads;
    // the description is only read there.
    engine::Control *const out = page.controls.data() + first;
    base::forEachInParts(controls.size(), 1024, [&controls, out](qsizetype from, qsizetype to) {
        for (qsizetype k = from; k < to; ++k)
            readControl(controls.at(k).toArray(), out[k]);
    });
    for (const QJsonValue &v : sig.value(QLatin1String("b")).toArray()) {
        const QJsonArray a = v.toArray();
        page.buttons << engine::Button {a.at(0).toInt(-1), a.at(1).toString(), a.at(2).toInt() == 1,
                                        a.at(3).toInt() == 1};
    }
}

} // namespace web
