#include "json.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace base {

QByteArray jsonValue(const QJsonValue &value)
{
    // Qt writes whole documents only: the value is written as a one-element
    // array and the brackets are taken off.
    const QByteArray a = QJsonDocument(QJsonArray {value}).toJson(QJsonDocument::Compact);
    return a.mid(1, a.size() - 2);
}

OrderedJsonObject &OrderedJsonObject::add(const QString &key, const QJsonValue &value)
{
    m_members.append({key, value});
    return *this;
}

QByteArray OrderedJsonObject::toJson(Layout layout) const
{
    if (m_members.isEmpty())
        return "{}";
    const bool indented = layout == Layout::Indented;
    QByteArray out = "{";
    for (qsizetype i = 0; i < m_members.size(); ++i) {
        if (i)
            out += ',';
        if (indented)
            out += "\n  ";
        out += jsonValue(m_members.at(i).first);
        out += indented ? ": " : ":";
        out += jsonValue(m_members.at(i).second);
    }
    out += indented ? "\n}" : "}";
    return out;
}

} // namespace base
