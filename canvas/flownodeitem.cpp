#include "canvas/flownodeitem.h"

#include "canvas/captionlayout.h"
#include "canvas/designericons.h"
#include "canvas/flowscene.h"
#include "canvas/flowlinkitem.h"
#include "canvas/plainsketch.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>
#include <QStyleOptionGraphicsItem>
#include <QtMath>

namespace korvel {
namespace {

// Drawing sizes in pixels; the item paints in a pixel-sized frame (see paint()).
constexpr double PicturePixels = 16.0;
constexpr double PaddingPixels = 4.0;
constexpr double FontPixels = 12.0;
constexpr double MinFontPixels = 8.0;

struct Colours {
    QColor fill, border;
};

Colours ShapeColours(qint32 shape)
{
    switch (shape) {
    case ShapeStart:
        return {QColor(0x8f, 0xd1, 0x7f), QColor(0x2b, 0x6e, 0x1f)};
    case ShapeEnd:
        return {QColor(0xf4, 0x93, 0x8c), QColor(0x9b, 0x1c, 0x14)};
    case ShapeGroup:
        return {QColor(0xdb, 0xe8, 0xf7), QColor(0x3a, 0x6e, 0xa5)};
    case ShapeHandler:
        return {QColor(0xff, 0xf1, 0xb8), QColor(0x9c, 0x78, 0x00)};
    case ShapeReturn:
        return {QColor(0xff, 0xdd, 0xc4), QColor(0xb8, 0x55, 0x00)};
    default:
        return {QColor(Qt::white), QColor(0x55, 0x55, 0x55)};
    }
}

bool IsEllipse(qint32 shape)
{
    return shape == ShapeStart || shape == ShapeEnd;
}

} // namespace

struct FlowNodeItem::Caption {
    Caption(const QString& shown, const QFont& font, const QFont& madeFrom, const QRectF& box,
            Qt::LayoutDirection towards)
        : base(madeFrom), area(box), direction(towards), layout(shown, font, box, true, towards)
    {
    }
    QFont base; // the application font the caption's font was made from
    QRectF area;
    Qt::LayoutDirection direction;
    CaptionLayout layout;
};

double PixelScale(const QPainter& painter)
{
    return QStyleOptionGraphicsItem::levelOfDetailFromTransform(painter.worldTransform()) * TwipsPerPixel;
}

FlowNodeItem::FlowNodeItem(FlowScene& scene, double width, double height)
    : m_scene(scene), m_width(width), m_height(height)
{
    setFlags(ItemIsSelectable | ItemSendsGeometryChanges);
    updateMovable();
    setZValue(ZNode);
}

FlowNodeItem::~FlowNodeItem()
{
    // When the whole scene goes, every link goes too: nothing needs to be let go one by one.
    if (m_scene.clearing())
        return;
    // Links still attached must not keep a pointer to this node.
    for (FlowLinkItem* link : std::as_const(m_links))
        link->forgetNode(this);
    m_scene.forgetNode(this);
}

void FlowNodeItem::setKey(const QString& key)
{
    if (key == m_key)
        return;
    const QString old = m_key;
    m_key = key;
    m_scene.nodeKeyChanged(this, old);
}

void FlowNodeItem::setText(const QString& text)
{
    if (text != m_text)
        m_caption.reset();
    m_text = text;
    update();
}

void FlowNodeItem::setSecondaryText(const QString& text)
{
    m_secondaryText = text;
}

void FlowNodeItem::setPicture(const QString& key)
{
    m_picture = key;
    update();
}

void FlowNodeItem::setShape(qint32 code)
{
    m_shape = code;
    m_outline = QPainterPath();
    updateMovable();
    update();
}

void FlowNodeItem::updateMovable()
{
    // Start and End keep their places: they are no steps of the frame, so a move of theirs could
    // never be recorded.
    setFlag(ItemIsMovable, m_scene.EditMode() && !IsEllipse(m_shape));
}

int FlowNodeItem::Index() const
{
    return m_scene.IndexOf(this);
}

FlowLinkItem* FlowNodeItem::AddLink(FlowNodeItem* to)
{
    if (!to)
        return nullptr;
    auto* link = new FlowLinkItem(*this, *to);
    link->updatePosition();
    if (scene())
        scene()->addItem(link);
    m_scene.registerLink(link);
    return link;
}

void FlowNodeItem::attachLink(FlowLinkItem* link)
{
    m_links.append(link);
}

void FlowNodeItem::detachLink(FlowLinkItem* link)
{
    m_links.removeOne(link);
}

QList<FlowLinkItem*> FlowNodeItem::takeLinks()
{
    return std::exchange(m_links, {});
}

QPointF FlowNodeItem::EdgePoint(const QPointF& target) const
{
    const QPointF c = Centre();
    const QPointF d = target - c;
    const double hw = m_width / 2, hh = m_height / 2;
    if ((qFuzzyIsNull(d.x()) && qFuzzyIsNull(d.y())) || hw <= 0 || hh <= 0)
        return c;
    double s;
    if (IsEllipse(m_shape)) {
        s = 1.0 / std::sqrt((d.x() / hw) * (d.x() / hw) + (d.y() / hh) * (d.y() / hh));
    } else {
        const double sx = qFuzzyIsNull(d.x()) ? std::numeric_limits<double>::max() : hw / std::abs(d.x());
        const double sy = qFuzzyIsNull(d.y()) ? std::numeric_limits<double>::max() : hh / std::abs(d.y());
        s = std::min(sx, sy);
    }
    return c + d * std::min(s, 1.0);
}

const QPainterPath& FlowNodeItem::outline() const
{
    if (!m_outline.isEmpty())
        return m_outline;
    QPainterPath path;
    const QRectF r(0, 0, m_width, m_height);
    switch (m_shape) {
    case ShapeStart:
    case ShapeEnd:
        path.addEllipse(r);
        break;
    case ShapeHandler: {
        const double radius = std::min(m_width, m_height) / 4;
        path.addRoundedRect(r, radius, radius);
        break;
    }
    case ShapeReturn: {
        const double inset = std::min(m_width / 4, m_height / 2);
        QPolygonF hexagon;
        hexagon << QPointF(inset, 0) << QPointF(m_width - inset, 0) << QPointF(m_width, m_height / 2)
                << QPointF(m_width - inset, m_height) << QPointF(inset, m_height) << QPointF(0, m_height / 2);
        path.addPolygon(hexagon);
        path.closeSubpath();
        break;
    }
    default:
        path.addRect(r);
        break;
    }
    m_outline = path;
    return m_outline;
}

QRectF FlowNodeItem::boundingRect() const
{
    // Room for the outline pen and the selection frame, in twips.
    const double margin = 4 * TwipsPerPixel;
    return QRectF(-margin, -margin, m_width + 2 * margin, m_height + 2 * margin);
}

QPainterPath FlowNodeItem::shape() const
{
    QPainterPath path;
    path.addRect(QRectF(0, 0, m_width, m_height));
    return path;
}

void FlowNodeItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* /*widget*/)
{
    const bool selected = option->state & QStyle::State_Selected;
    if (!PaintsDetail(*painter)) {
        PlainSketch plain;
        sketch(plain, QPointF(0, 0), selected);
        plain.Draw(*painter);
        return;
    }
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const Colours colours = ShapeColours(m_shape);
    painter->setPen(QPen(colours.border, 1.5 * TwipsPerPixel));
    painter->setBrush(colours.fill);
    painter->drawPath(outline());
    if (m_shape == ShapeEnd) {
        const double inset = 3 * TwipsPerPixel;
        painter->setBrush(Qt::NoBrush);
        painter->drawEllipse(QRectF(inset, inset, m_width - 2 * inset, m_height - 2 * inset));
    }

    // Captions and pictures are laid out in pixels: scaling the painter back keeps the glyphs at
    // their normal size and hinting whatever the scene unit is.
    painter->scale(TwipsPerPixel, TwipsPerPixel);
    QRectF area(0, 0, m_width / TwipsPerPixel, m_height / TwipsPerPixel);
    area.adjust(PaddingPixels, PaddingPixels / 2, -PaddingPixels, -PaddingPixels / 2);
    if (m_shape == ShapeReturn)
        area.adjust(PaddingPixels, 0, -PaddingPixels, 0);
    if (!m_picture.isEmpty() && area.width() > PicturePixels) {
        const QRectF pictureRect(area.left(), area.center().y() - PicturePixels / 2, PicturePixels,
                                 PicturePixels);
        if (PaintDesignerPicture(*painter, m_picture, pictureRect))
            area.setLeft(pictureRect.right() + PaddingPixels / 2);
    }
    painter->setPen(QApplication::palette().color(QPalette::Active, QPalette::Text));
    caption(area, painter->layoutDirection()).layout.Draw(*painter);

    if (selected) {
        // A one-pixel dashed frame at any zoom: such a line is drawn directly, where a wider one
        // is stroked as a path (the larger part of drawing a selected step).
        QPen frame(QApplication::palette().color(QPalette::Active, QPalette::Highlight), 1, Qt::DashLine);
        frame.setCosmetic(true);
        painter->setPen(frame);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(QRectF(-2, -2, m_width / TwipsPerPixel + 4, m_height / TwipsPerPixel + 4));
    }
    painter->restore();
}

