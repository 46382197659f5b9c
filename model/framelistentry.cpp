#include "model/framelistentry.h"

#include <utility>

namespace korvel {

FrameListEntry::FrameListEntry(const QString& id, const QString& name, bool heldByUser)
    : m_id(id), m_name(name), m_heldByUser(heldByUser)
{
}

FrameListEntry::FrameListEntry(std::unique_ptr<cWorder> frame)
    : m_id(frame->WorkOrderFrame_ID), m_name(frame->WorkOrderFrameName), m_heldByUser(frame->LockFlag() == 1),
      m_frame(std::move(frame))
{
}

const QString& FrameListEntry::Name() const
{
    return m_frame ? m_frame->WorkOrderFrameName : m_name;
}

bool FrameListEntry::HeldByUser() const
{
    return m_frame ? m_frame->LockFlag() == 1 : m_heldByUser;
}

void FrameListEntry::SetLock(const LockHolder* holder, bool heldByUser)
{
    m_heldByUser = heldByUser;
    m_holder = holder && !heldByUser ? std::make_unique<LockHolder>(*holder) : nullptr;
}

cWorder& FrameListEntry::Frame()
{
    if (!m_frame) {
        m_frame = std::make_unique<cWorder>();
        m_frame->LoadList(m_id, m_name, m_heldByUser);
    }
    return *m_frame;
}

} // namespace korvel
