#include "canvas/markdrawing.h"

#include "canvas/flownodeitem.h"
#include "canvas/flowscene.h"

#include <QLineF>
#include <QPainter>

namespace korvel {

static_assert(MarkBadgeRadius == 7 * TwipsPerPixel);

QPen MarkPen(const QPainter& painter, const QColor& colour, double pixels, Qt::PenStyle style)
{
    QPen pen(colour, pixels * TwipsPerPixel, style, Qt::RoundCap, Qt::RoundJoin);
    if (!PaintsDetail(painter)) {
        pen.setCosmetic(true);
        pen.setWidthF(1.5);
    }
    return pen;
}

QPointF PointAlong(const QPolygonF& line, double fraction)
{
    double length = 0;
    for (qsizetype i = 1; i < line.size(); ++i)
        length += QLineF(line.at(i - 1), line.at(i)).length();
    double left = length * fraction;
    for (qsizetype i = 1; i < line.size(); ++i) {
        const QLineF part(line.at(i - 1), line.at(i));
        if (part.length() >= left && part.length() > 0)
            return part.pointAt(left / part.length());
        left -= part.length();
    }
    return line.isEmpty() ? QPointF() : line.constFirst();
}

void PaintBadge(QPainter& painter, const QPointF& centre, const QColor& colour, BadgeSign sign)
{
    painter.setPen(QPen(Qt::white, 1 * TwipsPerPixel));
    painter.setBrush(colour);
    painter.drawEllipse(centre, MarkBadgeRadius, MarkBadgeRadius);
    if (!PaintsDetail(painter))
        return;
    painter.setPen(QPen(Qt::white, 2 * TwipsPerPixel, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    const double unit = MarkBadgeRadius / 7;
    switch (sign) {
    case BadgeSign::Exclamation:
        painter.drawLine(centre + QPointF(0, -4 * unit), centre + QPointF(0, 1 * unit));
        painter.drawPoint(centre + QPointF(0, 3.5 * unit));
        break;
    case BadgeSign::Bar:
        painter.drawLine(centre - QPointF(3.5 * unit, 0), centre + QPointF(3.5 * unit, 0));
        break;
    case BadgeSign::Ring:
        painter.drawArc(QRectF(centre - QPointF(3.5, 3.5) * unit, QSizeF(7, 7) * unit), 90 * 16, 270 * 16);
        break;
    }
}

} // namespace korvel
