#include "canvas/comparisonmark.h"

#include "canvas/flownodeitem.h"
#include "canvas/flowscene.h"
#include "canvas/markdrawing.h"

#include <QApplication>
#include <QLineF>
#include <QPainter>
#include <QPalette>

namespace korvel {
namespace {

// Sizes in twips.
constexpr double OutlineMargin = 4 * TwipsPerPixel; // an outline's distance from the step's box
constexpr double OutlinePen = 2.5 * TwipsPerPixel;
constexpr double BandPen = 8 * TwipsPerPixel;      // the band under a link
constexpr double ThinPen = 1.5 * TwipsPerPixel;    // a ghost's dashes, a move's dots
constexpr double HeadLength = 10 * TwipsPerPixel;
constexpr double HeadHalfWidth = 4.5 * TwipsPerPixel;
// Room around the area for pens, badge and the chosen frame.
constexpr double Reach = OutlineMargin + BandPen + 2 * MarkBadgeRadius;
constexpr double CaptionPixels = 12;
// A ghost's colours are faded by their alpha rather than the item's opacity, which SVG files would
// apply twice to texts and not at all to strokes.
constexpr double GhostAlpha = 0.55;
// Under the links (ghosts and old places stay behind what is there now), or over the steps
// (outlines and badges of what is there now).
constexpr qreal ZBehind = ZLink - 0.5;
constexpr qreal ZBand = ZLink - 0.1;
constexpr qreal ZOver = ZNode + 1;

QColor LookColour(ComparisonMark::Look look)
{
    switch (look) {
    case ComparisonMark::Look::Added:
        return QColor(0x1f, 0x9d, 0x55);
    case ComparisonMark::Look::Removed:
        return QColor(0xd6, 0x33, 0x2f);
    case ComparisonMark::Look::Changed:
        return QColor(0xe8, 0x7a, 0x00);
    case ComparisonMark::Look::Moved:
        break;
    }
    return QColor(0x7b, 0x4f, 0xd1);
}

QColor Faint(QColor colour, int alpha)
{
    colour.setAlpha(alpha);
    return colour;
}




} // namespace

ComparisonMark::ComparisonMark(Look look, bool box, const QRectF& area) : m_look(look), m_box(box), m_area(area)
{
    setFlags({});
    setAcceptedMouseButtons(Qt::NoButton);
    setAcceptHoverEvents(false);
}

ComparisonMark* ComparisonMark::Box(Look look, const QRectF& box, const QString& caption)
{
    auto* mark = new ComparisonMark(look, true, box);
    mark->m_caption = caption;
    mark->setZValue(look == Look::Added || look == Look::Changed ? ZOver : ZBehind);
    return mark;
}

ComparisonMark* ComparisonMark::Line(Look look, const QPolygonF& line)
{
    auto* mark = new ComparisonMark(look, false, line.boundingRect());
    mark->m_line = line;
    mark->setZValue(look == Look::Added || look == Look::Changed ? ZBand : ZBehind);
    return mark;
}

ComparisonMark* ComparisonMark::Badge(const QPolygonF& line)
{
    const QPointF centre = PointAlong(line, 0.25);
    auto* mark = new ComparisonMark(Look::Changed, false, QRectF(centre, QSizeF(0, 0)));
    mark->m_line = QPolygonF{centre};
    mark->setZValue(ZOver);
    return mark;
}

void ComparisonMark::setChosen(bool on)
{
    if (on == m_chosen)
        return;
    m_chosen = on;
    update();
}

QColor ComparisonMark::colourNow() const
{
    QColor colour = LookColour(m_look);
    if (m_look == Look::Removed && !m_chosen)
        colour.setAlphaF(static_cast<float>(GhostAlpha));
    return colour;
}

QRectF ComparisonMark::boundingRect() const
{
    return m_area.adjusted(-Reach, -Reach, Reach, Reach);
}

QPainterPath ComparisonMark::shape() const
{
    return {};
}

void ComparisonMark::paint(QPainter* painter, const QStyleOptionGraphicsItem* /*option*/, QWidget* /*widget*/)
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (m_box)
        paintBox(*painter);
    else
        paintLine(*painter);
    painter->restore();
}

