#include "designer/historycommands.h"

#include "canvas/comparisonlayer.h"
#include "canvas/flowview.h"
#include "canvas/frameitems.h"
#include "canvas/scenemapper.h"
#include "core/errorlog.h"
#include "core/korvelerror.h"
#include "core/sameid.h"
#include "designer/frametree.h"
#include "designer/frmmain.h"
#include "designer/historypanel.h"
#include "designer/framecommands.h"
#include "document/framecontroller.h"
#include "document/framedocument.h"
#include "model/cworders.h"
#include "model/framediff.h"
#include "model/framehistory.h"
#include "persistence/cdboperate.h"
#include "persistence/nodeidsearch.h"
#include "resources/stringtable.h"
#include "widgets/failurereport.h"
#include "widgets/uiservices.h"

#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTreeView>
#include <algorithm>
#include <stdexcept>

namespace korvel {
namespace {

// String-table ids.
enum : qint32 {
    MsgHistoryOf = 2089,
    MsgVersionShown = 2090,
    MsgVersionsCompared = 2091,
    MsgEditorCompared = 2092,
    MsgRestoreText = 2095,
    MsgRestoreNeedsLock = 2096,
    MsgStepsRenamed = 2097,
    MsgChooseVersion = 2098,
    MsgUndeleteNewId = 2099,
    MsgUndeleted = 2100,
    MsgNoChanges = 2101,
    MsgDeletedHistoryOf = 2103,
    MsgUnreadable = 2104,
    MsgRenamed = 2105,
    MsgWindowTitle = 118,
};

// The canvas's tag while it shows a version: no frame ID, so the window draws the frame again
// whenever it is asked to.
const QString ViewTag = QStringLiteral("\x1f" "history");

} // namespace

HistoryCommands::HistoryCommands(FrmMain& window, cWOrders& workOrders, FrameController& frames,
                                 SceneMapper& mapper, FlowView& flow, FrameTree& tree)
    : m_window(window), m_workOrders(workOrders), m_frames(frames), m_mapper(mapper), m_flow(flow), m_tree(tree)
{
    m_panel = new HistoryPanel(&window);
    window.addDockWidget(Qt::RightDockWidgetArea, m_panel);
    m_panel->hide();
    if (auto* view = window.menuBar()->findChild<QMenu*>(QStringLiteral("MenuView")))
        view->addAction(m_panel->toggleViewAction());

    QObject::connect(m_panel, &HistoryPanel::VersionChosen, m_panel,
                     [this](int version) { Run("ShowVersion", [&] { ShowVersion(version); }); });
    QObject::connect(m_panel, &HistoryPanel::CompareRequested, m_panel, [this] { Run("Compare", [this] { Compare(); }); });
    QObject::connect(m_panel, &HistoryPanel::RestoreRequested, m_panel, [this] { Run("Restore", [this] { Restore(); }); });
    QObject::connect(m_panel, &HistoryPanel::UndeleteRequested, m_panel,
                     [this] { Run("Undelete", [this] { Undelete(); }); });
    QObject::connect(m_panel, &HistoryPanel::BackRequested, m_panel,
                     [this] { Run("BackToFrame", [this] { BackToFrame(); }); });
    QObject::connect(m_panel, &HistoryPanel::ChangeChosen, m_panel,
                     [this](int index) { Run("ChooseChange", [&] { ChooseChange(index); }); });
    QObject::connect(m_panel, &QDockWidget::visibilityChanged, m_panel, [this](bool visible) {
        if (visible)
            IgnoreErrors([this] { ShowState(); });
    });
    // A frame deleted or brought back changes the deleted frames' list, when it is open.
    const auto followDeleted = [this] {
        if (m_tree.Widget().isExpanded(m_tree.DeletedNode()))
            QMetaObject::invokeMethod(m_panel, [this] { IgnoreErrors([this] { ListDeleted(); }); },
                                      Qt::QueuedConnection);
    };
    QObject::connect(&workOrders, &cWOrders::EntryRemoved, m_panel, followDeleted);
    QObject::connect(&workOrders, &cWOrders::EntryAdded, m_panel, followDeleted);
}

HistoryCommands::~HistoryCommands()
{
    // With the panel go the connections that call this object.
    delete m_panel;
}

HistoryPanel& HistoryCommands::Panel()
{
    return *m_panel;
}

void HistoryCommands::Run(const char* procedure, const std::function<void()>& command)
{
    try {
        command();
    } catch (const KorvelError& error) {
        ReportRefusal(error.description());
    } catch (const std::exception& error) {
        LogError(QStringLiteral("[Korvel]-[HistoryCommands]-[%1]:").arg(QLatin1String(procedure)), error);
    }
    IgnoreErrors([this] { m_window.ShowWindowState(); });
}

QString HistoryCommands::Caption() const
{
    const QString name = m_rows.isEmpty() ? QString() : m_rows.constFirst().frameName;
    return LoadResString(1811).arg(name, m_frameId);
}

void HistoryCommands::ShowState()
{
    if (m_viewing && m_flow.Scene().Tag() != ViewTag)
        EndView(); // the window drew a frame meanwhile
    if (m_viewing) {
        QString title = m_shownText + QStringLiteral(" - ") + LoadResString(MsgWindowTitle);
        m_window.setWindowTitle(title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]")));
        return;
    }
    if (!m_panel->isVisible())
        return;
    // The list is read again only when the frame shown is another one, or was written since.
    const QString current = m_workOrders.CurWOrder();
    const cWorder* frame = current.isEmpty() ? nullptr : m_workOrders.OneWorkOrder(current);
    const QString listed = current + u'\n' + QString::number(frame ? frame->ContentVersion() : 0) + u'\n' +
                           (frame ? frame->Audit().ModifiedDate : QString());
    if (listed == m_listed && !m_deleted)
        return;
    m_listed = listed;
    List(current, false);
}

void HistoryCommands::List(const QString& frameId, bool deleted)
{
    m_frameId = frameId;
    m_deleted = deleted;
    m_rows.clear();
    QString title;
    try {
        if (!frameId.isEmpty())
            m_rows = FrameHistory::Versions(frameId);
        title = LoadResString(deleted ? MsgDeletedHistoryOf : MsgHistoryOf).arg(Caption());
    } catch (const KorvelError& error) {
        title = LoadResString(MsgUnreadable).arg(error.description());
    }
    if (frameId.isEmpty())
        title.clear();
    m_panel->ShowVersions(title, m_rows, deleted);
}

void HistoryCommands::ListDeleted()
{
    m_tree.SetDeleted(FrameHistory::DeletedFrames());
}

bool HistoryCommands::TreeRowClicked(const QModelIndex& row)
{
    const FrameVersionRow* chosen = nullptr;
    if (!m_tree.DeletedRow(row, chosen))
        return false;
    Run("TreeRowClicked", [&] {
        if (!chosen) {
            const bool open = !m_tree.Widget().isExpanded(row);
            if (open)
                ListDeleted();
            m_tree.Widget().setExpanded(row, open);
            return;
        }
        const FrameVersionRow deleted = *chosen; // the tree's rows may be listed afresh below
        m_panel->show();
        List(deleted.frameId, true);
        m_listed.clear();
        Draw(FrameHistory::Content(deleted.frameId, deleted.version),
             LoadResString(MsgVersionShown).arg(Caption()).arg(deleted.version));
        m_panel->SelectVersions({deleted.version});
    });
    return true;
}

void HistoryCommands::ShowVersion(int version)
{
    Draw(FrameHistory::Content(m_frameId, version), LoadResString(MsgVersionShown).arg(Caption()).arg(version));
}

void HistoryCommands::Draw(const FrameRecord& record, const QString& text)
{
    FlowScene& scene = m_flow.Scene();
    m_compare.reset();
    // The canvas follows no document while it shows a version: no edit reaches it, and none is made.
    m_mapper.Show(nullptr);
    m_viewed = std::make_unique<cWorder>();
    m_viewed->LoadRecord(record);
    {
        const FlowScene::BulkChange bulk(scene);
        scene.RemoveAllNodes();
        AddFrameItems(scene, *m_viewed);
    }
    scene.setTag(ViewTag);
    m_viewing = true;
    m_shownText = text;
    m_window.SetEditState(false);
    m_panel->ShowShown(text);
    m_panel->ShowChanges({}, false);
}

void HistoryCommands::EndView()
{
    m_compare.reset();
    m_viewing = false;
    m_shownText.clear();
    m_panel->ShowShown(QString());
    m_panel->ShowChanges({}, false);
}

void HistoryCommands::BackToFrame()
{
    EndView();
    m_flow.Scene().setTag(QString());
    m_window.DrawWorkOrder();
    if (m_deleted)
        m_listed.clear(); // the panel follows the current frame again
}

FrameRecord HistoryCommands::EditorRecord(cWorder& frame) const
{
    FrameRecord record;
    record.header = frame.HeaderValues();
    record.audit = frame.Audit();
    for (const auto& [key, node] : frame.AllNode().AllNode())
        if (node->CanLoadFlag() == 1)
            record.steps << node->Values();
    for (const auto& [key, link] : frame.AllLink().AllLinks())
        if (link->CanLoadFlag() == 1)
            record.links << link->Values();
    return record;
}

void HistoryCommands::Compare()
{
    QList<int> versions = m_panel->SelectedVersions();
    if (versions.isEmpty() || versions.size() > 2 || m_rows.isEmpty()) {
        Messages().warning(LoadResString(MsgChooseVersion));
        return;
    }
    std::sort(versions.begin(), versions.end());
    const FrameRecord older = FrameHistory::Content(m_frameId, versions.constFirst());
    FrameRecord newer;
    QString text;
    cWorder* frame = m_deleted ? nullptr : m_workOrders.OneWorkOrder(m_frameId);
    if (versions.size() == 2 || !frame) {
        const int last = versions.size() == 2 ? versions.constLast() : m_rows.constFirst().version;
        newer = FrameHistory::Content(m_frameId, last);
        text = LoadResString(MsgVersionsCompared).arg(Caption()).arg(versions.constFirst()).arg(last);
    } else {
        newer = EditorRecord(*frame);
        text = LoadResString(MsgEditorCompared).arg(Caption()).arg(versions.constFirst());
    }
    const FrameDiff diff = DiffFrames(older, newer);
    Draw(newer, text);
    m_compare = std::make_unique<ComparisonLayer>(m_flow.Scene(), diff);
    QStringList lines;
    for (const ComparisonLayer::Entry& entry : m_compare->Entries())
        lines << entry.text;
    if (lines.isEmpty())
        lines << LoadResString(MsgNoChanges);
    m_panel->ShowChanges(lines, true);
    m_panel->SelectVersions(versions);
}

void HistoryCommands::ChooseChange(int index)
{
    if (!m_compare || index < 0 || index >= m_compare->Entries().size())
        return;
    const QRectF area = m_compare->Choose(index);
    if (!area.isEmpty())
        m_flow.centerOn(area.center());
}

QStringList HistoryCommands::FreshIdsForTaken(cWorder& frame, FrameRecord& record)
{
    // A step this frame holds (stored, or added in the editor) is its own; any other ID that a step
    // of the database has belongs to another frame now.
    QStringList taken;
    for (const NodeValues& step : std::as_const(record.steps)) {
        if (frame.AllNode().OneNode(step.WorkOrderNode_ID))
            continue;
        const qint32 exists = DBOperate().getNodeExists(step.WorkOrderNode_ID);
        if (exists == 0) {
            InformDatabaseUnreadable();
            throw std::runtime_error("the step IDs in use could not be read");
        }
        if (exists == 1)
            taken << step.WorkOrderNode_ID;
    }
    if (taken.isEmpty())
        return {};
    NodeIdAllocator ids = NodeIdAllocator::FromDatabase();
    for (const auto& [key, node] : frame.AllNode().AllNode())
        ids.MarkUsed(node->WorkOrderNode_ID());
    for (const NodeValues& step : std::as_const(record.steps))
        ids.MarkUsed(step.WorkOrderNode_ID);
    QHash<QString, QString> fresh;
    QStringList lines;
    for (const QString& id : std::as_const(taken)) {
        fresh.insert(IdKey(id), ids.Next());
        lines << LoadResString(MsgRenamed).arg(id, fresh.value(IdKey(id)));
    }
    const auto map = [&](QString& id) {
        if (const auto found = fresh.constFind(IdKey(id)); !id.isEmpty() && found != fresh.cend())
            id = *found;
    };
    for (NodeValues& step : record.steps) {
        map(step.WorkOrderNode_ID);
        map(step.ReturnOldStep);
    }
    for (LinkValues& link : record.links) {
        map(link.FatherNode_ID);
        map(link.SonNode_ID);
    }
    return lines;
}

void HistoryCommands::Restore()
{
    const QList<int> versions = m_panel->SelectedVersions();
    if (versions.size() != 1 || m_deleted) {
        Messages().warning(LoadResString(MsgChooseVersion));
        return;
    }
    const QString id = m_frameId;
    FrameDocument* document = id == m_workOrders.CurWOrder() ? m_frames.Open(id) : nullptr;
    cWorder* frame = document ? document->Frame() : nullptr;
    if (!frame || !document->Editable()) {
        Messages().warning(LoadResString(MsgRestoreNeedsLock).arg(Caption()));
        return;
    }
    FrameRecord record = FrameHistory::Content(id, versions.constFirst());
    const QStringList renamed = FreshIdsForTaken(*frame, record);
    // The version's rows belong to this frame under its ID as it is stored now.
    record.header.WorkOrderFrame_ID = frame->WorkOrderFrame_ID;
    for (NodeValues& step : record.steps)
        step.WorkOrderFrame_ID = frame->WorkOrderFrame_ID;
    for (LinkValues& link : record.links)
        link.WorkOrderFrame_ID = frame->WorkOrderFrame_ID;
    if (m_viewing)
        BackToFrame();
    const FrameController::Outcome outcome = m_frames.ReplaceFlow(
        id, record.steps, record.links, LoadResString(MsgRestoreText).arg(versions.constFirst()), record.header);
    if (!outcome.refusal.isEmpty())
        ReportRefusal(outcome.refusal);
    if (!renamed.isEmpty())
        Messages().information(LoadResString(MsgStepsRenamed).arg(renamed.join(QStringLiteral(", "))));
}

void HistoryCommands::Undelete()
{
    if (!m_deleted || m_rows.isEmpty())
        return;
    const QList<int> versions = m_panel->SelectedVersions();
    if (versions.size() > 1) {
        Messages().warning(LoadResString(MsgChooseVersion));
        return;
    }
    const int version = versions.isEmpty() ? m_rows.constFirst().version : versions.constFirst();
    const auto row = std::find_if(m_rows.cbegin(), m_rows.cend(),
                                  [&](const FrameVersionRow& each) { return each.version == version; });
    const QString name = row == m_rows.cend() ? QString() : row->frameName;
    // Someone may have stored a frame under the ID since: the frame comes back under a new one,
    // checked like a copy's.
    const qint32 exists = DBOperate().GetWorkOrderIDExists(m_frameId);
    if (exists == 0) {
        InformDatabaseUnreadable();
        return;
    }
    QString newId;
    if (exists == 1) {
        newId = FrameCommands::AskNewFrameID(&m_window, LoadResString(MsgUndeleteNewId).arg(m_frameId), m_frameId,
                                             name, LoadResString(MsgUndeleteNewId).arg(m_frameId));
        if (newId.isEmpty())
            return;
    }
    const FrameHistory::Restored restored = FrameHistory::Restore(m_frameId, version, newId);
    const QString caption = Caption();
    m_workOrders.AddStoredWorkOrder(restored.frameId, name);
    EndView();
    m_deleted = false;
    m_listed.clear();
    ListDeleted();
    m_tree.SelectFrame(restored.frameId);
    m_flow.Scene().setTag(QString());
    m_window.TrvTree_NodeClick(restored.frameId);
    m_window.DrawWorkOrder(); // also when the user kept the frame being edited
    Messages().information(LoadResString(MsgUndeleted).arg(caption, restored.frameId).arg(restored.version));
}

} // namespace korvel
