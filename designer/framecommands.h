#pragma once

#include <QMessageBox>
#include <QString>

namespace korvel {

class cWOrders;
class cWorder;
class FlowTools;
class FlowView;
class FrameController;
class FrameTree;
class FrmMain;
class SceneMapper;
class WindowStatus;

// The commands on whole frames: open, new, header edit, delete, save as, save, lock and unlock, with the
// questions about unsaved changes and the reports of failed writes and refused locks. Changes of a
// frame's header and its lock go straight to the database; the frame's steps and links are written
// by Save (or by answering Yes when asked about unsaved changes).
class FrameCommands final {
public:
    FrameCommands(FrmMain& window, cWOrders& workOrders, FrameController& frames, SceneMapper& mapper,
                  FlowView& flow, FrameTree& tree, WindowStatus& status, FlowTools& tools);

    // Asks for a frame by part of its ID or name (FrmOpenFrame) and makes it current as a tree
    // click does.
    void OpenFrame();
    void NewWorkOrder();
    // Edits the header of the frame the tree selects, under its lock.
    void EditHeader();
    void DeleteWorkOrder();
    void SaveWorkOrderAs();
    void SaveWorkOrder();
    void LockWorkOrder();
    void UnlockWorkOrder();
    // Asks about unsaved changes of the current frame with string `questionId`: Yes saves them, No
    // drops them. False when the user cancelled or the save failed (the changes stay). Used by the
    // node click, Unlock and the unload.
    bool OfferSave(qint32 questionId);
    // Asks whether to save the frame's unsaved node and link changes (string `questionId` followed
    // by "[name]"), as Yes/No/Cancel. Yes saves them; a failed save is reported and answered as
    // Cancel. NoButton when there is nothing to save.
    QMessageBox::StandardButton AskToSave(cWorder& frame, qint32 questionId);
    // Tells the user, once, that the database could not be read, naming it and the error.
    void ReportUnreadable(const QString& error);
    // True while the frame holds node or link changes not yet saved (and not dropped).
    static bool Unsaved(const cWorder& frame);
    // New frames and copies are offered the end of a fresh unique key as their ID.
    static QString ProposedFrameID();
    // Asks, in the Save as dialog without its name box, for a new ID under which the frame `frameId`
    // (named `name`, which it keeps) is stored; the dialog checks it as a copy's. `explanation`, when
    // given, says above the ID box why a new one is needed. Empty when the user cancelled.
    static QString AskNewFrameID(QWidget* parent, const QString& title, const QString& frameId, const QString& name,
                                 const QString& explanation = {});

private:
    // Saves the frame's node and link changes and marks it for re-reading; false after telling the
    // user why it failed (the changes stay in memory).
    bool SaveFrame(cWorder& frame);
    // Shows message `messageId` for a failed write of `frame`, adding that someone else changed the
    // frame in the database when `result` says so, or, with a warning icon, why the write was
    // refused (the lock lost, or the frame changed since it was read).
    void ReportWriteFailure(qint32 messageId, qint32 result, const cWorder& frame);
    // Tells the user why the frame's lock was not taken: the database's failure with its cause when
    // the attempt logged an error (`errorsBefore`: the errors logged before it), else the lock's
    // holder and since when.
    void ShowLockFailed(const cWorder& frame, quint64 errorsBefore);
    // Before this session takes the frame's lock: when the user holds it in another session that
    // still runs, asks whether to take it over, and does. False when the user declined or the lock
    // could not be taken over.
    bool ConfirmTakeOver(cWorder& frame);

    FrmMain& m_window;
    cWOrders& m_workOrders;
    FrameController& m_frames;
    SceneMapper& m_mapper;
    FlowView& m_flow;
    FrameTree& m_tree;
    WindowStatus& m_status;
    FlowTools& m_tools;
};

} // namespace korvel
