#pragma once

#include "model/framelistentry.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <vector>

namespace korvel {

// All frames of the database in the order they were read, keyed by frame ID (exact letter case),
// and the current one. An entry holds what the tree shows; its frame is built when first asked for.
// Every change of the entries is announced before and after it happens, as a list model needs.
class cWOrders final : public QObject {
    Q_OBJECT
public:
    const std::vector<FrameListEntry>& AllWOrder() const { return m_entries; }
    int Count() const { return static_cast<int>(m_entries.size()); }
    // The position of the frame listed under this ID, -1 when none.
    int RowOf(const QString& vFrameID) const { return m_rows.value(vFrameID, -1); }
    const QString& CurWOrder() const { return m_curWOrder; }
    // Makes a listed frame current and loads it (LoadOne); an ID that is not listed (exact letter
    // case) changes nothing. A failing host call during the load throws KorvelError.
    void setCurWOrder(const QString& vFrameID);
    // Makes no frame current (after the current frame was deleted from the database).
    void ClearCurWOrder() { m_curWOrder.clear(); }
    // The listed frame, built on first use (LoadFlag 0 until it is loaded); nullptr when not listed.
    cWorder* OneWorkOrder(const QString& vFrameID);
    // Inserts a new frame (locked for the user) and adds it to the list; 1 or -1 (nothing added). A
    // list entry still standing under the new ID (a frame deleted since the list was built) is
    // replaced in place by the new frame.
    qint32 AddOneWorkOrder(const FrameValues& values);
    // Lists a frame stored since the list was read (an import) at the end, not locked; an entry
    // standing under its ID (a frame deleted since) is replaced. The other entries keep their edits.
    void AddStoredWorkOrder(const QString& vID, const QString& vName);
    // Takes a frame deleted from the database out of the list; the entries after it move up one.
    void RemoveWorkOrder(const QString& vFrameID);
    // Reads afresh who holds the listed frame's lock (without taking over any) and shows it
    // (EntryChanged); a frame not listed is ignored. A failing host call throws KorvelError.
    void RefreshLock(const QString& vFrameID);
    // Rebuilds the list from the database (unsaved edits of every frame are dropped); a failed query
    // leaves it empty. CurWOrder is not touched. A failing host call throws KorvelError.
    void LoadMeList();
    // The database's error when the last LoadMeList could not read the list; empty after a read.
    const QString& ReadError() const { return m_readError; }

signals:
    void ListAboutToBeRead();
    void ListRead();
    void EntryAboutToBeAdded(int row);
    void EntryAdded();
    void EntryAboutToBeRemoved(int row);
    void EntryRemoved();
    // The entry at `row` was replaced by another under the same ID.
    void EntryReplaced(int row);
    // The entry at `row` shows something new (its lock).
    void EntryChanged(int row);

private:
    void LoadWorkOrderList();
    // Replaces the entry listed under the same ID in place, or appends it.
    void Put(FrameListEntry entry);

    std::vector<FrameListEntry> m_entries;
    QHash<QString, int> m_rows; // frame ID -> position in m_entries
    QString m_curWOrder;
    QString m_readError;
};

} // namespace korvel
