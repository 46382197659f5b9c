#pragma once

#include "core/hostinterfaces.h"

#include <QSqlDatabase>
#include <QString>

namespace korvel {

// The host's services over one database: the connection the add-in runs its statements on, and
// the record locks, kept in the table Korvel_RecordLock (AddinName, RecordID, StaffID, LockedAt,
// SessionID) of that same database so that every korvel process sharing the database sees the same
// locks. Each DatabaseServices is one session ("host/pid/serial"): a lock held by the same staff ID
// in another session that still runs is not this session's until it takes it over.
// A failing statement throws KorvelError with the driver's text.
class DatabaseServices final : public HostServices {
public:
    explicit DatabaseServices(QSqlDatabase database);
    ~DatabaseServices() override;

    QSqlDatabase Connection() override;
    // 1 when `staffId` now holds the lock in this session (granted, already held, or taken over from
    // another session of the same staff ID); 0 while another staff ID holds it (GetLockOwner then
    // names that holder).
    qint32 LockRecord(const QString& addinName, const QString& recordId, const QString& staffId) override;
    // 1 when `staffId` held the lock and it is released; 0 when it did not hold it.
    qint32 UnlockRecord(const QString& addinName, const QString& recordId, const QString& staffId) override;
    // 2 when `staffId` holds the lock in this session or in one that no longer runs, 1 when someone
    // else or another running session of `staffId` does, 0 when the record is free.
    qint32 GetLockState(const QString& addinName, const QString& recordId, const QString& staffId) override;
    // The name and staff ID of the holder met by the last refused LockRecord ("" before any refusal).
    void GetLockOwner(QString& ownerName, QString& ownerStaffId) override;
    bool GetLockHolder(const QString& addinName, const QString& recordId, const QString& staffId,
                       LockHolder& holder) override;
    QStringList HeldRecords(const QString& addinName, const QString& staffId) override;
    // 1 for SQLite, 2 for any other database, unless overridden.
    qint32 DatabaseType() override;

    // Replaces the reported database type (tests of the two staff-query forms).
    void setDatabaseType(qint32 type) { m_databaseTypeOverride = type; }

    // The staff member's name from the Staff table, or the ID itself when there is none.
    QString StaffName(const QString& staffId);

    // Creates the lock table when the database has none (a host database set up before Korvel), and
    // adds the SessionID column to one made before sessions were told apart.
    static void EnsureLockTable(QSqlDatabase database);

private:
    struct LockRow {
        QString staffId, lockedAt, sessionId; // staffId null: the record is free
    };
    LockRow lockOf(const QString& addinName, const QString& recordId);
    // The staff ID holding the lock on (addinName, recordId), or a null QString when it is free.
    QString holderOf(const QString& addinName, const QString& recordId)
    {
        return lockOf(addinName, recordId).staffId;
    }
    // True when `sessionId` is another session that still runs (one on another machine counts as
    // running: it cannot be told from here).
    bool runsElsewhere(const QString& sessionId) const;
    void takeOver(const QString& addinName, const QString& recordId, const QString& staffId);

    QSqlDatabase m_database;
    QString m_lastOwnerName;
    QString m_lastOwnerStaffId;
    qint32 m_databaseTypeOverride = 0;
    QString m_sessionId;

public:
    // Removes the lock on (addinName, recordId) whoever holds it, for an administrator clearing a
    // lock its holder left behind. Returns the staff ID that held it, or a null QString when the
    // record was not locked.
    QString BreakLock(const QString& addinName, const QString& recordId);
};

} // namespace korvel
