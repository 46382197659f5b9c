#pragma once

#include <QList>
#include <QPoint>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <optional>

class QGraphicsItem;

namespace korvel {

class cWOrders;
class FlowNodeItem;
class FlowView;
class FrameController;
class FrmMain;
class SelectOnlyCombo;
class ViewCommands;

// The commands on the current frame's steps and links, from the canvas's popup, the toolbar, the
// keys and the mouse: add, edit and delete a step or a link, edit or delete whatever is selected,
// undo and redo. Each change is one step of the frame's undo history (FrameController).
class StepCommands final {
public:
    StepCommands(FrmMain& window, cWOrders& workOrders, FrameController& frames, FlowView& flow,
                 ViewCommands& view);

    // The popup's add puts the new step where the right click was (at the view's centre when the
    // popup was not opened by a click); AddNodeAt centres the new step's box on `place` (scene
    // twips), clear of Start and End.
    void AddNode();
    void AddNodeAt(const QPointF& place);
    void EditNode();
    void DeleteNode();
    // The steps a step may go back to (its upstream steps), for the node dialog's list.
    void FillStepCombo(const QString& nodeID, SelectOnlyCombo& combo);
    // Opens the link dialog with the given father and son chosen (IDs; empty for none), as a drag
    // from one step to another does.
    void AddLink(const QString& fatherID, const QString& sonID);
    void EditLink();
    void DeleteLink();
    // Edit whatever is selected: a step, else a link. Delete exactly what is drawn selected: the
    // steps with their links, and the links, after one question, as one step of the history.
    void EditSelected();
    void DeleteSelected();
    void UndoEdit();
    void RedoEdit();
    // The selected steps of the current frame (Start and End left out), in canvas order.
    QList<FlowNodeItem*> SelectedSteps() const;
    // The IDs of those steps, and the keys of the frame's selected links.
    QStringList SelectedStepIDs() const;
    QStringList SelectedLinkKeys() const;
    // Where the right click that opened the popup was (scene twips), the view's centre when none.
    QPointF PopupPlace() const;
    // The tool tip of a canvas item from the current frame's node or link; empty when none.
    QString CanvasToolTip(const QGraphicsItem& item) const;

    // The canvas's mouse: a double click edits the selection, one on the empty canvas adds a step
    // there, a drag from one step to another adds a link (or says which rule refuses it), the right
    // button opens the popup: with Cut, Copy and Paste on a step or link, Paste here on the empty
    // canvas.
    void AFFlow_DblClick();
    void AFFlow_EmptyDblClick(const QPointF& scenePos);
    void AFFlow_ConnectRequested(const QString& fromKey, const QString& toKey);
    void AFFlow_MouseDown(Qt::MouseButton button, const QPoint& globalPos);

private:
    // The top left corner of a new step's box centred on `centre` (scene twips): not left of or
    // above the origin, and below Start and End rather than on top of them.
    QPointF NodePlace(const QPointF& centre) const;

    FrmMain& m_window;
    cWOrders& m_workOrders;
    FrameController& m_frames;
    FlowView& m_flow;
    ViewCommands& m_view;
    // Where the right click that opened the popup was, scene twips; used by the popup's add.
    std::optional<QPointF> m_popupPlace;
};

} // namespace korvel
