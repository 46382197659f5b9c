#pragma once

#include "canvas/flowscene.h"

#include <QGraphicsView>
#include <QPoint>
#include <QPointF>
#include <QPointer>
#include <QSet>
#include <QString>
#include <functional>
#include <optional>

class QKeyEvent;

namespace korvel {

// A FlowScene on the screen: the scene works in twips and the view shows it scaled to pixels
// (times the user's zoom, changed with Ctrl + mouse wheel). An item's tool tip
// (QGraphicsItem::toolTip) is shown while the mouse rests on it; a node without one shows its
// secondary text. A drag on the empty canvas selects what the band encloses wholly, a click on an
// item selects it. While the scene is editable, the mouse resting on a step shows its connection
// handles, small marks just outside the middle of its sides (none on End): a drag from one (or from
// anywhere on a step with the link tool) draws a line to another node and asks for a link between
// them (ConnectRequested); a press on the step itself selects and moves it. The arrow keys ask to
// move the selection. The window learns what the user did through the signals; it never reaches
// into the items. When zoomed out below MinDetailScale the whole flow is drawn plain, without
// texts and pictures, in a few calls (see paintEvent()).
class FlowView final : public QGraphicsView {
    Q_OBJECT
public:
    // A view of a scene of its own.
    explicit FlowView(QWidget* parent = nullptr);
    // A view of `scene`, which must outlive it.
    explicit FlowView(FlowScene& scene, QWidget* parent = nullptr);
    ~FlowView() override;

    FlowScene& Scene() const { return *m_scene; }

    // Where the tool tip of a node or link comes from when the mouse rests on it; an empty answer
    // (or no source) falls back to the item's own tool tip, then to a node's secondary text.
    void setToolTipSource(std::function<QString(const QGraphicsItem& item)> source)
    {
        m_toolTipSource = std::move(source);
    }
    QString ToolTipOf(const QGraphicsItem& item) const;
    // While on, a press on any step starts a link instead of a move (see ConnectRequested).
    bool LinkTool() const { return m_linkTool; }
    void setLinkTool(bool on) { m_linkTool = on; }
    // True when a press at `scenePos` starts a link from `node`: the link tool is on and the point
    // lies on the node, or it lies on a connection handle the node shows.
    bool StartsLink(const FlowNodeItem& node, const QPointF& scenePos) const;
    // The step whose connection handles show (the mouse rests on it or on them); nullptr when none.
    FlowNodeItem* HandleNode() const { return m_handleNode; }
    // The centres of a node's connection handles, scene coordinates: right, below, left, above.
    QList<QPointF> ConnectHandles(const FlowNodeItem& node) const;
    // Where the mouse is on the canvas (scene coordinates); none while it is elsewhere.
    std::optional<QPointF> MouseScenePos() const;
    // The node (box) at a point of the viewport, nullptr when none.
    FlowNodeItem* NodeAt(const QPoint& viewportPos) const;

    // The zoom factor on top of the twips-to-pixels scale (1 = 15 twips per pixel).
    double Zoom() const { return m_zoom; }
    // Clamped to 0.25 … 4.
    void setZoom(double zoom);
    // Zooms so the whole flow fits the view (never above 1, and down to 0.02 for a large flow) and
    // shows it from its top left corner.
    void ZoomToFit();

signals:
    void DblClick();
    // A double click with the left button where there is no node or link (scene twips).
    void EmptyDblClick(QPointF scenePos);
    // A drag from a node's connection handle (or from anywhere on it with the link tool) ended on a
    // node: another one, or the same after the mouse went some way; keys.
    void ConnectRequested(QString fromKey, QString toKey);
    // An arrow key pressed while the scene is editable and steps are selected: move them by
    // `delta` twips (a grid step, ten with Shift).
    void MoveKeys(QPointF delta);
    // Any mouse button pressed on the canvas, after the selection has followed the click.
    void MouseDown(Qt::MouseButton button, QPoint globalPos);
    void MouseUp(Qt::MouseButton button);
    // The selected items of the scene changed (by the mouse, the keys or SelectItem).
    void SelectionChanged();
    void ZoomChanged(double zoom);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void drawBackground(QPainter* painter, const QRectF& rect) override;
    void drawForeground(QPainter* painter, const QRectF& rect) override;
    void wheelEvent(QWheelEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void setUp();
    void finishConnect(const QPoint& viewportPos);
    // The node whose handles show, nullptr for none: the places they left and came to are drawn
    // again. Also called with the node they show for, to follow it when it moved.
    void setHandleNode(FlowNodeItem* node);
    // What a node's handles cover, scene coordinates.
    QRectF handleArea(const FlowNodeItem& node) const;
    // True when `scenePos` is on one of the node's handles.
    bool onHandle(const FlowNodeItem& node, const QPointF& scenePos) const;
    // The line drawn while a link is dragged out, scene coordinates.
    QLineF connectLine() const;
    // What that line covers, to be drawn again when it changes.
    QRectF connectArea() const;
    void applyZoom(double zoom);

    QPointer<FlowScene> m_scene;
    std::function<QString(const QGraphicsItem&)> m_toolTipSource;
    bool m_linkTool = false;
    // The link being drawn by a drag: from this node to this point (scene coordinates); drawn over
    // the items, not one of them, so the scene holds only the flow.
    QPointer<FlowNodeItem> m_connectFrom;
    QPointF m_connectTo;
    QPoint m_connectPress; // where that drag began, viewport pixels
    // The node showing its handles, and the area they were drawn in (empty for none).
    QPointer<FlowNodeItem> m_handleNode;
    QRectF m_handleArea;
    // The selection a band adds to (with Ctrl), taken as it starts.
    QSet<QGraphicsItem*> m_bandKept;
    // The mouse on the viewport, pixels; none once it left.
    std::optional<QPoint> m_mouseAt;
    double m_zoom = 1.0;
};

} // namespace korvel
