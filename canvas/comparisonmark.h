#pragma once

#include <QGraphicsObject>
#include <QPainterPath>
#include <QPolygonF>
#include <QRectF>
#include <QString>

namespace korvel {

// One mark of a comparison drawn over a flow (see ComparisonLayer): an outline around a step's box,
// a ghost where a removed step stood, a band along a link, a faded line where a removed link ran, or
// the thin line from a moved step's old place to its new one. The mouse never finds it (its shape
// is empty), so clicks, the selection band and tool tips reach the items below as if it were not
// there; it is never selectable or movable.
class ComparisonMark final : public QGraphicsObject {
    Q_OBJECT
public:
    enum { Type = UserType + 3 };
    int type() const override { return Type; }

    // What the mark says, which decides its colour: added green, removed red, changed orange, moved
    // violet. Each reads on a light and a dark canvas and printed in grey.
    enum class Look { Added, Removed, Changed, Moved };
    // Around `box` (a step's, in scene coordinates): tinted for an added step, with a badge for a
    // changed one, dashed for the old place of a moved one, and a faded dashed ghost with `caption`
    // for a removed one.
    static ComparisonMark* Box(Look look, const QRectF& box, const QString& caption = QString());
    // Along `line` (scene coordinates): a broad band under an added or changed link, a faded dashed
    // arrow for a removed one, a thin dotted line for a move.
    static ComparisonMark* Line(Look look, const QPolygonF& line);
    // A changed link's badge, over the link a quarter of the way along `line`: clear of the
    // caption in its middle.
    static ComparisonMark* Badge(const QPolygonF& line);

    Look MarkLook() const { return m_look; }
    // The box the mark is drawn around, or the line's box.
    QRectF Area() const { return m_area; }
    // The chosen mark is drawn stronger (a ghost fully opaque) and framed in the highlight colour.
    bool Chosen() const { return m_chosen; }
    void setChosen(bool on);

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    ComparisonMark(Look look, bool box, const QRectF& area);
    // The look's colour, faded for a ghost that is not chosen.
    QColor colourNow() const;
    void paintBox(QPainter& painter) const;
    void paintLine(QPainter& painter) const;

    Look m_look;
    bool m_box;        // a box mark; else a line
    QRectF m_area;     // the step's box, or the line's box
    QPolygonF m_line;  // a line mark's points; a badge's one point
    QString m_caption; // a ghost's step name
    bool m_chosen = false;
};

} // namespace korvel
