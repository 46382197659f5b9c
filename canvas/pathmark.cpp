#include "canvas/pathmark.h"

#include "canvas/flowlinkitem.h"
#include "canvas/flownodeitem.h"
#include "canvas/flowscene.h"
#include "canvas/markdrawing.h"

#include <QLineF>
#include <QPainter>
#include <utility>

namespace korvel {
namespace {

// Sizes in twips.
constexpr double OutlineMargin = 4 * TwipsPerPixel; // an outline's distance from the step's box
constexpr double BandPixels = 8;                    // the band along a link
constexpr double Reach = 2 * OutlineMargin + BandPixels * TwipsPerPixel + 2 * MarkBadgeRadius;
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
        PaintBadge(painter, outline.topRight(), colour, BadgeSign::Bar);
}

void PathMark::paintLine(QPainter& painter) const
{
    QColor colour = LookColour(m_look);
    colour.setAlpha(m_look == Look::Loop ? 170 : 120);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(MarkPen(painter, colour, BandPixels, m_look == Look::Loop ? Qt::DashLine : Qt::SolidLine));
    painter.drawPolyline(m_line);
    if (m_look == Look::Loop)
        PaintBadge(painter, PointAlong(m_line, 0.25), LookColour(m_look), BadgeSign::Ring); // clear of the caption
}

} // namespace korvel
