#include "designer/flowcanvas.h"

#include "core/korvelerror.h"

#include <QGraphicsScene>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>
#include <QtMath>

namespace korvel {
namespace {

constexpr double MinZoom = 0.25;
constexpr double MaxZoom = 4.0;
// Room kept right of and below the lowest and rightmost item, in twips.
constexpr double SceneMargin = 200;

// The canvas node or link an item under the mouse belongs to.
QGraphicsItem* FlowItemOf(QGraphicsItem* item)
{
    for (; item; item = item->parentItem()) {
        if (qgraphicsitem_cast<FlowNodeItem*>(item) || qgraphicsitem_cast<FlowLinkItem*>(item))
            return item;
    }
    return nullptr;
}

} // namespace

FlowCanvas::FlowCanvas(QWidget* parent) : QGraphicsView(parent), m_scene(new QGraphicsScene(this))
{
    setObjectName(QStringLiteral("AFFlow"));
    setScene(m_scene);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    setDragMode(NoDrag);
    setTransformationAnchor(AnchorUnderMouse);
    setViewportUpdateMode(SmartViewportUpdate);
    setBackgroundBrush(palette().color(QPalette::Base));
    setZoom(1.0);
}

FlowCanvas::~FlowCanvas()
{
    // The items call back into the canvas while they go; do it while the canvas is whole.
    m_scene->clear();
}

FlowNodeItem* FlowCanvas::AddNode(double left, double top, double width, double height)
{
    auto* node = new FlowNodeItem(*this, width, height);
    node->setPos(left, top);
    m_scene->addItem(node);
    m_nodes.append(node);
    updateSceneRect();
    return node;
}

void FlowCanvas::RemoveAllNodes()
{
    while (!m_nodes.isEmpty())
        deleteNode(m_nodes.last());
    // Links between nodes went with them; nothing else lives on the scene.
    while (!m_links.isEmpty())
        delete m_links.last();
    updateSceneRect();
}

void FlowCanvas::RemoveNode(int index)
{
    if (index < 0 || index >= m_nodes.size())
        throw KorvelError(QStringLiteral("FlowCanvas: no node at index %1").arg(index));
    deleteNode(m_nodes.at(index));
    updateSceneRect();
}

FlowNodeItem* FlowCanvas::NodeByKey(const QString& key) const
{
    for (FlowNodeItem* node : m_nodes) {
        if (node->Key() == key)
            return node;
    }
    return nullptr;
}

FlowLinkItem* FlowCanvas::LinkByKey(const QString& key) const
{
    for (FlowLinkItem* link : m_links) {
        if (link->Key() == key)
            return link;
    }
    return nullptr;
}

FlowNodeItem* FlowCanvas::SelectedNode() const
{
    for (FlowNodeItem* node : m_nodes) {
        if (node->isSelected())
            return node;
    }
    return nullptr;
}

QList<FlowNodeItem*> FlowCanvas::SelectedNodes() const
{
    QList<FlowNodeItem*> selected;
    for (FlowNodeItem* node : m_nodes) {
        if (node->isSelected())
            selected.append(node);
    }
    return selected;
}

FlowLinkItem* FlowCanvas::SelectedLink() const
{
    for (FlowLinkItem* link : m_links) {
        if (link->isSelected())
            return link;
    }
    return nullptr;
}

void FlowCanvas::SelectItem(QGraphicsItem* item)
{
    m_scene->clearSelection();
    if (item)
        item->setSelected(true);
}

void FlowCanvas::setEditMode(bool on)
{
    m_editMode = on;
    for (FlowNodeItem* node : std::as_const(m_nodes))
        node->updateMovable();
}

void FlowCanvas::DeleteSelectedItems()
{
    QList<QPointer<FlowLinkItem>> links;
    QList<QPointer<FlowNodeItem>> nodes;
    for (QGraphicsItem* item : m_scene->selectedItems()) {
        if (auto* link = qgraphicsitem_cast<FlowLinkItem*>(item))
            links.append(link);
        else if (auto* node = qgraphicsitem_cast<FlowNodeItem*>(item))
            nodes.append(node);
    }
    for (const auto& link : std::as_const(links))
        delete link.data();
    for (const auto& node : std::as_const(nodes)) {
        if (node)
            deleteNode(node.data());
    }
    updateSceneRect();
}

void FlowCanvas::setZoom(double zoom)
{
    m_zoom = std::clamp(zoom, MinZoom, MaxZoom);
    setTransform(QTransform::fromScale(m_zoom / TwipsPerPixel, m_zoom / TwipsPerPixel));
    updateSceneRect();
}

void FlowCanvas::mousePressEvent(QMouseEvent* event)
{
    QGraphicsView::mousePressEvent(event);
    // The right button selects what it points at, so the popup menu acts on that item.
    if (event->button() == Qt::RightButton)
        SelectItem(FlowItemOf(itemAt(event->position().toPoint())));
    emit MouseDown(event->button(), event->globalPosition().toPoint());
}

void FlowCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    QGraphicsView::mouseReleaseEvent(event);
    updateSceneRect();
    emit MouseUp(event->button());
}

void FlowCanvas::mouseDoubleClickEvent(QMouseEvent* event)
{
    QGraphicsView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit DblClick();
}

void FlowCanvas::wheelEvent(QWheelEvent* event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        const double steps = event->angleDelta().y() / 120.0;
        if (!qFuzzyIsNull(steps))
            setZoom(m_zoom * std::pow(1.15, steps));
        event->accept();
        return;
    }
    QGraphicsView::wheelEvent(event);
}

bool FlowCanvas::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        // A node's secondary text, kept up while the mouse stays on that node.
        auto* help = static_cast<QHelpEvent*>(event);
        auto* node = qgraphicsitem_cast<FlowNodeItem*>(FlowItemOf(itemAt(help->pos())));
        if (node && !node->SecondaryText().isEmpty())
            QToolTip::showText(help->globalPos(), node->SecondaryText(), viewport(),
                               mapFromScene(node->SceneBox()).boundingRect());
        else
            QToolTip::hideText();
        return true;
    }
    return QGraphicsView::viewportEvent(event);
}

void FlowCanvas::registerLink(FlowLinkItem* link)
{
    m_links.append(link);
}

void FlowCanvas::forgetLink(FlowLinkItem* link)
{
    m_links.removeAll(link);
}

void FlowCanvas::forgetNode(FlowNodeItem* node)
{
    m_nodes.removeAll(node);
}

void FlowCanvas::deleteNode(FlowNodeItem* node)
{
    const QList<FlowLinkItem*> links = node->Links();
    for (FlowLinkItem* link : links)
        delete link;
    delete node;
}

void FlowCanvas::updateSceneRect()
{
    // The scene runs from the origin to just past the items, so scroll bars appear only when the
    // flow is larger than the view. It must not depend on the view's own size: scroll bars change
    // that size, and a scene that followed it would make them come and go without end.
    QRectF rect(0, 0, 1, 1);
    const QRectF items = m_scene->itemsBoundingRect();
    if (!items.isNull())
        rect = rect.united(items.adjusted(0, 0, SceneMargin, SceneMargin));
    if (rect != m_scene->sceneRect())
        m_scene->setSceneRect(rect);
}

} // namespace korvel
