#include "designer/frmmain.h"

#include "core/errorlog.h"
#include "designer/workprogress.h"
#include "designer/flowcanvas.h"
#include "model/cworders.h"
#include "resources/stringtable.h"

#include <QAction>
#include <QMenu>

namespace korvel {
namespace {

// Sizes and places on the canvas, twips.
constexpr double EndPointWidth = 500;
constexpr double EndPointHeight = 400;
constexpr double EndPointTop = 400;
constexpr double StartLeft = 200;
constexpr double EndRightOffset = 1100;
constexpr double NodeWidth = 1400;
constexpr double NodeHeight = 650;
// The room kept between End (or Start) and a step.
constexpr double EndGap = 600;
// The longest condition shown on an arrow, in characters.
constexpr qsizetype MaxConditionLength = 24;

const QString StartKey = QStringLiteral("NBEGIN");
const QString EndKey = QStringLiteral("NEND");

} // namespace

void FrmMain::DrawWorkOrder()
{
    const QString current = m_workOrders->CurWOrder();
    if (m_flow->Tag() == current)
        return;
    const FlowCanvas::BulkChange bulk(*m_flow);
    m_flow->RemoveAllNodes();

    FlowNodeItem* start = m_flow->AddNode(StartLeft, EndPointTop, EndPointWidth, EndPointHeight);
    start->setShape(ShapeStart);
    start->setText(LoadResString(81));
    start->setKey(StartKey);
    FlowNodeItem* end =
        m_flow->AddNode(m_flow->WidthTwips() - EndRightOffset, EndPointTop, EndPointWidth, EndPointHeight);
    end->setShape(ShapeEnd);
    end->setText(LoadResString(80));
    end->setKey(EndKey);

    cWorder* frame = m_workOrders->OneWorkOrder(current);
    if (frame) {
        if (!frame->ReadError().isEmpty())
            ReportUnreadable(frame->ReadError());
        IgnoreErrors([&] { SetEditState(frame->LockFlag() == 1); });
        WorkProgress progress(this, frame->WorkOrderFrameName,
                              frame->AllNode().AllNode().Count() + frame->AllLink().AllLinks().Count());
        // Only live nodes and links are drawn: one deleted since the last save would otherwise come
        // back every time the frame is drawn again.
        for (const auto& [id, node] : frame->AllNode().AllNode()) {
            progress.Advance();
            if (node->CanLoadFlag() != 1)
                continue;
            IgnoreErrors([&] {
                ShowNode(*m_flow->AddNode(node->NodeLeft(), node->NodeTop(), NodeWidth, NodeHeight), *node);
            });
        }
        for (const auto& [key, link] : frame->AllLink().AllLinks()) {
            progress.Advance();
            if (link->CanLoadFlag() != 1)
                continue;
            IgnoreErrors([&] {
                FlowNodeItem* son = m_flow->NodeByKey(QStringLiteral("N") + link->SonNode_ID());
                FlowNodeItem* father = m_flow->NodeByKey(QStringLiteral("N") + link->FatherNode_ID());
                if (!son || !father)
                    return; // a link to a node that is not drawn is left out
                ShowLink(*father->AddLink(son), *link);
            });
        }
    }
    IgnoreErrors([&] { PlaceEnd(); });
    m_flow->setTag(m_workOrders->CurWOrder());
}

void FrmMain::ShowNode(FlowNodeItem& item, const cNode& node)
{
    item.setSecondaryText(node.WorkOrderNodeName());
    SetNodeAppearance(item, node.ReturnOldStepID(), node.HandleBy_ID());
    item.setKey(QStringLiteral("N") + node.WorkOrderNode_ID());
    item.setText(node.WorkOrderNodeName());
    QString handler;
    if (!node.ReturnOldStepID().isEmpty())
        handler = LoadResString(1225).arg(node.ReturnOldStepID());
    else if (!node.HandleBy_ID().isEmpty())
        handler = node.HandleBy_ID();
    else if (!node.ToMultiHandleBy().isEmpty())
        handler = LoadResString(1226).arg(node.ToMultiHandleBy());
    else if (!node.HandleGroup_ID().isEmpty())
        handler = LoadResString(1224).arg(node.HandleGroup_ID());
    else
        handler = LoadResString(1227);
    item.setToolTip(LoadResString(1221).arg(node.WorkOrderNode_ID()) + QLatin1Char('\n') +
                    LoadResString(1222).arg(node.WorkOrderNodeName()) + QLatin1Char('\n') +
                    LoadResString(1223).arg(handler));
}

void FrmMain::ShowLink(FlowLinkItem& item, const cLink& link)
{
    item.setKey(QStringLiteral("L") + link.WorkOrderLink_ID());
    item.setColor(LinkColorFor(link.AlwaysOpen()));
    item.setText(link.WorkOrderLinkName());
    // The canvas shows the condition cut short; the tool tip shows it whole.
    QString condition;
    QString shortForm;
    if (link.AlwaysOpen() != 0) {
        condition = QStringList{link.AddinVariant(), link.CompareType(), link.VariantValue()}.join(u' ').simplified();
        shortForm = condition.size() > MaxConditionLength ? condition.left(MaxConditionLength - 1) + QChar(0x2026)
                                                           : condition;
    }
    item.setCondition(shortForm.isEmpty() ? QString() : LoadResString(1231).arg(shortForm));
    item.setToolTip(LoadResString(1228).arg(link.WorkOrderLink_ID()) + QLatin1Char('\n') +
                    (link.AlwaysOpen() != 0 ? LoadResString(1229).arg(condition) : LoadResString(1230)));
}

void FrmMain::PlaceEnd()
{
    FlowNodeItem* end = m_flow->NodeByKey(EndKey);
    if (!end)
        return;
    double right = 0;
    for (const FlowNodeItem* node : m_flow->Nodes()) {
        if (node != end && node->Key() != StartKey)
            right = std::max(right, node->Left() + node->Width());
    }
    end->setLeft(std::max(m_flow->WidthTwips() - EndRightOffset, right + EndGap));
}

QPointF FrmMain::NodePlace(const QPointF& centre) const
{
    QRectF box(qRound(centre.x() - NodeWidth / 2), qRound(centre.y() - NodeHeight / 2), NodeWidth, NodeHeight);
    box.moveTo(std::max(0.0, box.left()), std::max(0.0, box.top()));
    // Never on top of Start or End: below them instead.
    for (const QString& key : {StartKey, EndKey}) {
        if (const FlowNodeItem* fixed = m_flow->NodeByKey(key); fixed && box.intersects(fixed->SceneBox()))
            box.moveTop(fixed->SceneBox().bottom() + EndGap);
    }
    return box.topLeft();
}

void FrmMain::AFFlow_DblClick()
{
    if (!m_flow->EditMode())
        return;
    EditSelected();
}

void FrmMain::AFFlow_MouseDown(Qt::MouseButton button, const QPoint& globalPos)
{
    if (button != Qt::RightButton || !m_flow->EditMode())
        return;
    SetCommandStates();
    m_popupPlace = m_flow->mapToScene(m_flow->viewport()->mapFromGlobal(globalPos));
    m_menuNode->popup(globalPos);
}

void FrmMain::AFFlow_MouseUp(Qt::MouseButton /*button*/)
{
    IgnoreErrors([&] {
        const QString current = m_workOrders->CurWOrder();
        cWorder* frame = current.isEmpty() ? nullptr : m_workOrders->OneWorkOrder(current);
        if (!frame)
            return;
        // A drag moves every selected step; each one's new place is recorded. Start and End are no
        // steps of the frame (OneNode knows no such key).
        for (FlowNodeItem* shown : m_flow->SelectedNodes()) {
            cNode* node = frame->AllNode().OneNode(shown->Key().mid(1));
            if (!node || shown->Key() == StartKey || shown->Key() == EndKey)
                continue;
            // Only a real move marks the node changed.
            if (const qint32 left = qRound(shown->Left()); left != node->NodeLeft())
                node->setNodeLeft(left);
            if (const qint32 top = qRound(shown->Top()); top != node->NodeTop())
                node->setNodeTop(top);
        }
    });
}

} // namespace korvel
