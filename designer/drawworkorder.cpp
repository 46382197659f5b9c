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
                FlowNodeItem* item =
                    m_flow->AddNode(node->NodeLeft(), node->NodeTop(), NodeWidth, NodeHeight);
                item->setSecondaryText(node->WorkOrderNodeName());
                SetNodeAppearance(*item, node->ReturnOldStepID(), node->HandleBy_ID());
                item->setKey(QStringLiteral("N") + node->WorkOrderNode_ID());
                item->setText(node->WorkOrderNodeName());
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
                FlowLinkItem* item = father->AddLink(son);
                item->setKey(QStringLiteral("L") + link->WorkOrderLink_ID());
                item->setColor(LinkColorFor(link->AlwaysOpen()));
                item->setText(link->WorkOrderLinkName());
            });
        }
    }
    m_flow->setTag(m_workOrders->CurWOrder());
}

void FrmMain::AFFlow_DblClick()
{
    if (!m_flow->EditMode())
        return;
    if (m_flow->SelectedNode())
        Menu_EditNode_Click();
    else if (m_flow->SelectedLink())
        Menu_EditLink_Click();
}

void FrmMain::AFFlow_MouseDown(Qt::MouseButton button, const QPoint& globalPos)
{
    if (button != Qt::RightButton || !m_flow->EditMode())
        return;
    const bool nodeSelected = m_flow->SelectedNode() != nullptr;
    const bool linkSelected = m_flow->SelectedLink() != nullptr;
    MenuItem(QStringLiteral("Menu_EditNode"))->setEnabled(nodeSelected);
    MenuItem(QStringLiteral("Menu_Del"))->setEnabled(nodeSelected);
    MenuItem(QStringLiteral("Menu_EditLink"))->setEnabled(linkSelected);
    MenuItem(QStringLiteral("Menu_DelLink"))->setEnabled(linkSelected);
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
