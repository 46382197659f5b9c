#include "designer/frameitems.h"

#include "core/errorlog.h"
#include "designer/flowcanvas.h"
#include "model/cworder.h"
#include "resources/stringtable.h"

namespace korvel {
namespace {

// Sizes and places of the end points on the canvas, twips.
constexpr double EndPointWidth = 500;
constexpr double EndPointHeight = 400;
constexpr double EndPointTop = 400;
constexpr double StartLeft = 200;

} // namespace

void AddFrameItems(FlowCanvas& canvas, cWorder& frame, const std::function<void()>& advance)
{
    FlowNodeItem* start = canvas.AddNode(StartLeft, EndPointTop, EndPointWidth, EndPointHeight);
    start->setShape(ShapeStart);
    start->setText(LoadResString(81));
    start->setKey(QStringLiteral("NBEGIN"));
    FlowNodeItem* end =
        canvas.AddNode(canvas.WidthTwips() - EndPointRightOffset, EndPointTop, EndPointWidth, EndPointHeight);
    end->setShape(ShapeEnd);
    end->setText(LoadResString(80));
    end->setKey(QStringLiteral("NEND"));

    // Only live nodes and links are drawn: one deleted since the last save would otherwise come
    // back every time the frame is drawn again.
    for (const auto& [id, node] : frame.AllNode().AllNode()) {
        if (advance)
            advance();
        if (node->CanLoadFlag() != 1)
            continue;
        IgnoreErrors([&] {
            FlowNodeItem* item = canvas.AddNode(node->NodeLeft(), node->NodeTop(), StepBoxWidth, StepBoxHeight);
            item->setSecondaryText(node->WorkOrderNodeName());
            SetNodeAppearance(*item, node->ReturnOldStepID(), node->HandleBy_ID());
            item->setKey(QStringLiteral("N") + node->WorkOrderNode_ID());
            item->setText(node->WorkOrderNodeName());
        });
    }
    for (const auto& [key, link] : frame.AllLink().AllLinks()) {
        if (advance)
            advance();
        if (link->CanLoadFlag() != 1)
            continue;
        IgnoreErrors([&] {
            FlowNodeItem* son = canvas.NodeByKey(QStringLiteral("N") + link->SonNode_ID());
            FlowNodeItem* father = canvas.NodeByKey(QStringLiteral("N") + link->FatherNode_ID());
            if (!son || !father)
                return; // a link to a node that is not drawn is left out
            FlowLinkItem* item = father->AddLink(son);
            item->setKey(QStringLiteral("L") + link->WorkOrderLink_ID());
            item->setColor(LinkColorFor(link->AlwaysOpen()));
            item->setText(link->WorkOrderLinkName());
        });
    }
}

} // namespace korvel
