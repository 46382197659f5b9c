#pragma once

#include "core/changestate.h"
#include "persistence/cdboperate.h"

#include <QString>

namespace korvel {

// One step of a flow with its change state. Setting any field stores the value and marks the node
// modified (through ChangeState), so that the frame's next save writes it.
class cNode final {
public:
// Getter Name() and setter setName() for a field stored as NodeValues::Column.
#define KORVEL_NODE_FIELD(Type, Name, Column)                                                                \
    const Type& Name() const                                                                                 \
    {                                                                                                        \
        return m_values.Column;                                                                              \
    }                                                                                                        \
    void set##Name(const Type& value)                                                                        \
    {                                                                                                        \
        m_values.Column = value;                                                                             \
        ChangeState(m_stateFlag, StateModified);                                                             \
    }

    KORVEL_NODE_FIELD(QString, WorkOrderFrame_ID, WorkOrderFrame_ID)
    KORVEL_NODE_FIELD(QString, WorkOrderNode_ID, WorkOrderNode_ID)
    KORVEL_NODE_FIELD(QString, WorkOrderNodeName, WorkOrderNodeName)
    KORVEL_NODE_FIELD(qint32, ExpiredPeriod, ExpiredPeriod)
    KORVEL_NODE_FIELD(QString, ExpiredPeriodType_ID, ExpiredPeriodType_ID)
    KORVEL_NODE_FIELD(qint32, CanSendBack, CanSendBack)
    KORVEL_NODE_FIELD(qint32, CanSendSelf, CanSendSelf)
    KORVEL_NODE_FIELD(qint32, CanSkip, CanSkip)
    KORVEL_NODE_FIELD(QString, EmailNotify, EmailNotify)
    KORVEL_NODE_FIELD(QString, SMSNotify, SMSNotify)
    KORVEL_NODE_FIELD(qint32, AddinType, AddinType)
    KORVEL_NODE_FIELD(QString, WEBLink, WEBLink)
    KORVEL_NODE_FIELD(QString, Group_IDA, Group_IDA)
    KORVEL_NODE_FIELD(qint32, CanFullScreen, CanFullScreen)
    KORVEL_NODE_FIELD(QString, HandleBy_ID, HandleBy_ID)
    KORVEL_NODE_FIELD(QString, HandleGroup_ID, HandleGroup_ID)
    KORVEL_NODE_FIELD(QString, ExpiredHandleBy_ID, ExpiredHandleBy_ID)
    KORVEL_NODE_FIELD(QString, ExpiredHandleGroup_ID, ExpiredHandleGroup_ID)
    KORVEL_NODE_FIELD(qint32, NodeTop, Top)
    KORVEL_NODE_FIELD(qint32, NodeLeft, Left)
    KORVEL_NODE_FIELD(QString, PriorityID, Priority_ID)
    KORVEL_NODE_FIELD(qint32, RefuseReply, RefuseFlag)
    KORVEL_NODE_FIELD(qint32, CanClose, CanClose)
    KORVEL_NODE_FIELD(qint32, ContactCust, ContactCust)
    KORVEL_NODE_FIELD(qint32, NextBeginTime, NextBeginTime)
    KORVEL_NODE_FIELD(qint32, TickOffFlag, TickOffFlag)
    KORVEL_NODE_FIELD(QString, ReturnOldStepID, ReturnOldStep)
    KORVEL_NODE_FIELD(qint32, CanModify, CanModify)
    KORVEL_NODE_FIELD(qint32, CanBackToBy, CanBackToBy)
    KORVEL_NODE_FIELD(QString, ToMultiHandleBy, ToMultiHandleBy)
    KORVEL_NODE_FIELD(qint32, ReturnGroupFlag, ReturnGroupFlag)
    KORVEL_NODE_FIELD(QString, ForecastUnit, ForecastUnit)
    KORVEL_NODE_FIELD(qint32, ForecastLen, ForecastLen)
#undef KORVEL_NODE_FIELD

    // All 33 values, in the node value list order.
    const NodeValues& Values() const
    {
        return m_values;
    }

    // Stores the values as read from the database: state unchanged.
    void LoadMe(const NodeValues& values);
    // Stores the values of a node created in memory: state new.
    void NewMe(const NodeValues& values);
    // Marks the node deleted (a new node becomes dropped).
    void DelMe();
    // Puts back values and a change state the node had before: the designer's undo and redo of its
    // own edits, which must leave exactly what was there (a step moved and moved back is still
    // modified; a deleted one comes back unchanged or modified as it was).
    void Restore(const NodeValues& values, qint32 state);
    // The same for a move: only the place and the change state are put back.
    void RestorePlace(qint32 left, qint32 top, qint32 state);
    // Writes the node by its state: insert, delete or update; 1 when there was nothing to write,
    // NoRowMatched when the row to update or delete is gone.
    qint32 SaveMe();
    // Inserts a copy under another frame and node ID, returning to `vReturnOldStep` (the copy's own
    // step) instead of this node's ReturnOldStepID; 1 when the node is not live. The node itself
    // does not change.
    qint32 Saveas(const QString& vNewFrame_ID, const QString& vNewNodeID,
                  const QString& vReturnOldStep) const;
    // The values of such a copy, as Saveas writes them.
    NodeValues CopyValues(const QString& vNewFrame_ID, const QString& vNewNodeID,
                          const QString& vReturnOldStep) const;
    // 1 when the state is new, deleted or modified.
    qint32 CheckStatus() const;
    // 1 when the node is live (unchanged, new or modified).
    qint32 CanLoadFlag() const;
    qint32 StateFlag() const
    {
        return m_stateFlag;
    }

private:
    NodeValues m_values;
    qint32 m_stateFlag = StateUnchanged;
};

} // namespace korvel
