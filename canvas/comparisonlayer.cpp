#include "canvas/comparisonlayer.h"

#include "canvas/comparisonmark.h"
#include "canvas/flowscene.h"
#include "canvas/frameitems.h"
#include "core/sameid.h"

#include <QLineF>
#include <algorithm>
#include <cmath>

namespace korvel {
namespace {

// The loop drawn for a removed link from a step to itself, twips.
constexpr double LoopSize = 20 * TwipsPerPixel;

QRectF StepBox(const NodeValues& step)
{
    return QRectF(step.Left, step.Top, StepBoxWidth, StepBoxHeight);
}

// The point of `box`'s outline on the way from its centre towards `target`.
QPointF EdgeTowards(const QRectF& box, const QPointF& target)
{
    const QPointF centre = box.center();
    const QPointF d = target - centre;
    if (qFuzzyIsNull(d.x()) && qFuzzyIsNull(d.y()))
        return centre;
    const double sx = qFuzzyIsNull(d.x()) ? 1e300 : box.width() / 2 / std::abs(d.x());
    const double sy = qFuzzyIsNull(d.y()) ? 1e300 : box.height() / 2 / std::abs(d.y());
    return centre + d * std::min({sx, sy, 1.0});
}

// The line of a link between two boxes, as the canvas draws one: from outline to outline, or a loop
// over the box for a link from a step to itself.
QPolygonF LinkLine(const QRectF& from, const QRectF& to)
{
    if (from == to) {
        const double left = from.left() + from.width() / 3, right = from.right() - from.width() / 3;
        return {QPointF(left, from.top()), QPointF(left, from.top() - LoopSize),
                QPointF(right, from.top() - LoopSize), QPointF(right, from.top())};
    }
    return {EdgeTowards(from, to.center()), EdgeTowards(to, from.center())};
}

} // namespace

ComparisonLayer::ComparisonLayer(FlowScene& scene, const FrameDiff& diff) : m_scene(scene), m_sceneAlive(&scene)
{
    for (qsizetype i = 0; i < diff.header.size(); ++i)
        addEntry(Entry::Kind::Header, {}, {}, {}, -1);
    markSteps(diff);
    markLinks(diff);
    // The entries come in the order of the diff's lines, one per change: each takes its line.
    const QStringList lines = DiffLines(diff);
    for (qsizetype i = 0; i < m_entries.size(); ++i)
        m_entries[i].text = lines.value(i);
    QList<QGraphicsObject*> marks;
    for (const QPointer<QObject>& object : m_ownedObjects)
        marks.append(static_cast<ComparisonMark*>(object.data()));
    m_overlay = m_scene.setOverlay(marks);
}

ComparisonLayer::~ComparisonLayer()
{
    if (m_sceneAlive)
        m_scene.ClearOverlay(m_overlay);
}

int ComparisonLayer::addMark(ComparisonMark* mark)
{
    m_scene.addItem(mark);
    m_ownedObjects.emplace_back(mark);
    return static_cast<int>(m_ownedObjects.size()) - 1;
}

ComparisonMark* ComparisonLayer::mark(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_ownedObjects.size()))
        return nullptr;
    return static_cast<ComparisonMark*>(m_ownedObjects[static_cast<size_t>(index)].data());
}

void ComparisonLayer::addEntry(Entry::Kind kind, const QString& stepId, const QString& linkKey, const QRectF& area,
                               int mark)
{
    m_entries.append({kind, QString(), stepId, linkKey, area});
    m_entryMarks.append(mark);
}

