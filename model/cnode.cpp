#include "model/cnode.h"

namespace korvel {

void cNode::LoadMe(const NodeValues& values)
{
    m_values = values;
    m_stateFlag = StateUnchanged;
}

void cNode::NewMe(const NodeValues& values)
{
    m_values = values;
    m_stateFlag = StateNew;
}

void cNode::Restore(const NodeValues& values, qint32 state)
{
    m_values = values;
    m_stateFlag = state;
}

void cNode::RestorePlace(qint32 left, qint32 top, qint32 state)
{
    m_values.Left = left;
    m_values.Top = top;
    m_stateFlag = state;
}

void cNode::DelMe()
{
    ChangeState(m_stateFlag, StateDeleted);
}

qint32 cNode::SaveMe()
{
    switch (m_stateFlag) {
    case StateNew:
        return DBOperate().InsertNode(m_values);
    case StateDeleted: {
        bool ok = false;
        const qint32 result =
            DBOperate().DeleteNode(m_values.WorkOrderFrame_ID, m_values.WorkOrderNode_ID).toInt(&ok);
        // A result that is no number at all is a failure, not a silent success.
        return ok ? result : -1;
    }
    case StateModified:
        return DBOperate().UpdateNode(m_values);
    default:
        return 1;
    }
}

NodeValues cNode::CopyValues(const QString& vNewFrame_ID, const QString& vNewNodeID,
                             const QString& vReturnOldStep) const
{
    NodeValues copy = m_values;
    copy.WorkOrderFrame_ID = vNewFrame_ID;
    copy.WorkOrderNode_ID = vNewNodeID;
    copy.ReturnOldStep = vReturnOldStep;
    return copy;
}

qint32 cNode::Saveas(const QString& vNewFrame_ID, const QString& vNewNodeID,
                     const QString& vReturnOldStep) const
{
    if (CanLoadFlag() != 1)
        return 1;
    return DBOperate().InsertNode(CopyValues(vNewFrame_ID, vNewNodeID, vReturnOldStep));
}

qint32 cNode::CheckStatus() const
{
    return (m_stateFlag == StateNew || m_stateFlag == StateDeleted || m_stateFlag == StateModified) ? 1 : 0;
}

qint32 cNode::CanLoadFlag() const
{
    return (m_stateFlag == StateUnchanged || m_stateFlag == StateNew || m_stateFlag == StateModified) ? 1 : 0;
}

} // namespace korvel
