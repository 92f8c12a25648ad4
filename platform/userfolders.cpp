#include "userfolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform {

namespace {

// The files a working folder is prepared with, in the order they are copied.
const char *const kDelivered[] = {"padsites.dat", "help.htm", "demo"};

QString executableDir()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    // Before the application object exists (record commands decide their
    // folder first): the running executable itself.
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).absolutePath();
}

const QFileDevice::Permissions kUserFile =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;

// Copies from to to unless to exists; the copy belongs to the user and can be
// written even when the delivered file is read-only.
bool copyMissingFile(const QString &from, const QString &to, QStringList &problems)
{
    if (QFileInfo::exists(to))
        return true;
    if (!QFile::copy(from, to)) {
        problems << QCoreApplication::translate("platform", "Cannot create file %1").arg(to);
        return false;
    }
    QFile::setPermissions(to, kUserFile);
    return true;
}

void copyMissingTree(const QString &from, const QString &to, QStringList &problems)
{
    if (!QDir().mkpath(to)) {
        problems << QCoreApplication::translate("platform", "Cannot create folder %1").arg(to);
        return;
    }
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString src = it.next();
        const QString dst = to + QLatin1Char('/') + QDir(from).relativeFilePath(src);
        const QFileInfo info = it.fileInfo();
        if (info.isSymLink())
            continue;
        if (info.isDir()) {
            if (!QDir().mkpath(dst))
                problems << QCoreApplication::translate("platform", "Cannot create folder %1").arg(dst);
        } else if (!copyMissingFile(src, dst, problems)) {
            return; // one message for a folder that cannot be written
        }
    }
}

// The per-user settings file, made from the delivered default: its first
// line, which says where the program looks for the file, is replaced by one
// that names this copy.
void copySettingsFile(const QString &from, const QString &to, QStringList &problems)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly)) {
        problems << QStringLiteral("Cannot read file %1").arg(from);
        return;
    }
    QByteArray text = source.readAll();
    if (text.startsWith("; Settings of Doduvodaz")) {
        const qsizetype end = text.indexOf('\n');
        const QByteArray eol = end > 0 && text.at(end - 1) == '\r' ? "\r" : "";
        const QByteArray line =
            QStringLiteral("; Settings of Doduvodaz for this user, kept in %1 because the program's folder "
                           "cannot be written.")
                .arg(to)
                .toUtf8();
        text.replace(0, end < 0 ? text.size() : end - eol.size(), line);
    }
    QFile target(to);
    if (!target.open(QIODevice::WriteOnly | QIODevice::NewOnly) || target.write(text) != text.size()) {
        problems << QStringLiteral("Cannot create file %1").arg(to);
        return;
    }
    target.setPermissions(kUserFile);
}

QString withSlash(QString dir)
{
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

} // namespace

QString deliveredDataDir()
{
    const QString installed = QDir::cleanPath(executableDir() + QStringLiteral("/../share/doduvodaz"));
    if (QFileInfo(installed).isDir())
        return installed;
#ifdef DODUVODAZ_SOURCE_DATA
    if (QFileInfo(QStringLiteral(DODUVODAZ_SOURCE_DATA)).isDir())
        return QStringLiteral(DODUVODAZ_SOURCE_DATA);
#endif
    return {};
}

QString userDataDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/doduvodaz");
}

QString userConfigDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/doduvodaz");
}

QStringList prepareWorkingFolder(const QString &recordFile)
{
    QStringList problems;
    if (QFileInfo::exists(recordFile))
        return problems; // the author's own folder
    const QString dir = userDataDir();
    if (!QDir().mkpath(dir) || !QFileInfo(dir).isWritable()) {
        problems << QCoreApplication::translate(
                        "platform", "Cannot create folder %1: the software record and the site list cannot be kept.")
                        .arg(dir);
        if (QFileInfo(dir).isDir())
            QDir::setCurrent(dir); // read what is there
        return problems;
    }
    const QString delivered = deliveredDataDir();
    QStringList names {recordFile};
    for (const char *name : kDelivered)
        names << QLatin1String(name);
    for (const QString &name : std::as_const(names)) {
        const QString target = dir + QLatin1Char('/') + name;
        const QString source = delivered.isEmpty() ? QString() : delivered + QLatin1Char('/') + name;
        const QFileInfo src(source);
        if (source.isEmpty() || !src.exists()) {
            if (!QFileInfo::exists(target))
                problems << QCoreApplication::translate("platform", "The delivered file %1 is missing.")
                                .arg(source.isEmpty() ? name : source);
            continue;
        }
        if (src.isDir())
            copyMissingTree(source, target, problems);
        else
            copyMissingFile(source, target, problems);
    }
    QDir::setCurrent(dir);
    return problems;
}

QString settingsFolder(QStringList *problems)
{
    const QString programDir = executableDir();
    if (QFileInfo(programDir).isWritable())
        return withSlash(programDir);
    const QString dir = userConfigDir();
    const QString file = dir + QStringLiteral("/quillet.ini");
    if (QFileInfo::exists(file))
        return withSlash(dir);
    QStringList found;
    if (!QDir().mkpath(dir)) {
        found << QCoreApplication::translate("platform", "Cannot create folder %1").arg(dir);
    } else {
        const QString delivered = deliveredDataDir();
        const QString source = delivered + QStringLiteral("/quillet.ini");
        if (delivered.isEmpty() || !QFileInfo::exists(source))
            found << QCoreApplication::translate("platform", "The delivered file %1 is missing.")
                         .arg(delivered.isEmpty() ? QStringLiteral("quillet.ini") : source);
        else
            copySettingsFile(source, file, found);
    }
    if (problems)
        *problems << found;
    return withSlash(dir);
}

} // namespace platform
