// The scene's captions and the ways of links round steps: what FlowScene::settle() does after
// every change (see FlowScene).
#include "canvas/flowscene.h"

#include <QScopedValueRollback>
#include <algorithm>
#include <cmath>
#include <utility>

namespace korvel {
namespace {

// Room kept around a caption, twips, so that two captions never touch.
constexpr double CaptionMargin = 2 * TwipsPerPixel;
// How far from a caption that found no free place something must move away for it to try again.
constexpr double CrowdedReach = 60 * TwipsPerPixel;
// The longest piece of a segment looked up in the box index at once, twips.
constexpr double SegmentPiece = 4000;
// Settling again after settling: a caption placed may free room for a crowded one.
constexpr int SettleRounds = 3;

} // namespace

void FlowScene::captionToPlace(FlowLinkItem* link)
{
    m_unplaced.insert(link);
}

void FlowScene::captionShifted(FlowLinkItem* link)
{
    m_shifted.insert(link);
}

void FlowScene::captionMoved(FlowLinkItem* link, const QRectF& before)
{
    m_boxes.Set(link, link->CaptionBox(), true);
    // A caption moved with its line left room only for what did not move with it: nothing that
    // found no free place tries again for that.
    if (!before.isEmpty() && !m_shifted.contains(link))
        m_vacated.append(before);
}

void FlowScene::linkRunsBack(FlowLinkItem* link, bool back)
{
    if (back)
        m_backLinks.insert(link);
    else
        m_backLinks.remove(link);
}

double FlowScene::coveredArea(const QRectF& box, const FlowLinkItem* link, double enough) const
{
    const QRectF kept = box.adjusted(-CaptionMargin, -CaptionMargin, CaptionMargin, CaptionMargin);
    double covered = 0;
    m_boxes.Visit(kept, [&](const BoxIndex::Entry& entry) {
        if (entry.item != link)
            covered += (std::min(kept.right(), entry.box.right()) - std::max(kept.left(), entry.box.left())) *
                       (std::min(kept.bottom(), entry.box.bottom()) - std::max(kept.top(), entry.box.top()));
        return covered < enough;
    });
    return covered;
}

bool FlowScene::crossesStep(const QLineF& segment, const FlowNodeItem* a, const FlowNodeItem* b,
                            double* highestTop) const
{
    bool crosses = false;
    // A long slanting line looked up piece by piece: its whole box could hold most of the flow.
    const bool straight = segment.dx() == 0 || segment.dy() == 0;
    const int pieces = straight ? 1 : std::max(1, static_cast<int>(std::ceil(segment.length() / SegmentPiece)));
    for (int piece = 0; piece < pieces; ++piece) {
        const QRectF area =
            QRectF(segment.pointAt(double(piece) / pieces), segment.pointAt(double(piece + 1) / pieces))
                .normalized()
                .adjusted(-1, -1, 1, 1);
        m_boxes.Visit(area, [&](const BoxIndex::Entry& entry) {
            if (entry.caption || entry.item == a || entry.item == b || !BoxIndex::Crosses(segment, entry.box))
                return true;
            crosses = true;
            if (highestTop)
                *highestTop = std::min(*highestTop, entry.box.top());
            return highestTop != nullptr;
        });
    }
    return crosses;
}

void FlowScene::settle()
{
    if (m_bulkChanges > 0 || m_settleHold > 0)
        return;
    const QScopedValueRollback hold(m_settleHold, m_settleHold + 1);
    for (int round = 0; round < SettleRounds; ++round) {
        const QList<QRectF> arrived = std::exchange(m_arrived, {});
        const QList<QRectF> vacated = std::exchange(m_vacated, {});
        // Links going round steps take their way again where steps came, moved or went; one moved
        // with its steps only where a step is now in its way.
        const QSet<quint64> left = BoxIndex::Reached(vacated);
        const QSet<FlowLinkItem*> shifted = std::exchange(m_shifted, {});
        if (!m_backLinks.isEmpty() && !(arrived.isEmpty() && vacated.isEmpty())) {
            const QSet<quint64> came = BoxIndex::Reached(arrived);
            const QList<FlowLinkItem*> back(m_backLinks.cbegin(), m_backLinks.cend());
            for (FlowLinkItem* link : back) {
                if (link->m_routedAt == m_boxChanges)
                    continue;
                if (link->m_shiftedAt == m_boxChanges ? link->crossesSteps()
                                                      : BoxIndex::Reaches(came, link->boundingRect()) ||
                                                            BoxIndex::Reaches(left, link->boundingRect()))
                    link->routeAgain();
            }
        }
        // A caption moved with its line stays unless it now covers something (or more than before,
        // when it found no free place); one that a step came over goes elsewhere.
        for (FlowLinkItem* link : shifted)
            if (coveredArea(link->CaptionBox(), link) > m_crowded.value(link, 0) + 1)
                m_unplaced.insert(link);
        for (const QRectF& area : arrived)
            m_boxes.Visit(area, [&](const BoxIndex::Entry& entry) {
                if (entry.caption)
                    m_unplaced.insert(static_cast<FlowLinkItem*>(entry.item));
                return true;
            });
        // One that found no free place tries again when something near it went; not when it moved
        // with its line, as what was near it did as well.
        if (!vacated.isEmpty() && !m_crowded.isEmpty()) {
            for (auto it = m_crowded.cbegin(); it != m_crowded.cend(); ++it) {
                const double reach = CrowdedReach + it.key()->CaptionBox().width();
                if (!shifted.contains(it.key()) &&
                    BoxIndex::Reaches(left, it.key()->CaptionBox().adjusted(-reach, -reach, reach, reach)))
                    m_unplaced.insert(it.key());
            }
        }
        if (m_unplaced.isEmpty())
            break;
        placeCaptions();
    }
}

void FlowScene::placeCaptions()
{
    // Placed in collection order, so that a flow drawn twice looks the same; none of them stands in
    // another's way before it is placed. Links not yet in the collection wait for it.
    QList<FlowLinkItem*> links;
    for (auto it = m_unplaced.begin(); it != m_unplaced.end();) {
        if ((*it)->m_serial == 0) {
            ++it;
            continue;
        }
        links.append(*it);
        it = m_unplaced.erase(it);
    }
    std::sort(links.begin(), links.end(),
              [](const FlowLinkItem* a, const FlowLinkItem* b) { return a->m_serial < b->m_serial; });
    for (FlowLinkItem* link : std::as_const(links))
        m_boxes.Remove(link);
    for (FlowLinkItem* link : std::as_const(links)) {
        const QRectF before = link->CaptionBox();
        const double covered = link->findCaptionPlace();
        m_boxes.Set(link, link->CaptionBox(), true);
        // Where it waited to be placed was never taken: nothing moved away from there.
        if (!m_vacated.isEmpty() && m_vacated.constLast() == before)
            m_vacated.removeLast();
        if (covered > 0)
            m_crowded.insert(link, covered);
        else
            m_crowded.remove(link);
    }
}

} // namespace korvel
