#pragma once

#include "model/frameformat.h"
#include "persistence/frameversions.h"

#include <QList>
#include <QModelIndex>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace korvel {

class ComparisonLayer;
class cWOrders;
class cWorder;
class FlowView;
class FrameController;
class FrameTree;
class FrmMain;
class HistoryPanel;
class SceneMapper;

// A frame's history in the window: the History panel (View menu) lists the shown frame's versions
// and follows it; the tree's "Deleted work orders" lists the deleted frames, whose history the panel
// shows when one is chosen. A version chosen, or a comparison, is drawn read-only on the canvas
// (the canvas then follows no document, so nothing of it can be edited or saved) until the user goes
// back to the frame, or the window draws a frame again. Restore puts a version into the frame being
// edited as one undoable edit; Undelete stores a deleted frame again.
class HistoryCommands final {
public:
    // Adds the panel, hidden, to the window and its switch to the View menu.
    HistoryCommands(FrmMain& window, cWOrders& workOrders, FrameController& frames, SceneMapper& mapper,
                    FlowView& flow, FrameTree& tree);
    ~HistoryCommands();

    HistoryPanel& Panel();
    // Whether the canvas shows a version or a comparison rather than the current frame.
    bool Viewing() const { return m_viewing; }
    // After every command: notices that the canvas shows a frame again, lists the current frame's
    // versions afresh when it was saved or changed since (only while the panel is open), and names
    // the version shown in the title.
    void ShowState();
    // A click on the tree's row: true when it is the deleted frames' node (opened or closed, and
    // listed afresh) or a deleted frame (its history shown, its newest version drawn).
    bool TreeRowClicked(const QModelIndex& row);

    void ShowVersion(int version);
    // One version selected: its changes up to the frame as it is in the editor (a deleted frame: its
    // newest version); two: from the older to the newer. The newer is drawn with the changes marked.
    void Compare();
    void ChooseChange(int index);
    void Restore();
    void Undelete();
    // Draws the current frame again, editable when its lock is held.
    void BackToFrame();

private:
    // Runs a command of the panel; a refusal (KorvelError) is told to the user.
    void Run(const char* procedure, const std::function<void()>& command);
    void List(const QString& frameId, bool deleted);
    void ListDeleted();
    // Draws `record` read-only; `text` says what it is.
    void Draw(const FrameRecord& record, const QString& text);
    void EndView();
    // The frame as the editor holds it, unsaved changes included.
    FrameRecord EditorRecord(cWorder& frame) const;
    // Steps of `record` whose IDs another frame uses now get fresh IDs, with their links and the
    // return steps that name them; returns "old → new" for each.
    static QStringList FreshIdsForTaken(cWorder& frame, FrameRecord& record);
    QString Caption() const;

    FrmMain& m_window;
    cWOrders& m_workOrders;
    FrameController& m_frames;
    SceneMapper& m_mapper;
    FlowView& m_flow;
    FrameTree& m_tree;
    HistoryPanel* m_panel = nullptr; // a dock of the window
    QString m_frameId;               // the frame whose history is listed
    bool m_deleted = false;          // that frame is deleted
    QString m_listed;                // what the list was read for (frame and content version)
    QList<FrameVersionRow> m_rows;
    bool m_viewing = false;
    QString m_shownText;
    std::unique_ptr<cWorder> m_viewed;          // the record drawn
    std::unique_ptr<ComparisonLayer> m_compare; // its marks, while a comparison is drawn
};

} // namespace korvel
