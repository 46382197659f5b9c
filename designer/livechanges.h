#pragma once

#include "persistence/framechanges.h"

#include <QList>
#include <QObject>
#include <QString>
#include <memory>

class QLabel;

namespace korvel {

class ChangeWatcher;
class cWOrders;
class FlowView;
class FrameController;
class FrameTree;
class FrmMain;
class SceneMapper;
class WindowStatus;

// What other sessions do to the frames, shown in the window as it happens (ChangeWatcher) and on
// View > Refresh: the tree gains, renames and loses frames; a frame shown read-only is read again
// and redrawn with its selection, zoom and scroll kept (or cleared, deleted); the lock images and
// the lock line follow. A frame edited here (its lock held by this session, or unsaved changes) is
// never replaced: the note in the status bar says who changed or deleted it, and when.
//
// A change this session made itself comes round too, and changes nothing a second time.
class LiveChanges final : public QObject {
    Q_OBJECT
public:
    LiveChanges(FrmMain& window, cWOrders& workOrders, FrameController& frames, SceneMapper& mapper,
                FlowView& flow, FrameTree& tree, WindowStatus& status);
    ~LiveChanges() override;

    // View > Refresh: the changes since the last one seen, then the shown read-only frame read
    // again whether or not the log named it.
    void Refresh();
    // The status bar's note of what others did to the frames here; empty when nothing.
    QLabel& Note();
    // Follows the frame's lock after a lock or unlock elsewhere: the image, the canvas's edit switch
    // and the lock line. Asks the host only about a lock this session believed it held.
    void RefreshLock(const QString& frameId);

private:
    void Apply(const QList<FrameChangeRow>& arrived);
    // Brings the frame's list entry (and the canvas, when it shows it) up to what is stored.
    void FollowContent(const FrameChangeRow& change);
    // Reads the shown frame again and redraws it in place.
    void RedrawShown();
    // The frame, current or not, holds this session's lock or unsaved changes.
    bool EditedHere(const QString& frameId);
    void Say(qint32 textId, const FrameChangeRow& change);

    FrmMain& m_window;
    cWOrders& m_workOrders;
    FrameController& m_frames;
    SceneMapper& m_mapper;
    FlowView& m_flow;
    FrameTree& m_tree;
    WindowStatus& m_status;
    QLabel* m_note = nullptr;
    std::unique_ptr<ChangeWatcher> m_watcher; // none when the log could not be read
    QList<FrameChangeRow> m_pending;          // rows that arrived while a modal window was up
    bool m_waiting = false;                   // a retry of m_pending is due
};

} // namespace korvel
