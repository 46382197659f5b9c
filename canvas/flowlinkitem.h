#pragma once

#include <QFont>
#include <QGraphicsObject>
#include <QLineF>
#include <QPainterPath>
#include <QPolygonF>
#include <QString>
#include <memory>

namespace korvel {

class FlowScene;
class FlowNodeItem;
class PlainSketch;

// Link colours as 32-bit colour values: 0x00BBGGRR, or a system colour (high bit set, index in
// the low byte).
inline constexpr quint32 LinkColorRed = 255;                // always-open link
inline constexpr quint32 LinkColorConditional = 0x80000001; // system "desktop" colour: conditional link

// The screen colour of a colour value; system colours come from the application palette
// (index 1, the desktop, is the palette's Highlight).
QColor ColourFromValue(quint32 value);

// The font of link captions: `base` (the application's font) at a fixed pixel size; and the room
// kept around a caption's text, pixels.
QFont LabelFont(const QFont& base);
inline constexpr double LabelPaddingPixels = 3.0;

// The colour of a link by its AlwaysOpen value: 0 is red, anything else the conditional colour.
constexpr quint32 LinkColorFor(qint32 alwaysOpen)
{
    return alwaysOpen == 0 ? LinkColorRed : LinkColorConditional;
}

// An arrow from one canvas node to another, its text drawn on a background at the middle of the
// line, or where the scene finds room for it (see FlowScene): along the line, or aside of it with a
// dotted leader. A link that runs right to left and whose straight line would cross other steps
// goes round them: up from its start, across above them, down into its end.
// Created by FlowNodeItem::AddLink; the scene owns it. It goes with either of its nodes.
class FlowLinkItem final : public QGraphicsObject {
    Q_OBJECT
public:
    enum { Type = UserType + 2 };
    int type() const override { return Type; }

    FlowLinkItem(FlowNodeItem& org, FlowNodeItem& dst);
    ~FlowLinkItem() override;

    QString Key() const { return m_key; }
    void setKey(const QString& key);
    quint32 Color() const { return m_color; }
    void setColor(quint32 oleColor);
    QString Text() const { return m_text; }
    void setText(const QString& text);
    // A conditional link's condition in short form, drawn after the text on the same caption;
    // empty for none.
    QString Condition() const { return m_condition; }
    void setCondition(const QString& condition);
    FlowNodeItem* Org() const { return m_org; }
    FlowNodeItem* Dst() const { return m_dst; }
    // The line as drawn (scene coordinates): two points, the way round the steps of a link running
    // back, or the loop of a link to its own node.
    const QPolygonF& Path() const { return m_path; }
    // The caption's box (scene coordinates); empty without text.
    QRectF CaptionBox() const { return m_label; }

    // Recomputes the arrow after one of its nodes moved.
    void updatePosition();

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant& value) override;

private:
    friend class FlowScene;
    friend class FlowNodeItem;
    // Called by a node that is going away, so the link never points at a deleted node.
    void forgetNode(FlowNodeItem* node);
    // Lays the line out for the ends' boxes; `again` also when they did not move (steps near a
    // link that goes round them moved).
    void layOutLine(bool again = false);
    void routeAgain();
    // True for a link to another node that runs right to left: it may have to go round steps.
    bool runsBack() const;
    // True when the line as drawn runs through a step other than its ends.
    bool crossesSteps() const;
    // The way round the steps between the ends, when the straight line would cross one.
    QPolygonF detour(const QPointF& from, const QPointF& to);
    // Puts the caption at the middle of the line and has the scene find it a place.
    void placeLabel();
    // Finds the caption a place where it covers no other caption and no step: the middle of the
    // line, places along it, then aside of it at growing distances; the first free one, else the
    // least covered. Returns how much of it is covered there (area, twips²).
    double findCaptionPlace();
    // The segment the caption belongs to: the line, the top of a loop, the part across the steps.
    QLineF mainSegment() const;
    // The box around line, head and caption, with room for picking the line.
    QRectF outerBounds() const;
    // Every geometry change goes through here: `change` alters the line or the caption.
    template <typename Change> void changeGeometry(Change&& change);
    // The caption's size in twips, measured again only when the text or the font changed.
    QSizeF labelSize();
    // What the caption shows: the text, then the condition.
    QString shownText() const;
    // Adds the plain drawing (zoomed far out, `scale` screen pixels per pixel) to the sketch.
    void sketch(PlainSketch& sketch, double scale, bool selected) const;

    FlowScene* m_scene = nullptr;
    quint64 m_serial = 0; // the scene's collection number; 0 while not in the collection
    FlowNodeItem* m_org = nullptr;
    FlowNodeItem* m_dst = nullptr;
    QString m_key, m_text, m_condition;
    quint32 m_color = LinkColorRed;
    QPolygonF m_path;             // the line (or the loop of a link to its own node), in scene coordinates
    QPolygonF m_head;             // the arrow head
    qsizetype m_main = 0;         // where mainSegment() starts in m_path
    quint64 m_routedAt = 0;       // the scene's count of box changes when the way was last taken,
    quint64 m_shiftedAt = 0;      // and when it was last moved with its steps
    QPointF m_anchor;             // the point of the line the caption belongs to
    QRectF m_label;               // the caption's box, empty without text
    QRectF m_orgBox, m_dstBox;    // the two ends' boxes the line was laid out for
    QRectF m_bounds;              // boundingRect(), kept with the geometry
    QSizeF m_labelSize;           // the caption's measured size, twips; empty until measured
    QFont m_labelFont;            // the application font it was measured with
    mutable QPainterPath m_shape; // shape(), made on first use after a geometry change
    // The caption laid out for m_labelSize and the painter's direction; none until first painted.
    struct Caption;
    mutable std::unique_ptr<Caption> m_caption;
};

} // namespace korvel
