#pragma once

#include "designer/flowlinkitem.h"
#include "designer/flownodeitem.h"

#include <QFont>
#include <QGraphicsView>
#include <QHash>
#include <QList>
#include <QMultiHash>
#include <QPoint>
#include <QPointer>
#include <QRectF>
#include <QString>
#include <functional>
#include <map>

class QFontMetricsF;
class QGraphicsLineItem;
class QGraphicsScene;
class QImage;
class QKeyEvent;

namespace korvel {

// Twips per screen pixel at 96 dpi.
inline constexpr double TwipsPerPixel = 15.0;

// The flow diagram: nodes (boxes) joined by links (arrows). Positions and sizes are twips; the
// scene works in twips and the view shows it scaled to pixels (times the user's zoom, changed
// with Ctrl + mouse wheel). An item's tool tip (QGraphicsItem::toolTip) is shown while the mouse
// rests on it; a node without one shows its secondary text. Nodes can be moved with the mouse only while the edit switch is on.
// A drag on the empty canvas selects with a band; while the canvas is editable, a drag from the thin
// band inside a node's outline (anywhere on it with the link tool) draws a line to another node and
// asks for a link between them (ConnectRequested), and the arrow keys ask to move the selection.
// The window learns what the user did through the signals; it never reaches into the items.
//
// Flows of thousands of steps stay quick: items are found by key through hash indexes, removing
// one costs no search of the collections, the scene's size follows the items that were added,
// moved or removed instead of measuring them all, and when zoomed out below MinDetailScale the
// whole flow is drawn plain, without texts and pictures, in a few calls (see paintEvent()).
class FlowCanvas final : public QGraphicsView {
    Q_OBJECT
public:
    // While one lives, adding and removing items leaves the scene's size alone; it is worked out
    // once when the last one ends. Drawing a whole flow runs inside one.
    class BulkChange final {
    public:
        explicit BulkChange(FlowCanvas& canvas);
        ~BulkChange();
        BulkChange(const BulkChange&) = delete;
        BulkChange& operator=(const BulkChange&) = delete;

    private:
        FlowCanvas& m_canvas;
    };

    explicit FlowCanvas(QWidget* parent = nullptr);
    ~FlowCanvas() override;

    // Adds a node at the given place and size (twips) at the end of the node collection.
    FlowNodeItem* AddNode(double left, double top, double width, double height);
    // Removes every node; their links go with them.
    void RemoveAllNodes();
    // Removes the node at `index` of the collection with its links; an index out of range throws
    // KorvelError.
    void RemoveNode(int index);
    // The first node (link) in collection order with exactly this key; nullptr when none.
    FlowNodeItem* NodeByKey(const QString& key) const;
    FlowLinkItem* LinkByKey(const QString& key) const;
    QList<FlowNodeItem*> Nodes() const;         // in collection order
    QList<FlowLinkItem*> Links() const;         // in creation order
    FlowNodeItem* SelectedNode() const;         // nullptr when none
    QList<FlowNodeItem*> SelectedNodes() const; // in collection order
    FlowLinkItem* SelectedLink() const;         // nullptr when none
    // Where the tool tip of a node or link comes from when the mouse rests on it; an empty answer
    // (or no source) falls back to the item's own tool tip, then to a node's secondary text.
    void setToolTipSource(std::function<QString(const QGraphicsItem& item)> source)
    {
        m_toolTipSource = std::move(source);
    }
    QString ToolTipOf(const QGraphicsItem& item) const;
    // Makes `item` the only selected item; nullptr clears the selection.
    void SelectItem(QGraphicsItem* item);
    bool EditMode() const { return m_editMode; }
    void setEditMode(bool on);
    QString Tag() const { return m_tag; }
    void setTag(const QString& tag) { m_tag = tag; }
    // Removes the selected links, and the selected nodes with their links.
    void DeleteSelectedItems();
    // Removes one link.
    void RemoveLink(FlowLinkItem* link);
    // Selects every node and link except Start and End.
    void SelectAllSteps();

