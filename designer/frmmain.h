#pragma once

#include "model/flowcheck.h"

#include <QList>
#include <QMainWindow>
#include <QMessageBox>
#include <QPoint>
#include <QPointF>
#include <QPointer>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <utility>

class QAction;
class QFrame;
class QGraphicsItem;
class QLabel;
class QStatusBar;
class QMenu;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace korvel {

class cLink;
class cNode;
class cWOrders;
class cWorder;
class FindingsPanel;
class FlowView;
class FlowLinkItem;
class FlowNodeItem;
class QtTranslation;
class SelectOnlyCombo;
class FrameController;
class SceneMapper;

// Tree item data: the item's key ("N" + frame ID) and the key of its image ("DynOpen"/"DynClose").
inline constexpr int TreeKeyRole = Qt::UserRole;
inline constexpr int TreeImageRole = Qt::UserRole + 1;

// The designer's main window: menus, toolbar, work-order tree, splitter, flow canvas and status
// bar. It owns the work-order list for its lifetime, decides which frame is current and whether the
// user may edit it. All geometry is laid out by hand in twips (15 twips per pixel).
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

    cWOrders& WorkOrders();
    FlowView& AFFlow();
    QTreeWidget& TrvTree(); // items: data(0, TreeKeyRole) = key "N" + frame ID
    QToolBar& Toolbar1();
    // The toolbar button with this key ("New","Del","Save","Saveas","Lock","Unlock","AddNode",
    // "EditItem","DelItem","AddLink","LinkTool" (checkable),"Undo","Redo","Check","Quit"), or
    // nullptr. The step, link, undo and redo buttons are also items of the Edit menu.
    QAction* ToolbarButton(const QString& key);
    // The menu bar's actions by object name: the File menu's "Export", "Import", "ExportPicture",
    // "Print", the Edit menu's items (the toolbar's undo, redo, step and link buttons, "Cut", "Copy",
    // "Paste", "SelectAll", "AlignLeft", "AlignTop", "AlignCentre", "Distribute"), the Tools menu's
    // "Check" (the toolbar's button) and "Search", the View menu's "ZoomIn", "ZoomOut", "ZoomFit",
    // "Grid" (checkable), "Legend"
    // and the Help menu's "Help"; nullptr when none.
    QAction* MenuBarAction(const QString& name);
    // The canvas popup; its actions are named Menu_AddNode, Menu_EditNode, aa, Menu_Del, bb,
    // Menu_AddLink, Menu_EditLink, cc, Menu_DelLink.
    QMenu& MenuNode();
    // The popup's item with this object name, or nullptr.
    QAction* MenuItem(const QString& name);
    QWidget& ImgSplitter(); // the handle the user drags
    QFrame& PicSplitter();  // the bar shown while dragging
    QLabel& LockState();    // the status bar's lock line
    QLabel& SaveState();    // the status bar's note of unsaved changes (empty when none)
    QLabel& FlowCounts();   // the status bar's count of steps and links
    QLabel& ZoomLevel();    // the status bar's zoom in percent

    // Runs the command of a toolbar key; unknown keys do nothing.
    void Toolbar1_ButtonClick(const QString& key);
    // The tree's node click (item may be nullptr): offers to save the current frame's changes,
    // then makes the item's frame current and draws it.
    void TrvTree_NodeClick(QTreeWidgetItem* item);
    // Header edit of the selected frame (framecommands.cpp).
    void TrvTree_DblClick();
    // Refills the tree from WorkOrders().
    void LoadWorkOrderTree();
    // Sets the canvas edit switch (never on for a frame that could not be read in full), then the
    // commands' states (SetCommandStates) and the lock line.
    void SetEditState(bool editable);
    // The one rule for which commands are enabled, for toolbar, menus, popup and keys alike: the
    // frame commands "Del","Save","Saveas","Unlock" and adding steps and links while the canvas is
    // editable, "Lock" while it is not; editing and deleting while it is editable and a step or a
    // link is selected (the popup splits them into step and link items).
    void SetCommandStates();
    // Title (frame name and ID, "*" while it has unsaved changes), status bar (unsaved note, step
    // and link counts, zoom) and the tree's mark of frames with unsaved changes, for the current
    // frame. Reads nothing from the database.
    void ShowWindowState();
    // Lays the controls out for splitter position x (twips); x is kept 1500 twips from both edges.
    void SizeControls(double& x);
    // Draws the current frame unless the canvas already shows it.
    void DrawWorkOrder();
    // The tree's selected item, nullptr when none.
    QTreeWidgetItem* SelectedTreeItem() const;
    // The root item with this key, nullptr when none.
    QTreeWidgetItem* TreeItemByKey(const QString& key) const;
    // Appends a root item with key, text and image key ("DynOpen"/"DynClose").
    QTreeWidgetItem* AddTreeItem(const QString& key, const QString& text, const QString& image);
    // Sets an item's image by key and remembers the key in TreeImageRole.
    static void SetTreeItemImage(QTreeWidgetItem& item, const QString& image);
    // The splitter position in twips (the drag bar's left).
    double SplitterLeft() const { return m_splitterLeft; }

