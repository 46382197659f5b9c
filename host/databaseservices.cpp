#include "host/databaseservices.h"

#include "core/korvelerror.h"

#include <QDateTime>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

namespace korvel {
namespace {

QSqlQuery prepared(const QSqlDatabase& database, const QString& sql)
{
    QSqlQuery query(database);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        throw KorvelError(query.lastError().text());
    return query;
}

void run(QSqlQuery& query)
{
    if (!query.exec())
        throw KorvelError(query.lastError().text());
}

bool isSqlite(const QSqlDatabase& database)
{
    return database.driverName() == QLatin1String("QSQLITE");
}

} // namespace

DatabaseServices::DatabaseServices(QSqlDatabase database) : m_database(std::move(database)) {}

QSqlDatabase DatabaseServices::Connection()
{
    if (!m_database.isOpen())
        throw KorvelError(QStringLiteral("The host's database connection is not open"));
    return m_database;
}

QString DatabaseServices::holderOf(const QString& addinName, const QString& recordId)
{
    QSqlQuery query = prepared(
        m_database,
        QStringLiteral("SELECT StaffID FROM Korvel_RecordLock WHERE AddinName = ? AND RecordID = ?"));
    query.addBindValue(addinName);
    query.addBindValue(recordId);
    run(query);
    if (!query.next())
        return {};
    const QString holder = query.value(0).toString();
    // A holder stored as an empty text still counts as a holder, distinct from "free".
    return holder.isNull() ? QStringLiteral("") : holder;
}

qint32 DatabaseServices::LockRecord(const QString& addinName, const QString& recordId, const QString& staffId)
{
    // Two processes may ask at the same moment: each tries to insert, the primary key lets only one
    // row in, and whoever reads its own staff ID back holds the lock. The insert must not fail on a
    // duplicate: on PostgreSQL a failed statement would spoil a transaction the add-in has open.
    QString insertSql;
    if (isSqlite(m_database))
        insertSql =
            QStringLiteral("INSERT OR IGNORE INTO Korvel_RecordLock (AddinName, RecordID, StaffID, LockedAt) "
                           "VALUES (?, ?, ?, ?)");
    else if (m_database.driverName() == QLatin1String("QPSQL"))
        insertSql = QStringLiteral("INSERT INTO Korvel_RecordLock (AddinName, RecordID, StaffID, LockedAt) "
                                   "VALUES (?, ?, ?, ?) ON CONFLICT DO NOTHING");
    else
        insertSql = QStringLiteral("INSERT INTO Korvel_RecordLock (AddinName, RecordID, StaffID, LockedAt) "
                                   "VALUES (?, ?, ?, ?)");

    QString insertError;
    // The holder may release between our insert and our read; then simply try again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        QSqlQuery insert = prepared(m_database, insertSql);
        insert.addBindValue(addinName);
        insert.addBindValue(recordId);
        insert.addBindValue(staffId);
        insert.addBindValue(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        if (!insert.exec())
            insertError = insert.lastError().text();

        const QString holder = holderOf(addinName, recordId);
        if (holder.isNull())
            continue;
        if (holder == staffId)
            return 1;
        m_lastOwnerStaffId = holder;
        m_lastOwnerName = StaffName(holder);
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

qint32 DatabaseServices::GetLockState(const QString& addinName, const QString& recordId,
                                      const QString& staffId)
{
    const QString holder = holderOf(addinName, recordId);
    if (holder.isNull())
        return 0;
    return holder == staffId ? 2 : 1;
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
    const QStringList tables = database.tables(QSql::Tables);
    for (const QString& table : tables)
        if (table.compare(QLatin1String("Korvel_RecordLock"), Qt::CaseInsensitive) == 0)
            return;
    QSqlQuery query(database);
    if (!query.exec(QStringLiteral("CREATE TABLE Korvel_RecordLock (AddinName VARCHAR(40) NOT NULL, "
                                   "RecordID VARCHAR(40) NOT NULL, StaffID VARCHAR(40) NOT NULL, "
                                   "LockedAt VARCHAR(19) NOT NULL, PRIMARY KEY (AddinName, RecordID))")))
        throw KorvelError(QStringLiteral("Cannot create the lock table: %1").arg(query.lastError().text()));
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
