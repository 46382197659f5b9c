#include "canvas/frameitems.h"

#include "canvas/flowscene.h"
#include "core/errorlog.h"
#include "model/cworder.h"
#include "model/flowlayout.h"
#include "resources/stringtable.h"

#include <QApplication>
#include <QFontMetricsF>
#include <algorithm>
#include <optional>

namespace korvel {
namespace {

// Sizes and places of the end points on the canvas, twips.
constexpr double EndPointTop = 400;
constexpr double StartLeft = 200;
// End in a flow without steps: room for one step between Start and End.
constexpr double EndLeftWithoutSteps = StartLeft + EndPointWidth + StepGap + StepBoxWidth + StepGap;
// The longest condition shown on an arrow, in characters.
constexpr qsizetype MaxConditionLength = 24;
// How many of the longest captions the layout measures.
constexpr qsizetype MeasuredCaptions = 8;

// A conditional link's condition in one line; empty for a link that is always open.
QString LinkCondition(const cLink& link)
{
    if (link.AlwaysOpen() == 0)
        return {};
    return QStringList{link.AddinVariant(), link.CompareType(), link.VariantValue()}.join(u' ').simplified();
}

// The condition as a caption shows it, cut short (the tool tip shows it whole); empty for none.
QString ConditionCaption(const cLink& link)
{
    const QString condition = LinkCondition(link);
    const QString shortForm = condition.size() > MaxConditionLength
                                  ? condition.left(MaxConditionLength - 1) + QChar(0x2026)
                                  : condition;
    return shortForm.isEmpty() ? QString() : LoadResString(1231).arg(shortForm);
}

} // namespace

void AddFrameItems(FlowScene& scene, cWorder& frame, const std::function<void()>& advance)
{
    FlowNodeItem* start = scene.AddNode(StartLeft, EndPointTop, EndPointWidth, EndPointHeight);
    start->setShape(ShapeStart);
    start->setText(LoadResString(81));
    start->setKey(StartKey);
    FlowNodeItem* end = scene.AddNode(EndLeftWithoutSteps, EndPointTop, EndPointWidth, EndPointHeight);
    end->setShape(ShapeEnd);
    end->setText(LoadResString(80));
    end->setKey(EndKey);

    // Only live nodes and links are drawn: one deleted since the last save would otherwise come
    // back every time the frame is drawn again.
    for (const auto& [id, node] : frame.AllNode().AllNode()) {
        if (advance)
            advance();
        if (node->CanLoadFlag() != 1)
            continue;
        IgnoreErrors([&] { ShowNode(*scene.AddNode(node->NodeLeft(), node->NodeTop(), StepBoxWidth, StepBoxHeight), *node); });
    }
    // End stands where the steps put it before any link reaches it: no link is laid out twice.
    IgnoreErrors([&] { PlaceEnd(scene); });
    for (const auto& [key, link] : frame.AllLink().AllLinks()) {
        if (advance)
            advance();
        if (link->CanLoadFlag() != 1)
            continue;
        IgnoreErrors([&] {
            FlowNodeItem* son = scene.NodeByKey(QStringLiteral("N") + link->SonNode_ID());
            FlowNodeItem* father = scene.NodeByKey(QStringLiteral("N") + link->FatherNode_ID());
            if (!son || !father)
                return; // a link to a node that is not drawn is left out
            ShowLink(*father->AddLink(son), *link);
        });
    }
}

void ShowNode(FlowNodeItem& item, const cNode& node)
{
    item.setSecondaryText(node.WorkOrderNodeName());
    SetNodeAppearance(item, node.ReturnOldStepID(), node.HandleBy_ID());
    item.setKey(QStringLiteral("N") + node.WorkOrderNode_ID());
    item.setText(node.WorkOrderNodeName());
}

QString NodeToolTip(const cNode& node)
{
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
    return LoadResString(1221).arg(node.WorkOrderNode_ID()) + QLatin1Char('\n') +
           LoadResString(1222).arg(node.WorkOrderNodeName()) + QLatin1Char('\n') + LoadResString(1223).arg(handler);
}

void ShowLink(FlowLinkItem& item, const cLink& link)
{
    item.setKey(QStringLiteral("L") + link.WorkOrderLink_ID());
    item.setColor(LinkColorFor(link.AlwaysOpen()));
    item.setText(link.WorkOrderLinkName());
    item.setCondition(ConditionCaption(link));
}

QString LinkToolTip(const cLink& link)
{
    return LoadResString(1228).arg(link.WorkOrderLink_ID()) + QLatin1Char('\n') +
           (link.AlwaysOpen() != 0 ? LoadResString(1229).arg(LinkCondition(link)) : LoadResString(1230));
}

FlowLayoutBoxes LayoutBoxes(cWorder& frame)
{
    // Captions as the links show them; only the longest few texts are measured (shaping costs), the
    // widest of which is all but surely among them.
    QStringList captions;
    for (const auto& [key, link] : frame.AllLink().AllLinks())
        if (link->CanLoadFlag() == 1)
            captions << QStringList{link->WorkOrderLinkName(), ConditionCaption(*link)}.join(u' ').trimmed();
    std::sort(captions.begin(), captions.end(), [](const QString& a, const QString& b) { return a.size() > b.size(); });
    const QFontMetricsF metrics(LabelFont(QApplication::font()));
    double widest = 0;
    for (const QString& caption : captions.mid(0, MeasuredCaptions))
        widest = std::max(widest, metrics.horizontalAdvance(caption));
    return {QSizeF(StepBoxWidth, StepBoxHeight), QRectF(StartLeft, EndPointTop, EndPointWidth, EndPointHeight),
            captions.isEmpty() ? 0 : (widest + 2 * LabelPaddingPixels) * TwipsPerPixel};
}

void PlaceEnd(FlowScene& scene)
{
    FlowNodeItem* end = scene.NodeByKey(EndKey);
    if (!end)
        return;
    std::optional<double> right;
    for (const FlowNodeItem* node : scene.Nodes()) {
        if (node != end && node->Key() != StartKey)
            right = std::max(right.value_or(node->Left() + node->Width()), node->Left() + node->Width());
    }
    const QPointF place(right ? *right + StepGap : EndLeftWithoutSteps, EndPointTop);
    if (end->pos() != place)
        end->setPos(place);
}


} // namespace korvel
