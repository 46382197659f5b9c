#include "model/cworders.h"

#include "core/addinglobals.h"
#include "core/errorlog.h"
#include "core/korvelerror.h"
#include "persistence/connection.h"
#include "persistence/framechanges.h"

#include <QScopeGuard>

#include <memory>
#include <utility>

namespace korvel {
namespace {

// Whether the lock is this session's: the user's, neither in another running session nor in one
// that ended.
bool HeldHere(const LockHolder& holder, const QString& staffId)
{
    return holder.staffId == staffId && !holder.mineElsewhere && !holder.sessionEnded;
}

} // namespace

void cWOrders::setCurWOrder(const QString& vFrameID)
{
    cWorder* frame = OneWorkOrder(vFrameID);
    if (!frame)
        return;
    m_curWOrder = vFrameID;
    frame->LoadOne();
}

cWorder* cWOrders::OneWorkOrder(const QString& vFrameID)
{
    const int row = RowOf(vFrameID);
    return row < 0 ? nullptr : &m_entries[static_cast<size_t>(row)].Frame();
}

qint32 cWOrders::AddOneWorkOrder(const FrameValues& values)
{
    auto frame = std::make_unique<cWorder>();
    if (frame->CreateNew(values) < 1)
        return -1;
    // The frame's row is in the database now; an entry of a deleted frame still standing under this
    // ID must not keep it out of the list.
    Put(FrameListEntry(std::move(frame)));
    return 1;
}

void cWOrders::AddStoredWorkOrder(const QString& vID, const QString& vName)
{
    Put(FrameListEntry(vID, vName, false));
}

void cWOrders::Put(FrameListEntry entry)
{
    const auto it = m_rows.constFind(entry.ID());
    if (it != m_rows.cend()) {
        m_entries[static_cast<size_t>(it.value())] = std::move(entry);
        emit EntryReplaced(it.value());
        return;
    }
    emit EntryAboutToBeAdded(Count());
    m_rows.insert(entry.ID(), Count());
    m_entries.push_back(std::move(entry));
    emit EntryAdded();
}

void cWOrders::RemoveWorkOrder(const QString& vFrameID)
{
    const int row = RowOf(vFrameID);
    if (row < 0)
        return;
    emit EntryAboutToBeRemoved(row);
    m_rows.remove(vFrameID);
    m_entries.erase(m_entries.begin() + row);
    for (int i = row; i < Count(); ++i)
        m_rows[m_entries[static_cast<size_t>(i)].ID()] = i;
    emit EntryRemoved();
}

void cWOrders::RefreshLock(const QString& vFrameID)
{
    const int row = RowOf(vFrameID);
    if (row < 0)
        return;
    // Never GetLockState: it would take over a lock left by an ended session of this user.
    LockHolder holder;
    const bool locked = Services().GetLockHolder(FrameLockAddin, vFrameID, Host().LoginStaffID(), holder);
    const bool held = locked && Services().HoldsLock(FrameLockAddin, vFrameID);
    m_entries[static_cast<size_t>(row)].SetLock(locked ? &holder : nullptr, held);
    emit EntryChanged(row);
}

void cWOrders::LoadMeList()
{
    LoadWorkOrderList();
}

void cWOrders::LoadWorkOrderList()
{
    auto rs = DBOperate().GetAllWorkOrderList();
    emit ListAboutToBeRead();
    const auto announce = qScopeGuard([this] { emit ListRead(); });
    m_entries.clear();
    m_rows.clear();
    m_readError.clear();
    if (!rs || !rs->IsOpen()) {
        m_readError = LastLoggedError();
        return;
    }
    HostUtility& u = Utility();
    // Record IDs compare as the frame IDs do in the database: without regard to letter case.
    const QString staffId = Host().LoginStaffID();
    QHash<QString, LockHolder> holders;
    const QHash<QString, LockHolder> locks = Services().LockHolders(FrameLockAddin, staffId);
    for (auto lock = locks.cbegin(); lock != locks.cend(); ++lock)
        holders.insert(lock.key().toCaseFolded(), lock.value());
    m_entries.reserve(static_cast<size_t>(rs->RecordCount()));
    m_rows.reserve(rs->RecordCount());
    // By position: the list has 200,000 rows at the most, and naming the column costs a lookup each.
    constexpr int IdColumn = 0, NameColumn = 1;
    while (!rs->IsEOF()) {
        const QString id = u.FieldToString(rs->Fields(IdColumn));
        // The first entry under an ID stays, as the frame list always kept it.
        const auto listed = m_rows.size();
        int& row = m_rows[id];
        if (m_rows.size() != listed) {
            row = Count();
            m_entries.emplace_back(id, u.FieldToString(rs->Fields(NameColumn)), false);
            if (!holders.isEmpty())
                if (const auto holder = holders.constFind(id.toCaseFolded()); holder != holders.cend())
                    m_entries.back().SetLock(&holder.value(), HeldHere(holder.value(), staffId));
        }
        rs->MoveNext();
    }
    rs->Close();
}

} // namespace korvel
