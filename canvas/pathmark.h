#pragma once

#include <QGraphicsObject>
#include <QPainterPath>
#include <QPointer>
#include <QPolygonF>
#include <QRectF>
#include <QString>

namespace korvel {

// One mark of a work order's path drawn over a flow (see PathLayer), on one step or link of the
// scene: a band along a link followed, an outline around a step passed, a distinct mark where the
// path stops, a pale veil over a step never reached. Like a comparison's marks the mouse never finds
// it (its shape is empty) and it is never selectable or movable. It takes its item's geometry again
// once the events at hand are handled whenever a step it is on, or a step its link joins, moved: a
// link is laid out again only when a bulk change of the scene ends.
class PathMark final : public QGraphicsObject {
    Q_OBJECT
public:
    enum { Type = UserType + 4 };
    int type() const override { return Type; }

    enum class Look {
        Taken,     // a link followed: a band along it
        Passed,    // a step reached: an outline
        End,       // End reached: a double outline
        DeadEnd,   // a step with no open way on: a red outline with a stop badge
        Loop,      // the link that leads back to a step on the way: an orange dashed band with a badge
        Unreached, // a step never reached: veiled
    };
    // Marks `item`, a step (FlowNodeItem) or a link (FlowLinkItem) of the scene the mark is added to.
    PathMark(Look look, QGraphicsObject& item);

    Look MarkLook() const { return m_look; }
    // The key of the item marked ("N" + step ID, "L" + link code).
    const QString& ItemKey() const { return m_key; }
    // The step's box, or the box of the link's line, as the mark last took it (scene coordinates).
    QRectF Area() const { return m_area; }
    // The link's line as drawn; empty for a step's mark.
    const QPolygonF& Line() const { return m_line; }
    // Takes the item's geometry now when it changed; a mark whose item went hides.
    void Follow();

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    // Follow() once the events at hand are handled, however often asked before.
    void followSoon();
    void paintBox(QPainter& painter) const;
    void paintLine(QPainter& painter) const;

    Look m_look;
    QPointer<QGraphicsObject> m_item;
    QString m_key;
    QRectF m_area;
    QPolygonF m_line;
    bool m_followDue = false;
};

} // namespace korvel
