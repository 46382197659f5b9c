#pragma once

#include "core/keyedcollection.h"
#include "core/sameid.h"
#include "model/cnode.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace korvel {

class Progress;

// The nodes of one frame, keyed by node ID in load and creation order. IDs are keys as the database
// compares them (IdKey): "n00002" finds the node "N00002". Deleted nodes stay in the collection
// (deleted or dropped) until the frame is read again.
class cNodes final {
public:
    using Collection = KeyedCollection<cNode, IdKeyOf>;

    const Collection& AllNode() const { return m_allNode; }
    // The node under this ID (SameId), or nullptr.
    cNode* OneNode(const QString& vID) const { return m_allNode.Item(vID); }

    // Reads the frame's nodes from the database. False when the query failed (the collection stays
    // empty) or a row could not be held: one that could not be read, or whose ID is already a key
    // (SameId); such a row is left out and the error logged, the others are read. Never throws.
    bool LoadMe(const QString& vWorkOrder);
    // Adds a node created in memory: 1, or IdInUse when a node of the collection (deleted ones
    // included) already has the ID (SameId); then nothing is added. Nothing is logged or shown:
    // the caller tells the user (a paste or an add refused).
    static constexpr qint32 IdInUse = -1;
    qint32 NewNode(const NodeValues& values);
    // Puts a node back as it was before an edit that is undone or redone: restored in place when the
    // ID is a key, else added at the end.
    void RestoreNode(const NodeValues& values, qint32 state);
    // Takes a node out of the collection altogether, as if it had never been added (the undo of an
    // added step); -1 when there is no such node.
    qint32 RemoveNode(const QString& vID);
    // Marks the node deleted; -1 when there is no such node.
    qint32 DelNode(const QString& vWorkOrderNode_ID);
    // 1 when a node in memory (deleted ones included) has the same ID (SameId), or the
    // database has a node of any frame with it; -1 when it is free; 0 when the database could not
    // be asked (never to be taken for free).
    qint32 NodeIDExists(const QString& vID) const;
    // The ID proposed for a new node: the first "N" + five or more digits that neither the database
    // nor this collection (unsaved nodes included) uses. Throws KorvelError when an ID cannot be
    // checked.
    QString ProposeNodeID() const;
    // `count` such IDs, all different, from one read of the IDs in use (a paste of several steps).
    QStringList ProposeNodeIDs(int count) const;
    qint32 CheckStatus() const;
    // Writes every node by its state, in order; at the first failure NoRowMatched (the node's row was
    // changed or deleted elsewhere) or -1.
    qint32 SaveMe();
    // Copies every live node under a fresh node ID to frame `vNewID` (all IDs handed out from one
    // read of the IDs in use), and records old → new IDs in `AllRelationNodeID`, keyed by the old
    // ID's IdKey. A deleted node is
    // recorded with the empty text, so nothing of the copy can end up pointing at another node's
    // copy through it. Each copy's ReturnOldStepID is translated through the map (a step that is not
    // a live node of this frame becomes empty). Runs inside the caller's transaction; -1 at the first
    // failure (a failure to generate an ID is logged as part of the frame's copy). With `keepFreeIds`
    // a node keeps its own ID when no frame has it (a version brought back).
    qint32 Saveas(const QString& vNewID, QHash<QString, QString>& AllRelationNodeID, Progress* progress,
                  bool keepFreeIds = false);

    // Adds a row as read (state unchanged): from the database, or from a stored version.
    // False when the ID is already a key (nothing added).
    bool AddLoadedNode(const NodeValues& values);

private:

    Collection m_allNode;
};

} // namespace korvel
