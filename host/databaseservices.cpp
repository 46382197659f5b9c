#include "host/databaseservices.h"

#include "core/korvelerror.h"
#include "persistence/framechanges.h"
#include "persistence/statementdeadline.h"
#include "persistence/statementmonitor.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QMutex>
#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSysInfo>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <vector>

namespace korvel {
namespace {

QSqlQuery prepared(const QSqlDatabase& database, const QString& sql)
{
    StatementMonitor::CountStatement(); // each prepared statement here runs once
    StatementDeadline::Reopen(database); // a connection the deadline cut
    QSqlQuery query(database);
    query.setForwardOnly(true);
    const StatementDeadline deadline(database); // QPSQL prepares on the server
    if (!query.prepare(sql)) {
        deadline.ThrowIfExpired();
        throw KorvelError(query.lastError().text());
    }
    return query;
}

void run(QSqlQuery& query)
{
    const StatementDeadline deadline(query.driver());
    if (!query.exec()) {
        deadline.ThrowIfExpired();
        throw KorvelError(query.lastError().text());
    }
}

bool isSqlite(const QSqlDatabase& database)
{
    return database.driverName() == QLatin1String("QSQLITE");
}

QString now()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// The sessions of this process that still run: a second host object of one process (as tests make)
// is another session, told apart from an ended one by this list rather than by the process.
struct RunningSessions {
    QMutex mutex;
    QSet<QString> ids;
};
RunningSessions& Running()
{
    static RunningSessions running;
    return running;
}

// On PostgreSQL each session holds a session-level advisory lock (SessionLockClass, a number made
// from its ID) for as long as its connection lives: the server drops it when the program ends, in
// whatever way, so any other session can tell from pg_locks whether it still runs.
constexpr qint32 SessionLockClass = 0x4b76; // "Kv"

// FNV-1a of the ID's UTF-8, in 31 bits: the same number in every process and on every machine.
qint32 SessionLockKey(const QString& sessionId)
{
    quint32 hash = 2166136261u;
    for (const char byte : sessionId.toUtf8()) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= 16777619u;
    }
    return static_cast<qint32>(hash & 0x7fffffffu);
}

QString SessionLockStatement(const char* function, const QString& sessionId)
{
    return QStringLiteral("SELECT %1(%2, %3)")
        .arg(QLatin1String(function))
        .arg(SessionLockClass)
        .arg(SessionLockKey(sessionId));
}

bool isPostgres(const QSqlDatabase& database)
{
    return database.driverName() == QLatin1String("QPSQL");
}

// Runs a statement that is only worth trying: the session's proof of life, a change log entry of a
// lock. Its failure must not undo the lock operation that already took place.
void tryToRun(const QSqlDatabase& database, const QString& sql)
{
    const StatementDeadline deadline(database);
    QSqlQuery query(database);
    query.exec(sql);
}

} // namespace

DatabaseServices::DatabaseServices(QSqlDatabase database) : m_database(std::move(database))
{
    static std::atomic<int> serial{0};
    m_sessionId = QStringLiteral("%1/%2/%3")
                      .arg(QSysInfo::machineHostName())
                      .arg(QCoreApplication::applicationPid())
                      .arg(++serial);
    {
        const QMutexLocker lock(&Running().mutex);
        Running().ids.insert(m_sessionId);
    }
    if (isPostgres(m_database) && m_database.isOpen()) {
        const QString proof = SessionLockStatement("pg_advisory_lock", m_sessionId);
        tryToRun(m_database, proof);
        // Taken again by a connection the statement deadline had to open anew.
        StatementDeadline::KeepSessionStatements(m_database, StatementDeadline::SessionStatements(m_database) << proof);
    }
}

DatabaseServices::~DatabaseServices()
{
    {
        const QMutexLocker lock(&Running().mutex);
        Running().ids.remove(m_sessionId);
    }
    if (isPostgres(m_database) && m_database.isOpen()) {
        QStringList statements = StatementDeadline::SessionStatements(m_database);
        statements.removeAll(SessionLockStatement("pg_advisory_lock", m_sessionId));
        StatementDeadline::KeepSessionStatements(m_database, statements);
        tryToRun(m_database, SessionLockStatement("pg_advisory_unlock", m_sessionId));
    }
}

