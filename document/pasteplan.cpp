#include "document/pasteplan.h"

#include "core/korvelerror.h"
#include "core/sameid.h"
#include "model/coordinates.h"
#include "model/cworder.h"
#include "resources/stringtable.h"

#include <QHash>
#include <QSet>
#include <algorithm>

namespace korvel {
namespace {

qint32 Moved(qint32 place, qint64 offset)
{
    return ClampedCoordinate(static_cast<double>(static_cast<qint64>(place) + offset));
}

// How far the steps move, on one axis, to centre their block (the places `low` … `high`, each box
// `size` long) on `centre`: no further than keeps the block within the range when it fits there.
qint64 BlockShift(qint64 low, qint64 high, qint64 size, qint64 centre)
{
    const qint64 shift = centre - (low + high + size) / 2;
    return std::max(std::min(shift, qint64{CoordinateLimit} - high), -low);
}

} // namespace

PastePlan PlanPaste(cWorder& frame, const QList<NodeValues>& steps, const QList<LinkValues>& links,
                    const QStringList& newIDs, const std::function<QString()>& freshCode,
                    const PastePlace& place)
{
    // Copied IDs are matched as the database matches them: a link end "n00002" is the step "N00002".
    QHash<QString, QString> newIDByKey;
    for (qsizetype i = 0; i < steps.size() && i < newIDs.size(); ++i)
        newIDByKey.insert(IdKey(steps[i].WorkOrderNode_ID), newIDs[i]);
    const auto newID = [&](const QString& id) { return newIDByKey.value(IdKey(id)); };
    const auto pasted = [&](const QString& id) { return newIDByKey.contains(IdKey(id)); };

    // Never exactly on steps the frame shows already (the originals, when pasted into their frame).
    QSet<std::pair<int, int>> occupied;
    for (const auto& [key, node] : frame.AllNode().AllNode())
        if (node->CanLoadFlag() == 1)
            occupied.insert({node->NodeLeft(), node->NodeTop()});
    qint64 across = 0, down = 0;
    if (!steps.isEmpty()) {
        qint64 left = steps.first().Left, top = steps.first().Top, right = left, bottom = top;
        for (const NodeValues& step : steps) {
            left = std::min<qint64>(left, step.Left);
            right = std::max<qint64>(right, step.Left);
            top = std::min<qint64>(top, step.Top);
            bottom = std::max<qint64>(bottom, step.Top);
        }
        across = BlockShift(left, right, place.stepBox.width(), place.centre.x());
        down = BlockShift(top, bottom, place.stepBox.height(), place.centre.y());
    }
    qint64 offset = 0;
    const auto landsOnAStep = [&] {
        return std::any_of(steps.cbegin(), steps.cend(), [&](const NodeValues& step) {
            return occupied.contains({Moved(step.Left, across + offset), Moved(step.Top, down + offset)});
        });
    };
    // Far beyond the range every place is clamped to its edge and moving on changes nothing.
    while (landsOnAStep() && offset < 2 * static_cast<qint64>(CoordinateLimit))
        offset += PasteOffset;

    PastePlan plan;
    for (NodeValues step : steps) {
        step.WorkOrderFrame_ID = frame.WorkOrderFrame_ID;
        step.WorkOrderNode_ID = newID(step.WorkOrderNode_ID);
        step.Left = Moved(step.Left, across + offset);
        step.Top = Moved(step.Top, down + offset);
        if (pasted(step.ReturnOldStep)) {
            step.ReturnOldStep = newID(step.ReturnOldStep);
        } else if (!step.ReturnOldStep.isEmpty()) {
            const cNode* target = frame.AllNode().OneNode(step.ReturnOldStep);
            if (!target || target->CanLoadFlag() != 1)
                step.ReturnOldStep.clear();
        }
        plan.steps.append(step);
    }
    // Every code the frame holds, deleted links' included, and those given out here, keyed as the
    // database compares codes: one look-up a candidate, however many links the frame has.
    QSet<QString> codesInUse;
    for (const auto& [key, link] : frame.AllLink().AllLinks())
        codesInUse.insert(IdKey(link->WorkOrderLink_ID()));
    const auto free = [&](const QString& candidate) {
        return !candidate.isEmpty() && !codesInUse.contains(IdKey(candidate));
    };
    for (LinkValues link : links) {
        QString code = link.WorkOrderLink_ID;
        for (int attempt = 0; attempt < 32 && !free(code); ++attempt)
            code = freshCode();
        if (!free(code))
            throw KorvelError(LoadResString(2020).arg(link.WorkOrderLink_ID));
        codesInUse.insert(IdKey(code));
        link.WorkOrderFrame_ID = frame.WorkOrderFrame_ID;
        link.WorkOrderLink_ID = code;
        link.FatherNode_ID = newID(link.FatherNode_ID);
        link.SonNode_ID = newID(link.SonNode_ID);
        plan.links.append(link);
    }
    return plan;
}

} // namespace korvel
