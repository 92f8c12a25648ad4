#pragma once
// Shared by the software and app tests: a working folder with the delivered
// softdata.xml, a private machine-wide settings file, and PAD file helpers.
#include "software/softwaretable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

namespace padtest {

inline QString deliveredData() { return QStringLiteral(DODU_SOURCE_DIR "/data/softdata.xml"); }

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A temporary working folder made the current directory, holding a copy of
// the delivered softdata.xml; DODUVODAZ_SYSTEM_SETTINGS points into it so the
// real machine-wide file is never touched. Everything is undone at the end.
class Sandbox {
public:
    explicit Sandbox(bool withData = true) : m_oldDir(QDir::currentPath())
    {
        QDir::setCurrent(m_dir.path());
        qputenv("DODUVODAZ_SYSTEM_SETTINGS", settingsPath().toLocal8Bit());
        if (withData)
            QFile::copy(deliveredData(), path(QStringLiteral("softdata.xml")));
        QFile::setPermissions(path(QStringLiteral("softdata.xml")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::ReadGroup);
    }
    ~Sandbox()
    {
        QDir::setCurrent(m_oldDir);
        qunsetenv("DODUVODAZ_SYSTEM_SETTINGS");
    }
    Sandbox(const Sandbox &) = delete;
    Sandbox &operator=(const Sandbox &) = delete;

    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString dir() const { return m_dir.path(); }
    QString settingsPath() const { return m_dir.filePath(QStringLiteral("machine/system-settings.json")); }

    QString write(const QString &name, const QByteArray &bytes) const
    {
        const QString p = path(name);
        writeBytes(p, bytes);
        return p;
    }

private:
    QTemporaryDir m_dir;
    QString m_oldDir;
};

// softdata.xml of the delivered fields with one record of the given values.
inline void writeDataFile(const QString &path, const QHash<QString, QString> &values)
{
    software::TSoftwareTable t;
    QVector<QStringList> rows(1);
    for (const software::TFieldDef &f : software::TSoftwareTable::standardFields())
        rows[0] << values.value(f.name);
    t.open(software::TSoftwareTable::standardFields(), rows);
    t.SaveToFile(path);
}

inline bool runningAsRoot() { return geteuid() == 0; }

} // namespace padtest
