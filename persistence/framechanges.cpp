#include "persistence/framechanges.h"

#include "persistence/boundstatement.h"

#include <QDateTime>
#include <QSqlQuery>
#include <QVariant>

namespace korvel {

QString FrameChangeKindName(FrameChangeKind kind)
{
    switch (kind) {
    case FrameChangeKind::Saved: return QStringLiteral("save");
    case FrameChangeKind::HeaderEdited: return QStringLiteral("header");
    case FrameChangeKind::Created: return QStringLiteral("new");
    case FrameChangeKind::Copied: return QStringLiteral("copy");
    case FrameChangeKind::Deleted: return QStringLiteral("delete");
    case FrameChangeKind::Imported: return QStringLiteral("import");
    case FrameChangeKind::Restored: return QStringLiteral("restore");
    case FrameChangeKind::Locked: return QStringLiteral("lock");
    case FrameChangeKind::Unlocked: return QStringLiteral("unlock");
    }
    return QString();
}

namespace FrameChanges {
namespace {

// The kinds that change what a frame is, as opposed to who may edit it.
const QString ContentKinds = QStringLiteral("('save', 'header', 'new', 'copy', 'delete', 'import', 'restore')");

} // namespace

void EnsureTable(const QSqlDatabase& database)
{
    if (IsSqlite(database)) {
        RunBound(database, QStringLiteral("CREATE TABLE IF NOT EXISTS Korvel_FrameChange (Serial INTEGER PRIMARY KEY "
                                     "AUTOINCREMENT, FrameID VARCHAR(40) COLLATE NOCASE NOT NULL, Kind VARCHAR(10) "
                                     "NOT NULL, StaffID VARCHAR(40) NOT NULL, ChangedAt VARCHAR(19) NOT NULL)"));
    } else {
        RunBound(database, QStringLiteral("CREATE TABLE IF NOT EXISTS Korvel_FrameChange (Serial BIGSERIAL PRIMARY KEY, "
                                     "FrameID VARCHAR(40) COLLATE korvel_ci NOT NULL, Kind VARCHAR(10) NOT NULL, "
                                     "StaffID VARCHAR(40) NOT NULL, ChangedAt VARCHAR(19) NOT NULL)"));
    }
    RunBound(database, QStringLiteral("CREATE INDEX IF NOT EXISTS IX_Korvel_FrameChange_Frame ON Korvel_FrameChange "
                                 "(FrameID, Serial)"));
}

qint64 Record(const QSqlDatabase& database, const QString& frameId, FrameChangeKind kind, const QString& staffId)
{
    const QVariantList values{frameId, FrameChangeKindName(kind), staffId,
                              QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))};
    const QString insert = QStringLiteral(
        "INSERT INTO Korvel_FrameChange (FrameID, Kind, StaffID, ChangedAt) VALUES (?, ?, ?, ?)");
    if (IsSqlite(database)) {
        const QSqlQuery query = RunBound(database, insert, values);
        return query.lastInsertId().toLongLong();
    }
    // Held until the writer's commit (or, outside a transaction, to the end of this statement):
    // serials become visible in the order they were given out.
    RunBound(database, QStringLiteral("SELECT pg_advisory_xact_lock(?)"), {WritersLockKey});
    const qint64 serial = FirstNumber(RunBound(database, insert + QStringLiteral(" RETURNING Serial"), values));
    RunBound(database, QStringLiteral("SELECT pg_notify(?, ?)"), {QString::fromLatin1(Channel), QString::number(serial)});
    return serial;
}

QList<FrameChangeRow> Since(const QSqlDatabase& database, qint64 serial, int limit)
{
    QSqlQuery query = RunBound(database,
                          QStringLiteral("SELECT Serial, FrameID, Kind, StaffID, ChangedAt FROM Korvel_FrameChange "
                                         "WHERE Serial > ? ORDER BY Serial LIMIT ?"),
                          {serial, limit});
    QList<FrameChangeRow> rows;
    while (query.next())
        rows.append({query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toString(),
                     query.value(3).toString(), query.value(4).toString()});
    return rows;
}

qint64 Latest(const QSqlDatabase& database)
{
    return FirstNumber(RunBound(database, QStringLiteral("SELECT MAX(Serial) FROM Korvel_FrameChange")));
}

qint64 ContentVersion(const QSqlDatabase& database, const QString& frameId)
{
    FrameChangeRow change;
    return LatestContentChange(database, frameId, change) ? change.serial : 0;
}

bool LatestContentChange(const QSqlDatabase& database, const QString& frameId, FrameChangeRow& change)
{
    QSqlQuery query = RunBound(database,
                          QStringLiteral("SELECT Serial, FrameID, Kind, StaffID, ChangedAt FROM Korvel_FrameChange "
                                         "WHERE FrameID = ? AND Kind IN ") +
                              ContentKinds + QStringLiteral(" ORDER BY Serial DESC LIMIT 1"),
                          {frameId});
    if (!query.next())
        return false;
    change = {query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toString(),
              query.value(3).toString(), query.value(4).toString()};
    return true;
}

} // namespace FrameChanges
} // namespace korvel
