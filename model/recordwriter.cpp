#include "model/recordwriter.h"

#include "core/addinglobals.h"
#include "core/errorlog.h"
#include "core/korvelerror.h"
#include "core/sameid.h"
#include "model/cworder.h"
#include "model/flowcheck.h"
#include "model/framefile.h"

#include <QDateTime>

namespace korvel {
namespace {

enum : qint32 { MsgLockedElsewhere = 2033 };

void Check(qint32 result)
{
    if (result < 1)
        throw KorvelError(LastLoggedError());
}

} // namespace

QString LockedElsewhereMessage(const QString& frameId)
{
    LockHolder holder;
    if (!Services().GetLockHolder(FrameLockAddin, frameId, Host().LoginStaffID(), holder))
        Services().GetLockOwner(holder.name, holder.staffId);
    return FormatMessage(MsgLockedElsewhere, {frameId, holder.name, holder.staffId, holder.since});
}

FrameWriteLocks::~FrameWriteLocks()
{
    for (const QString& id : std::as_const(m_taken))
        IgnoreErrors([&] { Services().UnlockRecord(FrameLockAddin, id, Host().LoginStaffID()); });
}

void FrameWriteLocks::Take(const QString& frameId)
{
    if (Services().LockRecord(FrameLockAddin, frameId, Host().LoginStaffID()) != 1)
        throw KorvelError(LockedElsewhereMessage(frameId));
    m_taken << frameId;
}

FrameRecord WriteFrameRecord(const FrameRecord& frame, const QString& id, bool replace, StepIds stepIds,
                             Progress* progress)
{
    FrameValues header = frame.header;
    header.WorkOrderFrame_ID = id;
    FrameAudit audit = frame.audit;
    if (replace) {
        // Held still, now inside the transaction (a lock broken since it was taken refuses).
        if (!Services().HoldsLock(FrameLockAddin, id))
            throw KorvelError(LockedElsewhereMessage(id));
        Check(DBOperate().UpdateWorkOrderFrame(header));
        Check(DBOperate().DeleteFrameFlow(id));
        audit.ModifiedBy = Host().LoginStaffID();
        audit.ModifiedDate = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    } else {
        Check(DBOperate().InsertWorkOrderFrame(header));
        Check(DBOperate().SetWorkOrderAudit(id, frame.audit));
    }
    cNodes steps;
    for (NodeValues step : frame.steps) {
        step.WorkOrderFrame_ID = id;
        Check(steps.NewNode(step));
    }
    cLinks links;
    for (LinkValues link : frame.links) {
        link.WorkOrderFrame_ID = id;
        Check(links.NewMe(link));
    }
    QHash<QString, QString> newStepIds;
    Check(steps.Saveas(id, newStepIds, progress, stepIds == StepIds::KeepFree));
    Check(links.Saveas(id, newStepIds, progress));
    return CopiedRecord(header, audit, id, steps, links, newStepIds);
}

FrameRecord CopiedRecord(const FrameValues& header, const FrameAudit& audit, const QString& id, const cNodes& steps,
                         const cLinks& links, const QHash<QString, QString>& newStepIds)
{
    FrameRecord record;
    record.header = header;
    record.header.WorkOrderFrame_ID = id;
    record.audit = audit;
    for (const auto& [key, node] : steps.AllNode())
        if (node->CanLoadFlag() == 1)
            record.steps << node->CopyValues(id, newStepIds.value(IdKey(node->WorkOrderNode_ID())),
                                             newStepIds.value(IdKey(node->ReturnOldStepID())));
    for (const auto& [key, link] : links.AllLinks())
        if (link->CanLoadFlag() == 1)
            record.links << link->CopyValues(id, newStepIds);
    SortRecord(record);
    return record;
}

} // namespace korvel
