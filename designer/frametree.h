#pragma once

#include "designer/framefiltermodel.h"
#include "designer/frametreemodel.h"

#include <QModelIndex>
#include <QObject>
#include <QPoint>
#include <QString>

class QAction;
class QLineEdit;
class QMenu;
class QTreeView;
class QWidget;

namespace korvel {

class cWOrders;

// The work-order tree: one root row per frame of the list (FrameTreeModel), its image telling
// whether this user holds the frame's lock, bold while the frame holds unsaved changes; it follows
// the list as frames are listed, added and removed. A filter box above it narrows the rows to the
// frames whose ID or name holds its text (Escape empties it). What it highlights is the current
// frame: moving the highlight by keys or by dragging reports CurrentMoved, as a click would. A
// right click on a frame's row reports PopupRequested; the window shows Popup() there.
class FrameTree final : public QObject {
    Q_OBJECT
public:
    FrameTree(cWOrders& workOrders, QWidget& parent);

    QWidget& Panel();    // the filter box above the tree, laid out as one
    QTreeView& Widget(); // rows: data(TreeKeyRole) = key "N" + frame ID
    QLineEdit& FilterBox();
    // The frame ID of the tree's selected row, empty when none.
    QString SelectedFrame() const;
    // The frame ID of a row of the tree, empty for an invalid index.
    QString FrameAt(const QModelIndex& index) const;
    // The tree's row of the frame listed under this ID (exact letter case); invalid when none, or
    // while the filter hides it.
    QModelIndex FrameIndex(const QString& frameId) const;
    // Highlights the frame's row, emptying the filter box first when it hides the frame; an ID that
    // is not listed highlights none.
    void SelectFrame(const QString& frameId);
    // Shows the frame's name and image afresh after a header edit, a lock or an unlock.
    void RefreshFrame(const QString& frameId);
    // Marks the frame's row as holding unsaved changes (none when frameId is empty); the row
    // marked before is unmarked.
    void MarkUnsaved(const QString& frameId);
    // The row "Deleted work orders" after the frames, and the deleted frames listed under it.
    QModelIndex DeletedNode() const;
    // True for that row and the rows under it; `deleted` is then the deleted frame of the row
    // (nullptr for the node itself).
    bool DeletedRow(const QModelIndex& index, const FrameVersionRow*& deleted) const;
    void SetDeleted(const QList<FrameVersionRow>& deleted);
    // The right-click menu of the frames' rows ("MenuTree"), filled by the window, and its item of
    // this object name (nullptr when none).
    QMenu& Popup();
    QAction* PopupItem(const QString& name) const;

signals:
    // The highlight moved to a frame that is not the current one without a click.
    void CurrentMoved(const QString& frameId);
    // The user asked for the popup on the frame's row, at this point of the screen.
    void PopupRequested(const QString& frameId, QPoint globalPos);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Narrows the rows to the box's text; the current frame is highlighted again when it shows.
    void Filter(const QString& text);

    cWOrders& m_workOrders;
    FrameTreeModel* m_model = nullptr;
    FrameFilterModel* m_filter = nullptr;
    QWidget* m_panel = nullptr;
    QLineEdit* m_filterBox = nullptr;
    QTreeView* m_tree = nullptr;
    QMenu* m_popup = nullptr;
};

} // namespace korvel
