#include "designer/frmmain.h"

#include "core/errorlog.h"
#include "designer/drawprogress.h"
#include "designer/flowcanvas.h"
#include "designer/frameitems.h"
#include "model/cworders.h"
#include "resources/stringtable.h"

#include <QAction>
#include <QMenu>

namespace korvel {
namespace {

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

    cWorder* frame = m_workOrders->OneWorkOrder(current);
    if (frame) {
        if (!frame->ReadError().isEmpty())
            ReportUnreadable(frame->ReadError());
        IgnoreErrors([&] { SetEditState(frame->LockFlag() == 1); });
        DrawProgress progress(this, frame->WorkOrderFrameName,
                              frame->AllNode().AllNode().Count() + frame->AllLink().AllLinks().Count());
        AddFrameItems(*m_flow, *frame, [&] { progress.Advance(); });
    } else {
        cWorder none; // Start and End only
        AddFrameItems(*m_flow, none);
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
