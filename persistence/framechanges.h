#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>

namespace korvel {

// What was done to a frame. The names are what Korvel_FrameChange.Kind stores.
// Restored: an older version of the frame brought back, or a deleted frame undeleted.
enum class FrameChangeKind { Saved, HeaderEdited, Created, Copied, Deleted, Imported, Restored, Locked, Unlocked };
QString FrameChangeKindName(FrameChangeKind kind);

// One row of the change log.
struct FrameChangeRow {
    qint64 serial = 0;
    QString frameId, kind, staffId, changedAt; // changedAt "yyyy-MM-dd HH:mm:ss"
    bool operator==(const FrameChangeRow&) const = default;
};

// The change log of the frames: every write of a frame (its content, its header, its creation,
// copy, deletion or import, and taking or giving back its edit lock) adds a row in the write's own
// transaction, numbered by a serial that only grows and is never reused. A window that saw the log
// up to a serial reads what others did after it; a save compares the serial of the frame's latest
// content change with the one it read the frame at. Writers inside a transaction take one
// transaction lock on PostgreSQL, so their serials become visible in the order they were given out
// and a reader that has seen serial N meets no smaller one later (a lock row written outside a
// transaction may, rarely, come out of order). On PostgreSQL each record also notifies the channel
// `Channel` at commit, with the serial as its payload.
//
// Every function runs on the given connection and throws KorvelError with the database's text.
namespace FrameChanges {

inline constexpr char Channel[] = "korvel_frame_changes";
// The PostgreSQL transaction lock ("KorvelN1") that writers of frames take turns on: before they
// hand out step IDs and before they add to the log. One lock for both, so that no two writers can
// each hold one and wait for the other.
inline constexpr qint64 WritersLockKey = 0x4B6F7276656C4E31;

// Creates the log's table and index when they are missing (a database made before the log).
void EnsureTable(const QSqlDatabase& database);
// Adds a row, inside the transaction the caller has open (or on its own); gives its serial.
qint64 Record(const QSqlDatabase& database, const QString& frameId, FrameChangeKind kind, const QString& staffId);
// The rows after `serial`, oldest first, at most `limit` of them.
QList<FrameChangeRow> Since(const QSqlDatabase& database, qint64 serial, int limit = 1000);
// The log's latest serial; 0 while it is empty.
qint64 Latest(const QSqlDatabase& database);
// The serial of the frame's latest change of content or header (not of its lock); 0 when the log
// has none (a frame written before the log existed).
qint64 ContentVersion(const QSqlDatabase& database, const QString& frameId);
// The frame's latest change of content or header, when there is one.
bool LatestContentChange(const QSqlDatabase& database, const QString& frameId, FrameChangeRow& change);

} // namespace FrameChanges
} // namespace korvel
