#pragma once

#include "model/pathwalk.h"

#include <QHash>
#include <QPointer>
#include <QString>
#include <memory>

class QTimer;

namespace korvel {

class cWOrders;
class FlowView;
class FrameDocument;
class FrmMain;
class PathLayer;
class PathPreviewPanel;
class SceneMapper;

// Where a work order goes, previewed in the window: the Path preview dock (View menu, and Tools >
// Preview the path) takes values for the variables the current frame's conditional links test and,
// a moment after the user stops typing, walks the frame as the editor holds it (unsaved edits
// included) and draws the path over the canvas (PathLayer) and lists it in the dock. It walks again
// whenever the frame changes (an edit, undo or redo, a reload) or another one is drawn, and its
// marks go when the dock closes or no frame is drawn. The values are kept per frame while the
// window lives. The marks are the canvas's one overlay: a comparison drawn later replaces them, and
// opening the dock over a comparison goes back to the frame.
class PathPreview final {
public:
    // Adds the dock, hidden, to the window, its switch to the View menu and its item to the Tools menu.
    PathPreview(FrmMain& window, cWOrders& workOrders, SceneMapper& mapper, FlowView& flow);
    ~PathPreview();

    PathPreviewPanel& Panel();
    // After every command: follows the document the canvas shows, and walks again when the canvas
    // shows another frame (or none) than at the last walk.
    void ShowState();
    // Walks the current frame with the dock's values and shows the outcome; clears it while the
    // dock is closed or no frame is drawn.
    void Walk();

private:
    // Walks `delay` ms from now, unless asked again before.
    void WalkSoon(int delay);
    void Clear();
    void ChooseStep(const QString& stepId);
    // The name of a step, Start or End as the lists show it.
    QString StepText(cWorder& frame, const QString& id) const;

    FrmMain& m_window;
    cWOrders& m_workOrders;
    SceneMapper& m_mapper;
    FlowView& m_flow;
    PathPreviewPanel* m_panel = nullptr; // a dock of the window
    QTimer* m_due = nullptr;             // child of the panel
    QPointer<FrameDocument> m_followed;  // the document whose changes make it walk again
    QString m_walked;                    // the canvas's tag at the last walk
    QString m_fieldsFrame;               // the frame whose values the fields hold
    QHash<QString, WalkValues> m_values; // by frame ID
    std::unique_ptr<PathLayer> m_layer;  // the marks, while a path is drawn
};

} // namespace korvel
