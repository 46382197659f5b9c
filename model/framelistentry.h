#pragma once

#include "model/cworder.h"

#include <QString>
#include <memory>

namespace korvel {

// One frame of the list as the tree shows it: ID, name, whether this session holds its lock and who
// holds it otherwise (as last read: the list, or cWOrders::RefreshLock). The
// frame itself (header, steps, links) is built when it is first asked for and kept from then on,
// unsaved edits included, until the list is read again: a list of 200,000 frames must not cost
// 200,000 frames.
class FrameListEntry final {
public:
    FrameListEntry(const QString& id, const QString& name, bool heldByUser);
    // The entry of a frame built already (a new frame).
    explicit FrameListEntry(std::unique_ptr<cWorder> frame);

    // The ID the frame is listed under.
    const QString& ID() const { return m_id; }
    // Name and lock state follow the frame once it is built (a header edit, a lock); before that
    // they are what the list read.
    const QString& Name() const;
    bool HeldByUser() const;
    // Who holds the lock as last read, nullptr when the frame was free (or the lock is this
    // session's).
    const LockHolder* Holder() const { return m_holder.get(); }
    // The lock as read afresh: `holder` nullptr when the frame is free. A frame built already keeps
    // the lock state its window works with (LockFlag).
    void SetLock(const LockHolder* holder, bool heldByUser);
    // The frame when built, else nullptr.
    cWorder* Built() const { return m_frame.get(); }
    // The frame, built from ID, name and lock state when it was not yet (reads nothing).
    cWorder& Frame();

private:
    QString m_id;
    QString m_name;
    bool m_heldByUser = false;
    std::unique_ptr<LockHolder> m_holder; // most frames are free: no holder kept for them
    std::unique_ptr<cWorder> m_frame;
};

} // namespace korvel
