#include "model/cworder.h"

#include "core/addinglobals.h"
#include "core/errorlog.h"
#include "core/korvelerror.h"
#include "core/progress.h"
#include "model/framefile.h"
#include "model/framehistory.h"
#include "model/recordwriter.h"
#include "persistence/connection.h"
#include "persistence/framechanges.h"
#include "resources/stringtable.h"

#include <QDateTime>

namespace korvel {

namespace {

// Rolls the shared connection's transaction back after a statement reported failure; a rollback
// that fails as well is logged under the operation's prefix rather than hidden.
void RollBack(const QString& prefix)
{
    try {
        Connection::Shared().RollbackTrans();
    } catch (const std::exception& e) {
        LogError(prefix, e);
    }
}

// After a raised error the error itself is the one line logged; the rollback is attempted quietly
// (with no connection, or no transaction begun, it cannot succeed and says nothing new).
void RollBackQuietly()
{
    IgnoreErrors([] { Connection::Shared().RollbackTrans(); });
}

constexpr qint32 MsgTakenMeanwhile = 1921;
constexpr qint32 MsgChangedElsewhere = 1001;
constexpr qint32 MsgLockHeldBy = 2028;
constexpr qint32 MsgLockHeldByNobody = 2029;
constexpr qint32 MsgChangedBy = 2030;

// A stored date as "yyyy-MM-dd HH:mm:ss": PostgreSQL hands back a date-time, SQLite the text.
QString ShownDate(const QVariant& stored)
{
    if (stored.typeId() == QMetaType::QDateTime)
        return stored.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return stored.toString().replace(u'T', u' ').left(19);
}

// After the copy's header could not be inserted (and the transaction was rolled back): true when
// a frame has that ID now, which was checked to be free, so another user stored one meanwhile. The
// log then says so in Korvel's words, the database's own text following.
bool TakenMeanwhile(const QString& id, const QString& prefix)
{
    const QString detail = LastLoggedError();
    if (DBOperate().GetWorkOrderIDExists(id) != 1)
        return false;
    LogError(prefix, LoadResString(MsgTakenMeanwhile).arg(id) + QStringLiteral(" (%1)").arg(detail));
    return true;
}

} // namespace

namespace {

// Frame objects come and go with the list; their readings are numbered across all of them, and a
// new object starts with a number of its own, so a frame created anew under an old ID is never
// taken for the old one.
qint64 NextReading()
{
    static qint64 readings = 0;
    return ++readings;
}

} // namespace

cWorder::cWorder()
    : m_allNode(std::make_unique<cNodes>()), m_allLink(std::make_unique<cLinks>()), m_readSerial(NextReading())
{
}

void cWorder::SetAllFields(const FrameValues& values)
{
    StoreFields(values);
    LoadFlag = 1;
}

FrameRecord cWorder::CurrentRecord(const QString& frameId) const
{
    FrameRecord record;
    record.header = HeaderValues();
    record.header.WorkOrderFrame_ID = frameId;
    record.audit = m_audit;
    record.steps.reserve(static_cast<qsizetype>(m_allNode->AllNode().Count()));
    for (const auto& [key, node] : m_allNode->AllNode())
        if (node->CanLoadFlag() == 1)
            record.steps << node->Values();
    for (const auto& [key, link] : m_allLink->AllLinks())
        if (link->CanLoadFlag() == 1)
            record.links << link->Values();
    return record;
}

// Who changed the frame now: this user, at this moment.
FrameAudit cWorder::StampedAudit() const
{
    FrameAudit audit = m_audit;
    audit.ModifiedBy = Host().LoginStaffID();
    audit.ModifiedDate = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return audit;
}

void cWorder::LoadRecord(const FrameRecord& record)
{
    m_allNode = std::make_unique<cNodes>();
    m_allLink = std::make_unique<cLinks>();
    m_readSerial = NextReading();
    m_readError.clear();
    for (const NodeValues& step : record.steps)
        m_allNode->AddLoadedNode(step);
    for (const LinkValues& link : record.links)
        m_allLink->AddLoadedLink(link);
    SetAllFields(record.header);
    m_audit = record.audit;
    m_lockFlag = 0;
    m_headerPending = false;
    m_stored = std::make_shared<const FrameRecord>(record);
}

void cWorder::SetHeader(const FrameValues& values, bool pending)
{
    StoreFields(values);
    m_headerPending = pending;
}

void cWorder::LoadList(const QString& vWorkOrderID, const QString& vWorkOrderName)
{
    LoadList(vWorkOrderID, vWorkOrderName,
             Services().GetLockState(FrameLockAddin, vWorkOrderID, Host().LoginStaffID()) == 2);
}

void cWorder::LoadList(const QString& vWorkOrderID, const QString& vWorkOrderName, bool heldByUser)
{
    WorkOrderFrame_ID = vWorkOrderID;
    WorkOrderFrameName = vWorkOrderName;
    m_lockFlag = heldByUser ? 1 : 0;
    LoadFlag = 0;
}

void cWorder::LoadOne()
{
    if (LoadFlag == 1)
        return;
    ReadStored();
    // The lock as it stands now: given up or broken elsewhere, or left by an ended session of this
    // user, which this session takes over as it opens the frame.
    IgnoreErrors([this] {
        m_lockFlag = Services().GetLockState(FrameLockAddin, WorkOrderFrame_ID, Host().LoginStaffID()) == 2 ? 1 : 0;
    });
}

void cWorder::ReadStored()
{
    LoadFlag = 0;
    m_allNode = std::make_unique<cNodes>();
    m_allLink = std::make_unique<cLinks>();
    m_readSerial = NextReading();
    m_readError.clear();
    m_audit = {};

    // The version before the flow: a change committed while the flow is read then makes the save
    // refuse instead of writing over it.
    try {
        m_contentVersion = FrameChanges::ContentVersion(Connection::Shared().database(), WorkOrderFrame_ID);
    } catch (const std::exception& e) {
        LogError(QStringLiteral("[Korvel]-[cWOrder]-[LoadOne]:"), e);
        m_readError = LastLoggedError();
    }
    auto rs = DBOperate().GetOneWorkOrder(WorkOrderFrame_ID);
    if (!rs || !rs->IsOpen()) {
        m_readError = LastLoggedError();
        return;
    }
    if (!rs->IsEOF())
        SetAllFields(ReadHeaderRow(*rs));
    rs->Close();
    const bool nodesRead = m_allNode->LoadMe(WorkOrderFrame_ID);
    const bool linksRead = m_allLink->LoadMe(WorkOrderFrame_ID); // read also when the nodes were not
    if (!nodesRead || !linksRead)
        m_readError = LastLoggedError();
    auto audit = DBOperate().GetWorkOrderAudit(WorkOrderFrame_ID);
    if (!audit || !audit->IsOpen())
        m_readError = LastLoggedError();
    else if (!audit->IsEOF())
        m_audit = {Utility().FieldToString(audit->Fields(0)), ShownDate(audit->Fields(1)),
                   Utility().FieldToString(audit->Fields(2)), ShownDate(audit->Fields(3))};
    m_headerPending = false;
    m_stored.reset();
    if (m_readError.isEmpty() && LoadFlag == 1)
        m_stored = std::make_shared<const FrameRecord>(CurrentRecord(WorkOrderFrame_ID));
}

qint32 cWorder::SaveNewInfo(const FrameValues& values)
{
    if (DBOperate().InsertWorkOrderFrame(values) < 1)
        return -1;
    SetAllFields(values);
    LockMe();
    return 1;
}

qint32 cWorder::CreateNew(const FrameValues& values)
{
    try {
        Connection connection = Connection::Shared();
        connection.BeginTrans();
        if (SaveNewInfo(values) < 1) {
            connection.RollbackTrans();
            return -1;
        }
        const qint64 version = FrameChanges::Record(connection.database(), values.WorkOrderFrame_ID,
                                                    FrameChangeKind::Created, Host().LoginStaffID());
        const FrameAudit audit = StampedAudit();
        auto created = std::make_shared<const FrameRecord>(
            FrameRecord{values, {audit.ModifiedBy, audit.ModifiedDate, audit.ModifiedBy, audit.ModifiedDate}, {}, {}});
        FrameHistory::VersionRecorder(nullptr, created)
            .Store(connection.database(), values.WorkOrderFrame_ID, FrameChangeKindName(FrameChangeKind::Created),
                   version);
        connection.CommitTrans();
        m_contentVersion = version; // its first save must find the frame as created
        m_stored = created;
        m_audit = created->audit;
        return 1;
    } catch (const std::exception& e) {
        LogError(QStringLiteral("[Korvel]-[cWOrder]-[CreateNew]:"), e);
        RollBackQuietly();
        return -1;
    }
}

qint32 cWorder::DeleteMe()
{
    const QString id = WorkOrderFrame_ID;
    return DBOperate().DeleteWorkOrderFrame(id, [&id](qint64 serial) {
        const auto last = std::make_shared<const FrameRecord>(ReadStoredFrame(id));
        FrameHistory::VersionRecorder(nullptr, last)
            .Store(Connection::Shared().database(), id, FrameChangeKindName(FrameChangeKind::Deleted), serial);
    });
}

qint32 cWorder::SaveUpdate(const FrameValues& values)
{
    const QString prefix = QStringLiteral("[Korvel]-[cWOrder]-[SaveUpdate]:");
    m_saveRefusal.clear();
    qint64 version = 0;
    std::shared_ptr<const FrameRecord> after;
    try {
        Connection connection = Connection::Shared();
        connection.BeginTrans();
        // The update comes first so that it holds the header row: on PostgreSQL a save committing
        // meanwhile is then seen by the proof. Nothing is kept unless the proof passes.
        qint32 result = DBOperate().UpdateWorkOrderFrame(values);
        if (result >= 1)
            result = ProveUnchanged(connection.database());
        if (result < 1) {
            RollBack(prefix);
            ExplainRefusal(result, prefix);
            return result;
        }
        // The version holds the flow as stored, not the edits in memory that are not saved yet.
        auto before = m_stored ? m_stored : std::make_shared<const FrameRecord>(ReadStoredFrame(values.WorkOrderFrame_ID));
        FrameRecord stored = *before;
        stored.header = values;
        stored.audit = StampedAudit();
        after = std::make_shared<const FrameRecord>(std::move(stored));
        version = FrameChanges::Record(connection.database(), values.WorkOrderFrame_ID, FrameChangeKind::HeaderEdited,
                                       Host().LoginStaffID());
        FrameHistory::VersionRecorder(before, after)
            .Store(connection.database(), values.WorkOrderFrame_ID, FrameChangeKindName(FrameChangeKind::HeaderEdited),
                   version);
        connection.CommitTrans();
    } catch (const std::exception& e) {
        LogError(prefix, e);
        RollBackQuietly();
        return -1;
    }
    SetAllFields(values);
    m_contentVersion = version;
    m_audit = after->audit;
    if (m_stored)
        m_stored = after;
    return 1;
}

qint32 cWorder::ProveUnchanged(const QSqlDatabase& database) const
{
    if (!Services().HoldsLock(FrameLockAddin, WorkOrderFrame_ID))
        return LockLost;
    return FrameChanges::ContentVersion(database, WorkOrderFrame_ID) == m_contentVersion ? 1 : ChangedMeanwhile;
}

void cWorder::ExplainRefusal(qint32 result, const QString& prefix)
{
    if (result != LockLost && result != ChangedMeanwhile)
        return;
    // What the database says now, outside the rolled-back transaction; when even that cannot be
    // read, the refusal is still told in general words.
    m_saveRefusal = LoadResString(MsgChangedElsewhere);
    IgnoreErrors([&] {
        if (result == LockLost) {
            LockHolder holder;
            m_saveRefusal = GetLockHolder(holder)
                                ? LoadResString(MsgLockHeldBy).arg(holder.name, holder.staffId, holder.since)
                                : LoadResString(MsgLockHeldByNobody);
            return;
        }
        FrameChangeRow change;
        if (FrameChanges::LatestContentChange(Connection::Shared().database(), WorkOrderFrame_ID, change))
            m_saveRefusal = LoadResString(MsgChangedBy).arg(DBOperate().GetStaffName(change.staffId), change.staffId,
                                                            change.changedAt);
    });
    LogError(prefix, m_saveRefusal);
}

qint32 cWorder::SaveMe()
{
    const QString prefix = QStringLiteral("[Korvel]-[cWOrder]-[SaveME]:");
    m_saveRefusal.clear();
    // The version is written and compressed on a second thread while the statements run.
    FrameRecord saved = CurrentRecord(WorkOrderFrame_ID);
    saved.audit = StampedAudit();
    const auto after = std::make_shared<const FrameRecord>(std::move(saved));
    FrameHistory::VersionRecorder recorder(m_stored, after);
    try {
        Connection connection = Connection::Shared();
        connection.BeginTrans();
        // Nothing may be written for a frame that another user deleted: its nodes and links would
        // be orphans. The claim also holds the header row until the commit, so that the proof
        // after it sees every save committed before this one; what was written is kept only when
        // the proof passes. A restored header goes with the flow.
        qint32 result = m_headerPending ? DBOperate().UpdateWorkOrderFrame(HeaderValues())
                                        : DBOperate().ClaimWorkOrderFrame(WorkOrderFrame_ID);
        if (result >= 1)
            result = m_allNode->SaveMe();
        if (result >= 1)
            result = m_allLink->SaveMe();
        if (result >= 1)
            result = ProveUnchanged(connection.database());
        if (result < 1) {
            RollBack(prefix);
            ExplainRefusal(result, prefix);
            return result;
        }
        const qint64 version = FrameChanges::Record(connection.database(), WorkOrderFrame_ID, FrameChangeKind::Saved,
                                                    Host().LoginStaffID());
        recorder.Store(connection.database(), WorkOrderFrame_ID, FrameChangeKindName(FrameChangeKind::Saved), version);
        connection.CommitTrans();
        m_contentVersion = version;
        m_stored = after;
        m_audit = after->audit;
        m_headerPending = false;
        return 1;
    } catch (const std::exception& e) {
        LogError(prefix, e);
        RollBackQuietly();
        return -1;
    }
}

int cWorder::SaveasItems() const
{
    return static_cast<int>(m_allNode->AllNode().Count() + m_allLink->AllLinks().Count());
}

qint32 cWorder::Saveas(const QString& vWorkOrderIDA, const QString& vWorkOrderName, Progress* progress)
{
    const QString prefix = QStringLiteral("[Korvel]-[cWOrder]-[Saveas]:");
    const FrameValues oldHeader = HeaderValues();
    const qint32 oldLoadFlag = LoadFlag;
    const qint32 oldLockFlag = m_lockFlag;
    bool headerInserted = false;

    // After a failure the database holds nothing of the copy, so this object goes back to
    // describing the frame it was copied from, and the lock taken on the copy's ID is given back.
    auto abandon = [&](bool afterError) {
        if (afterError)
            RollBackQuietly();
        else
            RollBack(prefix);
        if (!headerInserted)
            return;
        StoreFields(oldHeader);
        LoadFlag = oldLoadFlag;
        m_lockFlag = oldLockFlag;
        IgnoreErrors([&] { Services().UnlockRecord(FrameLockAddin, vWorkOrderIDA, Host().LoginStaffID()); });
    };

    try {
        Connection connection = Connection::Shared();
        connection.BeginTrans();

        FrameValues copy = oldHeader;
        copy.WorkOrderFrame_ID = vWorkOrderIDA;
        copy.WorkOrderFrameName = vWorkOrderName;
        if (SaveNewInfo(copy) <= 0) {
            abandon(false);
            return TakenMeanwhile(vWorkOrderIDA, prefix) ? IdTakenMeanwhile : -1;
        }
        headerInserted = true;

        QHash<QString, QString> AllRelationNodeID;
        if (m_allNode->Saveas(vWorkOrderIDA, AllRelationNodeID, progress) <= 0 ||
            m_allLink->Saveas(vWorkOrderIDA, AllRelationNodeID, progress) <= 0) {
            abandon(false);
            return -1;
        }
        const qint64 version =
            FrameChanges::Record(connection.database(), vWorkOrderIDA, FrameChangeKind::Copied, Host().LoginStaffID());
        const FrameAudit audit{Host().LoginStaffID(), StampedAudit().ModifiedDate, Host().LoginStaffID(),
                               StampedAudit().ModifiedDate};
        auto copied = std::make_shared<const FrameRecord>(
            CopiedRecord(copy, audit, vWorkOrderIDA, *m_allNode, *m_allLink, AllRelationNodeID));
        FrameHistory::VersionRecorder(nullptr, copied)
            .Store(connection.database(), vWorkOrderIDA, FrameChangeKindName(FrameChangeKind::Copied), version,
                   oldHeader.WorkOrderFrame_ID);
        connection.CommitTrans();
        m_contentVersion = version;
        m_stored = copied;
        m_audit = audit;
        return 1;
    } catch (const std::exception& e) {
        LogError(prefix, e);
        abandon(true);
        return -1;
    }
}

qint32 cWorder::LockMe()
{
    try {
        const QString staff = Host().LoginStaffID();
        if (Services().LockRecord(FrameLockAddin, WorkOrderFrame_ID, staff) == 1) {
            m_lockFlag = 1;
            return 1;
        }
        m_lockFlag = 0;
        return -1;
    } catch (const std::exception& e) {
        LogError(QStringLiteral("[Korvel]-[cWOrder]-[LockMe]:"), e);
        return -1;
    }
}

qint32 cWorder::TakeOverLock()
{
    try {
        if (Services().TakeOverRecord(FrameLockAddin, WorkOrderFrame_ID, Host().LoginStaffID()) == 1) {
            m_lockFlag = 1;
            return 1;
        }
        return -1;
    } catch (const std::exception& e) {
        LogError(QStringLiteral("[Korvel]-[cWOrder]-[TakeOverLock]:"), e);
        return -1;
    }
}

qint32 cWorder::UnlockMe()
{
    try {
        const QString staff = Host().LoginStaffID();
        if (Services().UnlockRecord(FrameLockAddin, WorkOrderFrame_ID, staff) == 1) {
            m_lockFlag = 0;
            return 1;
        }
        return -1;
    } catch (const std::exception& e) {
        LogError(QStringLiteral("[Korvel]-[cWOrder]-[UnLockMe]:"), e);
        return -1;
    }
}

bool cWorder::GetLockHolder(LockHolder& holder) const
{
    return Services().GetLockHolder(FrameLockAddin, WorkOrderFrame_ID, Host().LoginStaffID(), holder);
}

qint32 cWorder::CheckStatus() const
{
    if (m_headerPending || m_allLink->CheckStatus() == 1)
        return 1;
    return m_allNode->CheckStatus() == 1 ? 1 : 0;
}

} // namespace korvel
