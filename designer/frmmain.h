#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class QToolBar;
class QTreeView;

namespace korvel {

class cWOrders;
class FlowTools;
class FlowView;
class FrameCommands;
class FrameController;
class FrameTree;
class HistoryCommands;
class LiveChanges;
class PathPreview;
class QtTranslation;
class SceneMapper;
class SelectionCommands;
class StepCommands;
class ViewCommands;
class WindowSplitter;
class WindowStatus;

// The designer's main window: menus, toolbar, work-order tree, splitter, flow canvas and status
// bar. It owns the work-order list for its lifetime, decides which frame is current and whether the
// user may edit it. All geometry is laid out by hand in twips (15 twips per pixel). The commands
// themselves live in handlers the window composes: the tree (FrameTree), the status (WindowStatus),
// the frame commands (FrameCommands), the step and link commands (StepCommands), the commands on
// the selected steps (SelectionCommands), the flow tools (FlowTools) and the view (ViewCommands).
//
// Every command (toolbar button, menu item, popup item, key, double click) runs through RunHandler,
// which afterwards shows the window's state afresh (ShowWindowState); SetCommandStates alone decides
// which commands are enabled.
class FrmMain final : public QMainWindow {
    Q_OBJECT
public:
    // Builds the controls and runs the load handler (localise, style, read the list, fill the
    // tree, select and draw the first frame).
    explicit FrmMain(QWidget* parent = nullptr);
    ~FrmMain() override;

    // The shared instance, created and loaded on first use. It deletes itself when it closes.
    static FrmMain& Instance();
    // The shared instance, nullptr when none.
    static FrmMain* ExistingInstance();

    cWOrders& WorkOrders() { return *m_workOrders; }
    FlowView& AFFlow() { return *m_flow; }
    QTreeView& TrvTree(); // Tree().Widget()
    QToolBar& Toolbar1() { return *m_toolbar; }
    // The toolbar button with this key ("New","Del","Save","Saveas","Lock","Unlock","AddNode",
    // "EditItem","DelItem","AddLink","LinkTool" (checkable),"Undo","Redo","Check","Quit"), or
    // nullptr. Its tool tip names its key. Each button is also an item of the menu bar.
    QAction* ToolbarButton(const QString& key);
    // The menu bar's actions by object name: the File menu's (the toolbar's frame buttons,
    // "OpenFrame", "FrameProperties", "Export", "Import", "ExportPicture", "Print", and "Quit"), the
    // Edit menu's (the toolbar's undo, redo, step and link buttons, "Cut", "Copy", "Paste",
    // "SelectAll", "AlignLeft", "AlignCentre", "AlignRight", "AlignTop", "AlignMiddle", "AlignBottom",
    // "Distribute", "DistributeVertically"), the View menu's "ZoomIn", "ZoomOut", "ZoomFit", "Grid"
    // (checkable), "Legend", "Refresh" (F5) and the docks' switches, the Tools menu's "Check" (the
    // toolbar's button), "Search", "ArrangeFlow", "ArrangeSelection" and "PreviewPath", and the Help
    // menu's "Help"; nullptr when none. The tree's popup (Tree().Popup()) shows "New",
    // "FrameProperties", "TreeCopy" (Save as) and "Del".
    QAction* MenuBarAction(const QString& name);
    // The canvas popup; its actions are named Menu_AddNode, Menu_EditNode, aa, Menu_Del, bb,
    // Menu_AddLink, Menu_EditLink, cc, Menu_DelLink, then dd, Menu_Cut, Menu_Copy, Menu_Paste (shown
    // on a step or link) and Menu_PasteHere (shown on the empty canvas).
    QMenu& MenuNode() { return *m_menuNode; }
    // The popup's item with this object name, or nullptr.
    QAction* MenuItem(const QString& name);
    // The handlers the window composes.
    FrameTree& Tree() { return *m_tree; }
    WindowStatus& Status() { return *m_status; }
    FrameCommands& Frames() { return *m_frameCommands; }
    StepCommands& Steps() { return *m_steps; }
    SelectionCommands& Selection() { return *m_selection; }
    FlowTools& Tools() { return *m_tools; }
    ViewCommands& View() { return *m_view; }
    // What other sessions do to the frames, shown as it happens and on View > Refresh.
    LiveChanges& Live() { return *m_live; }
    // The frames' history: the History panel and the tree's deleted frames.
    HistoryCommands& History() { return *m_history; }
    // Where a work order goes: the Path preview panel and its marks on the canvas.
    PathPreview& Preview() { return *m_preview; }