    // Save and lock commands (savelockcommands.cpp).
    void SaveWorkOrder();
    void LockWorkOrder();
    void UnlockWorkOrder();
    // Node commands (nodecommands.cpp). The popup's add puts the new step where the right click was
    // (at the view's centre when the popup was not opened by a click); AddNodeAt centres the new
    // step's box on `place` (scene twips), clear of Start and End.
    void Menu_AddNode_Click();
    void AddNodeAt(const QPointF& place);
    void Menu_EditNode_Click();
    void Menu_Del_Click();
    void FillStepCombo(const QString& nodeID, SelectOnlyCombo& combo);
    // Deletes the steps with their live links as one step of the undo history named `text`.
    void DeleteSteps(const QStringList& ids, const QString& text);
    // Link commands (linkcommands.cpp). AddLink opens the link dialog with the given father and son
    // chosen (IDs; empty for none), as a drag from one step to another does.
    void Menu_AddLink_Click();
    void AddLink(const QString& fatherID, const QString& sonID);
    void Menu_EditLink_Click();
    void Menu_DelLink_Click();
    // Edit and delete whatever is selected: a step, else a link (windowcommands.cpp). Several
    // selected steps are deleted together, with their links, after one question.
    void EditSelected();
    void DeleteSelected();
    // Undo and redo of the current frame's edits, and the steps on the clipboard
    // (clipboardcommands.cpp): copy (steps and the links between them, as JSON and as a picture),
    // cut (copy and delete, one step of the history) and paste (fresh IDs, one step).
    void UndoEdit();
    void RedoEdit();
    void CopySteps();
    void CutSteps();
    void PasteSteps();
    // Arranging the selected steps, each one undoable step (arrangecommands.cpp): select all, move
    // by the keys, align and distribute. Start and End never move.
    void SelectAll();
    void MoveSelection(const QPointF& delta);
    void AlignLeft();
    void AlignTop();
    void AlignCentre();
    void DistributeHorizontally();
    // Moves steps to new top-left places (twips) as one step of the history; a step already there
    // is left alone.
    void MoveSteps(const QList<std::pair<QString, QPoint>>& places, const QString& text);
    // The grid on the canvas, following the View menu's check mark.
    void ShowGrid();
    // View and help commands (windowcommands.cpp).
    void ZoomIn();
    void ZoomOut();
    void ZoomFit();
    void ShowLegend();
    void ShowHelp();
    // The middle of the canvas's view, scene twips.
    QPointF ViewCentre() const;
    // Frame commands (framecommands.cpp).
    void NewWorkOrder();
    void DeleteWorkOrder();
    void SaveWorkOrderAs();
    // Flow tools (flowtoolcommands.cpp). Check lists the current frame's findings in the findings
    // dock and shows it. Export writes the current frame or all frames to a file, Import reads one
    // (asking for a new ID when the file's one frame has an ID in use), lists its findings and
    // selects the imported frame. Export picture writes the current flow as SVG, PNG (at a scale
    // the user picks) or PDF; Print prints it. Search finds a text in every frame and opens the
    // frame of the hit chosen, selecting its step or link. Files are asked for with QFileDialog,
    // choices with QInputDialog, all shown through Modals().
    void CheckWorkOrder();
    void ExportWorkOrders();
    void ImportWorkOrders();
    void ExportPicture();
    void PrintWorkOrder();
    void SearchWorkOrders();
    // The dock below the canvas that lists the findings.
    FindingsPanel& Findings();

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
    // The tool tip of a canvas item from the current frame's node or link; empty when none.
    QString CanvasToolTip(const QGraphicsItem& item) const;
    // The File and Tools menus, their keys and the findings dock (flowtoolcommands.cpp).
    void BuildFlowTools();
    // SetCommandStates for the flow tools.
    void SetFlowToolStates();
    // While the findings dock is open, lists the current frame's findings in it afresh.
    void RefreshFindings();
    // The check run by Save: findings never stop a save, but errors open the dock before it.
    void CheckBeforeSave(cWorder& frame);
    // Selects the canvas item with this key ("N" + step ID, "L" + link code; none for the frame)
    // and scrolls it into view.
    void ShowFlowItem(const QString& canvasKey);
    // New frames and copies are offered the end of a fresh unique key as their ID (framecommands.cpp).
    static QString ProposedFrameID();
    // The top left corner of a new step's box centred on `centre` (scene twips): not left of or
    // above the origin, and below Start and End rather than on top of them.
    QPointF NodePlace(const QPointF& centre) const;
    void Form_Load();
    // Asks about unsaved changes of the current frame with string `questionId`: Yes saves them, No
    // drops them. False when the user cancelled or the save failed (the changes stay). Used by the
    // node click, Unlock and the unload.
    bool OfferSave(qint32 questionId);
    // Asks whether to save the frame's unsaved node and link changes (string `questionId` followed
    // by "[name]"), as Yes/No/Cancel. Yes saves them; a failed save is reported and answered as
    // Cancel. NoButton when there is nothing to save.
    QMessageBox::StandardButton AskToSave(cWorder& frame, qint32 questionId);
    // True while the frame holds node or link changes not yet saved (and not dropped).
    static bool Unsaved(const cWorder& frame);
    // Saves the frame's node and link changes and marks it for re-reading; false after telling the
    // user why it failed (the changes stay in memory).
    bool SaveFrame(cWorder& frame);
    // Shows message `messageId` for a failed write, adding that someone else changed the frame in
    // the database when `result` says so.
    void ReportWriteFailure(qint32 messageId, qint32 result);
    // Tells the user that the lock on the frame was refused, naming its holder and since when.
    void ShowLockFailed(const cWorder& frame);
    // The status bar's lock line for the current frame: read-only, locked by you, or locked by
    // NAME (ID), each with since when.
    void ShowLockState();
    // Before this session takes the frame's lock: when the user holds it in another session that
    // still runs, asks whether to take it over. False when the user declined.
    bool ConfirmTakeOver(const cWorder& frame);
    // Tells the user, once, that the database could not be read, naming it and the error.
    void ReportUnreadable(const QString& error);
    void ReleaseDll();
    void AFFlow_DblClick();
    void AFFlow_EmptyDblClick(const QPointF& scenePos);
    void AFFlow_ConnectRequested(const QString& fromKey, const QString& toKey);
    // The selected steps of the current frame (Start and End left out), in canvas order.
    QList<FlowNodeItem*> SelectedSteps() const;
    // True when the clipboard holds steps that could be pasted.
    static bool ClipboardHasSteps();
    void AFFlow_MouseDown(Qt::MouseButton button, const QPoint& globalPos);
    void AFFlow_MouseUp(Qt::MouseButton button);
    void ImgSplitter_MouseDown();
    void ImgSplitter_MouseMove(double mouseX);
    void ImgSplitter_MouseUp();
    // Runs an event handler; an error ends it quietly with a log line under `procedure`. Then
    // shows the window's state afresh.
    template <typename Handler> void RunHandler(const char* procedure, Handler&& handler);
    // RunHandler for a command member.
    void RunCommand(const char* procedure, void (FrmMain::*command)());

