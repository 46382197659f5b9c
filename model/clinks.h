#pragma once

#include "core/keyedcollection.h"
#include "core/sameid.h"
#include "model/clink.h"

#include <QHash>
#include <QString>

namespace korvel {

class Progress;

// The links of one frame, keyed by link code (as the database compares codes, IdKey) in load and
// creation order. Link ends name steps as the database does: "n00002" is the step "N00002". A link deleted with DelMe
// moves to the key "#DEL#" + a fresh unique key, so its code is free for a new link before the save.
class cLinks final {
public:
    using Collection = KeyedCollection<cLink, IdKeyOf>;

    const Collection& AllLinks() const { return m_allLinks; }
    cLink* OneLinks(const QString& key) const { return m_allLinks.Item(key); }

    // Reads the frame's links. False when the query failed (the collection stays empty) or a row
    // could not be held: one that could not be read (a failing host call), or whose code is
    // already a key (SameId); such a row is left out and the error logged, the others are read.
    bool LoadMe(const QString& vWorkOrderID);
    // Adds a new link: 1, or CodeInUse when a live link already has the code (SameId; a deleted
    // link's code is free); then nothing is added. Nothing is logged or shown: the caller tells the
    // user (a paste or an add refused).
    static constexpr qint32 CodeInUse = -1;
    qint32 NewMe(const LinkValues& values);
    // Puts a link back under `key` as it was before an edit that is undone or redone: restored in
    // place when the key is present, else added at the end.
    void RestoreLink(const QString& key, const LinkValues& values, qint32 state);
    // Takes the link under `key` out altogether (the undo of an added link); -1 when there is none.
    qint32 RemoveLink(const QString& key);
    // Marks the link deleted under its key; false when the frame holds no such link (the caller
    // tells the user "Delete failed", 216).
    bool Del(const QString& vLinkId);
    // Marks the link deleted and re-keys it "#DEL#" + HostUtility.NewUniqueKey; 1, or -1 when there
    // is no such link or no fresh key could be had (then nothing changes).
    QVariant DelMe(const QString& vWorkOrderLink_ID);
    // Marks every link from or to the node deleted.
    void DelLinkForNode(const QString& vNodeID);
    // True when a live link leaves "BEGIN".
    bool GetBeginFlowExists() const;
    // True when a live link leads from `vNode` to "END".
    bool GetEndNodeFlowExists(const QString& vNode) const;
    // True when a link may be built between the two nodes: they differ and no live link joins them
    // in either direction.
    bool BPD(const QString& vBeginBuild, const QString& vEndBuild) const;
    // True when a link in memory (deleted ones included) has the same code (SameId).
    bool LinkIDExists(const QString& vID) const;
    qint32 CheckStatus() const;
    // Writes re-keyed deletions first, then every other link; at the first failure NoRowMatched (the
    // link's row was changed or deleted elsewhere) or -1.
    qint32 SaveMe();
    qint32 Saveas(const QString& vFrameIDA, const QHash<QString, QString>& AllRelationNode, Progress* progress) const;

    // Adds a row as read (state unchanged): from the database, or from a stored version.
    // False when the ID is already a key (nothing added).
    bool AddLoadedLink(const LinkValues& values);

private:

    Collection m_allLinks;
};

} // namespace korvel
