#include "model/coordinates.h"

#include <algorithm>

namespace korvel {
namespace {

// How far a place on one axis may go towards 0 (`from` the least place) and away from it (`from`
// the greatest): nothing for a place already at or beyond that edge.
qint32 TowardsOrigin(qint64 least)
{
    return static_cast<qint32>(std::clamp<qint64>(least, 0, CoordinateLimit));
}

qint32 AwayFromOrigin(qint64 most)
{
    return static_cast<qint32>(std::clamp<qint64>(CoordinateLimit - most, 0, CoordinateLimit));
}

} // namespace

QPoint ShiftReach::Bounded(const QPoint& delta) const
{
    return {std::clamp(delta.x(), -left, right), std::clamp(delta.y(), -up, down)};
}

QPointF ShiftReach::Bounded(const QPointF& delta) const
{
    return {std::clamp<double>(delta.x(), -left, right), std::clamp<double>(delta.y(), -up, down)};
}

ShiftReach ReachOf(const QList<QPoint>& places)
{
    if (places.isEmpty())
        return {};
    qint64 left = places.constFirst().x(), right = left, top = places.constFirst().y(), bottom = top;
    for (const QPoint& place : places) {
        left = std::min<qint64>(left, place.x());
        right = std::max<qint64>(right, place.x());
        top = std::min<qint64>(top, place.y());
        bottom = std::max<qint64>(bottom, place.y());
    }
    return {TowardsOrigin(left), AwayFromOrigin(right), TowardsOrigin(top), AwayFromOrigin(bottom)};
}

} // namespace korvel
