// The way of a link: straight, or round the steps between its ends when it runs back.
#include "canvas/flowlinkitem.h"

#include "canvas/flownodeitem.h"
#include "canvas/flowscene.h"

#include <algorithm>

namespace korvel {
namespace {

// A link going round steps: how far its way across stays above them, and how far beside its end
// it rises or falls where a step stands right over the end.
constexpr double LaneGap = 8 * TwipsPerPixel;
constexpr double SideGap = 10 * TwipsPerPixel;

} // namespace

bool FlowLinkItem::runsBack() const
{
    return m_org && m_dst && m_org != m_dst && m_dst->Centre().x() < m_org->Centre().x();
}

bool FlowLinkItem::crossesSteps() const
{
    for (qsizetype i = 1; i < m_path.size(); ++i)
        if (m_scene->crossesStep(QLineF(m_path.at(i - 1), m_path.at(i)), m_org, m_dst, nullptr))
            return true;
    return false;
}

QPolygonF FlowLinkItem::detour(const QPointF& from, const QPointF& to)
{
    if (!m_scene->crossesStep(QLineF(from, to), m_org, m_dst, nullptr))
        return {from, to};
    const QRectF start = m_orgBox;
    const QRectF end = m_dstBox;
    // Up from the start, across above the steps in between, down into the end. Where a step stands
    // right over an end, the way rises (falls) beside it instead; where a step is in the way across,
    // the way goes above it.
    double lane = std::min(start.top(), end.top()) - LaneGap;
    bool besideStart = false;
    bool besideEnd = false;
    QPolygonF path;
    for (int tries = 0; tries < 64; ++tries) {
        path.clear();
        const double rise = besideStart ? start.right() + SideGap : start.center().x();
        const double fall = besideEnd ? end.left() - SideGap : end.center().x();
        if (besideStart)
            path << QPointF(start.right(), start.center().y()) << QPointF(rise, start.center().y());
        else
            path << QPointF(rise, start.top());
        path << QPointF(rise, lane) << QPointF(fall, lane);
        if (besideEnd)
            path << QPointF(fall, end.center().y()) << QPointF(end.left(), end.center().y());
        else
            path << QPointF(fall, end.top());
        m_main = path.size() - (besideEnd ? 4 : 3);
        bool changed = false;
        for (qsizetype i = 0; i + 1 < path.size(); ++i) {
            double highest = lane;
            if (!m_scene->crossesStep(QLineF(path[i], path[i + 1]), m_org, m_dst, &highest))
                continue;
            if (i < m_main && !besideStart)
                besideStart = changed = true;
            else if (i == m_main)
                lane = highest - LaneGap, changed = true;
            else if (i > m_main && !besideEnd)
                besideEnd = changed = true;
        }
        if (!changed)
            break; // nothing in the way, or nothing this way can avoid
    }
    return path;
}

QLineF FlowLinkItem::mainSegment() const
{
    if (m_main + 1 >= m_path.size())
        return {};
    return QLineF(m_path.at(m_main), m_path.at(m_main + 1));
}

} // namespace korvel
