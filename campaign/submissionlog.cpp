#include "submissionlog.h"

#include "logfileidentity.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSqlError>
#include <QSet>
#include <QSqlQuery>
#include <QVariant>
#include <atomic>

namespace campaign {

namespace {

// "Dodu": marks the file as this program's log, so that another program's
// database that happens to carry the name is refused rather than changed.
constexpr int kApplicationId = kLogApplicationId;
constexpr int kSchemaVersion = kLogSchemaVersion;
// How long a write waits for another copy of the program writing the file.
constexpr int kBusyTimeoutMs = 2000;

// The columns each table of the log must have.
const char *const kSitesColumns[] = {"id", "name", "new_url", "update_url"};
const char *const kEventsColumns[] = {"id",      "time",   "program", "version", "site",  "kind", "is_state",
                                      "address", "detail", "status",  "title",   "state", "note"};

const char *const kSchema[] = {
    // Each site as the directory listed it when something happened to it.
    "CREATE TABLE IF NOT EXISTS sites ("
    " id INTEGER PRIMARY KEY,"
    " name TEXT NOT NULL,"
    " new_url TEXT NOT NULL,"
    " update_url TEXT NOT NULL,"
    " UNIQUE (name, new_url, update_url))",
    // time: milliseconds since 1970 UTC. status: the HTTP status, 0 when not
    // known. state and note: set on "state" rows (is_state 1) only.
    "CREATE TABLE IF NOT EXISTS events ("
    " id INTEGER PRIMARY KEY,"
    " time INTEGER NOT NULL,"
    " program TEXT NOT NULL,"
    " version TEXT NOT NULL,"
    " site INTEGER NOT NULL REFERENCES sites (id),"
    " kind TEXT NOT NULL,"
    " is_state INTEGER NOT NULL,"
    " address TEXT NOT NULL DEFAULT '',"
    " detail TEXT NOT NULL DEFAULT '',"
    " status INTEGER NOT NULL DEFAULT 0,"
    " title TEXT NOT NULL DEFAULT '',"
    " state TEXT NOT NULL DEFAULT '',"
    " note TEXT NOT NULL DEFAULT '')",
    // A campaign's rows by site, states apart: the last row of each group is
    // found in the index alone.
    "CREATE INDEX IF NOT EXISTS events_by_campaign ON events (program, version, site, is_state, id)",
};

QString siteKey(const Site &s) { return s.name + QChar(0) + s.newReleaseUrl + QChar(0) + s.updateUrl; }

QString nextConnectionName()
{
    static std::atomic<int> n {0};
    return QStringLiteral("submissionlog-%1").arg(++n);
}

QString reasonOf(const QSqlError &e)
{
    QString text = e.databaseText().isEmpty() ? e.text() : e.databaseText();
    return text.trimmed().isEmpty() ? QStringLiteral("unknown error") : text.trimmed();
}

// Whether the database holds the log's two tables with their columns; why
// not, when not.
// Whether the file holds the log's tables with all their columns. A file of
// ours that holds neither table yet (made by the site check first) is a log
// still to be set up: *none is set and the answer is true.
bool hasLogTables(const QSqlDatabase &db, QString *why, bool *none)
{
    int absent = 0;
    const auto check = [&](const QString &table, auto &&columns) {
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("PRAGMA table_info(%1)").arg(table))) {
            *why = reasonOf(q.lastError());
            return false;
        }
        QSet<QString> present;
        while (q.next())
            present.insert(q.value(1).toString());
        if (present.isEmpty()) {
            ++absent;
            return true;
        }
        for (const char *column : columns)
            if (!present.contains(QString::fromLatin1(column))) {
                *why = QStringLiteral("it is not a submission log (table %1 lacks column %2)")
                           .arg(table, QString::fromLatin1(column));
                return false;
            }
        return true;
    };
    if (!check(QStringLiteral("sites"), kSitesColumns) || !check(QStringLiteral("events"), kEventsColumns))
        return false;
    *none = absent == 2;
    if (absent == 1) {
        *why = QStringLiteral("it is not a submission log (a table is missing)");
        return false;
    }
    return true;
}

} // namespace

QString stateWord(State s)
{
    switch (s) {
    case State::Done: return QStringLiteral("done");
    case State::Skipped: return QStringLiteral("skipped");
    case State::Failed: return QStringLiteral("failed");
    case State::Open: break;
    }
    return QStringLiteral("open");
}

