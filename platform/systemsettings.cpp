#include "systemsettings.h"

#include "atomicfile.h"
#include "userfolders.h"

#include "base/error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace platform {

namespace {

// The file holds a handful of short values; anything far larger is not ours.
const qint64 kMaxSettingsSize = 1024 * 1024;

QJsonObject readAll()
{
    QFile f(systemSettingsPath());
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxSettingsSize)
        return {};
    // Sized by the file, not by the limit: the file holds one short value.
    const QJsonDocument doc = QJsonDocument::fromJson(f.read(qMin(f.size(), kMaxSettingsSize)));
    return doc.isObject() ? doc.object() : QJsonObject();
}

} // namespace

QString systemSettingsPath()
{
    const QString over = qEnvironmentVariable("DODUVODAZ_SYSTEM_SETTINGS");
    if (!over.isEmpty())
        return over;
    return userConfigDir() + QStringLiteral("/system-settings.json");
}

QString systemValue(const QString &name) { return readAll().value(name).toString(); }

void setSystemValue(const QString &name, const QString &value) { setSystemValues({{name, value}}); }

void setSystemValues(const QList<QPair<QString, QString>> &values)
{
    const QString path = systemSettingsPath();
    const QString shown = QFileInfo(path).absoluteFilePath();
    QJsonObject all = readAll();
    for (const auto &[name, value] : values)
        all.insert(name, value);
    const QByteArray bytes = QJsonDocument(all).toJson(QJsonDocument::Indented);

    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!writeFileAtomically(path, bytes))
        throw base::Error(QCoreApplication::translate("platform", "Cannot create file %1").arg(shown));
}

} // namespace platform
