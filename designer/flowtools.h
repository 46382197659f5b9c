#pragma once

#include "model/flowcheck.h"

#include <QList>
#include <QString>
#include <functional>
#include <memory>

class QAction;

namespace korvel {

class ArrangeCommands;
class cWOrders;
class cWorder;
class FindingsPanel;
class FramePrinting;
class FlowView;
class FrameTree;
class FrmMain;

// The window's flow tools. Check lists the current frame's findings in the findings dock and shows
// it. Export writes the current frame or all frames to a file, Import reads one (asking for a new
// ID when the file's one frame has an ID in use), lists its findings and selects the imported
// frame. Export picture writes the current flow as SVG, PNG (at a scale the user picks) or PDF;
// Print and Print preview print it (FramePrinting). Search finds a text in every frame and opens
// the frame of the hit chosen, selecting its step or link. Arrange lays the flow out
// (ArrangeCommands). Files are asked for with QFileDialog, choices with QInputDialog, all shown
// through Modals().
class FlowTools final {
public:
    // Adds the findings dock, hidden, below the window's client area.
    FlowTools(FrmMain& window, cWOrders& workOrders, FlowView& flow, FrameTree& tree);
    ~FlowTools();

    // The automatic layout's commands.
    ArrangeCommands& Arrange() { return *m_arrange; }
    // Print and Print preview.
    FramePrinting& Printing() { return *m_printing; }
    // The dock below the canvas that lists the findings.
    FindingsPanel& Findings();
    // The window's command states for the flow tools.
    void SetCommandStates();
    // While the findings dock is open, lists the current frame's findings in it afresh.
    void RefreshFindings();
    void CheckWorkOrder();
    // The check run by Save: findings never stop a save, but errors open the dock before it.
    void CheckBeforeSave(cWorder& frame);
    // Selects the canvas item with this key ("N" + step ID, "L" + link code; none for the frame)
    // and scrolls it into view.
    void ShowFlowItem(const QString& canvasKey);
    void ExportWorkOrders();
    void ImportWorkOrders();
    void ExportPicture();
    void SearchWorkOrders();

private:
    FrmMain& m_window;
    cWOrders& m_workOrders;
    FlowView& m_flow;
    FrameTree& m_tree;
    FindingsPanel* m_findings = nullptr; // a dock of the window
    std::unique_ptr<ArrangeCommands> m_arrange;
    std::unique_ptr<FramePrinting> m_printing;
    // What the last import reported (missing lookups), each finding keyed by its frame's ID: listed
    // with the check whenever that frame is current, until the next import.
    QList<FlowFinding> m_importFindings;
};

} // namespace korvel