    // Runs the command of a toolbar key; unknown keys do nothing.
    void Toolbar1_ButtonClick(const QString& key);
    // The tree's node click on a frame (none when frameId is empty): offers to save the current
    // frame's changes, then makes the frame current and draws it.
    void TrvTree_NodeClick(const QString& frameId);
    // Header edit of the selected frame.
    void TrvTree_DblClick();
    // The canvas popup's items.
    void Menu_AddNode_Click();
    void Menu_EditNode_Click();
    void Menu_Del_Click();
    void Menu_AddLink_Click();
    void Menu_EditLink_Click();
    void Menu_DelLink_Click();
    // Sets the canvas edit switch (never on for a frame that could not be read in full), then the
    // commands' states (SetCommandStates) and the lock line.
    void SetEditState(bool editable);
    // The one rule for which commands are enabled, for toolbar, menus, popup and keys alike: the
    // frame commands "Del","Save","Saveas","Unlock" and adding steps and links while the canvas is
    // editable, "Lock" while it is not and a frame is current; editing and deleting while it is editable and a step or a
    // link is selected (the popup splits them into step and link items).
    void SetCommandStates();
    // Title, status bar, the tree's mark of frames with unsaved changes and the open findings, for
    // the current frame. Reads nothing from the database.
    void ShowWindowState();
    // Lays the controls out for splitter position x (twips); x is kept 1500 twips from both edges.
    void SizeControls(double& x);
    // Draws the current frame unless the canvas already shows it.
    void DrawWorkOrder();

protected:
    // The unload handler: offers to save, may cancel the close, then tells the host's loader.
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void BuildToolbar();
    void BuildMenu();
    void BuildMenuBar();
    void Form_Load();
    // Runs an event handler; an error ends it quietly with a log line under `procedure`. Then
    // shows the window's state afresh.
    void RunHandler(const char* procedure, const std::function<void()>& handler);
    // SetCommandStates once the events at hand are handled: a selection, an undo or the clipboard
    // may change many times in one pass of the event loop, and the states need reading only once.
    void CommandStatesDue();

    // Qt's own texts (message box buttons) in the interface language while the window lives.
    std::unique_ptr<QtTranslation> m_qtTexts;
    std::unique_ptr<cWOrders> m_workOrders;
    FrameController* m_frames = nullptr; // the open frames' documents; child of the window
    SceneMapper* m_mapper = nullptr;     // keeps the canvas on the shown frame's document
    QWidget* m_client = nullptr;         // the client area; every control is laid out in it
    QToolBar* m_toolbar = nullptr;
    FlowView* m_flow = nullptr;
    QMenu* m_menuNode = nullptr;
    FrameTree* m_tree = nullptr;          // child of the client area
    WindowSplitter* m_splitter = nullptr; // child of the client area
    std::unique_ptr<WindowStatus> m_status;
    std::unique_ptr<ViewCommands> m_view;
    std::unique_ptr<FlowTools> m_tools;
    std::unique_ptr<FrameCommands> m_frameCommands;
    std::unique_ptr<StepCommands> m_steps;
    std::unique_ptr<SelectionCommands> m_selection;
    LiveChanges* m_live = nullptr; // child of the window
    std::unique_ptr<HistoryCommands> m_history;
    std::unique_ptr<PathPreview> m_preview;
    bool m_commandStatesDue = false;

    static QPointer<FrmMain> s_instance;
};

} // namespace korvel
