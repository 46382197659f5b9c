#pragma once

#include "core/keyedcollection.h"
#include "model/cworder.h"

#include <QString>

namespace korvel {

// All frames of the database, keyed by frame ID in the order they were read, and the current one.
class cWOrders final {
public:
    const KeyedCollection<cWorder>& AllWOrder() const { return m_allWOrder; }
    const QString& CurWOrder() const { return m_curWOrder; }
    // Makes a listed frame current and loads it (LoadOne); an ID that is not listed (exact letter
    // case) changes nothing. A failing host call during the load throws KorvelError.
    void setCurWOrder(const QString& vFrameID);
    // Makes no frame current (after the current frame was deleted from the database).
    void ClearCurWOrder() { m_curWOrder.clear(); }
    cWorder* OneWorkOrder(const QString& vFrameID) const { return m_allWOrder.Item(vFrameID); }
    // Inserts a new frame (locked for the user) and adds it to the list; 1 or -1 (nothing added). A
    // list entry still standing under the new ID (a frame deleted since the list was built) is
    // replaced in place by the new frame.
    qint32 AddOneWorkOrder(const FrameValues& values);
    // Lists a frame stored since the list was read (an import) at the end, not locked; an entry
    // standing under its ID (a frame deleted since) is replaced. The other entries keep their edits.
    void AddStoredWorkOrder(const QString& vID, const QString& vName);
    // Rebuilds the list from the database (unsaved edits of every frame are dropped); a failed query
    // leaves it empty. CurWOrder is not touched. A failing host call throws KorvelError.
    void LoadMeList();
    // The database's error when the last LoadMeList could not read the list; empty after a read.
    const QString& ReadError() const { return m_readError; }

private:
    void LoadWorkOrderList();
    void AddListEntry(const QString& vID, const QString& vName, bool heldByUser);

    KeyedCollection<cWorder> m_allWOrder;
    QString m_curWOrder;
    QString m_readError;
};

} // namespace korvel
