#pragma once

#include "persistence/frameversions.h"

#include <QAbstractItemModel>
#include <QIcon>
#include <QList>
#include <QString>

namespace korvel {

class cWOrders;
class FrameListEntry;

// Row data of the work-order tree: the row's key ("N" + frame ID; "D" + frame ID for a deleted frame,
// "D" for the node of the deleted frames) and the key of its image ("DynOpen"/"DynClose").
inline constexpr int TreeKeyRole = Qt::UserRole;
inline constexpr int TreeImageRole = Qt::UserRole + 1;

// The frame list as the tree's rows, one per listed frame in the list's order, following every
// change of the list: the frame's name and ID, "name (ID)" (frames of one name told apart), the image
// of its lock ("DynOpen" while this session holds it, else "DynClose"; one icon shared by all rows)
// with who holds the lock and since when in its tool tip, and bold while it holds unsaved changes. A
// row is only asked for what the view paints, so the list's size costs nothing more per frame.
// After the frames, one more root row: "Deleted work orders", whose children are the deleted frames
// it was last given (SetDeleted), "name (ID)" with who deleted them and when.
class FrameTreeModel final : public QAbstractItemModel {
    Q_OBJECT
public:
    FrameTreeModel(cWOrders& workOrders, QObject* parent);

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // The root row of the deleted frames.
    QModelIndex DeletedNode() const;
    // The deleted frame of a child row of that node; null when the index is none.
    const FrameVersionRow* DeletedAt(const QModelIndex& index) const;
    // Lists these deleted frames under the node.
    void SetDeleted(const QList<FrameVersionRow>& deleted);

    // The row of the frame listed under this ID (exact letter case); invalid when none.
    QModelIndex FrameIndex(const QString& frameId) const;
    // The frame ID of a row; empty for an invalid index.
    QString FrameID(const QModelIndex& index) const;
    // Shows the frame's name and lock afresh after either changed.
    void FrameChanged(const QString& frameId);
    // Shows the frame bold (none when frameId is empty), the one shown bold before no longer.
    void MarkUnsaved(const QString& frameId);

private:
    // Who holds the frame's lock, for the row's tool tip; empty when the frame is free.
    QString LockText(const FrameListEntry& entry) const;

    cWOrders& m_workOrders;
    QIcon m_openIcon;
    QIcon m_closedIcon;
    QString m_caption; // "%1 (%2)": name and ID
    QString m_deletedCaption;
    QString m_unsaved; // the frame shown bold
    QList<FrameVersionRow> m_deleted;
};

} // namespace korvel