bool DatabaseServices::sessionEnded(const QString& sessionId) const
{
    if (sessionId.isEmpty()) // a lock taken before sessions were told apart
        return true;
    if (sessionId == m_sessionId)
        return false;
    {
        const QMutexLocker lock(&Running().mutex);
        if (Running().ids.contains(sessionId))
            return false;
    }
    if (isPostgres(m_database)) {
        QSqlQuery query = prepared(m_database, QStringLiteral("SELECT 1 FROM pg_locks WHERE locktype = 'advisory' "
                                                              "AND classid = ? AND objid = ? AND objsubid = 2"));
        query.addBindValue(SessionLockClass);
        query.addBindValue(SessionLockKey(sessionId));
        run(query);
        return !query.next();
    }
    // SQLite: a session of a program on this machine has ended when its process is gone. One on
    // another machine (a database file on a share) cannot be seen from here and counts as running
    // until an administrator frees its locks (korvel --unlock).
    const QString host = sessionId.section(u'/', 0, -3);
    bool isNumber = false;
    const qint64 pid = sessionId.section(u'/', -2, -2).toLongLong(&isNumber);
    if (host != QSysInfo::machineHostName() || !isNumber)
        return false;
    if (pid == QCoreApplication::applicationPid())
        return true; // not in this process's list of running sessions
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

QSqlDatabase DatabaseServices::Connection()
{
    if (!m_database.isOpen())
        throw KorvelError(QStringLiteral("The host's database connection is not open"));
    return m_database;
}

DatabaseServices::LockRow DatabaseServices::lockOf(const QString& addinName, const QString& recordId)
{
    // Every column, so that a lock table made before SessionID existed can still be read.
    QSqlQuery query = prepared(
        m_database, QStringLiteral("SELECT * FROM Korvel_RecordLock WHERE AddinName = ? AND RecordID = ?"));
    query.addBindValue(addinName);
    query.addBindValue(recordId);
    run(query);
    if (!query.next())
        return {};
    const QSqlRecord row = query.record();
    const QString holder = row.value(QStringLiteral("StaffID")).toString();
    // A holder stored as an empty text still counts as a holder, distinct from "free".
    return {holder.isNull() ? QStringLiteral("") : holder, row.value(QStringLiteral("LockedAt")).toString(),
            row.indexOf(QStringLiteral("SessionID")) < 0 ? QString()
                                                         : row.value(QStringLiteral("SessionID")).toString()};
}

qint32 DatabaseServices::LockRecord(const QString& addinName, const QString& recordId, const QString& staffId)
{
    // Two processes may ask at the same moment: each tries to insert, the primary key lets only one
    // row in, and whoever reads its own session back holds the lock. The insert must not fail on a
    // duplicate: on PostgreSQL a failed statement would spoil a transaction the add-in has open.
    QString insertSql;
    if (isSqlite(m_database))
        insertSql =
            QStringLiteral("INSERT OR IGNORE INTO Korvel_RecordLock (AddinName, RecordID, StaffID, LockedAt, "
                           "SessionID) VALUES (?, ?, ?, ?, ?)");
    else if (isPostgres(m_database))
        insertSql = QStringLiteral("INSERT INTO Korvel_RecordLock (AddinName, RecordID, StaffID, LockedAt, "
                                   "SessionID) VALUES (?, ?, ?, ?, ?) ON CONFLICT DO NOTHING");
    else
        insertSql = QStringLiteral("INSERT INTO Korvel_RecordLock (AddinName, RecordID, StaffID, LockedAt, "
                                   "SessionID) VALUES (?, ?, ?, ?, ?)");

    QString insertError;
    // The holder may release, or another session take over, between our insert and our read; then
    // simply look again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        QSqlQuery insert = prepared(m_database, insertSql);
        insert.addBindValue(addinName);
        insert.addBindValue(recordId);
        insert.addBindValue(staffId);
        insert.addBindValue(now());
        insert.addBindValue(m_sessionId);
        const StatementDeadline deadline(m_database);
        if (!insert.exec()) {
            deadline.ThrowIfExpired();
            insertError = insert.lastError().text();
        }
        const bool inserted = insert.numRowsAffected() > 0;

        const LockRow lock = lockOf(addinName, recordId);
        if (lock.staffId.isNull())
            continue;
        if (lock.staffId == staffId && lock.sessionId == m_sessionId) {
            if (inserted)
                recordChange(recordId, staffId, FrameChangeKind::Locked);
            return 1;
        }
        if (lock.staffId == staffId && sessionEnded(lock.sessionId)) {
            if (claim(addinName, recordId, staffId, lock.sessionId))
                return 1;
            continue;
        }
        m_lastOwnerStaffId = lock.staffId;
        m_lastOwnerName = StaffName(lock.staffId);
        return 0;
    }
    throw KorvelError(
        QStringLiteral("Cannot lock record %1 of %2: %3")
            .arg(recordId, addinName, insertError.isEmpty() ? QStringLiteral("no lock row") : insertError));
}