    // The grid: one step is GridTwips; while it shows, a node dragged with the mouse snaps to it.
    static constexpr double GridTwips = 150;
    bool GridVisible() const { return m_grid; }
    void setGridVisible(bool on);
    // While on, a press on any step starts a link instead of a move (see ConnectRequested).
    bool LinkTool() const { return m_linkTool; }
    void setLinkTool(bool on) { m_linkTool = on; }
    // True when a press at `scenePos` on `node` starts a link: the link tool is on, or the point
    // lies in the thin band just inside the node's outline.
    bool StartsLink(const FlowNodeItem& node, const QPointF& scenePos) const;
    // The node (box) at a point of the viewport, nullptr when none.
    FlowNodeItem* NodeAt(const QPoint& viewportPos) const;
    // A picture of the nodes and the links between them as the canvas draws them (without the
    // selection marks), at the canvas's zoom; null when `nodes` is empty.
    QImage RenderNodes(const QList<FlowNodeItem*>& nodes);
    // The canvas's width on the window, in twips.
    double WidthTwips() const { return width() * TwipsPerPixel; }

    // The node's position in the collection; -1 when it is not (or no longer) in it.
    int IndexOf(const FlowNodeItem* node) const;
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
    // A drag from one node (its edge band, or anywhere with the link tool) ended on another; keys.
    void ConnectRequested(QString fromKey, QString toKey);
    // An arrow key pressed while the canvas is editable and steps are selected: move them by
    // `delta` twips (a grid step, ten with Shift).
    void MoveKeys(QPointF delta);
    // Any mouse button pressed on the canvas, after the selection has followed the click.
    void MouseDown(Qt::MouseButton button, QPoint globalPos);
    void MouseUp(Qt::MouseButton button);
    // The selected items changed (by the mouse, the keys or SelectItem).
    void SelectionChanged();
    void ZoomChanged(double zoom);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void drawBackground(QPainter* painter, const QRectF& rect) override;
    void wheelEvent(QWheelEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    friend class FlowNodeItem;
    friend class FlowLinkItem;
    // Bookkeeping the items call: joining and leaving the collections, new keys, and geometry
    // (a box before it changes or goes, and after it changed or came).
    void registerLink(FlowLinkItem* link);
    void forgetLink(FlowLinkItem* link);
    void forgetNode(FlowNodeItem* node);
    void nodeKeyChanged(FlowNodeItem* node, const QString& oldKey);
    void linkKeyChanged(FlowLinkItem* link, const QString& oldKey);
    void itemLeaving(const QRectF& before);
    void itemArrived(const QRectF& after);
    // The place a dragged node goes to: snapped to the grid while a mouse drag runs with the grid on.
    QPointF dragPlace(const QPointF& wanted) const;
    void finishConnect(const QPoint& viewportPos);
    // True while the whole scene is being emptied: items then skip letting go of each other.
    bool clearing() const { return m_clearing; }
    // metrics.horizontalAdvance(text) for `font`, remembered by text (see m_captionWidths).
    double captionWidth(const QFontMetricsF& metrics, const QFont& font, const QString& text);

    // The item with exactly this key that came first into its collection.
    template <typename Item>
    static Item* firstWithKey(const QMultiHash<QString, Item*>& index, const std::map<quint64, Item*>& items,
                              const QString& key);
    bool holds(const FlowNodeItem* node) const;
    bool holds(const FlowLinkItem* link) const;
    void deleteNode(FlowNodeItem* node);
    void clearScene();
    void updateSceneRect();
    void applyZoom(double zoom);

    QGraphicsScene* m_scene = nullptr; // child of the view
    // The collections by serial number, which grows with every item added: collection order.
    std::map<quint64, FlowNodeItem*> m_nodes;
    std::map<quint64, FlowLinkItem*> m_links;
    quint64 m_lastSerial = 0;
    // Items with a key by key; several may share one.
    QMultiHash<QString, FlowNodeItem*> m_nodesByKey;
    QMultiHash<QString, FlowLinkItem*> m_linksByKey;
    // The box around every item, as QGraphicsScene::itemsBoundingRect() would give it. Stale when
    // an item on its edge moved or went; it is then measured again from all items.
    QRectF m_extent;
    bool m_extentStale = false;
    // Link captions' widths in pixels by text, for m_captionFont. Measuring shapes the text, the
    // dearest part of adding a link, and captions repeat ("Yes", "No", "Approved").
    QHash<QString, double> m_captionWidths;
    QFont m_captionFont;
    int m_bulkChanges = 0;
    bool m_clearing = false;
    std::function<QString(const QGraphicsItem&)> m_toolTipSource;
    bool m_editMode = false;
    bool m_grid = false;
    bool m_linkTool = false;
    bool m_mouseDrag = false; // the left button is down after a press that may move nodes
    // The link being drawn by a drag: from this node, shown as this line (owned by the scene).
    QPointer<FlowNodeItem> m_connectFrom;
    QGraphicsLineItem* m_connectLine = nullptr;
    QString m_tag;
    double m_zoom = 1.0;
};

} // namespace korvel
