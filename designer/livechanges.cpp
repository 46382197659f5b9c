#include "designer/livechanges.h"

#include "canvas/flowlinkitem.h"
#include "canvas/flownodeitem.h"
#include "canvas/flowview.h"
#include "canvas/scenemapper.h"
#include "core/addinglobals.h"
#include "core/errorlog.h"
#include "core/korvelerror.h"
#include "designer/framecommands.h"
#include "designer/frametree.h"
#include "designer/frmmain.h"
#include "designer/windowstatus.h"
#include "document/framecontroller.h"
#include "model/cworders.h"
#include "persistence/cdboperate.h"
#include "persistence/changewatcher.h"
#include "resources/stringtable.h"

#include <QApplication>
#include <QHash>
#include <QLabel>
#include <QScrollBar>
#include <QSet>
#include <QStatusBar>
#include <QTimer>
#include <utility>

namespace korvel {
namespace {

// How soon rows put off by a modal window are tried again.
constexpr int ModalRetryMilliseconds = 200;

bool LockKind(const QString& kind)
{
    return kind == FrameChangeKindName(FrameChangeKind::Locked) ||
           kind == FrameChangeKindName(FrameChangeKind::Unlocked);
}

} // namespace

LiveChanges::LiveChanges(FrmMain& window, cWOrders& workOrders, FrameController& frames, SceneMapper& mapper,
                         FlowView& flow, FrameTree& tree, WindowStatus& status)
    : QObject(&window), m_window(window), m_workOrders(workOrders), m_frames(frames), m_mapper(mapper),
      m_flow(flow), m_tree(tree), m_status(status)
{
    m_note = new QLabel(window.statusBar());
    m_note->setObjectName(QStringLiteral("LiveNote"));
    window.statusBar()->addWidget(m_note);
    // Before the window reads the list: a change made meanwhile is then seen once more, not missed.
    try {
        m_watcher = std::make_unique<ChangeWatcher>(Addin().DBConnection);
        connect(m_watcher.get(), &ChangeWatcher::Changed, this, &LiveChanges::Apply);
    } catch (const std::exception& error) {
        LogError(QStringLiteral("[Korvel]-[LiveChanges]-[LiveChanges]:"), error);
    }
}

LiveChanges::~LiveChanges() = default;

QLabel& LiveChanges::Note()
{
    return *m_note;
}

void LiveChanges::Refresh()
{
    m_note->clear();
    if (m_watcher)
        m_watcher->CatchUp();
    const QString current = m_workOrders.CurWOrder();
    if (current.isEmpty())
        return;
    if (!EditedHere(current))
        RedrawShown();
    RefreshLock(current);
}

void LiveChanges::Apply(const QList<FrameChangeRow>& arrived)
{
    // A command waiting on a dialog or a progress bar may hold on to a frame of the list: nothing
    // of the list changes under it. The rows wait until no modal window is up.
    m_pending += arrived;
    if (QApplication::activeModalWidget()) {
        if (!m_waiting)
            QTimer::singleShot(ModalRetryMilliseconds, this, [this] {
                m_waiting = false;
                Apply({});
            });
        m_waiting = true;
        return;
    }
    const QList<FrameChangeRow> rows = std::exchange(m_pending, {});
    // Each frame is brought up to what is stored once, whatever number of rows name it; the locks
    // first, so that a frame whose lock went elsewhere is no longer taken as edited here.
    QSet<QString> locks;
    QHash<QString, FrameChangeRow> latest;
    QStringList changed;
    for (const FrameChangeRow& row : rows) {
        if (LockKind(row.kind)) {
            locks.insert(row.frameId);
            continue;
        }
        if (!latest.contains(row.frameId))
            changed << row.frameId;
        latest.insert(row.frameId, row);
    }
    for (const QString& id : std::as_const(locks))
        IgnoreErrors([&] { RefreshLock(id); });
    for (const QString& id : std::as_const(changed))
        IgnoreErrors([&] { FollowContent(latest.value(id)); });
    IgnoreErrors([this] { m_window.ShowWindowState(); });
}

void LiveChanges::FollowContent(const FrameChangeRow& change)
{
    const QString& id = change.frameId;
    if (EditedHere(id)) {
        // This session's own write under its own lock comes back here too.
        const int row = m_workOrders.RowOf(id);
        if (row >= 0 && m_workOrders.AllWOrder()[static_cast<size_t>(row)].HeldByUser() &&
            change.staffId == Host().LoginStaffID())
            return;
        Say(change.kind == FrameChangeKindName(FrameChangeKind::Deleted) ? 2036 : 2037, change);
        return;
    }
    auto rs = DBOperate().GetOneWorkOrder(id);
    if (!rs || !rs->IsOpen())
        return; // logged
    const bool stored = !rs->IsEOF();
    const QString storedId = stored ? Utility().FieldToString(rs->Fields(0)) : id;
    const QString name = stored ? Utility().FieldToString(rs->Fields(1)) : QString();
    rs->Close();
    const bool shown = m_workOrders.CurWOrder() == storedId;
    if (stored) {
        // A fresh entry: the tree shows the stored name, the frame is read when next opened.
        m_workOrders.AddStoredWorkOrder(storedId, name);
        if (shown)
            RedrawShown();
        return;
    }
    if (m_workOrders.RowOf(id) < 0)
        return;
    m_frames.Close(id);
    if (shown) {
        m_mapper.Show(nullptr);
        m_flow.Scene().RemoveAllNodes();
        m_flow.Scene().setTag(QString());
        m_workOrders.ClearCurWOrder();
    }
    if (shown)
        Say(2035, change); // names the frame while it is still listed
    m_workOrders.RemoveWorkOrder(id);
    if (shown) {
        m_window.SetEditState(false);
        m_tree.SelectFrame(QString());
    }
}

void LiveChanges::RedrawShown()
{
    const QString id = m_workOrders.CurWOrder();
    cWorder* frame = m_workOrders.OneWorkOrder(id);
    if (!frame)
        return;
    FlowScene& scene = m_flow.Scene();
    const double zoom = m_flow.Zoom();
    const int left = m_flow.horizontalScrollBar()->value();
    const int top = m_flow.verticalScrollBar()->value();
    QStringList selected;
    for (const FlowNodeItem* node : scene.SelectedNodes())
        selected << node->Key();
    QStringList selectedLinks;
    for (const FlowLinkItem* link : scene.Links())
        if (link->isSelected())
            selectedLinks << link->Key();

    frame->LoadFlag = 0;
    m_workOrders.setCurWOrder(id);
    scene.setTag(QString());
    m_window.DrawWorkOrder();

    m_flow.setZoom(zoom);
    m_flow.horizontalScrollBar()->setValue(left);
    m_flow.verticalScrollBar()->setValue(top);
    for (const QString& key : std::as_const(selected))
        if (FlowNodeItem* node = scene.NodeByKey(key))
            node->setSelected(true);
    for (const QString& key : std::as_const(selectedLinks))
        if (FlowLinkItem* link = scene.LinkByKey(key))
            link->setSelected(true);
}

void LiveChanges::RefreshLock(const QString& frameId)
{
    const int row = m_workOrders.RowOf(frameId);
    if (row < 0)
        return;
    // Only a lock held here can go without this window knowing: every other one it learns from the
    // host as it shows it (the lock line, the tool tip).
    if (m_workOrders.AllWOrder()[static_cast<size_t>(row)].HeldByUser()) {
        if (!Services().HoldsLock(FrameLockAddin, frameId)) {
            m_note->setText(LoadResString(2038).arg(frameId));
            // Unsaved changes stay editable, so that they can be saved as a copy (a save is refused
            // and says who holds the lock); without any, the frame turns read-only.
            cWorder& frame = *m_workOrders.OneWorkOrder(frameId);
            if (!FrameCommands::Unsaved(frame)) {
                frame.ForgetLock();
                if (m_workOrders.CurWOrder() == frameId)
                    m_window.SetEditState(false);
            }
        }
    }
    m_workOrders.RefreshLock(frameId); // the holder in the tool tip, and the row redrawn
    if (m_workOrders.CurWOrder() == frameId)
        m_status.ShowLockState();
}

bool LiveChanges::EditedHere(const QString& frameId)
{
    const int row = m_workOrders.RowOf(frameId);
    if (row < 0)
        return false;
    const FrameListEntry& entry = m_workOrders.AllWOrder()[static_cast<size_t>(row)];
    return entry.HeldByUser() || (entry.Built() && FrameCommands::Unsaved(*entry.Built()));
}

void LiveChanges::Say(qint32 textId, const FrameChangeRow& change)
{
    const int row = m_workOrders.RowOf(change.frameId);
    const QString frame = row < 0 ? change.frameId
                                  : QStringLiteral("%1 (%2)").arg(m_workOrders.AllWOrder()[static_cast<size_t>(row)].Name(),
                                                                  change.frameId);
    m_note->setText(LoadResString(textId).arg(frame, change.staffId, change.changedAt));
}

} // namespace korvel
