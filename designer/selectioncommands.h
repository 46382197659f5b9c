#pragma once

#include "document/arrangement.h"

#include <QList>
#include <QPoint>
#include <QPointF>
#include <QString>
#include <utility>

namespace korvel {

class cWOrders;
class FlowView;
class FrameController;
class StepCommands;

// The commands on the selected steps of the current frame, each one step of its undo history:
// copy, cut and paste through the clipboard, select all, moves by the mouse and the keys, align
// and distribute. Start and End never move.
class SelectionCommands final {
public:
    SelectionCommands(cWOrders& workOrders, FrameController& frames, FlowView& flow, StepCommands& steps);

    // Copy: the selected steps and the links between them, as JSON and as a picture. Cut: copy,
    // then delete what is selected (as Delete does). Paste: fresh IDs, the pasted steps selected,
    // their block centred where the user works: at the mouse when it is on the canvas, else at the
    // middle of the view. PasteStepsAt centres it on `place` (scene twips), as the canvas popup's
    // "Paste here" does on the right click.
    void CopySteps();
    void CutSteps();
    void PasteSteps();
    void PasteStepsAt(const QPointF& place);
    // True when the clipboard holds steps that could be pasted.
    static bool ClipboardHasSteps();
    void SelectAll();
    void MoveSelection(const QPointF& delta);
    // Moves the selected steps to the places `arrangement` gives them (an align or a distribute of
    // document/arrangement.h) as one history entry named by string `textId`; only while the frame
    // may be edited.
    void Arrange(StepPlaces (*arrangement)(const QList<StepBox>&), qint32 textId);
    // Moves steps to new top-left places (twips) as one step of the history; a step already there
    // is left alone.
    void MoveSteps(const QList<std::pair<QString, QPoint>>& places, const QString& text);
    // The end of a drag on the canvas: the selected steps' new places.
    void AFFlow_MouseUp();

private:
    cWOrders& m_workOrders;
    FrameController& m_frames;
    FlowView& m_flow;
    StepCommands& m_steps;
};

} // namespace korvel
