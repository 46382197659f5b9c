#include "designer/flowcanvas.h"

#include "core/korvelerror.h"
#include "designer/plainsketch.h"

#include <QFontMetricsF>
#include <QGraphicsLineItem>
#include <QGraphicsScene>
#include <QHelpEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QRubberBand>
#include <QStyleOptionRubberBand>
#include <QScrollBar>
#include <QSet>
#include <QStyleOptionGraphicsItem>
#include <QToolTip>
#include <QWheelEvent>
#include <QtMath>
#include <algorithm>

namespace korvel {
namespace {

constexpr double MinZoom = 0.25;
constexpr double MaxZoom = 4.0;
// Fitting a large flow into the view may zoom out further than the wheel does.
constexpr double MinFitZoom = 0.02;
// Room kept right of and below the lowest and rightmost item, in twips.
constexpr double SceneMargin = 200;
// The band inside a node's outline where a press starts a link, in screen pixels; never more than
// a quarter of the box.
constexpr double EdgeBandPixels = 6;
// Grid lines are left out when they would come closer than this on screen, in pixels.
constexpr double MinGridPixels = 6;

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

template <typename Item>
Item* FlowCanvas::firstWithKey(const QMultiHash<QString, Item*>& index, const std::map<quint64, Item*>& items,
                               const QString& key)
{
    // Items are indexed once they have a key; the rare search for none goes through them all.
    if (key.isEmpty()) {
        for (const auto& [serial, item] : items) {
            if (item->Key().isEmpty())
                return item;
        }
        return nullptr;
    }
    Item* first = nullptr;
    for (auto [it, end] = index.equal_range(key); it != end; ++it) {
        if (!first || (*it)->m_serial < first->m_serial)
            first = *it;
    }
    return first;
}

FlowCanvas::BulkChange::BulkChange(FlowCanvas& canvas) : m_canvas(canvas)
{
    ++m_canvas.m_bulkChanges;
}

FlowCanvas::BulkChange::~BulkChange()
{
    if (--m_canvas.m_bulkChanges == 0)
        m_canvas.updateSceneRect();
}

FlowCanvas::FlowCanvas(QWidget* parent) : QGraphicsView(parent), m_scene(new QGraphicsScene(this))
{
    setObjectName(QStringLiteral("AFFlow"));
    setScene(m_scene);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    // A drag on the empty canvas selects what the band touches.
    setDragMode(RubberBandDrag);
    // Moves without a button show where a drag would start a link (see mouseMoveEvent()).
    viewport()->setMouseTracking(true);
    setTransformationAnchor(AnchorUnderMouse);
    setViewportUpdateMode(SmartViewportUpdate);
    // Every item saves and restores the painter itself (the plain drawing sets its own pen and
    // brush and puts the render hints back), and its bounding box already has room for antialiased
    // edges.
    setOptimizationFlags(DontSavePainterState | DontAdjustForAntialiasing);
    setBackgroundBrush(palette().color(QPalette::Base));
    setZoom(1.0);
    connect(m_scene, &QGraphicsScene::selectionChanged, this, &FlowCanvas::SelectionChanged);
}

FlowCanvas::~FlowCanvas()
{
    // Whoever listens may be half gone by now.
    disconnect(m_scene, nullptr, this, nullptr);
    clearScene();
}

FlowNodeItem* FlowCanvas::AddNode(double left, double top, double width, double height)
{
    auto* node = new FlowNodeItem(*this, width, height);
    node->setPos(left, top);
    m_scene->addItem(node);
    node->m_serial = ++m_lastSerial;
    m_nodes.emplace(node->m_serial, node);
    itemArrived(node->sceneBoundingRect());
    updateSceneRect();
    return node;
}

void FlowCanvas::RemoveAllNodes()
{
    clearScene();
    updateSceneRect();
}

void FlowCanvas::RemoveNode(int index)
{
    if (index < 0 || index >= static_cast<int>(m_nodes.size()))
        throw KorvelError(QStringLiteral("FlowCanvas: no node at index %1").arg(index));
    deleteNode(std::next(m_nodes.begin(), index)->second);
    updateSceneRect();
}

FlowNodeItem* FlowCanvas::NodeByKey(const QString& key) const
{
    return firstWithKey(m_nodesByKey, m_nodes, key);
}

FlowLinkItem* FlowCanvas::LinkByKey(const QString& key) const
{
    return firstWithKey(m_linksByKey, m_links, key);
}

QList<FlowNodeItem*> FlowCanvas::Nodes() const
{
    QList<FlowNodeItem*> nodes;
    nodes.reserve(static_cast<qsizetype>(m_nodes.size()));
    for (const auto& [serial, node] : m_nodes)
        nodes.append(node);
    return nodes;
}

QList<FlowLinkItem*> FlowCanvas::Links() const
{
    QList<FlowLinkItem*> links;
    links.reserve(static_cast<qsizetype>(m_links.size()));
    for (const auto& [serial, link] : m_links)
        links.append(link);
    return links;
}

int FlowCanvas::IndexOf(const FlowNodeItem* node) const
{
    // Compares pointers only, so a node that is gone (deleted) is simply not found.
    int index = 0;
    for (const auto& [serial, held] : m_nodes) {
        if (held == node)
            return index;
        ++index;
    }
    return -1;
}

FlowNodeItem* FlowCanvas::SelectedNode() const
{
    for (const auto& [serial, node] : m_nodes) {
        if (node->isSelected())
            return node;
    }
    return nullptr;
}

QList<FlowNodeItem*> FlowCanvas::SelectedNodes() const
{
    QList<FlowNodeItem*> selected;
    for (const auto& [serial, node] : m_nodes) {
        if (node->isSelected())
            selected.append(node);
    }
    return selected;
}

FlowLinkItem* FlowCanvas::SelectedLink() const
{
    for (const auto& [serial, link] : m_links) {
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
    for (const auto& [serial, node] : m_nodes)
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

void FlowCanvas::RemoveLink(FlowLinkItem* link)
{
    if (!holds(link))
        return;
    delete link;
    updateSceneRect();
}

void FlowCanvas::SelectAllSteps()
{
    for (const auto& [serial, node] : m_nodes)
        node->setSelected(node->Shape() != ShapeStart && node->Shape() != ShapeEnd);
    for (const auto& [serial, link] : m_links)
        link->setSelected(true);
}

void FlowCanvas::setGridVisible(bool on)
{
    m_grid = on;
    resetCachedContent();
    viewport()->update();
}

bool FlowCanvas::StartsLink(const FlowNodeItem& node, const QPointF& scenePos) const
{
    const QRectF box = node.SceneBox();
    if (!box.contains(scenePos))
        return false;
    if (m_linkTool)
        return true;
    const double band =
        std::min({EdgeBandPixels * TwipsPerPixel / m_zoom, box.width() / 4, box.height() / 4});
    return !box.adjusted(band, band, -band, -band).contains(scenePos);
}

FlowNodeItem* FlowCanvas::NodeAt(const QPoint& viewportPos) const
{
    for (QGraphicsItem* item : items(viewportPos))
        if (auto* node = qgraphicsitem_cast<FlowNodeItem*>(FlowItemOf(item)))
            return node;
    return nullptr;
}

QImage FlowCanvas::RenderNodes(const QList<FlowNodeItem*>& nodes)
{
    if (nodes.isEmpty())
        return {};
    // Only the nodes and the links between them are drawn, and unselected.
    const QSet<const FlowNodeItem*> wanted(nodes.cbegin(), nodes.cend());
    QRectF area;
    QList<QGraphicsItem*> hidden;
    QList<QGraphicsItem*> selected = m_scene->selectedItems();
    m_scene->clearSelection();
    for (QGraphicsItem* item : m_scene->items()) {
        bool keep = false;
        if (auto* node = qgraphicsitem_cast<FlowNodeItem*>(item))
            keep = wanted.contains(node);
        else if (auto* link = qgraphicsitem_cast<FlowLinkItem*>(item))
            keep = wanted.contains(link->Org()) && wanted.contains(link->Dst());
        if (keep) {
            area = area.united(item->sceneBoundingRect());
        } else if (item->isVisible() && !item->parentItem()) {
            item->hide();
            hidden << item;
        }
    }
    const double scale = m_zoom / TwipsPerPixel;
    QImage image((area.size() * scale).toSize().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHints(renderHints());
        m_scene->render(&painter, QRectF(QPointF(0, 0), image.size()), area);
    }
    for (QGraphicsItem* item : std::as_const(hidden))
        item->show();
    for (QGraphicsItem* item : std::as_const(selected))
        item->setSelected(true);
    return image;
}

QPointF FlowCanvas::dragPlace(const QPointF& wanted) const
{
    if (!m_grid || !m_mouseDrag)
        return wanted;
    return QPointF(std::round(wanted.x() / GridTwips) * GridTwips,
                   std::round(wanted.y() / GridTwips) * GridTwips);
}

void FlowCanvas::setZoom(double zoom)
{
    applyZoom(std::clamp(zoom, MinZoom, MaxZoom));
}

void FlowCanvas::ZoomToFit()
{
    updateSceneRect();
    const QRectF flow = m_scene->sceneRect();
    const QSize view = viewport()->size();
    if (flow.isEmpty() || view.isEmpty())
        return;
    const double fit = std::min(view.width() * TwipsPerPixel / flow.width(),
                                view.height() * TwipsPerPixel / flow.height());
    applyZoom(std::clamp(fit, MinFitZoom, 1.0));
    ensureVisible(QRectF(flow.topLeft(), QSizeF(1, 1)), 0, 0);
}

void FlowCanvas::applyZoom(double zoom)
{
    const bool changed = !qFuzzyCompare(zoom, m_zoom);
    m_zoom = zoom;
    setTransform(QTransform::fromScale(m_zoom / TwipsPerPixel, m_zoom / TwipsPerPixel));
    updateSceneRect();
    if (changed)
        emit ZoomChanged(m_zoom);
}

void FlowCanvas::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_editMode) {
        FlowNodeItem* node = NodeAt(event->position().toPoint());
        if (node && StartsLink(*node, mapToScene(event->position().toPoint()))) {
            // A link is drawn instead of the node being moved or selected.
            m_connectFrom = node;
            m_connectLine =
                m_scene->addLine(QLineF(node->Centre(), node->Centre()),
                                 QPen(palette().color(QPalette::Highlight), 2 * TwipsPerPixel, Qt::DashLine));
            m_connectLine->setZValue(ZNode + 1);
            event->accept();
            emit MouseDown(event->button(), event->globalPosition().toPoint());
            return;
        }
    }
    m_mouseDrag = event->button() == Qt::LeftButton;
    QGraphicsView::mousePressEvent(event);
    // The right button selects what it points at, so the popup menu acts on that item.
    if (event->button() == Qt::RightButton)
        SelectItem(FlowItemOf(itemAt(event->position().toPoint())));
    emit MouseDown(event->button(), event->globalPosition().toPoint());
}

void FlowCanvas::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (m_connectLine) {
        m_connectLine->setLine(QLineF(m_connectLine->line().p1(), mapToScene(at)));
        event->accept();
        return;
    }
    QGraphicsView::mouseMoveEvent(event);
    if (event->buttons() == Qt::NoButton) {
        const FlowNodeItem* node = m_editMode ? NodeAt(at) : nullptr;
        if (node && StartsLink(*node, mapToScene(at)))
            viewport()->setCursor(Qt::CrossCursor);
        else
            viewport()->unsetCursor();
    }
}

void FlowCanvas::finishConnect(const QPoint& viewportPos)
{
    QPointer<FlowNodeItem> from = m_connectFrom;
    delete m_connectLine;
    m_connectLine = nullptr;
    m_connectFrom = nullptr;
    FlowNodeItem* to = NodeAt(viewportPos);
    if (from && to && to != from)
        emit ConnectRequested(from->Key(), to->Key());
}

void FlowCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_connectLine) {
        event->accept();
        if (event->button() == Qt::LeftButton)
            finishConnect(event->position().toPoint());
        return;
    }
    QGraphicsView::mouseReleaseEvent(event);
    m_mouseDrag = false;
    updateSceneRect();
    emit MouseUp(event->button());
}