qint32 DatabaseServices::TakeOverRecord(const QString& addinName, const QString& recordId, const QString& staffId)
{
    const LockRow lock = lockOf(addinName, recordId);
    if (lock.staffId.isNull() || lock.staffId != staffId)
        return 0;
    return lock.sessionId == m_sessionId || claim(addinName, recordId, staffId, lock.sessionId) ? 1 : 0;
}

qint32 DatabaseServices::UnlockRecord(const QString& addinName, const QString& recordId,
                                      const QString& staffId)
{
    QSqlQuery query = prepared(m_database, QStringLiteral("DELETE FROM Korvel_RecordLock WHERE AddinName = ? AND "
                                                          "RecordID = ? AND StaffID = ? AND SessionID = ?"));
    for (const QString& value : {addinName, recordId, staffId, m_sessionId})
        query.addBindValue(value);
    run(query);
    if (query.numRowsAffected() < 1)
        return 0;
    recordChange(recordId, staffId, FrameChangeKind::Unlocked);
    return 1;
}

bool DatabaseServices::claim(const QString& addinName, const QString& recordId, const QString& staffId,
                             const QString& fromSession)
{
    // Only from the session just seen: of two sessions taking over at once, one wins.
    QSqlQuery update = prepared(
        m_database, QStringLiteral("UPDATE Korvel_RecordLock SET SessionID = ?, LockedAt = ? WHERE AddinName = ? "
                                   "AND RecordID = ? AND StaffID = ? AND ") +
                        (fromSession.isEmpty() ? QStringLiteral("(SessionID IS NULL OR SessionID = '')")
                                               : QStringLiteral("SessionID = ?")));
    for (const QString& value : {m_sessionId, now(), addinName, recordId, staffId})
        update.addBindValue(value);
    if (!fromSession.isEmpty())
        update.addBindValue(fromSession);
    run(update);
    if (update.numRowsAffected() < 1)
        return false;
    recordChange(recordId, staffId, FrameChangeKind::Locked);
    return true;
}

void DatabaseServices::recordChange(const QString& recordId, const QString& staffId, FrameChangeKind kind)
{
    try {
        FrameChanges::Record(m_database, recordId, kind, staffId);
    } catch (const KorvelError&) {
        // Windows then learn of this lock only at their next refresh; the lock itself stands.
    }
}

qint32 DatabaseServices::GetLockState(const QString& addinName, const QString& recordId,
                                      const QString& staffId)
{
    const LockRow lock = lockOf(addinName, recordId);
    if (lock.staffId.isNull())
        return 0;
    if (lock.staffId != staffId)
        return 1;
    if (lock.sessionId == m_sessionId)
        return 2;
    return sessionEnded(lock.sessionId) && claim(addinName, recordId, staffId, lock.sessionId) ? 2 : 1;
}

bool DatabaseServices::HoldsLock(const QString& addinName, const QString& recordId)
{
    // Asked inside a save's transaction: on PostgreSQL the row is then kept from being broken or
    // taken over until the save commits (SQLite's writer already holds the whole file).
    QSqlQuery query = prepared(m_database, QStringLiteral("SELECT 1 FROM Korvel_RecordLock WHERE AddinName = ? AND "
                                                          "RecordID = ? AND SessionID = ?") +
                                               (isPostgres(m_database) ? QStringLiteral(" FOR SHARE") : QString()));
    for (const QString& value : {addinName, recordId, m_sessionId})
        query.addBindValue(value);
    run(query);
    return query.next();
}

QHash<QString, LockHolder> DatabaseServices::LockHolders(const QString& addinName, const QString& staffId)
{
    // A host database without a Staff table still lists its locks, under the holders' IDs. PostgreSQL
    // names a table outside the public schema with its schema.
    const QStringList tables = m_database.tables();
    const bool staffTable = std::any_of(tables.cbegin(), tables.cend(), [](const QString& table) {
        return table.section(u'.', -1).compare(QLatin1String("Staff"), Qt::CaseInsensitive) == 0;
    });
    QSqlQuery query = prepared(
        m_database, staffTable ? QStringLiteral("SELECT l.RecordID, l.StaffID, l.LockedAt, l.SessionID, s.StaffName "
                                                "FROM Korvel_RecordLock l LEFT JOIN Staff s ON s.Staff_ID = "
                                                "l.StaffID WHERE l.AddinName = ?")
                               : QStringLiteral("SELECT RecordID, StaffID, LockedAt, SessionID, NULL "
                                                "FROM Korvel_RecordLock WHERE AddinName = ?"));
    query.addBindValue(addinName);
    run(query);
    struct Row {
        QString recordId, staffId, lockedAt, sessionId, name;
    };
    std::vector<Row> rows;
    while (query.next())
        rows.push_back({query.value(0).toString(), query.value(1).toString(), query.value(2).toString(),
                        query.value(3).toString(), query.value(4).toString().trimmed()});
    query.finish();
    QHash<QString, LockHolder> holders;
    QHash<QString, bool> ended; // session ID -> has ended
    for (const Row& row : rows) {
        auto known = ended.constFind(row.sessionId);
        if (known == ended.cend())
            known = ended.insert(row.sessionId, sessionEnded(row.sessionId));
        holders.insert(row.recordId,
                       {row.name.isEmpty() ? row.staffId : row.name, row.staffId, row.lockedAt,
                        row.staffId == staffId && row.sessionId != m_sessionId && !known.value(), known.value()});
    }
    return holders;
}

