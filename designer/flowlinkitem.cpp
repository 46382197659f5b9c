#include "designer/flowlinkitem.h"

#include "designer/flowcanvas.h"
#include "designer/flownodeitem.h"

#include <QApplication>
#include <QLineF>
#include <QPainter>
#include <QPainterPathStroker>
#include <QPalette>
#include <QStyleOptionGraphicsItem>
#include <QtMath>

namespace korvel {
namespace {

constexpr double HeadLength = 10 * TwipsPerPixel;
constexpr double HeadHalfWidth = 4.5 * TwipsPerPixel;
constexpr double LoopSize = 20 * TwipsPerPixel;
constexpr double LabelFontPixels = 11.0;
constexpr double LabelPaddingPixels = 3.0;
constexpr double PickWidth = 8 * TwipsPerPixel;

QFont LabelFont()
{
    QFont font = QApplication::font();
    font.setPixelSize(static_cast<int>(LabelFontPixels));
    return font;
}

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

} // namespace

QColor ColourFromValue(quint32 value)
{
    if (value & 0x80000000u)
        return SystemColour(value & 0xffu);
    return QColor(static_cast<int>(value & 0xffu), static_cast<int>((value >> 8) & 0xffu),
                  static_cast<int>((value >> 16) & 0xffu));
}

FlowLinkItem::FlowLinkItem(FlowNodeItem& org, FlowNodeItem& dst)
    : m_canvas(&org.m_canvas), m_org(&org), m_dst(&dst)
{
    setFlags(ItemIsSelectable);
    setZValue(ZLink);
    m_org->attachLink(this);
    m_dst->attachLink(this);
}

FlowLinkItem::~FlowLinkItem()
{
    if (m_org)
        m_org->detachLink(this);
    if (m_dst)
        m_dst->detachLink(this);
    if (m_canvas)
        m_canvas->forgetLink(this);
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
    prepareGeometryChange();
    m_text = text;
    placeLabel();
    update();
}

void FlowLinkItem::updatePosition()
{
    if (!m_org || !m_dst)
        return;
    prepareGeometryChange();
    m_path.clear();
    if (m_org == m_dst) {
        // A link to its own node: a loop over the node's top right corner.
        const double right = m_org->Left() + m_org->Width();
        const double top = m_org->Top();
        const QPointF start(right - m_org->Width() / 4, top);
        const QPointF end(right, top + m_org->Height() / 4);
        m_path << start << QPointF(start.x(), top - LoopSize) << QPointF(right + LoopSize, top - LoopSize)
               << QPointF(right + LoopSize, end.y()) << end;
    } else {
        const QPointF from = m_org->EdgePoint(m_dst->Centre());
        const QPointF to = m_dst->EdgePoint(m_org->Centre());
        m_path << from << to;
    }

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
    update();
}

void FlowLinkItem::placeLabel()
{
    m_label = QRectF();
    if (m_text.isEmpty() || m_path.size() < 2)
        return;
    const QFontMetricsF metrics(LabelFont());
    const double w = (metrics.horizontalAdvance(m_text) + 2 * LabelPaddingPixels) * TwipsPerPixel;
    const double h = (metrics.height() + LabelPaddingPixels) * TwipsPerPixel;
    // The middle of the line, or of the loop's top edge.
    m_anchor = m_path.size() == 2 ? (m_path.at(0) + m_path.at(1)) / 2 : (m_path.at(1) + m_path.at(2)) / 2;
    const QRectF centred(m_anchor.x() - w / 2, m_anchor.y() - h / 2, w, h);
    const auto clear = [this](const QRectF& r) {
        return !(m_org && r.intersects(m_org->SceneBox())) && !(m_dst && r.intersects(m_dst->SceneBox()));
    };
    m_label = centred;
    if (clear(centred) || m_org == m_dst)
        return;
    // Slide along the line's normal, both ways, and take the nearer free place.
    const QLineF line(m_path.first(), m_path.last());
    QPointF normal(0, 1);
    if (line.length() > 0)
        normal = QPointF(-(line.dy()), line.dx()) / line.length();
    if (normal.y() < 0 || (qFuzzyIsNull(normal.y()) && normal.x() < 0))
        normal = -normal; // try below (or right of) the line first
    constexpr double step = 2 * TwipsPerPixel;
    for (double distance = step; distance < 400 * TwipsPerPixel; distance += step) {
        for (const double sign : {1.0, -1.0}) {
            const QRectF moved = centred.translated(normal * distance * sign);
            if (clear(moved)) {
                m_label = moved;
                return;
            }
        }
    }
}

QRectF FlowLinkItem::boundingRect() const
{
    const double margin = PickWidth;
    QRectF r = m_path.boundingRect().united(m_head.boundingRect());
    r = r.adjusted(-margin, -margin, margin, margin);
    if (m_label.isEmpty())
        return r;
    return r.united(m_label).united(QRectF(m_anchor, QSizeF(1, 1)));
}

QPainterPath FlowLinkItem::shape() const
{
    QPainterPath line;
    if (m_path.size() >= 2) {
        line.addPolygon(m_path);
        QPainterPathStroker stroker;
        stroker.setWidth(PickWidth);
        line = stroker.createStroke(line);
        line.addPolygon(m_head);
    }
    if (!m_label.isEmpty())
        line.addRect(m_label);
    return line;
}

void FlowLinkItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* /*widget*/)
{
    if (m_path.size() < 2)
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QPalette palette = QApplication::palette();
    const QColor colour = ColourFromValue(m_color);
    const bool selected = option->state & QStyle::State_Selected;
    painter->setPen(
        QPen(colour, (selected ? 3.0 : 1.5) * TwipsPerPixel, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter->setBrush(Qt::NoBrush);
    painter->drawPolyline(m_path);
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
        painter->setFont(LabelFont());
        painter->setPen(palette.color(QPalette::Active, QPalette::Text));
        painter->drawText(QRectF(0, 0, label.width() / TwipsPerPixel, label.height() / TwipsPerPixel),
                          Qt::AlignCenter, m_text);
    }
    painter->restore();
}

} // namespace korvel