void FlowCanvas::mouseDoubleClickEvent(QMouseEvent* event)
{
    QGraphicsView::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    if (FlowItemOf(itemAt(event->position().toPoint())))
        emit DblClick();
    else
        emit EmptyDblClick(mapToScene(event->position().toPoint()));
}

void FlowCanvas::keyPressEvent(QKeyEvent* event)
{
    QPointF step;
    switch (event->key()) {
    case Qt::Key_Left:
        step = QPointF(-1, 0);
        break;
    case Qt::Key_Right:
        step = QPointF(1, 0);
        break;
    case Qt::Key_Up:
        step = QPointF(0, -1);
        break;
    case Qt::Key_Down:
        step = QPointF(0, 1);
        break;
    default:
        break;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (!step.isNull() && m_editMode && (modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier) &&
        !SelectedNodes().isEmpty()) {
        emit MoveKeys(step * GridTwips * (modifiers == Qt::ShiftModifier ? 10 : 1));
        event->accept();
        return;
    }
    QGraphicsView::keyPressEvent(event);
}

void FlowCanvas::drawBackground(QPainter* painter, const QRectF& rect)
{
    QGraphicsView::drawBackground(painter, rect);
    if (!m_grid || GridTwips * m_zoom / TwipsPerPixel < MinGridPixels)
        return;
    painter->save();
    painter->setPen(QPen(palette().color(QPalette::Midlight), 0));
    QVector<QLineF> lines;
    for (double x = std::floor(rect.left() / GridTwips) * GridTwips; x <= rect.right(); x += GridTwips)
        lines << QLineF(x, rect.top(), x, rect.bottom());
    for (double y = std::floor(rect.top() / GridTwips) * GridTwips; y <= rect.bottom(); y += GridTwips)
        lines << QLineF(rect.left(), y, rect.right(), y);
    painter->drawLines(lines);
    painter->restore();
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

QString FlowCanvas::ToolTipOf(const QGraphicsItem& item) const
{
    QString tip = m_toolTipSource ? m_toolTipSource(item) : QString();
    if (tip.isEmpty())
        tip = item.toolTip();
    if (const auto* node = qgraphicsitem_cast<const FlowNodeItem*>(&item); node && tip.isEmpty())
        tip = node->SecondaryText();
    return tip;
}

bool FlowCanvas::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        // The item's tool tip (a node's secondary text when it has none), kept up while the mouse
        // stays on that item.
        auto* help = static_cast<QHelpEvent*>(event);
        QGraphicsItem* item = FlowItemOf(itemAt(help->pos()));
        const QString tip = item ? ToolTipOf(*item) : QString();
        if (!tip.isEmpty())
            QToolTip::showText(help->globalPos(), tip, viewport(),
                               mapFromScene(item->sceneBoundingRect()).boundingRect());
        else
            QToolTip::hideText();
        return true;
    }
    return QGraphicsView::viewportEvent(event);
}

