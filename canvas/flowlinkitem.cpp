#include "canvas/flowlinkitem.h"

#include "canvas/captionlayout.h"
#include "canvas/flowscene.h"
#include "canvas/flownodeitem.h"
#include "canvas/plainsketch.h"

#include <QApplication>
#include <QLineF>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPathStroker>
#include <QPalette>
#include <QStyleOptionGraphicsItem>
#include <QtMath>
#include <algorithm>
#include <cmath>

namespace korvel {
namespace {

constexpr double HeadLength = 10 * TwipsPerPixel;
constexpr double HeadHalfWidth = 4.5 * TwipsPerPixel;
constexpr double LoopSize = 20 * TwipsPerPixel;
constexpr double LabelFontPixels = 11.0;
constexpr double PickWidth = 8 * TwipsPerPixel;
// The plain drawing (zoomed far out) leaves the arrow head out below this length in pixels.
constexpr double MinHeadPixels = 4.0;
// Caption places: the fractions of the line tried in turn, and how far aside a caption may go
// beyond clearing the line (a reader must still see which link it belongs to).
constexpr double AlongLine[] = {0.5, 0.3, 0.7, 0.4, 0.6, 0.2, 0.8};
constexpr double AsideReach = 90 * TwipsPerPixel;

} // namespace

QFont LabelFont(const QFont& base)
{
    QFont font = base;
    font.setPixelSize(static_cast<int>(LabelFontPixels));
    return font;
}

namespace {

// System colours by their index in the low byte of a value with the high bit set.
QColor SystemColour(quint32 index)
{
    const QPalette palette = QApplication::palette();
    switch (index) {
    case 1: // the desktop
        return palette.color(QPalette::Active, QPalette::Highlight);
    case 5:
        return palette.color(QPalette::Active, QPalette::Base);
    case 8:
        return palette.color(QPalette::Active, QPalette::Text);
    case 15:
        return palette.color(QPalette::Active, QPalette::Button);
    case 18:
        return palette.color(QPalette::Active, QPalette::ButtonText);
    default:
        return palette.color(QPalette::Active, QPalette::WindowText);
    }
}

// The part of the scene a screen or image painter can reach, with room for wide pens and caps;
// null when that cannot be told (printers, pictures), and then everything is drawn.
QRectF ReachableArea(const QPainter& painter)
{
    const QPaintEngine* engine = painter.paintEngine();
    const QPaintDevice* device = painter.device();
    if (!engine || engine->type() != QPaintEngine::Raster || !device)
        return {};
    bool invertible = false;
    const QTransform inverse = painter.combinedTransform().inverted(&invertible);
    if (!invertible)
        return {};
    const double margin = 2 * HeadLength;
    return inverse.mapRect(QRectF(0, 0, device->width(), device->height()))
        .adjusted(-margin, -margin, margin, margin);
}

} // namespace

struct FlowLinkItem::Caption {
    Caption(const QString& text, const QFont& font, const QRectF& box, Qt::LayoutDirection towards)
        : direction(towards), layout(text, font, box, false, towards)
    {
    }
    Qt::LayoutDirection direction;
    CaptionLayout layout;
};

QColor ColourFromValue(quint32 value)
{
    if (value & 0x80000000u)
        return SystemColour(value & 0xffu);
    return QColor(static_cast<int>(value & 0xffu), static_cast<int>((value >> 8) & 0xffu),
                  static_cast<int>((value >> 16) & 0xffu));
}

FlowLinkItem::FlowLinkItem(FlowNodeItem& org, FlowNodeItem& dst)
    : m_scene(&org.m_scene), m_org(&org), m_dst(&dst)
{
    setFlags(ItemIsSelectable);
    setZValue(ZLink);
    m_bounds = outerBounds();
    m_org->attachLink(this);
    if (m_dst != m_org)
        m_dst->attachLink(this);
}

FlowLinkItem::~FlowLinkItem()
{
    // When the whole scene goes, the nodes go too: nothing needs to be let go one by one.
    if (m_scene && m_scene->clearing())
        return;
    if (m_org)
        m_org->detachLink(this);
    if (m_dst && m_dst != m_org)
        m_dst->detachLink(this);
    if (m_scene)
        m_scene->forgetLink(this);
}

template <typename Change> void FlowLinkItem::changeGeometry(Change&& change)
{
    prepareGeometryChange();
    if (m_serial != 0)
        m_scene->itemLeaving(m_bounds);
    const QRectF label = m_label;
    change();
    m_bounds = outerBounds();
    m_shape = QPainterPath();
    if (m_serial != 0) {
        m_scene->itemArrived(m_bounds);
        if (m_label != label)
            m_scene->captionMoved(this, label);
    }
}

void FlowLinkItem::setKey(const QString& key)
{
    if (key == m_key)
        return;
    const QString old = m_key;
    m_key = key;
    if (m_scene)
        m_scene->linkKeyChanged(this, old);
}

QVariant FlowLinkItem::itemChange(GraphicsItemChange change, const QVariant& value)
{
    if (change == ItemSelectedHasChanged && m_scene)
        m_scene->selectionMoved(this, value.toBool());
    return QGraphicsObject::itemChange(change, value);
}

void FlowLinkItem::forgetNode(FlowNodeItem* node)
{
    if (m_org == node)
        m_org = nullptr;
    if (m_dst == node)
        m_dst = nullptr;
}

void FlowLinkItem::setColor(quint32 oleColor)
{
    m_color = oleColor;
    update();
}

void FlowLinkItem::setText(const QString& text)
{
    changeGeometry([&] {
        if (text != m_text) {
            m_labelSize = QSizeF();
            m_caption.reset();
        }
        m_text = text;
        placeLabel();
    });
    update();
    m_scene->settle();
}

void FlowLinkItem::setCondition(const QString& condition)
{
    if (condition == m_condition)
        return;
    changeGeometry([&] {
        m_labelSize = QSizeF();
        m_caption.reset();
        m_condition = condition;
        placeLabel();
    });
    update();
    m_scene->settle();
}

QString FlowLinkItem::shownText() const
{
    if (m_condition.isEmpty())
        return m_text;
    return m_text.isEmpty() ? m_condition : m_text + QLatin1Char(' ') + m_condition;
}

void FlowLinkItem::updatePosition()
{
    if (!m_org || !m_dst)
        return;
    changeGeometry([this] { layOutLine(); });
    update();
    m_scene->settle();
}

void FlowLinkItem::routeAgain()
{
    if (!m_org || !m_dst || m_org == m_dst || m_path.size() < 2)
        return;
    m_routedAt = m_scene->m_boxChanges;
    // Worked out first: changing the geometry of a long link is dear, and mostly its way stays.
    const qsizetype main = m_main;
    const QPointF from = m_org->EdgePoint(m_dst->Centre());
    const QPointF to = m_dst->EdgePoint(m_org->Centre());
    const QPolygonF path = runsBack() ? detour(from, to) : QPolygonF{from, to};
    if (path == m_path) {
        m_main = main;
        return;
    }
    changeGeometry([this] { layOutLine(true); });
    update();
}

void FlowLinkItem::layOutLine(bool again)
{
    // Both ends moved alike (a whole selection dragged or nudged): the line, its head and its
    // caption move with them, and the scene places the caption again only where it now covers
    // something, and a link running back takes another way only where steps are now in its way.
    const QRectF orgBox = m_org->SceneBox();
    const QRectF dstBox = m_dst->SceneBox();
    const QPointF shift = orgBox.topLeft() - m_orgBox.topLeft();
    const bool movedAlike = !again && m_path.size() >= 2 && orgBox == m_orgBox.translated(shift) &&
                            dstBox == m_dstBox.translated(shift) &&
                            (m_label.isEmpty() || QApplication::font() == m_labelFont);
    m_orgBox = orgBox;
    m_dstBox = dstBox;
    m_scene->linkRunsBack(this, runsBack());
    if (movedAlike) {
        m_shiftedAt = m_scene->m_boxChanges;
        m_path.translate(shift);
        m_head.translate(shift);
        m_anchor += shift;
        if (!m_label.isEmpty()) {
            m_label.translate(shift);
            m_scene->captionShifted(this);
        }
        return;
    }
    const QPolygonF before = m_path;
    m_path.clear();
    m_main = 0;
    m_routedAt = m_scene->m_boxChanges;
    if (m_org == m_dst) {
        // A link to its own node: a loop over the node's top right corner.
        const double right = m_org->Left() + m_org->Width();
        const double top = m_org->Top();
        const QPointF start(right - m_org->Width() / 4, top);
        const QPointF end(right, top + m_org->Height() / 4);
        m_path << start << QPointF(start.x(), top - LoopSize) << QPointF(right + LoopSize, top - LoopSize)
               << QPointF(right + LoopSize, end.y()) << end;
        m_main = 1;
    } else {
        const QPointF from = m_org->EdgePoint(m_dst->Centre());
        const QPointF to = m_dst->EdgePoint(m_org->Centre());
        m_path = runsBack() ? detour(from, to) : QPolygonF{from, to};
    }
    if (again && m_path == before)
        return; // the same way: the caption stays where it is

    // Arrow head at the destination, pointing along the last segment.
    m_head.clear();
    const QLineF last(m_path.at(m_path.size() - 2), m_path.last());
    if (last.length() > 0) {
        const QPointF unit = (last.p2() - last.p1()) / last.length();
        const QPointF normal(-unit.y(), unit.x());
        const QPointF base = last.p2() - unit * HeadLength;
        m_head << last.p2() << base + normal * HeadHalfWidth << base - normal * HeadHalfWidth;
    }
    placeLabel();
}

QSizeF FlowLinkItem::labelSize()
{
    const QFont base = QApplication::font();
    if (m_labelSize.isEmpty() || base != m_labelFont) {
        const QFont font = LabelFont(base);
        const QFontMetricsF metrics(font);
        const double width =
            m_scene ? m_scene->captionWidth(metrics, font, shownText()) : metrics.horizontalAdvance(shownText());
        m_labelSize = QSizeF((width + 2 * LabelPaddingPixels) * TwipsPerPixel,
                             (metrics.height() + LabelPaddingPixels) * TwipsPerPixel);
        m_labelFont = base;
        m_caption.reset();
    }
    return m_labelSize;
}

void FlowLinkItem::placeLabel()
{
    m_label = QRectF();
    if (shownText().isEmpty() || m_path.size() < 2)
        return;
    const QSizeF size = labelSize();
    m_anchor = mainSegment().center();
    m_label = QRectF(m_anchor.x() - size.width() / 2, m_anchor.y() - size.height() / 2, size.width(),
                     size.height());
    m_scene->captionToPlace(this);
}

double FlowLinkItem::findCaptionPlace()
{
    if (m_label.isEmpty())
        return 0;
    const QLineF line = mainSegment();
    const QSizeF size = m_label.size();
    QPointF normal(0, 1);
    if (line.length() > 0)
        normal = QPointF(-line.dy(), line.dx()) / line.length();
    if (normal.y() < 0 || (qFuzzyIsNull(normal.y()) && normal.x() < 0))
        normal = -normal; // below (or right of) the line first
    // Far enough aside to clear the line, and a little further.
    const double clearing = (std::abs(normal.x()) * size.width() + std::abs(normal.y()) * size.height()) / 2;
    const double step = std::max(size.height(), 4 * TwipsPerPixel);
    QRectF best;
    QPointF bestAnchor;
    double least = -1;
    for (double distance = 0; distance <= clearing + AsideReach; distance += step) {
        for (const double along : AlongLine) {
            const QPointF anchor = line.pointAt(along);
            for (const double sign : {1.0, -1.0}) {
                const QPointF centre = anchor + normal * distance * sign;
                const QRectF place(centre.x() - size.width() / 2, centre.y() - size.height() / 2, size.width(),
                                   size.height());
                const double covered = m_scene->coveredArea(place, this, least < 0 ? 1e300 : least);
                if (least < 0 || covered < least) {
                    least = covered;
                    best = place;
                    bestAnchor = anchor;
                }
                if (covered <= 0 || distance == 0)
                    break; // on the line both sides are the same place
            }
            if (least <= 0)
                break;
        }
        if (least <= 0)
            break;
    }
    if (best != m_label || bestAnchor != m_anchor)
        changeGeometry([&] {
            m_label = best;
            m_anchor = bestAnchor;
        });
    return least;
}

QRectF FlowLinkItem::outerBounds() const
{
    const QRectF r = m_path.boundingRect()
                         .united(m_head.boundingRect())
                         .adjusted(-PickWidth, -PickWidth, PickWidth, PickWidth);
    if (m_label.isEmpty())
        return r;
    return r.united(m_label).united(QRectF(m_anchor, QSizeF(1, 1)));
}

QRectF FlowLinkItem::boundingRect() const
{
    return m_bounds;
}

QPainterPath FlowLinkItem::shape() const
{
    if (!m_shape.isEmpty() || m_path.size() < 2)
        return m_shape;
    QPainterPath line;
    line.addPolygon(m_path);
    QPainterPathStroker stroker;
    stroker.setWidth(PickWidth);
    line = stroker.createStroke(line);
    line.addPolygon(m_head);
    if (!m_label.isEmpty())
        line.addRect(m_label);
    m_shape = line;
    return m_shape;
}

void FlowLinkItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* /*widget*/)
{
    if (m_path.size() < 2)
        return;
    const bool selected = option->state & QStyle::State_Selected;
    const double scale = PixelScale(*painter);
    if (scale < MinDetailScale) {
        PlainSketch plain;
        sketch(plain, scale, selected);
        plain.Draw(*painter);
        return;
    }
    const QColor colour = ColourFromValue(m_color);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QPalette palette = QApplication::palette();
    QPen pen(colour, (selected ? 3.0 : 1.5) * TwipsPerPixel, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter->setBrush(Qt::NoBrush);
    if (m_path.size() == 2) {
        // A straight arrow ends under a node's outline and under its head, where a flat cap looks
        // the same as a round one; straight flat-capped lines are rasterised directly instead of
        // being stroked as paths. Of a line across a large flow only what can be seen is drawn.
        pen.setCapStyle(Qt::FlatCap);
        painter->setPen(pen);
        QLineF line(m_path.first(), m_path.last());
        const QRectF reachable = ReachableArea(*painter);
        if (reachable.isNull() || (reachable.contains(line.p1()) && reachable.contains(line.p2())) ||
            ClipLine(line, reachable))
            painter->drawLine(line);
    } else {
        painter->setPen(pen);
        painter->drawPolyline(m_path);
    }
    painter->setBrush(colour);
    painter->drawPolygon(m_head);

    const QRectF label = m_label;
    if (!label.isEmpty()) {
        if (!label.contains(m_anchor)) {
            // A caption moved off its line keeps a thin leader to it.
            painter->setPen(QPen(colour, TwipsPerPixel, Qt::DotLine));
            const QPointF edge(std::clamp(m_anchor.x(), label.left(), label.right()),
                               std::clamp(m_anchor.y(), label.top(), label.bottom()));
            painter->drawLine(m_anchor, edge);
        }
        painter->setPen(
            QPen(selected ? palette.color(QPalette::Active, QPalette::Highlight) : colour.lighter(140),
                 TwipsPerPixel));
        painter->setBrush(palette.color(QPalette::Active, QPalette::Base));
        painter->drawRoundedRect(label, 2 * TwipsPerPixel, 2 * TwipsPerPixel);
        // Text in a pixel-sized frame, so glyphs keep their normal size and hinting.
        painter->translate(label.topLeft());
        painter->scale(TwipsPerPixel, TwipsPerPixel);
        painter->setPen(palette.color(QPalette::Active, QPalette::Text));
        const Qt::LayoutDirection direction = painter->layoutDirection();
        if (!m_caption || direction != m_caption->direction) {
            m_caption = std::make_unique<Caption>(
                shownText(), LabelFont(m_labelFont),
                QRectF(0, 0, label.width() / TwipsPerPixel, label.height() / TwipsPerPixel), direction);
        }
        m_caption->layout.Draw(*painter);
    }
    painter->restore();
}

void FlowLinkItem::sketch(PlainSketch& sketch, double scale, bool selected) const
{
    // Too small to read: the line without caption or leader, in the highlight colour while
    // selected, and the head only while it is still a few pixels long.
    const QColor colour = selected ? QApplication::palette().color(QPalette::Active, QPalette::Highlight)
                                   : ColourFromValue(m_color);
    sketch.AddLine(m_path, colour);
    if (HeadLength / TwipsPerPixel * scale >= MinHeadPixels)
        sketch.AddHead(m_head, colour);
}

} // namespace korvel
