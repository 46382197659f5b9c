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
    // Makes a listed frame current and loads it; an ID that is not listed changes nothing.
    void setCurWOrder(const QString& vFrameID);
    cWorder* OneWorkOrder(const QString& vFrameID) const { return m_allWOrder.Item(vFrameID); }
    // Inserts a new frame and adds it to the list; 1 or -1.
    qint32 AddOneWorkOrder(const FrameValues& values);
    // Rebuilds the list from the database (unsaved edits of every frame are dropped).
    void LoadMeList();

private:
    void LoadWorkOrderList();
    void AddListEntry(const QString& vID, const QString& vName);

    KeyedCollection<cWorder> m_allWOrder;
    QString m_curWOrder;
};

} // namespace korvel
