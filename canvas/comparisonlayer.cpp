#include "canvas/comparisonlayer.h"

#include "canvas/comparisonmark.h"
#include "canvas/flowscene.h"
#include "canvas/frameitems.h"
#include "core/sameid.h"
#include "model/clink.h"
#include "model/flowcheck.h"
#include "resources/stringtable.h"

#include <QLineF>

namespace korvel {
namespace {

// String-table ids of the entries' texts.
enum : qint32 {
    MsgHeader = 2070,
    MsgStepAdded = 2071,
    MsgStepRemoved = 2072,
    MsgStepChanged = 2073,
    MsgStepMoved = 2074,
    MsgLinkAdded = 2075,
    MsgLinkRemoved = 2076,
    MsgLinkChanged = 2077,
    MsgEmptyValue = 2078,
};

// The longest value an entry shows, in characters.
constexpr qsizetype LongestValue = 60;
// The loop drawn for a removed link from a step to itself, twips.
constexpr double LoopSize = 20 * TwipsPerPixel;

// A value as an entry shows it: on one line, cut short when long, and "(empty)" for none.
QString Shown(const QString& value)
{
    const QString line = value.simplified();
    if (line.isEmpty())
        return LoadResString(MsgEmptyValue);
    return line.size() > LongestValue ? line.left(LongestValue - 1) + QChar(0x2026) : line;
}

QString FieldsText(const QList<FieldChange>& fields)
{
    QStringList parts;
    for (const FieldChange& field : fields)
        parts << QStringLiteral("%1 %2 \u2192 %3").arg(field.field, Shown(field.before), Shown(field.after));
    return parts.join(QStringLiteral("; "));
}

QString Place(const NodeValues& step)
{
    return QStringLiteral("(%1, %2)").arg(step.Left).arg(step.Top);
}

QRectF StepBox(const NodeValues& step)
{
    return QRectF(step.Left, step.Top, StepBoxWidth, StepBoxHeight);
}

QString LinkLabel(const LinkValues& link)
{
    return link.WorkOrderLinkName.isEmpty() ? link.WorkOrderLink_ID
                                            : QStringLiteral("%1 (%2)").arg(link.WorkOrderLinkName, link.WorkOrderLink_ID);
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
    for (const FieldChange& field : diff.header)
        addEntry(Entry::Kind::Header, FormatMessage(MsgHeader, {field.field, Shown(field.before), Shown(field.after)}),
                 {}, {}, {}, -1);
    markSteps(diff);
    markLinks(diff);
    QList<QGraphicsObject*> marks;
    for (const QPointer<QObject>& object : m_ownedObjects)
        marks.append(static_cast<ComparisonMark*>(object.data()));
    m_scene.setOverlay(marks);
}

ComparisonLayer::~ComparisonLayer()
{
    for (const QPointer<QObject>& object : m_ownedObjects)
        delete object.data();
    if (m_sceneAlive)
        m_scene.setOverlay({});
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

void ComparisonLayer::addEntry(Entry::Kind kind, const QString& text, const QString& stepId,
                               const QString& linkKey, const QRectF& area, int mark)
{
    m_entries.append({kind, text, stepId, linkKey, area});
    m_entryMarks.append(mark);
}

void ComparisonLayer::markSteps(const FrameDiff& diff)
{
    const auto item = [&](const NodeValues& step) { return m_scene.NodeByKey(QStringLiteral("N") + step.WorkOrderNode_ID); };
    for (const NodeValues& step : diff.stepsAdded) {
        const FlowNodeItem* node = item(step);
        const QRectF box = node ? node->SceneBox() : StepBox(step);
        const int mark = node ? addMark(ComparisonMark::Box(ComparisonMark::Look::Added, box)) : -1;
        addEntry(Entry::Kind::Added, FormatMessage(MsgStepAdded, {stepLabel(step.WorkOrderNode_ID)}),
                 step.WorkOrderNode_ID, {}, box, mark);
    }
    // Ghosts first, so removed links can end at them.
    for (const NodeValues& step : diff.stepsRemoved)
        m_ghosts.insert(IdKey(step.WorkOrderNode_ID), {StepBox(step), step.WorkOrderNodeName});
    for (const NodeValues& step : diff.stepsRemoved) {
        const QString label = QStringLiteral("%1 (%2)").arg(step.WorkOrderNodeName, step.WorkOrderNode_ID);
        const int mark = addMark(ComparisonMark::Box(ComparisonMark::Look::Removed, StepBox(step), step.WorkOrderNodeName));
        addEntry(Entry::Kind::Removed, FormatMessage(MsgStepRemoved, {label}), step.WorkOrderNode_ID, {},
                 StepBox(step), mark);
    }
    for (const StepChange& change : diff.stepsChanged) {
        const QString& id = change.after.WorkOrderNode_ID;
        const FlowNodeItem* node = item(change.after);
        const QRectF box = node ? node->SceneBox() : StepBox(change.after);
        if (!change.fields.isEmpty()) {
            const int mark = node ? addMark(ComparisonMark::Box(ComparisonMark::Look::Changed, box)) : -1;
            addEntry(Entry::Kind::Changed,
                     FormatMessage(MsgStepChanged, {stepLabel(id), FieldsText(change.fields)}), id, {}, box, mark);
        }
        if (change.moved) {
            const QRectF old = StepBox(change.before);
            const int mark = addMark(ComparisonMark::Box(ComparisonMark::Look::Moved, old));
            addMark(ComparisonMark::Line(ComparisonMark::Look::Moved, QPolygonF{old.center(), box.center()}));
            addEntry(Entry::Kind::Moved,
                     FormatMessage(MsgStepMoved, {stepLabel(id), Place(change.before), Place(change.after)}), id,
                     {}, old.united(box), mark);
        }
    }
}

void ComparisonLayer::markLinks(const FrameDiff& diff)
{
    const auto ends = [&](const LinkValues& link) {
        return QStringList{LinkLabel(link),
                           stepLabel(link.FatherNode_ID), stepLabel(link.SonNode_ID)};
    };
    const auto item = [&](const LinkValues& link) { return m_scene.LinkByKey(QStringLiteral("L") + link.WorkOrderLink_ID); };
    for (const LinkValues& link : diff.linksAdded) {
        const FlowLinkItem* arrow = item(link);
        const int mark = arrow ? addMark(ComparisonMark::Line(ComparisonMark::Look::Added, arrow->Path())) : -1;
        addEntry(Entry::Kind::Added, FormatMessage(MsgLinkAdded, ends(link)), {}, link.WorkOrderLink_ID,
                 arrow ? arrow->sceneBoundingRect() : QRectF(), mark);
    }
    for (const LinkValues& link : diff.linksRemoved) {
        const QRectF from = endBox(link.FatherNode_ID), to = endBox(link.SonNode_ID);
        // An end that is neither drawn nor a removed step leaves nowhere to draw the ghost.
        const bool drawn = !from.isNull() && !to.isNull();
        const QPolygonF line = drawn ? LinkLine(from, to) : QPolygonF();
        const int mark = drawn ? addMark(ComparisonMark::Line(ComparisonMark::Look::Removed, line)) : -1;
        addEntry(Entry::Kind::Removed, FormatMessage(MsgLinkRemoved, ends(link)), {}, link.WorkOrderLink_ID,
                 line.boundingRect(), mark);
    }
    for (const LinkChange& change : diff.linksChanged) {
        const FlowLinkItem* arrow = item(change.after);
        const int mark = arrow ? addMark(ComparisonMark::Line(ComparisonMark::Look::Changed, arrow->Path())) : -1;
        addEntry(Entry::Kind::Changed,
                 FormatMessage(MsgLinkChanged, {LinkLabel(change.after), FieldsText(change.fields)}), {},
                 change.after.WorkOrderLink_ID, arrow ? arrow->sceneBoundingRect() : QRectF(), mark);
    }
}

QString ComparisonLayer::stepLabel(const QString& id) const
{
    if (IdKey(id) == IdKey(BeginNodeID))
        return LoadResString(81);
    if (IdKey(id) == IdKey(EndNodeID))
        return LoadResString(80);
    if (const FlowNodeItem* node = m_scene.NodeByKey(QStringLiteral("N") + id))
        return QStringLiteral("%1 (%2)").arg(node->Text(), id);
    if (const auto ghost = m_ghosts.constFind(IdKey(id)); ghost != m_ghosts.cend())
        return QStringLiteral("%1 (%2)").arg(ghost->second, id);
    return id;
}

QRectF ComparisonLayer::endBox(const QString& id) const
{
    if (const FlowNodeItem* node = m_scene.NodeByKey(QStringLiteral("N") + id))
        return node->SceneBox();
    return m_ghosts.value(IdKey(id)).first;
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
