#pragma once

#include <QColor>
#include <QPen>
#include <QPointF>
#include <QPolygonF>

class QPainter;

namespace korvel {

// What the marks drawn over a flow (a comparison's, a path's) share.

// A badge's radius, twips.
inline constexpr double MarkBadgeRadius = 7 * 15.0;

// A pen `pixels` wide at the normal zoom; one that stays visible when zoomed far out.
QPen MarkPen(const QPainter& painter, const QColor& colour, double pixels, Qt::PenStyle style = Qt::SolidLine);

// The point `fraction` of the way along a line.
QPointF PointAlong(const QPolygonF& line, double fraction);

// A filled circle with a white sign: an exclamation mark (changed), a bar (no way on) or a ring
// (a loop). Zoomed far out, the circle alone.
enum class BadgeSign { Exclamation, Bar, Ring };
void PaintBadge(QPainter& painter, const QPointF& centre, const QColor& colour, BadgeSign sign);

} // namespace korvel