bool DatabaseServices::GetLockHolder(const QString& addinName, const QString& recordId,
                                     const QString& staffId, LockHolder& holder)
{
    const LockRow lock = lockOf(addinName, recordId);
    if (lock.staffId.isNull())
        return false;
    const bool ended = sessionEnded(lock.sessionId);
    holder = {StaffName(lock.staffId), lock.staffId, lock.lockedAt,
              lock.staffId == staffId && lock.sessionId != m_sessionId && !ended, ended};
    return true;
}

void DatabaseServices::GetLockOwner(QString& ownerName, QString& ownerStaffId)
{
    ownerName = m_lastOwnerName;
    ownerStaffId = m_lastOwnerStaffId;
}

qint32 DatabaseServices::DatabaseType()
{
    if (m_databaseTypeOverride != 0)
        return m_databaseTypeOverride;
    return isSqlite(m_database) ? 1 : 2;
}

QString DatabaseServices::StaffName(const QString& staffId)
{
    // A database without a Staff table, or a staff ID missing from it, still has a name to show.
    const StatementDeadline deadline(m_database);
    QSqlQuery query(m_database);
    query.setForwardOnly(true);
    if (query.prepare(QStringLiteral("SELECT StaffName FROM Staff WHERE Staff_ID = ?"))) {
        query.addBindValue(staffId);
        if (query.exec() && query.next()) {
            const QString name = query.value(0).toString().trimmed();
            if (!name.isEmpty())
                return name;
        }
    }
    return staffId;
}

void DatabaseServices::EnsureLockTable(QSqlDatabase database)
{
    const StatementDeadline deadline(database);
    QSqlQuery query(database);
    QString statement;
    if (!query.exec(QStringLiteral("SELECT * FROM Korvel_RecordLock WHERE 1 = 0")))
        statement = QStringLiteral("CREATE TABLE Korvel_RecordLock (AddinName VARCHAR(40) NOT NULL, "
                                   "RecordID VARCHAR(40) NOT NULL, StaffID VARCHAR(40) NOT NULL, "
                                   "LockedAt VARCHAR(19) NOT NULL, SessionID VARCHAR(80), "
                                   "PRIMARY KEY (AddinName, RecordID))");
    else if (query.record().indexOf(QStringLiteral("SessionID")) < 0)
        statement = QStringLiteral("ALTER TABLE Korvel_RecordLock ADD COLUMN SessionID VARCHAR(80)");
    else
        return;
    query.finish();
    if (!query.exec(statement))
        throw KorvelError(QStringLiteral("Cannot prepare the lock table: %1").arg(query.lastError().text()));
}

QString DatabaseServices::BreakLock(const QString& addinName, const QString& recordId)
{
    // Only the lock just read is removed, so a lock that changed hands in between is named.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const LockRow lock = lockOf(addinName, recordId);
        if (lock.staffId.isNull())
            return lock.staffId;
        QSqlQuery query = prepared(
            m_database, QStringLiteral("DELETE FROM Korvel_RecordLock WHERE AddinName = ? AND RecordID = ? AND "
                                       "StaffID = ? AND ") +
                            (lock.sessionId.isEmpty() ? QStringLiteral("(SessionID IS NULL OR SessionID = '')")
                                                      : QStringLiteral("SessionID = ?")));
        for (const QString& value : {addinName, recordId, lock.staffId})
            query.addBindValue(value);
        if (!lock.sessionId.isEmpty())
            query.addBindValue(lock.sessionId);
        run(query);
        if (query.numRowsAffected() > 0) {
            recordChange(recordId, lock.staffId, FrameChangeKind::Unlocked);
            return lock.staffId;
        }
    }
    throw KorvelError(QStringLiteral("Cannot break the lock on record %1 of %2: it keeps changing hands")
                          .arg(recordId, addinName));
}

} // namespace korvel
