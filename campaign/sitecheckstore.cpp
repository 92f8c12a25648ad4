#include "sitecheckstore.h"

#include "logfileidentity.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <atomic>

namespace campaign {

namespace {

// The submission log's mark and schema version: a new file is made as a log,
// so that the log accepts it afterwards.
constexpr int kApplicationId = kLogApplicationId;
constexpr int kSchemaVersion = kLogSchemaVersion;

const char *const kSchema[] = {
    // time: milliseconds since 1970 UTC; status 0 when no answer came; kind:
    // the outcome word ("ok" for a live page).
    "CREATE TABLE IF NOT EXISTS site_checks ("
    " id INTEGER PRIMARY KEY,"
    " time INTEGER NOT NULL,"
    " name TEXT NOT NULL,"
    " new_url TEXT NOT NULL,"
    " update_url TEXT NOT NULL,"
    " address TEXT NOT NULL,"
    " status INTEGER NOT NULL DEFAULT 0,"
    " final_url TEXT NOT NULL DEFAULT '',"
    " redirect_host TEXT NOT NULL DEFAULT '',"
    " kind TEXT NOT NULL,"
    " detail TEXT NOT NULL DEFAULT '')",
    "CREATE INDEX IF NOT EXISTS site_checks_by_address ON site_checks (name, new_url, update_url, address, id)",
};

QString nextConnectionName()
{
    static std::atomic<int> n {0};
    return QStringLiteral("sitecheckstore-%1").arg(++n);
}

QString reasonOf(const QSqlError &e)
{
    const QString text = (e.databaseText().isEmpty() ? e.text() : e.databaseText()).trimmed();
    return text.isEmpty() ? QStringLiteral("unknown error") : text;
}

// Qt binds a null text as SQL NULL; the columns hold "" instead.
QString notNull(const QString &text) { return text.isNull() ? QStringLiteral("") : text; }

struct Word {
    CheckOutcome outcome;
    const char *word;
};
constexpr Word kWords[] = {
    {CheckOutcome::Live, "ok"},         {CheckOutcome::Http, "http"},      {CheckOutcome::Dns, "dns"},
    {CheckOutcome::Refused, "refused"}, {CheckOutcome::Tls, "tls"},        {CheckOutcome::Timeout, "timeout"},
    {CheckOutcome::Parked, "parked"},   {CheckOutcome::NoForm, "no-form"}, {CheckOutcome::Moved, "moved"},
    {CheckOutcome::Network, "network"},
};

} // namespace

QString outcomeWord(CheckOutcome o)
{
    for (const Word &w : kWords)
        if (w.outcome == o)
            return QString::fromLatin1(w.word);
    return QStringLiteral("network");
}

CheckOutcome outcomeFromWord(const QString &word)
{
    for (const Word &w : kWords)
        if (word == QLatin1String(w.word))
            return w.outcome;
    return CheckOutcome::Network;
}

QString siteCheckKey(const Site &site, const QString &address)
{
    return site.name + QChar(0) + site.newReleaseUrl + QChar(0) + site.updateUrl + QChar(0) + address;
}

SiteCheckStore::SiteCheckStore() : m_connection(nextConnectionName()) { }

SiteCheckStore::~SiteCheckStore()
{
    if (QSqlDatabase::contains(m_connection)) {
        QSqlDatabase::database(m_connection, false).close();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

bool SiteCheckStore::fail(const QString &reason)
{
    m_open = false;
    if (m_problem.isEmpty())
        m_problem = QStringLiteral("The site checks cannot be kept in %1: %2. The file was left as it is.")
                        .arg(QDir::toNativeSeparators(m_path), reason);
    if (QSqlDatabase::contains(m_connection))
        QSqlDatabase::database(m_connection, false).close();
    return false;
}

bool SiteCheckStore::open(const QString &path) { return openDatabase(path, false); }

bool SiteCheckStore::openForReading(const QString &path)
{
    if (!QFileInfo::exists(path)) {
        m_path = QFileInfo(path).absoluteFilePath();
        m_open = true;
        m_empty = true; // nothing checked yet
        return true;
    }
    return openDatabase(path, true);
}

bool SiteCheckStore::openDatabase(const QString &path, bool readOnly)
{
    m_path = QFileInfo(path).absoluteFilePath();
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        return fail(QStringLiteral("the SQLite driver of Qt (package libqt6sql6-sqlite) is not installed"));
    const QFileInfo file(m_path);
    if (file.isDir())
        return fail(QStringLiteral("it is a folder"));
    if (!readOnly) {
        if (file.exists() && !file.isWritable())
            return fail(QStringLiteral("the file may not be written"));
        if (!QFileInfo(file.absolutePath()).isWritable())
            return fail(QStringLiteral("its folder may not be written"));
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(m_path);
    db.setConnectOptions(readOnly ? QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000")
                                  : QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
    if (!db.open())
        return fail(reasonOf(db.lastError()));
    QSqlQuery q(db);
    QSqlError readError;
    const LogFileIdentity identity = readLogIdentity(db, &readError);
    if (identity == LogFileIdentity::Unreadable)
        return fail(reasonOf(readError));
    if (identity == LogFileIdentity::Foreign)
        return fail(QStringLiteral("it is not a submission log"));
    const int appId = identity == LogFileIdentity::Ours ? kApplicationId : 0;
    if (readOnly) {
        if (!q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND name='site_checks'")))
            return fail(reasonOf(q.lastError()));
        m_empty = !q.next();
        q.finish();
        m_open = true;
        return true;
    }
    if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !q.exec(QStringLiteral("PRAGMA synchronous=NORMAL")))
        return fail(reasonOf(q.lastError()));
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return fail(reasonOf(q.lastError()));
    const auto rollback = [&](const QSqlError &e) {
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return fail(reasonOf(e));
    };
    for (const char *statement : kSchema)
        if (!q.exec(QString::fromLatin1(statement)))
            return rollback(q.lastError());
    if (appId == 0 &&
        (!q.exec(QStringLiteral("PRAGMA application_id=%1").arg(kApplicationId)) ||
         !q.exec(QStringLiteral("PRAGMA user_version=%1").arg(kSchemaVersion))))
        return rollback(q.lastError());
    if (!q.exec(QStringLiteral("COMMIT")))
        return rollback(q.lastError());
    m_open = true;
    return true;
}

bool SiteCheckStore::record(const SiteCheck &check) { return record(QList<SiteCheck> {check}); }

bool SiteCheckStore::record(const QList<SiteCheck> &checks)
{
    if (!m_open || m_empty)
        return false;
    if (checks.isEmpty())
        return true;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.transaction())
        return fail(reasonOf(db.lastError()));
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO site_checks (time, name, new_url, update_url, address, status, final_url, "
                             "redirect_host, kind, detail) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (const SiteCheck &check : checks) {
        q.addBindValue(check.time.toMSecsSinceEpoch());
        q.addBindValue(notNull(check.site.name));
        q.addBindValue(notNull(check.site.newReleaseUrl));
        q.addBindValue(notNull(check.site.updateUrl));
        q.addBindValue(notNull(check.address));
        q.addBindValue(check.httpStatus);
        q.addBindValue(notNull(check.finalAddress));
        q.addBindValue(notNull(check.redirectHost));
        q.addBindValue(outcomeWord(check.outcome));
        q.addBindValue(notNull(check.detail));
        if (!q.exec()) {
            const QString reason = reasonOf(q.lastError());
            db.rollback();
            return fail(reason);
        }
    }
    if (!db.commit()) {
        const QString reason = reasonOf(db.lastError());
        db.rollback();
        return fail(reason);
    }
    return true;
}

QHash<QString, SiteCheck> SiteCheckStore::latest()
{
    QHash<QString, SiteCheck> out;
    if (!m_open || m_empty)
        return out;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    // The last row of each address is found in the index.
    if (!q.exec(QStringLiteral("SELECT time, name, new_url, update_url, address, status, final_url, redirect_host, "
                               "kind, detail FROM site_checks WHERE id IN (SELECT max(id) FROM site_checks "
                               "GROUP BY name, new_url, update_url, address)"))) {
        fail(reasonOf(q.lastError()));
        return out;
    }
    while (q.next()) {
        SiteCheck c;
        c.time = QDateTime::fromMSecsSinceEpoch(q.value(0).toLongLong(), Qt::UTC);
        c.site = {q.value(1).toString(), q.value(2).toString(), q.value(3).toString()};
        c.address = q.value(4).toString();
        c.httpStatus = q.value(5).toInt();
        c.finalAddress = q.value(6).toString();
        c.redirectHost = q.value(7).toString();
        c.outcome = outcomeFromWord(q.value(8).toString());
        c.detail = q.value(9).toString();
        out.insert(siteCheckKey(c.site, c.address), c);
    }
    return out;
}

} // namespace campaign
