#include "model/coordinates.h"

#include <algorithm>

namespace korvel {
namespace {

// The part of `delta` that one axis can take, the places on it between `least` and `most`.
qint32 AxisShift(qint64 least, qint64 most, qint64 delta)
{
    if (delta < 0)
        return static_cast<qint32>(least <= 0 ? 0 : std::max(delta, -least));
    if (delta > 0)
        return static_cast<qint32>(most >= CoordinateLimit ? 0 : std::min<qint64>(delta, CoordinateLimit - most));
    return 0;
}

} // namespace

QPoint BoundedShift(const QList<QPoint>& places, const QPoint& delta)
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
    return {AxisShift(left, right, delta.x()), AxisShift(top, bottom, delta.y())};
}

} // namespace korvel
