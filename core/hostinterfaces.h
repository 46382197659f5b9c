#pragma once

#include <QHash>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace korvel {

// The contract between the add-in and the program that loads it. The host implements these
// classes (host/); the add-in only calls them. A failing host call throws KorvelError.
//
// They are header-only on purpose (no Q_OBJECT): the host program and the dynamically loaded
// add-in each see the same definitions, and dynamic_cast matches them across the library boundary.

// Who holds a record lock and since when ("yyyy-MM-dd HH:mm:ss"); `mineElsewhere` when it is the
// asking staff member through another session of theirs that is still running; `sessionEnded` when
// the session that took it has ended (its program quit without giving it back, or crashed).
struct LockHolder {
    QString name, staffId, since;
    bool mineElsewhere = false;
    bool sessionEnded = false;
};

// The host's services: the shared database connection and the record locks.
class HostServices : public QObject {
public:
    using QObject::QObject;

    // The database connection every statement of the add-in runs on.
    virtual QSqlDatabase Connection() = 0;
    // A lock belongs to one running session (one program's connection to the database).
    // 1: the lock is granted: the record was free, this session holds it already, or this staff
    // member left it in a session that has ended, which it then takes over. Anything else: refused,
    // also while this staff member holds it in another session that still runs (TakeOverRecord).
    virtual qint32 LockRecord(const QString& addinName, const QString& recordId, const QString& staffId) = 0;
    // 1 when this staff member's lock, held by another of their sessions, is now this session's (the
    // user agreed to take it from that session); anything else: refused.
    virtual qint32 TakeOverRecord(const QString& addinName, const QString& recordId, const QString& staffId) = 0;
    // 1: released; anything else: refused (this session does not hold the lock).
    virtual qint32 UnlockRecord(const QString& addinName, const QString& recordId,
                                const QString& staffId) = 0;
    // 2 when this session holds the lock, also after taking it over from a session of this staff
    // member that has ended; another value otherwise, also while another running session of this
    // staff member holds it.
    virtual qint32 GetLockState(const QString& addinName, const QString& recordId,
                                const QString& staffId) = 0;
    // True when this session holds the lock now: a save asks it inside its own transaction.
    virtual bool HoldsLock(const QString& addinName, const QString& recordId) = 0;
    // The name and staff ID of whoever held the lock the last refused LockRecord asked for.
    virtual void GetLockOwner(QString& ownerName, QString& ownerStaffId) = 0;
    // Every lock of the add-in, keyed by record ID, each holder as `staffId` sees it (GetLockHolder),
    // with one query for them all: the start-up's way to learn every frame's lock. A lock this session
    // holds is `staffId`'s with neither flag set.
    virtual QHash<QString, LockHolder> LockHolders(const QString& addinName, const QString& staffId) = 0;
    // Who holds the lock on the record now, as `staffId` sees it; false when the record is free.
    virtual bool GetLockHolder(const QString& addinName, const QString& recordId, const QString& staffId,
                               LockHolder& holder) = 0;
    // 1 selects the comma-join form of the staff queries, any other value the INNER JOIN form.
    virtual qint32 DatabaseType() = 0;
};

// The host's utilities: value conversion, SQL quoting, byte length, fresh keys, form style.
class HostUtility : public QObject {
public:
    using QObject::QObject;

    // A result-set field's value as text / whole number; null gives "" / 0.
    virtual QString FieldToString(const QVariant& field) = 0;
    virtual qint32 FieldToLong(const QVariant& field) = 0;
    // The text made safe to stand between single quotes in a statement.
    virtual QString SqlQuote(const QString& text) = 0;
    // Length in bytes of the host's double-byte code page: ASCII 1, anything else 2.
    virtual qint32 ByteLength(const QString& text) = 0;
    // A fresh text at every call, at least 6 characters long.
    virtual QString NewUniqueKey() = 0;
    // Gives a form (a window or dialog, passed as its QObject so that this contract needs no
    // widgets) the host's common look.
    virtual void ApplyFormStyle(QObject* form) = 0;
};

// The host's log.
class HostLog : public QObject {
public:
    using QObject::QObject;
    virtual void WriteLog(QString& message, qint32 level) = 0;
};

// The host object handed to cInterface::StartMe. The returned objects belong to the host.
// AddinLoader() returns an object with an invokable method "ReleaseDll(QString)", which the
// add-in calls by name when its window closes.
class ObjInterFace : public QObject {
public:
    using QObject::QObject;

    virtual QString LoginStaffID() = 0;
    virtual HostServices* Services() = 0;
    virtual HostUtility* Utility() = 0;
    virtual HostLog* Logger() = 0;
    virtual QObject* AddinLoader() = 0;
};

} // namespace korvel