void FlowCanvas::paintEvent(QPaintEvent* event)
{
    const double scale = QStyleOptionGraphicsItem::levelOfDetailFromTransform(transform()) * TwipsPerPixel;
    if (scale >= MinDetailScale) {
        setViewportUpdateMode(SmartViewportUpdate);
        QGraphicsView::paintEvent(event);
        return;
    }
    // Zoomed this far out, a frame may show every item of a large flow, and the graphics view's
    // own walk over the items (a transform, a style option and a state change for each) would cost
    // more than drawing them. So the items' plain drawings are gathered into one sketch, culled by
    // their boxes, and drawn in a few calls, links below nodes as the z-values put them. The view
    // repaints in full meanwhile: it tracks the places it painted items at only in its own walk.
    setViewportUpdateMode(FullViewportUpdate);
    QPainter painter(viewport());
    painter.setRenderHints(renderHints());
    painter.setWorldTransform(viewportTransform());
    const QRectF exposed = mapToScene(event->region().boundingRect()).boundingRect();
    drawBackground(&painter, exposed);
    PlainSketch sketch;
    for (const auto& [serial, link] : m_links) {
        if (link->isVisible() && link->boundingRect().intersects(exposed))
            link->sketch(sketch, scale, link->isSelected());
    }
    for (const auto& [serial, node] : m_nodes) {
        if (node->isVisible() && node->sceneBoundingRect().intersects(exposed))
            node->sketch(sketch, node->pos(), node->isSelected());
    }
    sketch.Draw(painter);
    drawForeground(&painter, exposed);
    // The selection band, which the graphics view draws only in its own walk.
    if (const QRect band = rubberBandRect(); !band.isEmpty()) {
        painter.resetTransform();
        QStyleOptionRubberBand option;
        option.initFrom(viewport());
        option.rect = band;
        option.shape = QRubberBand::Rectangle;
        style()->drawControl(QStyle::CE_RubberBand, &option, &painter, viewport());
    }
}

