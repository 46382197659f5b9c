#include "host/databaseservices.h"

#include "core/korvelerror.h"
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
#include <atomic>
#include <cerrno>
#include <csignal>

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

} // namespace

DatabaseServices::DatabaseServices(QSqlDatabase database) : m_database(std::move(database))
{
    static std::atomic<int> serial{0};
    m_sessionId = QStringLiteral("%1/%2/%3")
                      .arg(QSysInfo::machineHostName())
                      .arg(QCoreApplication::applicationPid())
                      .arg(++serial);
    const QMutexLocker lock(&Running().mutex);
    Running().ids.insert(m_sessionId);
}

DatabaseServices::~DatabaseServices()
{
    const QMutexLocker lock(&Running().mutex);
    Running().ids.remove(m_sessionId);
}

bool DatabaseServices::runsElsewhere(const QString& sessionId) const
{
    if (sessionId.isEmpty() || sessionId == m_sessionId) // empty: a lock taken before sessions counted
        return false;
    const QString host = sessionId.section(u'/', 0, -3);
    bool isNumber = false;
    const qint64 pid = sessionId.section(u'/', -2, -2).toLongLong(&isNumber);
    if (host != QSysInfo::machineHostName())
        return true;
    if (!isNumber)
        return false;
    if (pid == QCoreApplication::applicationPid()) {
        const QMutexLocker lock(&Running().mutex);
        return Running().ids.contains(sessionId);
    }
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
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
    // row in, and whoever reads its own staff ID back holds the lock. The insert must not fail on a
    // duplicate: on PostgreSQL a failed statement would spoil a transaction the add-in has open.
    QString insertSql;
    if (isSqlite(m_database))
        insertSql =
            QStringLiteral("INSERT OR IGNORE INTO Korvel_RecordLock (AddinName, RecordID, StaffID, LockedAt, "
                           "SessionID) VALUES (?, ?, ?, ?, ?)");
    else if (m_database.driverName() == QLatin1String("QPSQL"))
        insertSql = QStringLiteral("INSERT INTO Korvel_RecordLock (AddinName, RecordID, StaffID, LockedAt, "
                                   "SessionID) VALUES (?, ?, ?, ?, ?) ON CONFLICT DO NOTHING");
    else
        insertSql = QStringLiteral("INSERT INTO Korvel_RecordLock (AddinName, RecordID, StaffID, LockedAt, "
                                   "SessionID) VALUES (?, ?, ?, ?, ?)");

    QString insertError;
    // The holder may release between our insert and our read; then simply try again.
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

        const LockRow lock = lockOf(addinName, recordId);
        if (lock.staffId.isNull())
            continue;
        if (lock.staffId == staffId) {
            if (lock.sessionId != m_sessionId) // the same staff ID elsewhere: this session takes over
                takeOver(addinName, recordId, staffId);
            return 1;
        }
        m_lastOwnerStaffId = lock.staffId;
        m_lastOwnerName = StaffName(lock.staffId);
        return 0;
    }
    throw KorvelError(
        QStringLiteral("Cannot lock record %1 of %2: %3")
            .arg(recordId, addinName, insertError.isEmpty() ? QStringLiteral("no lock row") : insertError));
}

qint32 DatabaseServices::UnlockRecord(const QString& addinName, const QString& recordId,
                                      const QString& staffId)
{
    QSqlQuery query = prepared(
        m_database,
        QStringLiteral("DELETE FROM Korvel_RecordLock WHERE AddinName = ? AND RecordID = ? AND StaffID = ?"));
    query.addBindValue(addinName);
    query.addBindValue(recordId);
    query.addBindValue(staffId);
    run(query);
    return query.numRowsAffected() > 0 ? 1 : 0;
}

void DatabaseServices::takeOver(const QString& addinName, const QString& recordId, const QString& staffId)
{
    QSqlQuery update =
        prepared(m_database, QStringLiteral("UPDATE Korvel_RecordLock SET SessionID = ?, LockedAt = ? "
                                            "WHERE AddinName = ? AND RecordID = ? AND StaffID = ?"));
    for (const QString& value : {m_sessionId, now(), addinName, recordId, staffId})
        update.addBindValue(value);
    run(update);
}

qint32 DatabaseServices::GetLockState(const QString& addinName, const QString& recordId,
                                      const QString& staffId)
{
    const LockRow lock = lockOf(addinName, recordId);
    if (lock.staffId.isNull())
        return 0;
    return lock.staffId == staffId && !runsElsewhere(lock.sessionId) ? 2 : 1;
}

QStringList DatabaseServices::HeldRecords(const QString& addinName, const QString& staffId)
{
    QSqlQuery query = prepared(
        m_database, QStringLiteral("SELECT * FROM Korvel_RecordLock WHERE AddinName = ? AND StaffID = ?"));
    query.addBindValue(addinName);
    query.addBindValue(staffId);
    run(query);
    QStringList held;
    const bool hasSession = query.record().indexOf(QStringLiteral("SessionID")) >= 0;
    while (query.next())
        if (!hasSession || !runsElsewhere(query.value(QStringLiteral("SessionID")).toString()))
            held << query.value(QStringLiteral("RecordID")).toString();
    return held;
}

bool DatabaseServices::GetLockHolder(const QString& addinName, const QString& recordId,
                                     const QString& staffId, LockHolder& holder)
{
    const LockRow lock = lockOf(addinName, recordId);
    if (lock.staffId.isNull())
        return false;
    holder = {StaffName(lock.staffId), lock.staffId, lock.lockedAt,
              lock.staffId == staffId && runsElsewhere(lock.sessionId)};
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
    // Only the holder just read is released, so a lock that changed hands in between is named.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const QString holder = holderOf(addinName, recordId);
        if (holder.isNull() || UnlockRecord(addinName, recordId, holder) == 1)
            return holder;
    }
    throw KorvelError(QStringLiteral("Cannot break the lock on record %1 of %2: it keeps changing hands")
                          .arg(recordId, addinName));
}

} // namespace korvel
