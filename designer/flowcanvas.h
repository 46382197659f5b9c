#pragma once

#include "designer/flowlinkitem.h"
#include "designer/flownodeitem.h"

#include <QGraphicsView>
#include <QList>
#include <QPoint>
#include <QString>

class QGraphicsScene;

namespace korvel {

// Twips per screen pixel at 96 dpi.
inline constexpr double TwipsPerPixel = 15.0;

// The flow diagram: nodes (boxes) joined by links (arrows). Positions and sizes are twips; the
// scene works in twips and the view shows it scaled to pixels (times the user's zoom, changed
// with Ctrl + mouse wheel). Nodes can be moved with the mouse only while the edit switch is on.
// The window learns what the user did through the signals; it never reaches into the items.
class FlowCanvas final : public QGraphicsView {
    Q_OBJECT
public:
    explicit FlowCanvas(QWidget* parent = nullptr);
    ~FlowCanvas() override;

    // Adds a node at the given place and size (twips) at the end of the node collection.
    FlowNodeItem* AddNode(double left, double top, double width, double height);
    // Removes every node; their links go with them.
    void RemoveAllNodes();
    // Removes the node at `index` of the collection with its links; an index out of range throws
    // KorvelError.
    void RemoveNode(int index);
    FlowNodeItem* NodeByKey(const QString& key) const;     // nullptr when none
    FlowLinkItem* LinkByKey(const QString& key) const;     // nullptr when none
    QList<FlowNodeItem*> Nodes() const { return m_nodes; } // in collection order
    QList<FlowLinkItem*> Links() const { return m_links; } // in creation order
    FlowNodeItem* SelectedNode() const;                    // nullptr when none
    QList<FlowNodeItem*> SelectedNodes() const;            // in collection order
    FlowLinkItem* SelectedLink() const;                    // nullptr when none
    // Makes `item` the only selected item; nullptr clears the selection.
    void SelectItem(QGraphicsItem* item);
    bool EditMode() const { return m_editMode; }
    void setEditMode(bool on);
    QString Tag() const { return m_tag; }
    void setTag(const QString& tag) { m_tag = tag; }
    // Removes the selected links, and the selected nodes with their links.
    void DeleteSelectedItems();
    // The canvas's width on the window, in twips.
    double WidthTwips() const { return width() * TwipsPerPixel; }

    // The node's position in the collection; -1 when it is not (or no longer) in it.
    int IndexOf(const FlowNodeItem* node) const { return m_nodes.indexOf(const_cast<FlowNodeItem*>(node)); }
    // The zoom factor on top of the twips-to-pixels scale (1 = 15 twips per pixel).
    double Zoom() const { return m_zoom; }
    void setZoom(double zoom);

signals:
    void DblClick();
    // Any mouse button pressed on the canvas, after the selection has followed the click.
    void MouseDown(Qt::MouseButton button, QPoint globalPos);
    void MouseUp(Qt::MouseButton button);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    friend class FlowNodeItem;
    friend class FlowLinkItem;
    void registerLink(FlowLinkItem* link);
    void forgetLink(FlowLinkItem* link);
    void forgetNode(FlowNodeItem* node);
    void deleteNode(FlowNodeItem* node);
    void updateSceneRect();

    QGraphicsScene* m_scene = nullptr; // child of the view
    QList<FlowNodeItem*> m_nodes;
    QList<FlowLinkItem*> m_links;
    bool m_editMode = false;
    QString m_tag;
    double m_zoom = 1.0;
};

} // namespace korvel
