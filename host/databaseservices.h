#pragma once

#include "core/hostinterfaces.h"
#include "persistence/framechanges.h"

#include <QSqlDatabase>
#include <QString>

namespace korvel {

// The host's services over one database: the connection the add-in runs its statements on, and
// the record locks, kept in the table Korvel_RecordLock (AddinName, RecordID, StaffID, LockedAt,
// SessionID) of that same database so that every korvel process sharing the database sees the same
// locks. Each DatabaseServices is one session ("host/pid/serial"): a lock belongs to the session
// that took it. One left by a session that has ended is taken over by the next session of the same
// staff ID that uses it; one held by a running session of the same staff ID only when the user
// agrees (TakeOverRecord). How a session's end is seen: on PostgreSQL every session holds an
// advisory lock for the life of its connection, which the server drops when the program ends in
// any way; on SQLite the process of a session on this machine is gone (a session on another
// machine sharing the file counts as running until `korvel --unlock` frees its locks). Every lock
// taken, taken over or given back also goes into the frames' change log.
// A failing statement throws KorvelError with the driver's text.
class DatabaseServices final : public HostServices {
public:
    explicit DatabaseServices(QSqlDatabase database);
    ~DatabaseServices() override;

    QSqlDatabase Connection() override;
    // 1 when `staffId` now holds the lock in this session (granted, already held, or taken over from
    // an ended session of the same staff ID); 0 while another staff ID or another running session of
    // `staffId` holds it (GetLockOwner then names that holder).
    qint32 LockRecord(const QString& addinName, const QString& recordId, const QString& staffId) override;
    qint32 TakeOverRecord(const QString& addinName, const QString& recordId, const QString& staffId) override;
    // 1 when this session held the lock and it is released; 0 when it did not hold it.
    qint32 UnlockRecord(const QString& addinName, const QString& recordId, const QString& staffId) override;
    // 2 when this session holds the lock (after taking it over from an ended session of `staffId`),
    // 1 when someone else or another running session of `staffId` does, 0 when the record is free.
    qint32 GetLockState(const QString& addinName, const QString& recordId, const QString& staffId) override;
    bool HoldsLock(const QString& addinName, const QString& recordId) override;
    // The name and staff ID of the holder met by the last refused LockRecord ("" before any refusal).
    void GetLockOwner(QString& ownerName, QString& ownerStaffId) override;
    bool GetLockHolder(const QString& addinName, const QString& recordId, const QString& staffId,
                       LockHolder& holder) override;
    // One SELECT of the lock rows with their holders' names; each distinct session is asked once
    // whether it has ended.
    QHash<QString, LockHolder> LockHolders(const QString& addinName, const QString& staffId) override;
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
    // True when the session `sessionId` has ended (see above); never for this one.
    bool sessionEnded(const QString& sessionId) const;
    // Moves the lock of `staffId` from `fromSession` to this one; false when it is no longer there.
    bool claim(const QString& addinName, const QString& recordId, const QString& staffId, const QString& fromSession);
    // Notes a lock taken or given back in the change log, as far as the database lets it.
    void recordChange(const QString& recordId, const QString& staffId, FrameChangeKind kind);

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
