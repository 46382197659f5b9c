#pragma once

#include "model/cworder.h"

#include <QString>
#include <memory>

namespace korvel {

// One frame of the list as the tree shows it: ID, name and whether this user holds its lock. The
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
    // The frame when built, else nullptr.
    cWorder* Built() const { return m_frame.get(); }
    // The frame, built from ID, name and lock state when it was not yet (reads nothing).
    cWorder& Frame();

private:
    QString m_id;
    QString m_name;
    bool m_heldByUser = false;
    std::unique_ptr<cWorder> m_frame;
};

} // namespace korvel
