#pragma once

#include "designer/frametreemodel.h"

#include <QModelIndex>
#include <QObject>
#include <QString>

class QTreeView;
class QWidget;

namespace korvel {

class cWOrders;

// The work-order tree: one root row per frame of the list (FrameTreeModel), its image telling
// whether this user holds the frame's lock, bold while the frame holds unsaved changes; it follows
// the list as frames are listed, added and removed. What it highlights is the current frame: moving
// the highlight by keys or by dragging reports CurrentMoved, as a click would.
class FrameTree final : public QObject {
    Q_OBJECT
public:
    FrameTree(cWOrders& workOrders, QWidget& parent);

    QTreeView& Widget(); // rows: data(TreeKeyRole) = key "N" + frame ID
    // The frame ID of the tree's selected row, empty when none.
    QString SelectedFrame() const;
    // The frame ID of a row of the tree, empty for an invalid index.
    QString FrameAt(const QModelIndex& index) const;
    // The row of the frame listed under this ID (exact letter case), invalid when none.
    QModelIndex FrameIndex(const QString& frameId) const;
    // Highlights the frame's row; an ID that is not listed highlights none.
    void SelectFrame(const QString& frameId);
    // Shows the frame's name and image afresh after a header edit, a lock or an unlock.
    void RefreshFrame(const QString& frameId);
    // Marks the frame's row as holding unsaved changes (none when frameId is empty); the row
    // marked before is unmarked.
    void MarkUnsaved(const QString& frameId);

signals:
    // The highlight moved to a frame that is not the current one without a click.
    void CurrentMoved(const QString& frameId);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    cWOrders& m_workOrders;
    FrameTreeModel* m_model = nullptr;
    QTreeView* m_tree = nullptr;
};

} // namespace korvel
