#pragma once

#include <QList>
#include <QPoint>
#include <QPointF>
#include <QtGlobal>

#include <cmath>

namespace korvel {

// Where a step may stand, twips on both axes: the one range for every place that enters a frame
// (import, the clipboard, a paste, the mouse, the keys, a layout). It lies far inside 32 bits, so a
// place plus a box size, a paste offset or a move is never near an overflow. Rows read from the
// database keep whatever they hold, negative places included; a place outside the range is only
// never moved further out.
inline constexpr qint32 CoordinateLimit = 100'000'000;

constexpr bool CoordinateInRange(double value)
{
    return value >= -CoordinateLimit && value <= CoordinateLimit;
}

// `value` rounded and brought into the range; not a number gives 0.
inline qint32 ClampedCoordinate(double value)
{
    if (std::isnan(value))
        return 0;
    if (value <= -CoordinateLimit)
        return -CoordinateLimit;
    if (value >= CoordinateLimit)
        return CoordinateLimit;
    return static_cast<qint32>(std::lround(value));
}

// How far a set of places may move together, on each axis: as far as keeps them between the
// canvas's top or left edge (0) and CoordinateLimit, the set keeping its shape. A place beyond an
// edge (stored rows may hold one) is never pulled onto it, nor moved further out: the set may then
// not move towards that edge at all. Worked out once for a drag, then asked for every mouse move.
struct ShiftReach {
    qint32 left = 0, right = 0, up = 0, down = 0; // the most each way, all >= 0

    // `delta` cut down to the reach, each axis on its own.
    QPoint Bounded(const QPoint& delta) const;
    QPointF Bounded(const QPointF& delta) const;
};

// The reach of `places`; nothing may move when there are none. No arithmetic overflows, whatever
// the places hold.
ShiftReach ReachOf(const QList<QPoint>& places);

// How far a set of places moves when moved together by `delta` (the arrow keys); add the result
// to each place.
inline QPoint BoundedShift(const QList<QPoint>& places, const QPoint& delta)
{
    return ReachOf(places).Bounded(delta);
}

} // namespace korvel
