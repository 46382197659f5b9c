#include "model/cworders.h"

#include "core/addinglobals.h"
#include "core/errorlog.h"
#include "core/korvelerror.h"

#include <QSet>

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

void cWOrders::AddStoredWorkOrder(const QString& vID, const QString& vName)
{
    auto frame = std::make_unique<cWorder>();
    frame->LoadList(vID, vName, false);
    m_allWOrder.Put(vID, std::move(frame));
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
    HostServices* services = Host().Services();
    if (!services)
        throw KorvelError(QStringLiteral("The host supplies no services object"));
    // Record IDs compare as the frame IDs do in the database: without regard to letter case.
    QSet<QString> held;
    for (const QString& id : services->HeldRecords(FrameLockAddin, Host().LoginStaffID()))
        held.insert(id.toCaseFolded());
    while (!rs->IsEOF()) {
        const QString id = u.FieldToString(rs->Fields(QStringLiteral("WorkOrderFrame_ID")));
        AddListEntry(id, u.FieldToString(rs->Fields(QStringLiteral("WorkOrderFrameName"))),
                     held.contains(id.toCaseFolded()));
        rs->MoveNext();
    }
    rs->Close();
}

void cWOrders::AddListEntry(const QString& vID, const QString& vName, bool heldByUser)
{
    auto frame = std::make_unique<cWorder>();
    frame->LoadList(vID, vName, heldByUser);
    m_allWOrder.Add(vID, std::move(frame));
}

} // namespace korvel