void ComparisonLayer::markSteps(const FrameDiff& diff)
{
    const auto item = [&](const NodeValues& step) {
        return m_scene.NodeByKey(QStringLiteral("N") + step.WorkOrderNode_ID);
    };
    using Look = ComparisonMark::Look;
    for (const NodeValues& step : diff.stepsAdded) {
        const FlowNodeItem* node = item(step);
        const QRectF box = node ? node->SceneBox() : StepBox(step);
        addEntry(Entry::Kind::Added, step.WorkOrderNode_ID, {}, box,
                 node ? addMark(ComparisonMark::Box(Look::Added, box)) : -1);
    }
    for (const NodeValues& step : diff.stepsRemoved) {
        m_ghosts.insert(IdKey(step.WorkOrderNode_ID), StepBox(step));
        addEntry(Entry::Kind::Removed, step.WorkOrderNode_ID, {}, StepBox(step),
                 addMark(ComparisonMark::Box(Look::Removed, StepBox(step), step.WorkOrderNodeName)));
    }
    for (const StepChange& change : diff.stepsChanged) {
        const QString& id = change.after.WorkOrderNode_ID;
        const FlowNodeItem* node = item(change.after);
        const QRectF box = node ? node->SceneBox() : StepBox(change.after);
        if (!change.fields.isEmpty())
            addEntry(Entry::Kind::Changed, id, {}, box, node ? addMark(ComparisonMark::Box(Look::Changed, box)) : -1);
        if (change.moved) {
            const QRectF old = StepBox(change.before);
            const int mark = addMark(ComparisonMark::Box(Look::Moved, old));
            addMark(ComparisonMark::Line(Look::Moved, QPolygonF{old.center(), box.center()}));
            addEntry(Entry::Kind::Moved, id, {}, old.united(box), mark);
        }
    }
}

void ComparisonLayer::markLinks(const FrameDiff& diff)
{
    const auto item = [&](const LinkValues& link) {
        return m_scene.LinkByKey(QStringLiteral("L") + link.WorkOrderLink_ID);
    };
    using Look = ComparisonMark::Look;
    for (const LinkValues& link : diff.linksAdded) {
        const FlowLinkItem* arrow = item(link);
        addEntry(Entry::Kind::Added, {}, link.WorkOrderLink_ID, arrow ? arrow->sceneBoundingRect() : QRectF(),
                 arrow ? addMark(ComparisonMark::Line(Look::Added, arrow->Path())) : -1);
    }
    for (const LinkValues& link : diff.linksRemoved) {
        const QRectF from = endBox(link.FatherNode_ID), to = endBox(link.SonNode_ID);
        // An end that is neither drawn nor a removed step leaves nowhere to draw the ghost.
        const bool drawn = !from.isNull() && !to.isNull();
        const QPolygonF line = drawn ? LinkLine(from, to) : QPolygonF();
        addEntry(Entry::Kind::Removed, {}, link.WorkOrderLink_ID, line.boundingRect(),
                 drawn ? addMark(ComparisonMark::Line(Look::Removed, line)) : -1);
    }
    for (const LinkChange& change : diff.linksChanged) {
        const FlowLinkItem* arrow = item(change.after);
        addEntry(Entry::Kind::Changed, {}, change.after.WorkOrderLink_ID,
                 arrow ? arrow->sceneBoundingRect() : QRectF(),
                 arrow ? addMark(ComparisonMark::Line(Look::Changed, arrow->Path())) : -1);
        if (arrow)
            addMark(ComparisonMark::Badge(arrow->Path()));
    }
}

QRectF ComparisonLayer::endBox(const QString& id) const
{
    if (const FlowNodeItem* node = m_scene.NodeByKey(QStringLiteral("N") + id))
        return node->SceneBox();
    return m_ghosts.value(IdKey(id));
}

QRectF ComparisonLayer::Choose(int index)
{
    if (ComparisonMark* previous = m_chosen >= 0 ? mark(m_entryMarks.at(m_chosen)) : nullptr)
        previous->setChosen(false);
    m_chosen = -1;
    if (index < 0 || index >= m_entries.size() || !m_sceneAlive)
        return {};
    m_chosen = index;
    if (ComparisonMark* chosen = mark(m_entryMarks.at(index)))
        chosen->setChosen(true);
    // What is there now is shown selected; what is gone has only its ghost.
    const Entry& entry = m_entries.at(index);
    QGraphicsItem* item = nullptr;
    if (entry.kind != Entry::Kind::Removed && !entry.stepId.isEmpty())
        item = m_scene.NodeByKey(QStringLiteral("N") + entry.stepId);
    else if (entry.kind != Entry::Kind::Removed && !entry.linkKey.isEmpty())
        item = m_scene.LinkByKey(QStringLiteral("L") + entry.linkKey);
    m_scene.SelectItem(item);
    return entry.area;
}

} // namespace korvel
