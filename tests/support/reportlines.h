#pragma once
// The report's JSON lines (doduvodaz --report, web::controlReport) with the
// lookups the tests make on them.
#include <QJsonObject>
#include <QList>
#include <QString>

namespace testsupport {

struct ReportLines {
    QList<QJsonObject> lines;

    // The nth line of frame whose control is named name; {} (with a
    // warning) when there is none.
    QJsonObject control(int frame, const QString &name, int nth = 0) const
    {
        for (const QJsonObject &o : lines)
            if (o.contains(QLatin1String("frame")) && o.value(QLatin1String("frame")).toInt() == frame &&
                o.value(QLatin1String("name")).toString() == name && nth-- == 0)
                return o;
        qWarning("no control %s in frame %d", qPrintable(name), frame);
        return {};
    }
    QString value(int frame, const QString &name, int nth = 0) const
    {
        return control(frame, name, nth).value(QLatin1String("value")).toString();
    }
    bool checked(int frame, const QString &name, int nth = 0) const
    {
        return control(frame, name, nth).value(QLatin1String("checked")).toBool();
    }
    bool clicked(int frame, const QString &name, int nth = 0) const
    {
        return control(frame, name, nth).value(QLatin1String("clicked")).toBool();
    }
};

} // namespace testsupport
