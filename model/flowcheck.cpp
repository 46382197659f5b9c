#include "model/flowcheck.h"

#include "core/sameid.h"
#include "model/cworder.h"
#include "model/linkcondition.h"
#include "resources/stringtable.h"

#include <QHash>
#include <QSet>
#include <deque>

namespace korvel {
namespace {

// String-table ids of the findings.
enum : qint32 {
    MsgError = 1400,
    MsgWarning = 1401,
    MsgUnreachable = 1402,
    MsgCannotReachEnd = 1403,
    MsgNoPath = 1404,
    MsgNoHandler = 1405,
    MsgNoCondition = 1406,
    MsgSameCondition = 1407,
    MsgReturnStepUnknown = 1408,
    MsgLinkStepUnknown = 1409,
    MsgTwoStarts = 1410,
    MsgTwoEnds = 1411,
    MsgIntoStartOutOfEnd = 1412,
    MsgStepNoTimeLimit = 1413,
    MsgFrameNoTimeLimit = 1414,
    MsgConditionNotANumber = 2121,
    MsgConditionUnknownOperator = 2122,
};

// Steps by their ID, and the links between the flow's points (steps, Start and End).
class FlowGraph final {
public:
    void addEdge(const QString& from, const QString& to)
    {
        m_forward[from] << to;
        m_backward[to] << from;
    }
    QSet<QString> reachableFrom(const QString& point, bool backwards) const
    {
        const QHash<QString, QStringList>& edges = backwards ? m_backward : m_forward;
        QSet<QString> seen{point};
        std::deque<QString> queue{point};
        while (!queue.empty()) {
            const QString at = queue.front();
            queue.pop_front();
            for (const QString& next : edges.value(at))
                if (!seen.contains(next)) {
                    seen.insert(next);
                    queue.push_back(next);
                }
        }
        return seen;
    }

private:
    QHash<QString, QStringList> m_forward, m_backward;
};

bool HasHandler(const cNode& node)
{
    return !node.HandleBy_ID().trimmed().isEmpty() || !node.HandleGroup_ID().trimmed().isEmpty() ||
           !node.ToMultiHandleBy().trimmed().isEmpty() || !node.ReturnOldStepID().trimmed().isEmpty();
}

} // namespace

QString FlowFinding::text() const
{
    return FormatMessage(messageId, arguments);
}

QString FormatMessage(qint32 messageId, const QStringList& a)
{
    // All arguments at once: a name that itself holds "%2" is not taken for a place-holder.
    const QString message = LoadResString(messageId);
    switch (a.size()) {
    case 0:
        return message;
    case 1:
        return message.arg(a[0]);
    case 2:
        return message.arg(a[0], a[1]);
    case 3:
        return message.arg(a[0], a[1], a[2]);
    default:
        return message.arg(a[0], a[1], a[2], a[3]);
    }
}

QString FlowFinding::severityText() const
{
    return LoadResString(severity == FindingSeverity::Error ? MsgError : MsgWarning);
}

bool HasErrors(const QList<FlowFinding>& findings)
{
    for (const FlowFinding& finding : findings)
        if (finding.severity == FindingSeverity::Error)
            return true;
    return false;
}

QList<FlowFinding> CheckFlow(cWorder& frame)
{
    QList<FlowFinding> findings;
    auto add = [&](FindingSeverity severity, FindingItem item, const QString& key, qint32 id,
                   QStringList arguments) {
        findings.append({severity, item, key, id, std::move(arguments)});
    };
    constexpr auto Error = FindingSeverity::Error;
    constexpr auto Warning = FindingSeverity::Warning;

    // Live steps by the IdKey of their ID (as the database matches link ends to steps), and how
    // each is shown in a message: "name (ID)". The graph's points are such keys too.
    QHash<QString, const cNode*> steps;
    QList<const cNode*> stepOrder;
    for (const auto& [id, node] : frame.AllNode().AllNode())
        if (node->CanLoadFlag() == 1) {
            steps.insert(IdKey(node->WorkOrderNode_ID()), node.get());
            stepOrder << node.get();
        }
    auto shown = [&](const QString& id) {
        const cNode* node = steps.value(IdKey(id));
        return node ? QStringLiteral("%1 (%2)").arg(node->WorkOrderNodeName(), node->WorkOrderNode_ID()) : id;
    };
    const QString begin = IdKey(BeginNodeID), end = IdKey(EndNodeID);

    if (frame.ExpiredPeriod == 0)
        add(Warning, FindingItem::Frame, frame.WorkOrderFrame_ID, MsgFrameNoTimeLimit,
            {frame.WorkOrderFrame_ID});

    FlowGraph graph;
    QStringList startLinks;
    QHash<QString, QStringList> endLinksByStep;
    // Conditions already seen per step: "variable|comparison|value" → link code.
    QHash<QString, QHash<QString, QString>> conditions;
    for (const auto& [key, link] : frame.AllLink().AllLinks()) {
        if (link->CanLoadFlag() != 1)
            continue;
        const QString code = link->WorkOrderLink_ID();
        const QString father = IdKey(link->FatherNode_ID());
        const QString son = IdKey(link->SonNode_ID());
        bool usable = true;
        if (father == end || son == begin) {
            add(Error, FindingItem::Link, code, MsgIntoStartOutOfEnd, {code});
            usable = false;
        }
        for (const QString& point : {link->FatherNode_ID(), link->SonNode_ID()})
            if (const QString key = IdKey(point); key != begin && key != end && !steps.contains(key)) {
                add(Error, FindingItem::Link, code, MsgLinkStepUnknown, {code, point});
                usable = false;
            }
        if (father == begin) {
            startLinks << code;
            if (startLinks.size() > 1)
                add(Error, FindingItem::Link, code, MsgTwoStarts, {code});
        }
        if (son == end && steps.contains(father)) {
            QStringList& ends = endLinksByStep[father];
            ends << code;
            if (ends.size() > 1)
                add(Error, FindingItem::Link, code, MsgTwoEnds, {shown(link->FatherNode_ID()), code});
        }
        if (link->AlwaysOpen() != 0) {
            const QString variable = link->AddinVariant().trimmed(), op = link->CompareType().trimmed(),
                          value = link->VariantValue().trimmed();
            const ConditionFault fault = CheckCondition(variable, op, value);
            const QString shownCondition = QStringLiteral("%1 %2 %3").arg(variable, op, value);
            if (fault == ConditionFault::NotANumber)
                add(Warning, FindingItem::Link, code, MsgConditionNotANumber, {code, shownCondition});
            else if (fault == ConditionFault::UnknownOperator)
                add(Warning, FindingItem::Link, code, MsgConditionUnknownOperator,
                    {code, shownCondition, op, ConditionOperators().join(u' ')});
            if (fault == ConditionFault::Incomplete) {
                add(Warning, FindingItem::Link, code, MsgNoCondition, {code});
            } else {
                const QString condition = variable + u'\n' + op + u'\n' + value;
                QHash<QString, QString>& seen = conditions[father];
                if (const auto earlier = seen.constFind(condition); earlier != seen.constEnd())
                    add(Warning, FindingItem::Link, code, MsgSameCondition,
                        {*earlier, code, shown(link->FatherNode_ID())});
                else
                    seen.insert(condition, code);
            }
        }
        if (usable)
            graph.addEdge(father, son);
    }

    const QSet<QString> fromStart = graph.reachableFrom(begin, false);
    const QSet<QString> toEnd = graph.reachableFrom(end, true);
    if (!fromStart.contains(end))
        add(Error, FindingItem::Frame, frame.WorkOrderFrame_ID, MsgNoPath, {frame.WorkOrderFrame_ID});

    for (const cNode* node : std::as_const(stepOrder)) {
        const QString id = node->WorkOrderNode_ID();
        const QString key = IdKey(id);
        if (!fromStart.contains(key))
            add(Error, FindingItem::Step, id, MsgUnreachable, {shown(id)});
        if (!toEnd.contains(key))
            add(Error, FindingItem::Step, id, MsgCannotReachEnd, {shown(id)});
        const QString returnStep = node->ReturnOldStepID();
        if (!returnStep.isEmpty() && !steps.contains(IdKey(returnStep)))
            add(Error, FindingItem::Step, id, MsgReturnStepUnknown, {shown(id), returnStep});
        if (!HasHandler(*node))
            add(Warning, FindingItem::Step, id, MsgNoHandler, {shown(id)});
        if (node->ExpiredPeriod() == 0)
            add(Warning, FindingItem::Step, id, MsgStepNoTimeLimit, {shown(id)});
    }
    return findings;
}

} // namespace korvel
