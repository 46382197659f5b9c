#include "model/cworders.h"

#include "core/addinglobals.h"
#include "core/errorlog.h"

#include <memory>
#include <utility>

namespace korvel {

void cWOrders::setCurWOrder(const QString& vFrameID)
{
    cWorder* frame = m_allWOrder.Item(vFrameID);
    if (!frame)
        return;
    m_curWOrder = vFrameID;
    frame->LoadOne();
}

qint32 cWOrders::AddOneWorkOrder(const FrameValues& values)
{
    auto frame = std::make_unique<cWorder>();
    if (frame->SaveNewInfo(values) < 1)
        return -1;
    // The frame's row is in the database now; an entry of a deleted frame still standing under this
    // ID must not keep it out of the list.
    m_allWOrder.Put(values.WorkOrderFrame_ID, std::move(frame));
    return 1;
}

void cWOrders::LoadMeList()
{
    LoadWorkOrderList();
}

void cWOrders::LoadWorkOrderList()
{
    auto rs = DBOperate().GetAllWorkOrderList();
    m_allWOrder.RemoveAll();
    m_readError.clear();
    if (!rs || !rs->IsOpen()) {
        m_readError = LastLoggedError();
        return;
    }
    HostUtility& u = Utility();
    while (!rs->IsEOF()) {
        AddListEntry(u.FieldToString(rs->Fields(QStringLiteral("WorkOrderFrame_ID"))),
                     u.FieldToString(rs->Fields(QStringLiteral("WorkOrderFrameName"))));
        rs->MoveNext();
    }
    rs->Close();
}

void cWOrders::AddListEntry(const QString& vID, const QString& vName)
{
    auto frame = std::make_unique<cWorder>();
    frame->LoadList(vID, vName);
    m_allWOrder.Add(vID, std::move(frame));
}

} // namespace korvel
