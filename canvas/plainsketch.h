#pragma once

#include <QColor>
#include <QLineF>
#include <QList>
#include <QPolygonF>
#include <QRectF>
#include <utility>

class QPainter;
class QWidget;

namespace korvel {

class FlowScene;

// The flow drawn plain, as it is when zoomed too far out to read (see MinDetailScale): boxes,
// lines and arrow heads gathered from any number of items and drawn with hairlines, without
// antialiasing, in one call per kind and colour. Coordinates are the painter's. Lines and heads
// are drawn below boxes, and selection frames above everything, as links lie below nodes.
class PlainSketch final {
public:
    void AddBox(const QRectF& box, const QColor& border, const QColor& fill);
    // The frame around a selected item: a thin solid line, where dashes would not show (and cost
    // a stroke each).
    void AddFrame(const QRectF& frame, const QColor& colour);
    // A line of two or more points.
    void AddLine(const QPolygonF& line, const QColor& colour);
    void AddHead(const QPolygonF& head, const QColor& colour);
    // Draws what was added; the painter's pen and brush are left as the last group set them, its
    // render hints as they were.
    void Draw(QPainter& painter) const;

private:
    template <typename T> using ByColour = QList<std::pair<QRgb, QList<T>>>;
    template <typename T> static QList<T>& group(ByColour<T>& groups, QRgb colour);

    struct Boxes {
        QRgb border;
        QRgb fill;
        QList<QRectF> rects;
    };
    QList<Boxes> m_boxes;
    ByColour<QRectF> m_frames;
    ByColour<QLineF> m_lines;
    ByColour<QPolygonF> m_polylines;
    ByColour<QPolygonF> m_heads;
};

// Draws the part `exposed` of the scene plain, `scale` screen pixels per pixel, with the painter's
// transform mapping scene coordinates: the items over the flow (a comparison's marks, few) one by
// one below or above the steps as their z-values put them, and the flow's items gathered into one
// sketch. `widget` is the one painted on.
void DrawScenePlain(QPainter& painter, const FlowScene& scene, const QRectF& exposed, double scale, QWidget* widget);

} // namespace korvel
