#pragma once

class QLabel;
class QMainWindow;

namespace korvel {

class cWOrders;
class FlowView;
class FrameTree;

// What the window shows of the current frame outside the canvas: the title (frame name and ID,
// "*" while it has unsaved changes), the status bar's lines and the tree's mark of unsaved frames.
// Reads nothing from the database but the lock holder and the name of who changed the frame last.
class WindowStatus final {
public:
    // Adds the labels to the window's status bar.
    WindowStatus(QMainWindow& window, cWOrders& workOrders, FlowView& flow, FrameTree& tree);

    QLabel& LockState();  // the status bar's lock line
    QLabel& ModifiedState(); // the status bar's "Modified by NAME on DATE" (empty when unknown)
    QLabel& SaveState();  // the status bar's note of unsaved changes (empty when none)
    QLabel& FlowCounts(); // the status bar's count of steps and links
    QLabel& ZoomLevel();  // the status bar's zoom in percent

    // Title, unsaved note, step and link counts, zoom and the tree's mark, for the current frame.
    void ShowWindowState();
    // The lock line for the current frame: read-only, locked by you, or locked by NAME (ID), each
    // with since when; and who changed it last, and when, as it was read.
    void ShowLockState();

private:
    QMainWindow& m_window;
    cWOrders& m_workOrders;
    FlowView& m_flow;
    FrameTree& m_tree;
    QLabel* m_lockState = nullptr;
    QLabel* m_modifiedState = nullptr;
    QLabel* m_saveState = nullptr;
    QLabel* m_flowCounts = nullptr;
    QLabel* m_zoomLevel = nullptr;
};

} // namespace korvel
