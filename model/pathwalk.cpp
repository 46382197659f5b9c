#include "model/pathwalk.h"

#include "core/sameid.h"
#include "model/cworder.h"
#include "model/linkcondition.h"

#include <QSet>
#include <vector>

namespace korvel {
namespace {

// The points of the flow (Start, End and the live steps) by IdKey, and the live links out of each
// in the frame's order.
class FlowPoints final {
public:
    explicit FlowPoints(cWorder& frame)
    {
        m_ids.insert(IdKey(BeginNodeID), BeginNodeID);
        m_ids.insert(IdKey(EndNodeID), EndNodeID);
        for (const auto& [id, node] : frame.AllNode().AllNode())
            if (node->CanLoadFlag() == 1) {
                m_ids.insert(IdKey(node->WorkOrderNode_ID()), node->WorkOrderNode_ID());
                m_steps << node->WorkOrderNode_ID();
            }
        for (const auto& [key, link] : frame.AllLink().AllLinks())
            if (link->CanLoadFlag() == 1)
                m_out[IdKey(link->FatherNode_ID())] << link.get();
    }
    // The point's own ID ("BEGIN", "END" or the step's ID as stored), "" when there is no such point.
    QString Id(const QString& key) const { return m_ids.value(key); }
    QList<const cLink*> Out(const QString& key) const { return m_out.value(key); }
    const QStringList& Steps() const { return m_steps; }

private:
    QHash<QString, QString> m_ids;
    QHash<QString, QList<const cLink*>> m_out;
    QStringList m_steps;
};

// A point on the way being followed, and the next of its links to look at.
struct Visit {
    QString key;
    QList<const cLink*> links;
    qsizetype next = 0;
    bool wayOn = false; // an open link out of it was followed
};

} // namespace

QList<WalkVariable> WalkVariables(cWorder& frame)
{
    QList<WalkVariable> variables;
    QHash<QString, qsizetype> byKey;
    QList<QSet<QString>> used;
    for (const auto& [key, link] : frame.AllLink().AllLinks()) {
        const QString name = link->AddinVariant().trimmed();
        if (link->CanLoadFlag() != 1 || link->AlwaysOpen() == 0 || name.isEmpty())
            continue;
        const QString variable = VariableKey(name);
        auto found = byKey.constFind(variable);
        if (found == byKey.cend()) {
            found = byKey.insert(variable, variables.size());
            variables.append({name, {}});
            used.append(QSet<QString>());
        }
        used[*found].insert(link->CompareType().trimmed());
    }
    for (qsizetype i = 0; i < variables.size(); ++i)
        for (const QString& op : ConditionOperators())
            if (used[i].contains(op))
                variables[i].operators << op;
    return variables;
}

FlowWalk WalkFlow(cWorder& frame, const WalkValues& values)
{
    const FlowPoints points(frame);
    const QString end = IdKey(EndNodeID);
    FlowWalk walk;
    QSet<QString> reached{IdKey(BeginNodeID)}, onWay{IdKey(BeginNodeID)}, unset;
    // Depth first with a stack of its own: a chain of thousands of steps is as deep.
    std::vector<Visit> way;
    way.push_back({IdKey(BeginNodeID), points.Out(IdKey(BeginNodeID))});
    while (!way.empty()) {
        Visit& at = way.back();
        if (at.next == at.links.size()) {
            if (!at.wayOn)
                walk.deadEnds << points.Id(at.key);
            onWay.remove(at.key);
            way.pop_back();
            continue;
        }
        const cLink& link = *at.links.at(at.next++);
        if (link.AlwaysOpen() != 0) {
            const QString variable = link.AddinVariant().trimmed();
            const auto value = values.constFind(VariableKey(variable));
            if (value == values.cend()) {
                if (!variable.isEmpty() && !unset.contains(VariableKey(variable))) {
                    unset.insert(VariableKey(variable));
                    walk.unsetVariables << variable;
                }
                continue;
            }
            if (!ConditionHolds(*value, link.CompareType(), link.VariantValue()))
                continue;
        }
        const QString to = IdKey(link.SonNode_ID());
        const QString toId = points.Id(to);
        if (toId.isEmpty())
            continue; // a link to a step that is not in the flow leads nowhere
        at.wayOn = true;
        WalkMove move{points.Id(at.key), link.WorkOrderLink_ID(), toId};
        if (to == end) {
            move.kind = WalkMove::Kind::End;
            walk.reachedEnd = true;
        } else if (onWay.contains(to)) {
            move.kind = WalkMove::Kind::Loop;
        } else if (reached.contains(to)) {
            move.kind = WalkMove::Kind::Join;
        } else {
            reached.insert(to);
            onWay.insert(to);
            walk.passed << toId;
            way.push_back({to, points.Out(to)}); // `at` is not used after this
        }
        walk.moves << move;
    }
    for (const QString& step : points.Steps())
        if (!reached.contains(IdKey(step)))
            walk.unreached << step;
    return walk;
}

} // namespace korvel
