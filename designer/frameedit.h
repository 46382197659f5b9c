#pragma once

#include "persistence/cdboperate.h"

#include <QStringList>
#include <QUndoCommand>
#include <functional>
#include <vector>

namespace korvel {

class FlowScene;
class cWOrders;
class cWorder;

// Where an edit of a frame happens: the window's frame list, the frame's ID and the canvas that
// shows it (when it shows that frame).
struct FrameEditPlace {
    cWOrders* orders = nullptr;
    FlowScene* canvas = nullptr;
    QString frameID;
};

// One undoable change of a frame's steps and links. The change runs once, on the first redo,
// through the model's public operations; the steps (by ID) and links (by collection key) it touches
// are named up front, and their values and change states are recorded before and after it. Undo
// puts the "before" back and redo the "after", exactly: an added step undone is gone from the
// collection (nothing to save), a deleted one comes back with its previous state. After each the
// canvas shows the touched items as the model has them. A change that alters nothing makes the
// command obsolete, so it never reaches the undo stack.
class FrameEdit final : public QUndoCommand {
public:
    // The change, made through the model's public operations. Whatever it altered is recorded; an
    // operation the model refused (a step ID already taken) alters nothing.
    using Change = std::function<void(cWorder&)>;

    FrameEdit(FrameEditPlace place, const QString& text, QStringList nodeIDs, QStringList linkKeys,
              Change change, QUndoCommand* parent = nullptr);

    void redo() override;
    void undo() override;

    // True after the first redo when the change altered nothing.
    bool AlteredNothing() const { return m_done && m_before == m_after; }

private:
    struct NodeState {
        bool present = false;
        NodeValues values;
        qint32 state = 0;
        bool operator==(const NodeState&) const = default;
    };
    struct LinkState {
        bool present = false;
        LinkValues values;
        qint32 state = 0;
        bool operator==(const LinkState&) const = default;
    };
    struct Snapshot {
        std::vector<NodeState> nodes;
        std::vector<LinkState> links;
        bool operator==(const Snapshot&) const = default;
    };

    cWorder* Frame() const;
    Snapshot Take(cWorder& frame) const;
    void Apply(cWorder& frame, const Snapshot& snapshot) const;

    FrameEditPlace m_place;
    QStringList m_nodeIDs;
    QStringList m_linkKeys;
    Change m_change;
    Snapshot m_before, m_after;
    bool m_done = false;
};

// A group of edits undone and redone as one step (a move of several steps, a paste, a delete with
// its links): the children run in order on redo and backwards on undo. Obsolete when every child
// altered nothing.
class FrameEditGroup final : public QUndoCommand {
public:
    explicit FrameEditGroup(const QString& text) : QUndoCommand(text) {}
    void redo() override;

private:
    bool m_done = false;
};

// Shows the given steps and links on the canvas as the frame now has them: a live step gets its
// box (added when missing) at its place, a live link whose ends are drawn its arrow; anything else
// loses its item. End moves right of the steps when needed. Nothing happens when the canvas shows
// another frame.
void FollowFrame(FlowScene& canvas, cWorder& frame, const QStringList& nodeIDs, const QStringList& linkKeys);

} // namespace korvel
