#include "designer/frmmain.h"

#include "core/errorlog.h"
#include "canvas/flowview.h"
#include "canvas/frameitems.h"
#include "canvas/scenemapper.h"
#include "document/framecontroller.h"
#include "designer/workprogress.h"
#include "model/cworders.h"
#include "resources/stringtable.h"

#include <QAction>
#include <QMenu>

namespace korvel {
void FrmMain::DrawWorkOrder()
{
    const QString current = m_workOrders->CurWOrder();
    // The shown frame's document: its edits reach the canvas, its history the Undo and Redo commands.
    m_mapper->Show(m_frames->Open(current));
    m_frames->Activate(current);
    if (m_flow->Scene().Tag() == current)
        return;
    const FlowScene::BulkChange bulk(m_flow->Scene());
    m_flow->Scene().RemoveAllNodes();

    cWorder* frame = m_workOrders->OneWorkOrder(current);
    if (frame) {
        if (!frame->ReadError().isEmpty())
            ReportUnreadable(frame->ReadError());
        IgnoreErrors([&] { SetEditState(frame->LockFlag() == 1); });
        WorkProgress progress(this, frame->WorkOrderFrameName,
                              frame->AllNode().AllNode().Count() + frame->AllLink().AllLinks().Count());
        AddFrameItems(m_flow->Scene(), *frame, [&] { progress.Advance(); });
    } else {
        cWorder none; // Start and End only
        AddFrameItems(m_flow->Scene(), none);
    }
    m_flow->Scene().setTag(m_workOrders->CurWOrder());
}

QString FrmMain::CanvasToolTip(const QGraphicsItem& item) const
{
    cWorder* frame = m_workOrders->OneWorkOrder(m_workOrders->CurWOrder());
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

QPointF FrmMain::NodePlace(const QPointF& centre) const
{
    QRectF box(qRound(centre.x() - StepBoxWidth / 2), qRound(centre.y() - StepBoxHeight / 2), StepBoxWidth,
               StepBoxHeight);
    box.moveTo(std::max(0.0, box.left()), std::max(0.0, box.top()));
    // Never on top of Start or End: below them instead.
    for (const QString& key : {StartKey, EndKey}) {
        if (const FlowNodeItem* fixed = m_flow->Scene().NodeByKey(key); fixed && box.intersects(fixed->SceneBox()))
            box.moveTop(fixed->SceneBox().bottom() + StepGap);
    }
    return box.topLeft();
}

void FrmMain::AFFlow_DblClick()
{
    if (!m_flow->Scene().EditMode())
        return;
    EditSelected();
}

void FrmMain::AFFlow_MouseDown(Qt::MouseButton button, const QPoint& globalPos)
{
    if (button != Qt::RightButton || !m_flow->Scene().EditMode())
        return;
    SetCommandStates();
    m_popupPlace = m_flow->mapToScene(m_flow->viewport()->mapFromGlobal(globalPos));
    m_menuNode->popup(globalPos);
}

void FrmMain::AFFlow_EmptyDblClick(const QPointF& scenePos)
{
    if (!m_flow->Scene().EditMode())
        return;
    AddNodeAt(scenePos);
}

void FrmMain::AFFlow_ConnectRequested(const QString& fromKey, const QString& toKey)
{
    if (!m_flow->Scene().EditMode())
        return;
    AddLink(fromKey.mid(1), toKey.mid(1));
}

void FrmMain::AFFlow_MouseUp(Qt::MouseButton /*button*/)
{
    // A drag moves every selected step; each one's new place is recorded, all as one step of the
    // history. Only a real move marks a step changed.
    QList<std::pair<QString, QPoint>> places;
    for (const FlowNodeItem* shown : SelectedSteps())
        places.append({shown->Key().mid(1), QPoint(qRound(shown->Left()), qRound(shown->Top()))});
    MoveSteps(places, QString());
}

QList<FlowNodeItem*> FrmMain::SelectedSteps() const
{
    QList<FlowNodeItem*> steps;
    cWorder* frame = m_workOrders->OneWorkOrder(m_workOrders->CurWOrder());
    if (!frame)
        return steps;
    // Start and End are no steps of the frame (OneNode knows no such key).
    for (FlowNodeItem* shown : m_flow->Scene().SelectedNodes())
        if (shown->Key() != StartKey && shown->Key() != EndKey &&
            frame->AllNode().OneNode(shown->Key().mid(1)))
            steps.append(shown);
    return steps;
}

} // namespace korvel