void FlowCanvas::registerLink(FlowLinkItem* link)
{
    link->m_serial = ++m_lastSerial;
    m_links.emplace(link->m_serial, link);
    if (!link->Key().isEmpty())
        m_linksByKey.insert(link->Key(), link);
    itemArrived(link->boundingRect());
}

void FlowCanvas::forgetLink(FlowLinkItem* link)
{
    if (!holds(link))
        return;
    m_links.erase(link->m_serial);
    if (!link->Key().isEmpty())
        m_linksByKey.remove(link->Key(), link);
    itemLeaving(link->boundingRect());
    link->m_serial = 0;
}

void FlowCanvas::forgetNode(FlowNodeItem* node)
{
    if (!holds(node))
        return;
    m_nodes.erase(node->m_serial);
    if (!node->Key().isEmpty())
        m_nodesByKey.remove(node->Key(), node);
    itemLeaving(node->sceneBoundingRect());
    node->m_serial = 0;
}

void FlowCanvas::nodeKeyChanged(FlowNodeItem* node, const QString& oldKey)
{
    if (!holds(node))
        return;
    if (!oldKey.isEmpty())
        m_nodesByKey.remove(oldKey, node);
    if (!node->Key().isEmpty())
        m_nodesByKey.insert(node->Key(), node);
}

