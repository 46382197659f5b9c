#include "model/framehistory.h"

#include "core/addinglobals.h"
#include "core/errorlog.h"
#include "core/korvelerror.h"
#include "model/cworder.h"
#include "model/flowcheck.h"
#include "model/framediff.h"
#include "model/framefile.h"
#include "model/recordwriter.h"
#include "persistence/connection.h"
#include "persistence/framechanges.h"
#include "resources/stringtable.h"

namespace korvel {
namespace FrameHistory {
namespace {

// String-table ids.
enum : qint32 {
    MsgFound = 2110,
    MsgCreated = 2111,
    MsgCopyOf = 2112,
    MsgDeleted = 2113,
    MsgImported = 2114,
    MsgRestored = 2115,
    MsgRestoredFrom = 2116,
    MsgNoVersion = 2117,
    MsgIdTaken = 2118,
    MsgKeepOne = 2119,
    MsgUnreadable = 2120,
};

QSqlDatabase Database()
{
    return Connection::Shared().database();
}

// The frame file of the record, compressed as it is written.
FrameVersions::StoredContent Compressed(const FrameRecord& record)
{
    FrameVersions::ContentEncoder encoder;
    WriteFrameFile(record, [&encoder](QByteArrayView piece) { encoder.Add(piece); });
    return encoder.Finish();
}

// Stores the frame as it is now as its version 1 "found", inside the caller's transaction: who
// changed it last and when, as far as the frame says.
void StoreFound(const QSqlDatabase& database, const QString& frameId, const FrameRecord& found)
{
    FrameVersionRow row;
    row.frameId = frameId;
    row.version = 1;
    row.kind = FoundVersionKind;
    row.staffId = found.audit.ModifiedBy.isEmpty() ? found.audit.CreatedBy : found.audit.ModifiedBy;
    // As the version rows keep their dates, whether the record holds the file's form or the database's.
    row.savedAt = found.audit.ModifiedDate.isEmpty() ? found.audit.CreatedDate : found.audit.ModifiedDate;
    row.savedAt.replace(u'T', u' ');
    row.frameName = found.header.WorkOrderFrameName;
    FrameVersions::Store(database, row, Compressed(found));
}

// Runs `write` in one transaction on the shared connection; rolls back and rethrows on failure.
template <typename Write>
auto InTransaction(Write&& write)
{
    Connection connection = Connection::Shared();
    connection.BeginTrans();
    try {
        auto result = write(connection.database());
        connection.CommitTrans();
        return result;
    } catch (...) {
        IgnoreErrors([&] { connection.RollbackTrans(); });
        throw;
    }
}

} // namespace

struct VersionRecorder::Encoded {
    FrameVersions::StoredContent content;
    QString summary;
};

VersionRecorder::VersionRecorder(std::shared_ptr<const FrameRecord> before, std::shared_ptr<const FrameRecord> after)
    : m_before(std::move(before)), m_after(std::move(after))
{
    m_encoded = std::async(std::launch::async, [before = m_before, after = m_after] {
        auto encoded = std::make_shared<Encoded>();
        encoded->content = Compressed(*after);
        if (before)
            encoded->summary = StoredSummary(*before, *after);
        return encoded;
    });
}

VersionRecorder::~VersionRecorder()
{
    if (m_encoded.valid())
        m_encoded.wait(); // the thread reads the records this object shares
}

int VersionRecorder::Store(const QSqlDatabase& database, const QString& frameId, const QString& kind, qint64 serial,
                           const QString& origin)
{
    int latest = FrameVersions::Latest(database, frameId);
    if (m_before && latest == 0) {
        StoreFound(database, frameId, *m_before);
        latest = 1;
    }
    const std::shared_ptr<Encoded> encoded = m_encoded.get();
    FrameVersionRow row;
    row.frameId = frameId;
    row.version = latest + 1;
    row.serial = serial;
    row.kind = kind;
    row.staffId = Host().LoginStaffID();
    row.origin = origin;
    row.summary = encoded->summary;
    row.frameName = m_after->header.WorkOrderFrameName;
    FrameVersions::Store(database, row, encoded->content);
    return row.version;
}

QList<FrameVersionRow> Versions(const QString& frameId)
{
    QList<FrameVersionRow> rows = FrameVersions::List(Database(), frameId);
    if (!rows.isEmpty() || DBOperate().GetWorkOrderIDExists(frameId) != 1)
        return rows;
    // A frame stored before its history began. Two sessions may get here at once: the second's
    // version 1 is refused by the key, and the first one's is what both list.
    IgnoreErrors([&] {
        InTransaction([&](const QSqlDatabase& database) {
            if (FrameVersions::Latest(database, frameId) == 0)
                StoreFound(database, frameId, ReadStoredFrame(frameId));
            return 0;
        });
    });
    return FrameVersions::List(Database(), frameId);
}

QList<FrameVersionRow> DeletedFrames()
{
    return FrameVersions::Deleted(Database());
}

FrameRecord Content(const QString& frameId, int version)
{
    FrameVersionRow row;
    QByteArray content;
    if (!FrameVersions::Load(Database(), frameId, version, row, content))
        throw KorvelError(FormatMessage(MsgNoVersion, {frameId, QString::number(version)}));
    try {
        return ReadFrameFile(content).constFirst();
    } catch (const std::exception& error) {
        throw KorvelError(FormatMessage(MsgUnreadable, {describe(error)}));
    }
}

QString SummaryLine(const FrameVersionRow& row)
{
    QString what;
    if (row.kind == FoundVersionKind)
        what = LoadResString(MsgFound);
    else if (row.kind == FrameChangeKindName(FrameChangeKind::Created))
        what = LoadResString(MsgCreated);
    else if (row.kind == FrameChangeKindName(FrameChangeKind::Copied))
        what = FormatMessage(MsgCopyOf, {row.origin});
    else if (row.kind == FrameChangeKindName(FrameChangeKind::Deleted))
        what = LoadResString(MsgDeleted);
    else if (row.kind == FrameChangeKindName(FrameChangeKind::Imported))
        what = LoadResString(MsgImported);
    else if (row.kind == RestoredVersionKind)
        what = row.origin.contains(u':')
                   ? FormatMessage(MsgRestoredFrom, {row.origin.section(u':', 0, -2), row.origin.section(u':', -1)})
                   : FormatMessage(MsgRestored, {row.origin});
    if (row.summary.isEmpty())
        return what;
    const QString change = SummaryText(row.summary);
    return what.isEmpty() ? change : what + QStringLiteral(": ") + change;
}

Restored Restore(const QString& frameId, int version, const QString& newId)
{
    const FrameRecord content = Content(frameId, version);
    const qint32 exists = DBOperate().GetWorkOrderIDExists(newId.isEmpty() ? frameId : newId);
    if (exists == 0)
        throw KorvelError(LastLoggedError());
    const bool replace = newId.isEmpty() && exists == 1;
    if (!replace && exists == 1)
        throw KorvelError(FormatMessage(MsgIdTaken, {newId.isEmpty() ? frameId : newId}));
    const QString id = newId.isEmpty() ? frameId : newId;
    FrameWriteLocks locks;
    if (replace)
        locks.Take(id);
    return InTransaction([&](const QSqlDatabase& database) {
        std::shared_ptr<const FrameRecord> before;
        if (replace)
            before = std::make_shared<const FrameRecord>(ReadStoredFrame(id));
        else if (id.compare(frameId, Qt::CaseInsensitive) == 0)
            before = std::make_shared<const FrameRecord>(content); // the deleted frame's last version
        auto after = std::make_shared<const FrameRecord>(WriteFrameRecord(content, id, replace, StepIds::KeepFree));
        const qint64 serial = FrameChanges::Record(database, id, FrameChangeKind::Restored, Host().LoginStaffID());
        const QString origin = id.compare(frameId, Qt::CaseInsensitive) == 0
                                   ? QString::number(version)
                                   : frameId + u':' + QString::number(version);
        const int stored = VersionRecorder(before, after).Store(database, id, RestoredVersionKind, serial, origin);
        return Restored{id, stored};
    });
}

int Prune(int keep)
{
    if (keep < 1)
        throw KorvelError(FormatMessage(MsgKeepOne, {QString::number(keep)}));
    return InTransaction([&](const QSqlDatabase& database) { return FrameVersions::Prune(database, keep); });
}

} // namespace FrameHistory
} // namespace korvel