    // Qt's own texts (message box buttons) in the interface language while the window lives.
    std::unique_ptr<QtTranslation> m_qtTexts;
    std::unique_ptr<cWOrders> m_workOrders;
    FrameController* m_frames = nullptr; // the open frames' documents; child of the window
    SceneMapper* m_mapper = nullptr;     // keeps the canvas on the shown frame's document
    QWidget* m_client = nullptr; // the client area; every control is laid out in it
    QToolBar* m_toolbar = nullptr;
    QTreeWidget* m_tree = nullptr;
    QWidget* m_imgSplitter = nullptr;
    QFrame* m_picSplitter = nullptr;
    FlowView* m_flow = nullptr;
    QMenu* m_menuNode = nullptr;
    QLabel* m_lockState = nullptr; // in the status bar
    QLabel* m_saveState = nullptr;
    QLabel* m_flowCounts = nullptr;
    QLabel* m_zoomLevel = nullptr;
    FindingsPanel* m_findings = nullptr;
    // What the last import reported (missing lookups), each finding keyed by its frame's ID: listed
    // with the check whenever that frame is current, until the next import.
    QList<FlowFinding> m_importFindings;
    // Where the right click that opened the popup was, scene twips; used by the popup's add.
    std::optional<QPointF> m_popupPlace;
    // Keys of the tree items now marked as holding unsaved changes.
    QSet<QString> m_markedItems;
    // The tree's root items by key: the window looks them up after every command, and a tree may
    // hold tens of thousands. AddTreeItem, LoadWorkOrderTree and the frame delete keep it.
    QHash<QString, QTreeWidgetItem*> m_treeItems;
    QStatusBar* m_status = nullptr;
    double m_splitterLeft = 3000; // picSplitter's left, twips
    bool SplitterMoving = false;

    static QPointer<FrmMain> s_instance;
};

} // namespace korvel
