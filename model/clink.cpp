#include "model/clink.h"

#include "core/sameid.h"

namespace korvel {

void cLink::LoadMe(const LinkValues& values)
{
    m_values = values;
    m_stateFlag = StateUnchanged;
}

void cLink::NewMe(const LinkValues& values)
{
    m_values = values;
    m_stateFlag = StateNew;
}

void cLink::Restore(const LinkValues& values, qint32 state)
{
    m_values = values;
    m_stateFlag = state;
}

void cLink::DelMe()
{
    ChangeState(m_stateFlag, StateDeleted);
}

qint32 cLink::SaveMe()
{
    switch (m_stateFlag) {
    case StateNew:
        return DBOperate().InsertLinks(m_values);
    case StateDeleted:
        return DBOperate().DelLinks(m_values.WorkOrderFrame_ID, m_values.WorkOrderLink_ID);
    case StateModified:
        return DBOperate().UpdateLinks(m_values);
    default:
        return 1;
    }
}

QString cLink::MapNodeID(const QHash<QString, QString>& AllNodeID, const QString& vNodeID)
{
    const QString key = IdKey(vNodeID);
    if (key == IdKey(BeginNodeID) || key == IdKey(EndNodeID))
        return vNodeID;
    return AllNodeID.value(key);
}

qint32 cLink::Saveas(const QString& vFrameIDA, const QHash<QString, QString>& AllNodeID) const
{
    if (CanLoadFlag() != 1)
        return 1;
    return DBOperate().InsertLinks(CopyValues(vFrameIDA, AllNodeID));
}

LinkValues cLink::CopyValues(const QString& vFrameIDA, const QHash<QString, QString>& AllNodeID) const
{
    LinkValues copy = m_values;
    copy.WorkOrderFrame_ID = vFrameIDA;
    copy.SonNode_ID = MapNodeID(AllNodeID, m_values.SonNode_ID);
    copy.FatherNode_ID = MapNodeID(AllNodeID, m_values.FatherNode_ID);
    return copy;
}

qint32 cLink::CheckStatus() const
{
    return (m_stateFlag == StateNew || m_stateFlag == StateDeleted || m_stateFlag == StateModified) ? 1 : 0;
}

qint32 cLink::CanLoadFlag() const
{
    return (m_stateFlag == StateUnchanged || m_stateFlag == StateNew || m_stateFlag == StateModified) ? 1 : 0;
}

} // namespace korvel