State stateFromWord(const QString &word)
{
    if (word == QLatin1String("done"))
        return State::Done;
    if (word == QLatin1String("skipped"))
        return State::Skipped;
    if (word == QLatin1String("failed"))
        return State::Failed;
    return State::Open;
}

QString stateCaption(State s)
{
    switch (s) {
    case State::Done: return QStringLiteral("Done");
    case State::Skipped: return QStringLiteral("Skipped");
    case State::Failed: return QStringLiteral("Failed");
    case State::Open: break;
    }
    return QStringLiteral("Open");
}

QString eventWord(EventKind k)
{
    switch (k) {
    case EventKind::Opened: return QStringLiteral("open");
    case EventKind::Filled: return QStringLiteral("fill");
    case EventKind::Login: return QStringLiteral("login");
    case EventKind::Pressed: return QStringLiteral("press");
    case EventKind::Submit: return QStringLiteral("submit");
    case EventKind::Result: return QStringLiteral("result");
    case EventKind::Closed: return QStringLiteral("close");
    case EventKind::StateSet: break;
    }
    return QStringLiteral("state");
}

SubmissionLog::SubmissionLog(QObject *parent) : QObject(parent), m_connection(nextConnectionName()) { }

SubmissionLog::~SubmissionLog()
{
    if (QSqlDatabase::contains(m_connection)) {
        QSqlDatabase::database(m_connection, false).close();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

QString SubmissionLog::fileName() { return QStringLiteral("submissions.sqlite"); }

bool SubmissionLog::fail(const QString &reason)
{
    const bool wasOn = m_on;
    m_on = false;
    if (m_problem.isEmpty())
        m_problem = QStringLiteral("The submission log %1 cannot be used: %2. Submissions are not logged until the "
                                   "program is started again; the file was left as it is.")
                        .arg(QDir::toNativeSeparators(m_path), reason);
    if (QSqlDatabase::contains(m_connection))
        QSqlDatabase::database(m_connection, false).close();
    if (wasOn)
        Q_EMIT switchedOff(m_problem);
    return false;
}

bool SubmissionLog::open(const QString &path)
{
    // A log that does not exist yet is made with its first event, so that a
    // start without one pays nothing for it.
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) {
        m_path = QFileInfo(path).absoluteFilePath();
        if (!QFileInfo(QFileInfo(m_path).absolutePath()).isWritable())
            return fail(QStringLiteral("its folder may not be written"));
        m_deferred = true;
        m_on = true;
        return true;
    }
    return openDatabase(path, false);
}

bool SubmissionLog::openForReading(const QString &path)
{
    if (!QFileInfo::exists(path)) {
        m_path = QFileInfo(path).absoluteFilePath();
        m_on = false; // nothing logged yet: every site is open
        return true;
    }
    return openDatabase(path, true);
}

bool SubmissionLog::openDatabase(const QString &path, bool readOnly)
{
    m_path = QFileInfo(path).absoluteFilePath();
    m_readOnly = readOnly;
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        return fail(QStringLiteral("the SQLite driver of Qt (package libqt6sql6-sqlite) is not installed"));
    if (QFileInfo(m_path).isDir())
        return fail(QStringLiteral("it is a folder"));
    // SQLite opens a file it may not write for reading without a word, and the
    // write-ahead log needs files of its own beside it.
    if (!readOnly) {
        const QFileInfo file(m_path);
        if (file.exists() && !file.isWritable())
            return fail(QStringLiteral("the file may not be written"));
        if (!QFileInfo(file.absolutePath()).isWritable())
            return fail(QStringLiteral("its folder may not be written"));
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(m_path);
    // Another copy of the program may write the same file: its writes are
    // waited for, then the file counts as locked. Until the file is known to
    // be a submission log it is opened for reading only, so that nothing
    // (not even the switch to WAL) touches another program's database.
    // A file that does not exist (yet: another copy may be making it) holds
    // nothing to protect and is opened for writing at once.
    const bool checkFirst = readOnly || QFileInfo::exists(m_path);
    const QString busy = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs);
    db.setConnectOptions(checkFirst ? QStringLiteral("QSQLITE_OPEN_READONLY;") + busy : busy);
    if (!db.open())
        return fail(reasonOf(db.lastError()));

    QSqlQuery q(db);
    // SQLite reads the file's header first: a file that is not a database is
    // refused here, before anything is written to it.
    QSqlError readError;
    const LogFileIdentity identity = readLogIdentity(db, &readError);
    if (identity == LogFileIdentity::Unreadable)
        return fail(reasonOf(readError));
    if (identity == LogFileIdentity::Foreign)
        return fail(QStringLiteral("it is not a submission log"));
    const int appId = identity == LogFileIdentity::Ours ? kApplicationId : 0;
    if (appId == 0) {
        if (readOnly) {
            m_on = true; // an empty database: nothing logged
            m_deferred = true;
            return true;
        }
    } else {
        QString why;
        bool none = false;
        if (!hasLogTables(db, &why, &none))
            return fail(why);
        if (none && readOnly) {
            m_on = true; // only site checks so far: nothing logged
            m_deferred = true;
            return true;
        }
    }
    if (readOnly) {
        m_on = true;
        return true;
    }
    if (checkFirst) {
        // The file is a log (or an empty database): open it again for writing.
        q = QSqlQuery();
        db.close();
        db.setConnectOptions(busy);
        if (!db.open())
            return fail(reasonOf(db.lastError()));
        q = QSqlQuery(db);
    }

    // WAL: each commit is appended to the log file and survives the process.
    // NORMAL synchronisation loses nothing committed when the program dies;
    // only a power cut may lose the last commits.
    if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL")))
        return fail(reasonOf(q.lastError()));
    q.finish();
    if (!q.exec(QStringLiteral("PRAGMA synchronous=NORMAL")))
        return fail(reasonOf(q.lastError()));
    // A file locked by another writer is found now rather than at the first
    // submission: the write lock is taken (and given back without a write,
    // which costs no disk access).
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return fail(reasonOf(q.lastError()));
    auto rollback = [&](const QSqlError &e) {
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return fail(reasonOf(e));
    };
    for (const char *statement : kSchema)
        if (!q.exec(QString::fromLatin1(statement)))
            return rollback(q.lastError());
    if (appId == 0) {
        if (!q.exec(QStringLiteral("PRAGMA application_id=%1").arg(kApplicationId)) ||
            !q.exec(QStringLiteral("PRAGMA user_version=%1").arg(kSchemaVersion)))
            return rollback(q.lastError());
    }
    if (!q.exec(QStringLiteral("COMMIT")))
        return rollback(q.lastError());
    m_on = true;
    return true;
}

bool SubmissionLog::loadSites()
{
    // Another copy of the program may have added sites since the last read:
    // the rows after the highest id known are read each time.
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT id, name, new_url, update_url FROM sites WHERE id > ? ORDER BY id"));
    q.addBindValue(m_lastSiteId);
    if (!q.exec())
        return fail(reasonOf(q.lastError()));
    while (q.next()) {
        const Site s {q.value(1).toString(), q.value(2).toString(), q.value(3).toString()};
        const qint64 id = q.value(0).toLongLong();
        m_siteIds.insert(siteKey(s), id);
        m_sites.insert(id, s);
        m_lastSiteId = qMax(m_lastSiteId, id);
    }
    if (q.lastError().isValid())
        return fail(reasonOf(q.lastError()));
    return true;
}

bool SubmissionLog::write(const Campaign &c, const Site &site, const QString &kind, const Event &event,
                          const QString &state, const QString &note)
{
    if (!m_on || m_readOnly)
        return false;
    if (m_deferred) {
        m_deferred = false;
        if (!openDatabase(m_path, false))
            return false; // switched off, said once
    }
    if (!loadSites())
        return false;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    // A null string would be bound as NULL; the columns hold text.
    auto text = [](const QString &s) { return s.isNull() ? QVariant(QStringLiteral("")) : QVariant(s); };
    const QString key = siteKey(site);
    qint64 siteId = m_siteIds.value(key, 0);
    QSqlQuery q(db);
    // The site's row (when new) and the event are one transaction: once it
    // is committed the event is in the write-ahead log and survives the
    // program.
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return fail(reasonOf(q.lastError()));
    auto rollback = [&](const QSqlError &e) {
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return fail(reasonOf(e));
    };
    if (siteId == 0) {
        // Another copy of the program may have added the same site since the
        // table was read: its row is taken then.
        q.prepare(QStringLiteral("INSERT OR IGNORE INTO sites (name, new_url, update_url) VALUES (?, ?, ?)"));
        q.addBindValue(text(site.name));
        q.addBindValue(text(site.newReleaseUrl));
        q.addBindValue(text(site.updateUrl));
        if (!q.exec())
            return rollback(q.lastError());
        q.prepare(QStringLiteral("SELECT id FROM sites WHERE name = ? AND new_url = ? AND update_url = ?"));
        q.addBindValue(text(site.name));
        q.addBindValue(text(site.newReleaseUrl));
        q.addBindValue(text(site.updateUrl));
        if (!q.exec())
            return rollback(q.lastError());
        if (!q.next())
            return rollback(QSqlError(QString(), QStringLiteral("the site's row was not written")));
        siteId = q.value(0).toLongLong();
        q.finish();
    }
    q.prepare(QStringLiteral("INSERT INTO events (time, program, version, site, kind, is_state, address, detail,"
                             " status, title, state, note) VALUES (?,?,?,?,?,?,?,?,?,?,?,?)"));
    q.addBindValue(QDateTime::currentMSecsSinceEpoch());
    q.addBindValue(text(c.program));
    q.addBindValue(text(c.version));
    q.addBindValue(siteId);
    q.addBindValue(text(kind));
    q.addBindValue(kind == eventWord(EventKind::StateSet) ? 1 : 0);
    q.addBindValue(text(event.address));
    q.addBindValue(text(event.detail));
    q.addBindValue(event.httpStatus);
    q.addBindValue(text(event.title));
    q.addBindValue(text(state));
    q.addBindValue(text(note));
    if (!q.exec())
        return rollback(q.lastError());
    if (!q.exec(QStringLiteral("COMMIT")))
        return rollback(q.lastError());
    if (!m_siteIds.contains(key)) {
        m_siteIds.insert(key, siteId);
        m_sites.insert(
            siteId,
            Site {text(site.name).toString(), text(site.newReleaseUrl).toString(), text(site.updateUrl).toString()});
    }
    Q_EMIT changed();
    return true;
}

bool SubmissionLog::record(const Campaign &c, const Site &site, const Event &event)
{
    return write(c, site, eventWord(event.kind), event, QString(), QString());
}

bool SubmissionLog::setState(const Campaign &c, const Site &site, State state, const QString &note)
{
    Event e;
    e.kind = EventKind::StateSet;
    return write(c, site, eventWord(EventKind::StateSet), e, stateWord(state), state == State::Open ? QString() : note);
}

// Calls perRow(index, site, row, state, note, rows) for the rows of the
// campaign, oldest first; index is the listed site the row belongs to, or -1.
// With latestOnly, only the rows that decide a status are read; with nameAlone
// a site whose addresses all changed is still found by its name.
template <typename F>
void SubmissionLog::scan(const Campaign &c, const QList<Site> &sites, bool latestOnly, bool nameAlone, F &&perRow)
{
    if (!m_on || m_deferred)
        return;
    // A logged site belongs to the listed site with the same name and
    // addresses. Failing that (a directory update renamed or moved it), to
    // the one listed with both its addresses, then with one of them, then
    // with its name when only one site is listed with that name; the first
    // site listed with an address wins it.
    QHash<QString, int> byKey, byAddresses, byNew, byUpdate, byName;
    QSet<QString> sharedNames;
    auto claim = [](QHash<QString, int> &h, const QString &key, int i) {
        if (!key.isEmpty() && !h.contains(key))
            h.insert(key, i);
    };
    for (int i = 0; i < sites.size(); ++i) {
        const Site &s = sites[i];
        claim(byKey, siteKey(s), i);
        if (!s.newReleaseUrl.isEmpty() && !s.updateUrl.isEmpty())
            claim(byAddresses, s.newReleaseUrl + QChar(0) + s.updateUrl, i);
        claim(byNew, s.newReleaseUrl, i);
        claim(byUpdate, s.updateUrl, i);
        if (byName.contains(s.name))
            sharedNames.insert(s.name);
        claim(byName, s.name, i);
    }

    if (!loadSites())
        return;
    // Where each logged site stands in the list, made once per scan.
    QHash<qint64, int> listed;
    listed.reserve(m_sites.size());
    for (auto it = m_sites.constBegin(); it != m_sites.constEnd(); ++it) {
        const Site &s = it.value();
        int index = byKey.value(siteKey(s), -1);
        if (index < 0 && !s.newReleaseUrl.isEmpty() && !s.updateUrl.isEmpty())
            index = byAddresses.value(s.newReleaseUrl + QChar(0) + s.updateUrl, -1);
        if (index < 0 && !s.newReleaseUrl.isEmpty())
            index = byNew.value(s.newReleaseUrl, -1);
        if (index < 0 && !s.updateUrl.isEmpty())
            index = byUpdate.value(s.updateUrl, -1);
        if (index < 0 && nameAlone && !sharedNames.contains(s.name))
            index = byName.value(s.name, -1);
        listed.insert(it.key(), index);
    }

    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    if (latestOnly) {
        // Per logged site only its last state row and its last other row,
        // with the number of rows each stands for.
        q.prepare(QStringLiteral(
            "SELECT e.id, e.time, e.site, e.kind, e.address, e.detail, e.status, e.title, e.state, e.note, g.n"
            " FROM (SELECT max(id) AS id, count(*) AS n FROM events WHERE program = ? AND version = ?"
            " GROUP BY site, is_state) AS g JOIN events AS e ON e.id = g.id ORDER BY e.id"));
    } else {
        q.prepare(QStringLiteral("SELECT id, time, site, kind, address, detail, status, title, state, note, 1"
                                 " FROM events WHERE program = ? AND version = ? ORDER BY id"));
    }
    q.addBindValue(c.program.isNull() ? QStringLiteral("") : c.program);
    q.addBindValue(c.version.isNull() ? QStringLiteral("") : c.version);
    if (!q.exec()) {
        fail(reasonOf(q.lastError()));
        return;
    }
    while (q.next()) {
        const qint64 siteId = q.value(2).toLongLong();
        const int index = listed.value(siteId, -1);
        LoggedEvent e;
        e.id = q.value(0).toLongLong();
        e.time = QDateTime::fromMSecsSinceEpoch(q.value(1).toLongLong(), Qt::UTC);
        e.kind = q.value(3).toString();
        e.address = q.value(4).toString();
        e.detail = q.value(5).toString();
        e.httpStatus = q.value(6).toInt();
        e.title = q.value(7).toString();
        perRow(index, m_sites.value(siteId), e, q.value(8).toString(), q.value(9).toString(), q.value(10).toInt());
    }
    if (q.lastError().isValid())
        fail(reasonOf(q.lastError()));
}

namespace {
void apply(SiteStatus &st, const LoggedEvent &e, const QString &state, const QString &note, int rows)
{
    st.events += rows;
    if (e.kind == QLatin1String("state")) {
        st.state = stateFromWord(state);
        st.note = note;
        st.stateTime = e.time;
    } else {
        st.last = e;
    }
}
} // namespace

QList<SiteStatus> SubmissionLog::statuses(const Campaign &c, const QList<Site> &sites)
{
    QList<SiteStatus> out(sites.size());
    scan(c, sites, true, true,
         [&](int index, const Site &, const LoggedEvent &e, const QString &state, const QString &note, int rows) {
             if (index >= 0)
                 apply(out[index], e, state, note, rows);
         });
    return out;
}

QList<std::pair<Site, SiteStatus>> SubmissionLog::unlisted(const Campaign &c, const QList<Site> &sites)
{
    QList<std::pair<Site, SiteStatus>> out;
    QHash<QString, int> seen;
    scan(c, sites, true, true,
         [&](int index, const Site &s, const LoggedEvent &e, const QString &state, const QString &note, int rows) {
             if (index >= 0)
                 return;
             const QString key = s.name + QChar(0) + s.newReleaseUrl + QChar(0) + s.updateUrl;
             int at = seen.value(key, -1);
             if (at < 0) {
                 at = int(out.size());
                 seen.insert(key, at);
                 out.append({s, SiteStatus()});
             }
             apply(out[at].second, e, state, note, rows);
         });
    return out;
}

QList<LoggedEvent> SubmissionLog::history(const Campaign &c, const Site &site)
{
    QList<LoggedEvent> out;
    scan(c, {site}, false, false,
         [&](int index, const Site &, const LoggedEvent &e, const QString &, const QString &, int) {
             if (index == 0)
                 out.append(e);
         });
    return out;
}

} // namespace campaign
