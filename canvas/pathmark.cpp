#include "canvas/pathmark.h"

#include "canvas/flowlinkitem.h"
#include "canvas/flownodeitem.h"
#include "canvas/flowscene.h"

#include <QLineF>
#include <QPainter>
#include <utility>

namespace korvel {
namespace {

// Sizes in twips.
constexpr double OutlineMargin = 4 * TwipsPerPixel; // an outline's distance from the step's box
constexpr double BandPixels = 8;                    // the band along a link
constexpr double BadgeRadius = 7 * TwipsPerPixel;
constexpr double Reach = 2 * OutlineMargin + BandPixels * TwipsPerPixel + 2 * BadgeRadius;
// Bands under the links, so the arrow stays readable; outlines, veils and stop badges over the
// steps.
constexpr qreal ZBand = ZLink - 0.1;
constexpr qreal ZOver = ZNode + 1;

QColor LookColour(PathMark::Look look)
{
    switch (look) {
    case PathMark::Look::Taken:
    case PathMark::Look::Passed:
        return QColor(0x1e, 0x6f, 0xd9);
    case PathMark::Look::End:
        return QColor(0x1f, 0x9d, 0x55);
    case PathMark::Look::DeadEnd:
        return QColor(0xd6, 0x33, 0x2f);
    case PathMark::Look::Loop:
        return QColor(0xe8, 0x7a, 0x00);
    case PathMark::Look::Unreached:
        break;
    }
    return QColor(0x8a, 0x8a, 0x8a);
}

// A pen `pixels` wide at the normal zoom; one that stays visible when zoomed far out.
QPen MarkPen(const QPainter& painter, const QColor& colour, double pixels, Qt::PenStyle style = Qt::SolidLine)
{
    QPen pen(colour, pixels * TwipsPerPixel, style, Qt::RoundCap, Qt::RoundJoin);
    if (!PaintsDetail(painter)) {
        pen.setCosmetic(true);
        pen.setWidthF(1.5);
    }
    return pen;
}

// The point a quarter of the way along a line: clear of the caption in its middle.
QPointF QuarterAlong(const QPolygonF& line)
{
    double length = 0;
    for (qsizetype i = 1; i < line.size(); ++i)
        length += QLineF(line.at(i - 1), line.at(i)).length();
    double left = length / 4;
    for (qsizetype i = 1; i < line.size(); ++i) {
        const QLineF part(line.at(i - 1), line.at(i));
        if (part.length() >= left && part.length() > 0)
            return part.pointAt(left / part.length());
        left -= part.length();
    }
    return line.isEmpty() ? QPointF() : line.constFirst();
}

// A stop badge: a filled circle with a white bar (no way on) or a white ring (a loop).
void PaintBadge(QPainter& painter, const QPointF& centre, const QColor& colour, bool ring)
{
    painter.setPen(QPen(Qt::white, 1 * TwipsPerPixel));
    painter.setBrush(colour);
    painter.drawEllipse(centre, BadgeRadius, BadgeRadius);
    if (!PaintsDetail(painter))
        return;
    painter.setPen(QPen(Qt::white, 2 * TwipsPerPixel, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    const double unit = BadgeRadius / 7;
    if (ring)
        painter.drawArc(QRectF(centre - QPointF(3.5, 3.5) * unit, QSizeF(7, 7) * unit), 90 * 16, 270 * 16);
    else
        painter.drawLine(centre - QPointF(3.5 * unit, 0), centre + QPointF(3.5 * unit, 0));
}

} // namespace

PathMark::PathMark(Look look, QGraphicsObject& item) : m_look(look), m_item(&item)
{
    setFlags({});
    setAcceptedMouseButtons(Qt::NoButton);
    setAcceptHoverEvents(false);
    setZValue(look == Look::Taken ? ZBand : ZOver);
    QList<QGraphicsObject*> moving{&item};
    if (const auto* node = qgraphicsitem_cast<const FlowNodeItem*>(&item)) {
        m_key = node->Key();
    } else if (const auto* link = qgraphicsitem_cast<const FlowLinkItem*>(&item)) {
        m_key = link->Key();
        moving << link->Org() << link->Dst();
    }
    for (QGraphicsObject* each : moving) {
        if (!each)
            continue;
        connect(each, &QGraphicsObject::xChanged, this, &PathMark::followSoon);
        connect(each, &QGraphicsObject::yChanged, this, &PathMark::followSoon);
    }
    connect(&item, &QObject::destroyed, this, &PathMark::followSoon);
    Follow();
}

void PathMark::followSoon()
{
    if (std::exchange(m_followDue, true))
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_followDue = false;
            Follow();
        },
        Qt::QueuedConnection);
}

void PathMark::Follow()
{
    QRectF area;
    QPolygonF line;
    if (const auto* node = qgraphicsitem_cast<const FlowNodeItem*>(m_item.data()))
        area = node->SceneBox();
    else if (const auto* link = qgraphicsitem_cast<const FlowLinkItem*>(m_item.data())) {
        line = link->Path();
        area = line.boundingRect();
    }
    setVisible(m_item != nullptr);
    if (area == m_area && line == m_line)
        return;
    prepareGeometryChange();
    m_area = area;
    m_line = line;
}

QRectF PathMark::boundingRect() const
{
    return m_area.adjusted(-Reach, -Reach, Reach, Reach);
}

QPainterPath PathMark::shape() const
{
    return {};
}

void PathMark::paint(QPainter* painter, const QStyleOptionGraphicsItem* /*option*/, QWidget* /*widget*/)
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (m_line.size() >= 2)
        paintLine(*painter);
    else if (m_line.isEmpty())
        paintBox(*painter);
    painter->restore();
}

void PathMark::paintBox(QPainter& painter) const
{
    const QColor colour = LookColour(m_look);
    const QRectF outline = m_area.adjusted(-OutlineMargin, -OutlineMargin, OutlineMargin, OutlineMargin);
    if (m_look == Look::Unreached) {
        // A veil of the canvas's light colour: the step reads as faded, its caption still legible.
        painter.setPen(MarkPen(painter, colour, 1.5, Qt::DashLine));
        painter.setBrush(QColor(255, 255, 255, 150));
        painter.drawRect(m_area);
        return;
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(MarkPen(painter, colour, m_look == Look::Passed ? 2.5 : 3.5));
    painter.drawRect(outline);
    if (m_look == Look::End) {
        const double gap = 2 * OutlineMargin;
        painter.setPen(MarkPen(painter, colour, 1.5));
        painter.drawRect(outline.adjusted(-gap / 2, -gap / 2, gap / 2, gap / 2));
    }
    if (m_look == Look::DeadEnd)
        PaintBadge(painter, outline.topRight(), colour, false);
}

void PathMark::paintLine(QPainter& painter) const
{
    QColor colour = LookColour(m_look);
    colour.setAlpha(m_look == Look::Loop ? 170 : 120);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(MarkPen(painter, colour, BandPixels, m_look == Look::Loop ? Qt::DashLine : Qt::SolidLine));
    painter.drawPolyline(m_line);
    if (m_look == Look::Loop)
        PaintBadge(painter, QuarterAlong(m_line), LookColour(m_look), true);
}

} // namespace korvel
