#pragma once

#include <QGraphicsObject>
#include <QList>
#include <QPainterPath>
#include <QString>
#include <memory>

class QPainter;

namespace korvel {

class FlowScene;
class FlowLinkItem;
class PlainSketch;

// Shape codes of canvas nodes.
inline constexpr qint32 ShapeStart = 74;
inline constexpr qint32 ShapeEnd = 68;
inline constexpr qint32 ShapeGroup = 9;
inline constexpr qint32 ShapeHandler = 10;
inline constexpr qint32 ShapeReturn = 2;

// Stacking order on the canvas: arrows under the boxes they join (their captions are placed where no
// box covers them, see FlowScene).
inline constexpr qreal ZLink = 1.0;
inline constexpr qreal ZNode = 2.0;

// Below this many screen pixels per pixel of the drawing (the zoom) captions would be too small to
// read: nodes and links are then drawn as plain boxes and lines, without texts and pictures.
inline constexpr double MinDetailScale = 0.5;

// Screen pixels per pixel of the drawing for an item painted with this painter.
double PixelScale(const QPainter& painter);
// True when the painter draws at a scale that shows captions and pictures (see MinDetailScale).
inline bool PaintsDetail(const QPainter& painter)
{
    return PixelScale(painter) >= MinDetailScale;
}

// One box of the flow canvas. Scene coordinates are twips, so Left/Top/Width/Height are the item's
// own geometry. The canvas creates nodes (FlowScene::AddNode) and the scene owns them; a node
// knows its links and keeps their ends on its outline while it moves.
class FlowNodeItem final : public QGraphicsObject {
    Q_OBJECT
public:
    enum { Type = UserType + 1 };
    int type() const override { return Type; }

    FlowNodeItem(FlowScene& scene, double width, double height);
    ~FlowNodeItem() override;

    QString Key() const { return m_key; }
    void setKey(const QString& key);
    // The caption drawn inside the figure.
    QString Text() const { return m_text; }
    void setText(const QString& text);
    // A second text, shown as the node's tool tip (see FlowView).
    QString SecondaryText() const { return m_secondaryText; }
    void setSecondaryText(const QString& text);
    double Left() const { return x(); }
    void setLeft(double twips) { setX(twips); }
    double Top() const { return y(); }
    void setTop(double twips) { setY(twips); }
    double Width() const { return m_width; }
    double Height() const { return m_height; }
    // "Return", "By", "Group" or "" (no picture): the small picture drawn beside the caption.
    QString Picture() const { return m_picture; }
    void setPicture(const QString& key);
    // ShapeStart, ShapeEnd, ShapeGroup, ShapeHandler or ShapeReturn; other codes draw a plain box.
    qint32 Shape() const { return m_shape; }
    void setShape(qint32 code);
    // Movable with the mouse while the scene is editable, except Start and End.
    void updateMovable();
    // Position in the scene's node collection; -1 once removed.
    int Index() const;
    // Adds an outgoing link to `to` (owned by the scene) and returns it; nullptr when `to` is null.
    FlowLinkItem* AddLink(FlowNodeItem* to);

    // The links that start or end here.
    const QList<FlowLinkItem*>& Links() const { return m_links; }
    // The point of this node's outline on the way from its centre towards `target` (scene coords).
    QPointF EdgePoint(const QPointF& target) const;
    QPointF Centre() const { return pos() + QPointF(m_width / 2, m_height / 2); }
    // The node's box in scene coordinates.
    QRectF SceneBox() const { return QRectF(pos(), QSizeF(m_width, m_height)); }

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant& value) override;

private:
    friend class FlowScene;
    friend class FlowLinkItem;
    void attachLink(FlowLinkItem* link);
    void detachLink(FlowLinkItem* link);
    // Hands the link list over and forgets it (the scene deletes a node's links this way).
    QList<FlowLinkItem*> takeLinks();
    // The figure in item coordinates, made on first use after the shape changed.
    const QPainterPath& outline() const;
    // A caption laid out, with what it was laid out for.
    struct Caption;
    // The caption laid out for `area` (pixels); laid out again only when the text, the area, the
    // application font or the direction changed.
    const Caption& caption(const QRectF& area, Qt::LayoutDirection direction) const;
    // Adds the plain drawing (zoomed far out) of the node placed at `origin` to the sketch.
    void sketch(PlainSketch& sketch, const QPointF& origin, bool selected) const;

    FlowScene& m_scene;
    quint64 m_serial = 0; // the scene's collection number; 0 while not in the collection
    QString m_key, m_text, m_secondaryText, m_picture;
    double m_width = 0, m_height = 0;
    qint32 m_shape = ShapeGroup;
    QList<FlowLinkItem*> m_links;
    mutable QPainterPath m_outline; // see outline(); empty until made
    // The caption as last laid out; none until first painted.
    mutable std::unique_ptr<Caption> m_caption;
};

// The one appearance rule for a node of a frame (drawing, adding and editing a node): a return
// step gives picture "Return" and shape 2, else a handler gives "By" and 10, else "Group" and 9.
void SetNodeAppearance(FlowNodeItem& node, const QString& returnOldStepID, const QString& handleByID);

} // namespace korvel