void FlowNodeItem::sketch(PlainSketch& sketch, const QPointF& origin, bool selected) const
{
    // Too small to read: a box in the figure's colours, whatever the figure.
    const Colours colours = ShapeColours(m_shape);
    const QRectF box(origin, QSizeF(m_width, m_height));
    sketch.AddBox(box, colours.border, colours.fill);
    if (selected) {
        const double margin = 2 * TwipsPerPixel;
        sketch.AddFrame(box.adjusted(-margin, -margin, margin, margin),
                        QApplication::palette().color(QPalette::Active, QPalette::Highlight));
    }
}

const FlowNodeItem::Caption& FlowNodeItem::caption(const QRectF& area, Qt::LayoutDirection direction) const
{
    const QFont base = QApplication::font();
    if (m_caption && area == m_caption->area && direction == m_caption->direction && base == m_caption->base)
        return *m_caption;
    // The caption wraps at blanks; a long one is drawn smaller, and only then cut short.
    QFont font = base;
    const QRect box = area.toAlignedRect();
    QString shown = m_text;
    for (double pixels = FontPixels;; pixels -= 1) {
        font.setPixelSize(static_cast<int>(pixels));
        const QFontMetricsF metrics(font);
        const QRectF needed = metrics.boundingRect(box, Qt::AlignCenter | Qt::TextWordWrap, m_text);
        if (needed.width() <= area.width() && needed.height() <= area.height())
            break;
        if (pixels <= MinFontPixels) {
            shown = metrics.elidedText(m_text, Qt::ElideRight, area.width());
            break;
        }
    }
    m_caption = std::make_unique<Caption>(shown, font, base, area, direction);
    return *m_caption;
}

QVariant FlowNodeItem::itemChange(GraphicsItemChange change, const QVariant& value)
{
    if (change == ItemPositionChange) {
        if (m_serial != 0)
            m_scene.itemLeaving(sceneBoundingRect());
        if (flags() & ItemIsMovable)
            return QGraphicsObject::itemChange(change, m_scene.dragPlace(*this, value.toPointF()));
    } else if (change == ItemPositionHasChanged) {
        if (m_serial != 0)
            m_scene.itemArrived(sceneBoundingRect());
        m_scene.stepMoved(*this);
    } else if (change == ItemSelectedHasChanged) {
        m_scene.selectionMoved(this, value.toBool());
    }
    return QGraphicsObject::itemChange(change, value);
}

void SetNodeAppearance(FlowNodeItem& node, const QString& returnOldStepID, const QString& handleByID)
{
    if (!returnOldStepID.isEmpty()) {
        node.setPicture(QStringLiteral("Return"));
        node.setShape(ShapeReturn);
    } else if (!handleByID.isEmpty()) {
        node.setPicture(QStringLiteral("By"));
        node.setShape(ShapeHandler);
    } else {
        node.setPicture(QStringLiteral("Group"));
        node.setShape(ShapeGroup);
    }
}

} // namespace korvel
