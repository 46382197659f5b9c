#include "canvas/plainsketch.h"

#include "canvas/flowscene.h"

#include <QPainter>
#include <QPen>
#include <QStyleOptionGraphicsItem>

namespace korvel {

// A sketch holds a handful of colours, so a plain search finds the group.
template <typename T> QList<T>& PlainSketch::group(ByColour<T>& groups, QRgb colour)
{
    for (auto& [rgb, items] : groups) {
        if (rgb == colour)
            return items;
    }
    groups.emplaceBack(colour, QList<T>());
    return groups.last().second;
}

void PlainSketch::AddBox(const QRectF& box, const QColor& border, const QColor& fill)
{
    const QRgb borderRgb = border.rgba();
    const QRgb fillRgb = fill.rgba();
    for (Boxes& boxes : m_boxes) {
        if (boxes.border == borderRgb && boxes.fill == fillRgb) {
            boxes.rects.append(box);
            return;
        }
    }
    m_boxes.append(Boxes{borderRgb, fillRgb, {box}});
}

void PlainSketch::AddFrame(const QRectF& frame, const QColor& colour)
{
    group(m_frames, colour.rgba()).append(frame);
}

void PlainSketch::AddLine(const QPolygonF& line, const QColor& colour)
{
    if (line.size() == 2)
        group(m_lines, colour.rgba()).append(QLineF(line.first(), line.last()));
    else if (line.size() > 2)
        group(m_polylines, colour.rgba()).append(line);
}

void PlainSketch::AddHead(const QPolygonF& head, const QColor& colour)
{
    if (!head.isEmpty())
        group(m_heads, colour.rgba()).append(head);
}

void PlainSketch::Draw(QPainter& painter) const
{
    const bool antialiased = painter.testRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    for (const auto& [rgb, lines] : m_lines) {
        painter.setPen(QPen(QColor::fromRgba(rgb), 0));
        painter.drawLines(lines);
    }
    for (const auto& [rgb, polylines] : m_polylines) {
        painter.setPen(QPen(QColor::fromRgba(rgb), 0));
        for (const QPolygonF& polyline : polylines)
            painter.drawPolyline(polyline);
    }
    for (const auto& [rgb, heads] : m_heads) {
        painter.setPen(QPen(QColor::fromRgba(rgb), 0));
        painter.setBrush(QColor::fromRgba(rgb));
        for (const QPolygonF& head : heads)
            painter.drawPolygon(head);
    }
    for (const Boxes& boxes : m_boxes) {
        painter.setPen(QPen(QColor::fromRgba(boxes.border), 0));
        painter.setBrush(QColor::fromRgba(boxes.fill));
        painter.drawRects(boxes.rects);
    }
    painter.setBrush(Qt::NoBrush);
    for (const auto& [rgb, frames] : m_frames) {
        painter.setPen(QPen(QColor::fromRgba(rgb), 0));
        painter.drawRects(frames);
    }
    painter.setRenderHint(QPainter::Antialiasing, antialiased);
}

void DrawScenePlain(QPainter& painter, const FlowScene& scene, const QRectF& exposed, double scale, QWidget* widget)
{
    const QList<QGraphicsObject*> overlay = scene.Overlay();
    const auto drawOverlay = [&](bool aboveSteps) {
        for (QGraphicsObject* item : overlay) {
            if (!item->isVisible() || (item->zValue() > ZNode) != aboveSteps ||
                !item->sceneBoundingRect().intersects(exposed))
                continue;
            painter.save();
            painter.setTransform(item->sceneTransform(), true);
            painter.setOpacity(item->effectiveOpacity());
            QStyleOptionGraphicsItem option;
            option.exposedRect = item->boundingRect();
            item->paint(&painter, &option, widget);
            painter.restore();
        }
    };
    drawOverlay(false);
    PlainSketch sketch;
    scene.Sketch(sketch, exposed, scale);
    sketch.Draw(painter);
    drawOverlay(true);
}

} // namespace korvel