void FlowCanvas::linkKeyChanged(FlowLinkItem* link, const QString& oldKey)
{
    if (!holds(link))
        return;
    if (!oldKey.isEmpty())
        m_linksByKey.remove(oldKey, link);
    if (!link->Key().isEmpty())
        m_linksByKey.insert(link->Key(), link);
}

double FlowCanvas::captionWidth(const QFontMetricsF& metrics, const QFont& font, const QString& text)
{
    constexpr qsizetype MaxKept = 65536;
    if (font != m_captionFont) {
        m_captionWidths.clear();
        m_captionFont = font;
    }
    if (const auto it = m_captionWidths.constFind(text); it != m_captionWidths.cend())
        return it.value();
    if (m_captionWidths.size() >= MaxKept)
        m_captionWidths.clear();
    const double width = metrics.horizontalAdvance(text);
    m_captionWidths.insert(text, width);
    return width;
}

void FlowCanvas::itemLeaving(const QRectF& before)
{
    if (m_extentStale || m_extent.isNull())
        return;
    // Only an item on an edge can make the box smaller. The scene always reaches the origin, so the
    // left and top edges count only where the flow reaches beyond it.
    if (before.right() >= m_extent.right() || before.bottom() >= m_extent.bottom() ||
        (m_extent.left() < 0 && before.left() <= m_extent.left()) ||
        (m_extent.top() < 0 && before.top() <= m_extent.top()))
        m_extentStale = true;
}

void FlowCanvas::itemArrived(const QRectF& after)
{
    m_extent = m_extent.united(after);
}

bool FlowCanvas::holds(const FlowNodeItem* node) const
{
    if (!node || node->m_serial == 0)
        return false;
    const auto it = m_nodes.find(node->m_serial);
    return it != m_nodes.end() && it->second == node;
}

bool FlowCanvas::holds(const FlowLinkItem* link) const
{
    if (!link || link->m_serial == 0)
        return false;
    const auto it = m_links.find(link->m_serial);
    return it != m_links.end() && it->second == link;
}

void FlowCanvas::deleteNode(FlowNodeItem* node)
{
    // The node lets go of its links first, so deleting them does not search its list each time.
    const QList<FlowLinkItem*> links = node->takeLinks();
    for (FlowLinkItem* link : links)
        link->forgetNode(node);
    for (FlowLinkItem* link : links)
        delete link;
    delete node;
}

void FlowCanvas::clearScene()
{
    // Everything goes at once: the items need not let go of each other or of the collections.
    m_clearing = true;
    m_nodes.clear();
    m_links.clear();
    m_nodesByKey.clear();
    m_linksByKey.clear();
    m_connectLine = nullptr; // goes with the scene
    m_connectFrom = nullptr;
    m_scene->clear();
    m_clearing = false;
    m_extent = QRectF();
    m_extentStale = false;
}

void FlowCanvas::updateSceneRect()
{
    if (m_bulkChanges > 0)
        return; // the last BulkChange to end does it
    if (m_extentStale) {
        m_extent = m_scene->itemsBoundingRect();
        m_extentStale = false;
    }
    // The scene runs from the origin to just past the items, so scroll bars appear only when the
    // flow is larger than the view. It must not depend on the view's own size: scroll bars change
    // that size, and a scene that followed it would make them come and go without end.
    QRectF rect(0, 0, 1, 1);
    if (!m_extent.isNull())
        rect = rect.united(m_extent.adjusted(0, 0, SceneMargin, SceneMargin));
    if (rect != m_scene->sceneRect())
        m_scene->setSceneRect(rect);
}

} // namespace korvel
