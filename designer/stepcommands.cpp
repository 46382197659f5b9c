// The commands on the current frame's steps and links: add, edit and delete from the canvas's popup,
// the toolbar, the keys and the mouse, undo and redo, and the step list. Each change is a command on
// the frame's document (FrameController); the canvas follows its announcements.
#include "designer/stepcommands.h"

#include "canvas/flowlinkitem.h"
#include "canvas/flownodeitem.h"
#include "canvas/flowview.h"
#include "canvas/frameitems.h"
#include "core/addinglobals.h"
#include "core/errorlog.h"
#include "designer/frmmain.h"
#include "designer/viewcommands.h"
#include "dialogs/frmlink.h"
#include "dialogs/frmnode.h"
#include "dialogs/selectonlycombo.h"
#include "document/framecontroller.h"
#include "document/linkrules.h"
#include "document/upstreamsteps.h"
#include "model/coordinates.h"
#include "model/cworders.h"
#include "resources/stringtable.h"
#include "widgets/failurereport.h"
#include "widgets/uiservices.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <memory>

namespace korvel {

namespace {

// Shows the dialog until it closes; true when it closed with a passed OK. The tag is emptied
// first, so a "T" left from an earlier round is never taken for a new OK.
bool ShowNodeDialog(FrmNode& dialog)
{
    dialog.setProperty("Tag", QString());
    Modals().showModal(dialog);
    return dialog.Tag() == QStringLiteral("T");
}

} // namespace

StepCommands::StepCommands(FrmMain& window, cWOrders& workOrders, FrameController& frames, FlowView& flow,
                           ViewCommands& view)
    : m_window(window), m_workOrders(workOrders), m_frames(frames), m_flow(flow), m_view(view)
{
}

void StepCommands::FillStepCombo(const QString& nodeID, SelectOnlyCombo& combo)
{
    combo.Clear();
    cWorder* w = m_workOrders.OneWorkOrder(m_workOrders.CurWOrder());
    if (w == nullptr)
        return;
    for (const auto& [name, id] : UpstreamSteps(*w, nodeID))
        combo.AddStep(name, id);
    combo.EndFill();
}

void StepCommands::AddNode()
{
    const QPointF place = m_popupPlace.value_or(m_view.ViewCentre());
    m_popupPlace.reset();
    AddNodeAt(place);
}

void StepCommands::AddNodeAt(const QPointF& place)
{
    try {
        const QString frameID = m_workOrders.CurWOrder();
        cWorder* w = m_workOrders.OneWorkOrder(frameID);
        if (w == nullptr)
            return;
        // The proposal skips the frame's unsaved steps too; an ID the database could not confirm
        // free is never proposed.
        QString proposed;
        try {
            proposed = w->AllNode().ProposeNodeID();
        } catch (const std::exception&) {
            InformDatabaseUnreadable(); // names the error the failed check logged
            return;
        }
        const auto dialog = std::make_unique<FrmNode>(&m_window);
        dialog->CboStep->Clear();
        FillStepCombo(QString(), *dialog->CboStep);
        dialog->TxtID->setText(proposed);
        dialog->TxtID->setEnabled(true);
        for (;;) {
            if (!ShowNodeDialog(*dialog))
                return;
            const qint32 used = w->AllNode().NodeIDExists(dialog->TxtID->text().trimmed());
            if (used < 0)
                break;
            if (used == 0)
                InformDatabaseUnreadable();
            else
                Messages().warning(LoadResString(128));
        }
        NodeValues values = dialog->Values(frameID);
        const QPointF topLeft = NodePlace(place);
        values.Left = ClampedCoordinate(topLeft.x());
        values.Top = ClampedCoordinate(topLeft.y());
        if (const auto added = m_frames.AddStep(frameID, values); !added.refusal.isEmpty())
            ReportRefusal(added.refusal);
    } catch (const std::exception& e) {
        LogError(QStringLiteral("[Korvel]-[FrmMain]-[Menu_AddNode_Click]:"), e);
    }
}

void StepCommands::EditNode()
{
    try {
        const QString frameID = m_workOrders.CurWOrder();
        cWorder* w = m_workOrders.OneWorkOrder(frameID);
        if (w == nullptr)
            return;
        FlowNodeItem* s = m_flow.Scene().SelectedNode();
        if (s == nullptr)
            return;
        cNode* n = w->AllNode().OneNode(s->Key().mid(1));
        if (n == nullptr)
            return;
        const auto dialog = std::make_unique<FrmNode>(&m_window);
        dialog->TxtID->setText(n->WorkOrderNode_ID());
        dialog->TxtID->setEnabled(false);
        FillStepCombo(n->WorkOrderNode_ID(), *dialog->CboStep);
        dialog->Show(*n);
        if (!ShowNodeDialog(*dialog))
            return;
        m_frames.EditStep(frameID, n->WorkOrderNode_ID(), dialog->Values(frameID));
    } catch (const std::exception& e) {
        LogError(QStringLiteral("[Korvel]-[FrmMain]-[Menu_EditNode_Click]:"), e);
    }
}

void StepCommands::DeleteNode()
{
    try {
        cWorder* w = m_workOrders.OneWorkOrder(m_workOrders.CurWOrder());
        if (w == nullptr)
            return;
        // The selected step, also when Start or End is selected with it.
        const QList<FlowNodeItem*> steps = SelectedSteps();
        FlowNodeItem* s = steps.isEmpty() ? m_flow.Scene().SelectedNode() : steps.constFirst();
        // The Start and End boxes are no nodes of the frame; neither is a lost selection.
        cNode* n = s != nullptr ? w->AllNode().OneNode(s->Key().mid(1)) : nullptr;
        if (n == nullptr) {
            Messages().warning(LoadResString(129));
            return;
        }
        const QString question = LoadResString(130) + n->WorkOrderNodeName() + LoadResString(131);
        if (Messages().question(question, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
            return;
        m_frames.DeleteItems(w->WorkOrderFrame_ID, {n->WorkOrderNode_ID()}, {});
    } catch (const std::exception& e) {
        LogError(QStringLiteral("[Korvel]-[FrmMain]-[Menu_Del_Click]:"), e);
    }
}

void StepCommands::AddLink(const QString& fatherID, const QString& sonID)
{
    try {
        cWorder* work = m_workOrders.OneWorkOrder(m_workOrders.CurWOrder());
        if (!work)
            return;

        FrmLink dialog(&m_window);
        dialog.TxtID->setText(Utility().NewUniqueKey().right(6));
        dialog.LoadBeginPage(*work, QString(), 1);
        // Ends chosen on the canvas, a pair the rules allow (AFFlow_ConnectRequested): the son list
        // follows the father.
        if (!fatherID.isEmpty())
            dialog.CboParent->SetKey(fatherID);
        if (!sonID.isEmpty())
            dialog.CboChild->SetKey(sonID);
        Modals().showModal(dialog);
        if (dialog.Tag() != QLatin1String("T"))
            return;

        const LinkValues values = dialog.Values(work->WorkOrderFrame_ID);
        if (const auto added = m_frames.AddLink(work->WorkOrderFrame_ID, values); !added.refusal.isEmpty())
            ReportRefusal(added.refusal);
    } catch (const std::exception& error) {
        LogError(QStringLiteral("[Korvel]-[FrmMain]-[Menu_AddLink_Click]:"), error);
    }
}

void StepCommands::EditLink()
{
    try {
        cWorder* work = m_workOrders.OneWorkOrder(m_workOrders.CurWOrder());
        if (!work)
            return;
        const FlowLinkItem* selected = m_flow.Scene().SelectedLink();
        if (!selected)
            return;
        const QString arrowKey = selected->Key();
        cLink* link = work->AllLink().OneLinks(arrowKey.mid(1));
        if (!link)
            return;

        FrmLink dialog(&m_window);
        dialog.Show(*work, *link);

        Modals().showModal(dialog);
        if (dialog.Tag() != QLatin1String("T"))
            return;

        m_frames.EditLink(work->WorkOrderFrame_ID, arrowKey.mid(1), dialog.Edit());
    } catch (const std::exception& error) {
        LogError(QStringLiteral("[Korvel]-[FrmMain]-[Menu_EditLink_Click]:"), error);
    }
}

void StepCommands::DeleteLink()
{
    try {
        cWorder* work = m_workOrders.OneWorkOrder(m_workOrders.CurWOrder());
        if (!work)
            return;
        FlowLinkItem* arrow = m_flow.Scene().SelectedLink();
        if (!arrow)
            return;
        const QString linkID = arrow->Key().mid(1);
        const cLink* link = work->AllLink().OneLinks(linkID);
        if (!link) {
            LogError(QStringLiteral("[Korvel]-[FrmMain]-[Menu_DelLink_Click]:"),
                     QStringLiteral("the frame holds no link ") + linkID);
            return;
        }

        const QString question = LoadResString(132) + link->WorkOrderLinkName() + LoadResString(133);
        if (Messages().question(question, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
            return;
        // Only this arrow goes, even when the user had more items selected: the nodes stay.
        m_frames.DeleteLink(work->WorkOrderFrame_ID, linkID);
    } catch (const std::exception& error) {
        LogError(QStringLiteral("[Korvel]-[FrmMain]-[Menu_DelLink_Click]:"), error);
    }
}

void StepCommands::EditSelected()
{
    if (m_flow.Scene().SelectedNode())
        EditNode();
    else if (m_flow.Scene().SelectedLink())
        EditLink();
}

void StepCommands::DeleteSelected()
{
    const QStringList steps = SelectedStepIDs();
    const QStringList links = SelectedLinkKeys();
    if (steps.size() + links.size() <= 1) {
        // One item: its own question, naming it. Start or End alone: why it stays.
        if (!steps.isEmpty() || m_flow.Scene().SelectedNode())
            DeleteNode();
        else if (!links.isEmpty())
            DeleteLink();
        return;
    }
    const QString question = links.isEmpty()  ? LoadResString(1689).arg(steps.size())
                             : steps.isEmpty() ? LoadResString(2311).arg(links.size())
                                               : LoadResString(2312).arg(steps.size()).arg(links.size());
    if (Messages().question(question, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    m_frames.DeleteItems(m_workOrders.CurWOrder(), steps, links);
}

void StepCommands::UndoEdit()
{
    if (m_flow.Scene().EditMode())
        m_frames.Undo(m_workOrders.CurWOrder());
}

void StepCommands::RedoEdit()
{
    if (m_flow.Scene().EditMode())
        m_frames.Redo(m_workOrders.CurWOrder());
}

QString StepCommands::CanvasToolTip(const QGraphicsItem& item) const
{
    cWorder* frame = m_workOrders.OneWorkOrder(m_workOrders.CurWOrder());
    if (!frame)
        return {};
    if (const auto* shown = qgraphicsitem_cast<const FlowNodeItem*>(&item))
        if (const cNode* node = frame->AllNode().OneNode(shown->Key().mid(1)))
            return NodeToolTip(*node);
    if (const auto* shown = qgraphicsitem_cast<const FlowLinkItem*>(&item))
        if (const cLink* link = frame->AllLink().OneLinks(shown->Key().mid(1)))
            return LinkToolTip(*link);
    return {};
}

QPointF StepCommands::NodePlace(const QPointF& centre) const
{
    QRectF box(qRound(centre.x() - StepBoxWidth / 2), qRound(centre.y() - StepBoxHeight / 2), StepBoxWidth,
               StepBoxHeight);
    box.moveTo(std::max(0.0, box.left()), std::max(0.0, box.top()));
    // Never on top of Start or End: below them instead.
    for (const QString& key : {StartKey, EndKey}) {
        if (const FlowNodeItem* fixed = m_flow.Scene().NodeByKey(key); fixed && box.intersects(fixed->SceneBox()))
            box.moveTop(fixed->SceneBox().bottom() + StepGap);
    }
    return box.topLeft();
}

void StepCommands::AFFlow_DblClick()
{
    if (!m_flow.Scene().EditMode())
        return;
    EditSelected();
}

void StepCommands::AFFlow_MouseDown(Qt::MouseButton button, const QPoint& globalPos)
{
    if (button != Qt::RightButton || !m_flow.Scene().EditMode())
        return;
    m_window.SetCommandStates();
    m_popupPlace = m_flow.mapToScene(m_flow.viewport()->mapFromGlobal(globalPos));
    // The clipboard's commands on what was clicked; on the empty canvas, a paste at the click.
    const bool onItem = m_flow.Scene().SelectedNode() || m_flow.Scene().SelectedLink();
    for (const char* name : {"dd", "Menu_Cut", "Menu_Copy", "Menu_Paste"})
        if (QAction* item = m_window.MenuItem(QString::fromLatin1(name)))
            item->setVisible(onItem);
    if (QAction* item = m_window.MenuItem(QStringLiteral("Menu_PasteHere")))
        item->setVisible(!onItem);
    m_window.MenuNode().popup(globalPos);
}

void StepCommands::AFFlow_EmptyDblClick(const QPointF& scenePos)
{
    if (!m_flow.Scene().EditMode())
        return;
    AddNodeAt(scenePos);
}

void StepCommands::AFFlow_ConnectRequested(const QString& fromKey, const QString& toKey)
{
    cWorder* work = m_workOrders.OneWorkOrder(m_workOrders.CurWOrder());
    if (!m_flow.Scene().EditMode() || !work)
        return;
    // A pair the rules refuse is told why, instead of a dialog that could not take it.
    if (const QString refusal = LinkRefusal(*work, fromKey.mid(1), toKey.mid(1)); !refusal.isEmpty()) {
        Messages().warning(refusal);
        return;
    }
    AddLink(fromKey.mid(1), toKey.mid(1));
}

QPointF StepCommands::PopupPlace() const
{
    return m_popupPlace.value_or(m_view.ViewCentre());
}

QList<FlowNodeItem*> StepCommands::SelectedSteps() const
{
    QList<FlowNodeItem*> steps;
    cWorder* frame = m_workOrders.OneWorkOrder(m_workOrders.CurWOrder());
    if (!frame)
        return steps;
    // Start and End are no steps of the frame (OneNode knows no such key).
    for (FlowNodeItem* shown : m_flow.Scene().SelectedNodes())
        if (shown->Key() != StartKey && shown->Key() != EndKey &&
            frame->AllNode().OneNode(shown->Key().mid(1)))
            steps.append(shown);
    return steps;
}

QStringList StepCommands::SelectedStepIDs() const
{
    QStringList ids;
    for (const FlowNodeItem* step : SelectedSteps())
        ids << step->Key().mid(1);
    return ids;
}

QStringList StepCommands::SelectedLinkKeys() const
{
    QStringList keys;
    cWorder* frame = m_workOrders.OneWorkOrder(m_workOrders.CurWOrder());
    if (!frame)
        return keys;
    for (const FlowLinkItem* shown : m_flow.Scene().SelectedLinks())
        if (frame->AllLink().OneLinks(shown->Key().mid(1)))
            keys << shown->Key().mid(1);
    return keys;
}

} // namespace korvel