void ComparisonMark::paintBox(QPainter& painter) const
{
    const QColor colour = colourNow();
    const bool around = m_look == Look::Added || m_look == Look::Changed;
    const QRectF outline = around ? m_area.adjusted(-OutlineMargin, -OutlineMargin, OutlineMargin, OutlineMargin)
                                  : m_area;
    const bool dashed = m_look == Look::Removed || m_look == Look::Moved;
    painter.setPen(MarkPen(painter, colour, dashed ? 1.5 : 2.5, dashed ? Qt::DashLine : Qt::SolidLine));
    painter.setBrush(m_look == Look::Added     ? Faint(colour, 40)
                     : m_look == Look::Removed ? Faint(colour, 28)
                                               : QColor(Qt::transparent));
    painter.drawRect(outline);
    if (m_chosen) {
        const double margin = OutlinePen + OutlineMargin;
        painter.setPen(MarkPen(painter, QApplication::palette().color(QPalette::Active, QPalette::Highlight), 2,
                               Qt::SolidLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(outline.adjusted(-margin, -margin, margin, margin));
    }
    if (m_look == Look::Changed)
        PaintBadge(painter, outline.topRight(), colour, BadgeSign::Exclamation);
    if (m_caption.isEmpty() || !PaintsDetail(painter))
        return;
    // The caption in pixels, as a step draws its own.
    painter.scale(TwipsPerPixel, TwipsPerPixel);
    const QRectF area(m_area.topLeft() / TwipsPerPixel, m_area.size() / TwipsPerPixel);
    QFont font = QApplication::font();
    font.setPixelSize(static_cast<int>(CaptionPixels));
    painter.setFont(font);
    painter.setPen(colour);
    // Wrapped as a step's caption is; what does not fit is cut off at the box.
    const QRectF inside = area.adjusted(4, 2, -4, -2);
    painter.setClipRect(inside, Qt::IntersectClip);
    painter.drawText(inside, Qt::AlignCenter | Qt::TextWordWrap, m_caption);
}

void ComparisonMark::paintLine(QPainter& painter) const
{
    const QColor colour = colourNow();
    if (m_line.size() == 1)
        PaintBadge(painter, m_line.constFirst(), colour, BadgeSign::Exclamation);
    if (m_line.size() < 2)
        return;
    painter.setBrush(Qt::NoBrush);
    if (m_chosen) {
        painter.setPen(MarkPen(painter, QApplication::palette().color(QPalette::Active, QPalette::Highlight),
                               BandPen / TwipsPerPixel + 4, Qt::SolidLine));
        painter.drawPolyline(m_line);
    }
    switch (m_look) {
    case Look::Added:
    case Look::Changed:
        painter.setPen(MarkPen(painter, Faint(colour, 110), BandPen / TwipsPerPixel, Qt::SolidLine));
        painter.drawPolyline(m_line);
        return;
    case Look::Removed: {
        painter.setPen(MarkPen(painter, colour, ThinPen / TwipsPerPixel, Qt::DashLine));
        painter.drawPolyline(m_line);
        // The head, so the ghost still tells which way the link ran.
        const QLineF last(m_line.at(m_line.size() - 2), m_line.last());
        if (last.length() <= 0)
            return;
        const QPointF along = (last.p2() - last.p1()) / last.length();
        const QPointF across(-along.y(), along.x());
        const QPointF base = last.p2() - along * HeadLength;
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawPolygon(QPolygonF{last.p2(), base + across * HeadHalfWidth, base - across * HeadHalfWidth});
        return;
    }
    case Look::Moved:
        painter.setPen(MarkPen(painter, colour, ThinPen / TwipsPerPixel, Qt::DotLine));
        painter.drawPolyline(m_line);
        return;
    }
}

} // namespace korvel
