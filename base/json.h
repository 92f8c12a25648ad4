#pragma once
// The program's one JSON writer for output whose member order matters (a
// record in table order, a report line in a fixed order): QJsonObject sorts
// its keys, so members are kept in a list here and every value is written by
// Qt's own JSON writer.
#include <QByteArray>
#include <QJsonValue>
#include <QList>
#include <QPair>
#include <QString>

namespace base {

// A value as JSON text: a string quoted and escaped (control characters and
// unpaired surrogates as \u escapes), a number, true, false or null.
QByteArray jsonValue(const QJsonValue &value);

class OrderedJsonObject {
public:
    enum class Layout { OneLine, Indented };

    OrderedJsonObject &add(const QString &key, const QJsonValue &value);
    bool isEmpty() const { return m_members.isEmpty(); }

    // OneLine: {"a":1,"b":"x"}. Indented: one member per line, two spaces
    // in, as {\n  "a": 1,\n  "b": "x"\n}; an empty object is {} either way.
    QByteArray toJson(Layout layout = Layout::OneLine) const;

private:
    QList<QPair<QString, QJsonValue>> m_members;
};

} // namespace base
