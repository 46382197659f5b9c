#include "canvas/flowview.h"

#include "canvas/plainsketch.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineF>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRubberBand>
#include <QScrollBar>
#include <QStyleOptionGraphicsItem>
#include <QStyleOptionRubberBand>
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
// Connection handles, screen pixels: how far each mark's centre stands out from the middle of a
// side of the node's box, its radius as drawn, and how far from its centre a press takes it.
constexpr double HandleOffsetPixels = 7;
constexpr double HandlePixels = 4.5;
constexpr double HandleGripPixels = 7;
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

FlowView::FlowView(QWidget* parent) : QGraphicsView(parent), m_scene(new FlowScene(this))
{
    setUp();
}

FlowView::FlowView(FlowScene& scene, QWidget* parent) : QGraphicsView(parent), m_scene(&scene)
{
    setUp();
}

void FlowView::setUp()
{
    setObjectName(QStringLiteral("AFFlow"));
    setScene(m_scene);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    // A drag on the empty canvas selects what the band encloses (see mouseMoveEvent()).
    setDragMode(RubberBandDrag);
    setRubberBandSelectionMode(Qt::ContainsItemShape);
    // Moves without a button show the handles a link is drawn from (see mouseMoveEvent()).
    viewport()->setMouseTracking(true);
    setTransformationAnchor(AnchorUnderMouse);
    setViewportUpdateMode(SmartViewportUpdate);
    // Every item saves and restores the painter itself (the plain drawing sets its own pen and
    // brush and puts the render hints back), and its bounding box already has room for antialiased
    // edges.
    setOptimizationFlags(DontSavePainterState | DontAdjustForAntialiasing);
    setBackgroundBrush(palette().color(QPalette::Base));
    setZoom(1.0);
    connect(m_scene, &QGraphicsScene::selectionChanged, this, &FlowView::SelectionChanged);
    connect(m_scene, &FlowScene::GridChanged, this, [this] {
        resetCachedContent();
        viewport()->update();
    });
}

FlowView::~FlowView()
{
    // Whoever listens may be half gone by now.
    if (m_scene)
        disconnect(m_scene, nullptr, this, nullptr);
}

bool FlowView::StartsLink(const FlowNodeItem& node, const QPointF& scenePos) const
{
    if (m_linkTool && node.SceneBox().contains(scenePos))
        return true;
    return &node == m_handleNode && onHandle(node, scenePos);
}

QList<QPointF> FlowView::ConnectHandles(const FlowNodeItem& node) const
{
    const QRectF box = node.SceneBox();
    const QPointF centre = box.center();
    const double out = HandleOffsetPixels * TwipsPerPixel / m_zoom;
    return {QPointF(box.right() + out, centre.y()), QPointF(centre.x(), box.bottom() + out),
            QPointF(box.left() - out, centre.y()), QPointF(centre.x(), box.top() - out)};
}

bool FlowView::onHandle(const FlowNodeItem& node, const QPointF& scenePos) const
{
    const double grip = HandleGripPixels * TwipsPerPixel / m_zoom;
    const QList<QPointF> handles = ConnectHandles(node);
    return std::any_of(handles.cbegin(), handles.cend(),
                       [&](const QPointF& handle) { return QLineF(handle, scenePos).length() <= grip; });
}

QRectF FlowView::handleArea(const FlowNodeItem& node) const
{
    const double reach = (HandleOffsetPixels + HandlePixels + 2) * TwipsPerPixel / m_zoom;
    return node.SceneBox().adjusted(-reach, -reach, reach, reach);
}

void FlowView::setHandleNode(FlowNodeItem* node)
{
    if (node == m_handleNode.data() && (node ? handleArea(*node) == m_handleArea : m_handleArea.isNull()))
        return;
    QList<QRectF> dirty;
    if (!m_handleArea.isNull())
        dirty << m_handleArea;
    m_handleNode = node;
    m_handleArea = node ? handleArea(*node) : QRectF();
    if (!m_handleArea.isNull())
        dirty << m_handleArea;
    updateScene(dirty);
}

std::optional<QPointF> FlowView::MouseScenePos() const
{
    if (!m_mouseAt)
        return std::nullopt;
    return mapToScene(*m_mouseAt);
}

FlowNodeItem* FlowView::NodeAt(const QPoint& viewportPos) const
{
    for (QGraphicsItem* item : items(viewportPos))
        if (auto* node = qgraphicsitem_cast<FlowNodeItem*>(FlowItemOf(item)))
            return node;
    return nullptr;
}

void FlowView::setZoom(double zoom)
{
    applyZoom(std::clamp(zoom, MinZoom, MaxZoom));
}

void FlowView::ZoomToFit()
{
    m_scene->UpdateSceneRect();
    const QRectF flow = m_scene->sceneRect();
    const QSize view = viewport()->size();
    if (flow.isEmpty() || view.isEmpty())
        return;
    const double fit =
        std::min(view.width() * TwipsPerPixel / flow.width(), view.height() * TwipsPerPixel / flow.height());
    applyZoom(std::clamp(fit, MinFitZoom, 1.0));
    ensureVisible(QRectF(flow.topLeft(), QSizeF(1, 1)), 0, 0);
}

void FlowView::applyZoom(double zoom)
{
    const bool changed = !qFuzzyCompare(zoom, m_zoom);
    m_zoom = zoom;
    setTransform(QTransform::fromScale(m_zoom / TwipsPerPixel, m_zoom / TwipsPerPixel));
    m_scene->UpdateSceneRect();
    if (changed)
        emit ZoomChanged(m_zoom);
}

void FlowView::mousePressEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    m_mouseAt = at;
    if (event->button() == Qt::LeftButton && m_scene->EditMode()) {
        const QPointF scenePos = mapToScene(at);
        FlowNodeItem* node = m_handleNode && onHandle(*m_handleNode, scenePos) ? m_handleNode.data() : NodeAt(at);
        if (node && StartsLink(*node, scenePos)) {
            // A link is drawn instead of the node being moved or selected.
            setHandleNode(nullptr);
            m_connectFrom = node;
            m_connectTo = node->Centre();
            m_connectPress = at;
            updateScene({connectArea()});
            event->accept();
            emit MouseDown(event->button(), event->globalPosition().toPoint());
            return;
        }
    }
    // Anything else selects or moves as usual; the handles show again once the button is up.
    setHandleNode(nullptr);
    QGraphicsView::mousePressEvent(event);
    // A band adds to what was selected when it started: nothing, or with Ctrl the selection.
    const QList<QGraphicsItem*> selected = m_scene->selectedItems();
    m_bandKept = QSet<QGraphicsItem*>(selected.cbegin(), selected.cend());
    // The right button selects what it points at, so the popup menu acts on that item.
    if (event->button() == Qt::RightButton)
        m_scene->SelectItem(FlowItemOf(itemAt(event->position().toPoint())));
    emit MouseDown(event->button(), event->globalPosition().toPoint());
}

void FlowView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    m_mouseAt = at;
    if (m_connectFrom) {
        const QRectF before = connectArea();
        m_connectTo = mapToScene(at);
        updateScene({before, connectArea()});
        event->accept();
        return;
    }
    QGraphicsView::mouseMoveEvent(event);
    // The band selects what it encloses wholly, nodes and links alike: what is drawn selected is
    // what the commands act on.
    if (const QRect band = rubberBandRect(); !band.isNull())
        m_scene->SelectEnclosed(mapToScene(band).boundingRect(), m_bandKept);
    if (event->buttons() == Qt::NoButton) {
        const QPointF scenePos = mapToScene(at);
        FlowNodeItem* shown = nullptr;
        if (m_scene->EditMode()) {
            if (m_handleNode && onHandle(*m_handleNode, scenePos))
                shown = m_handleNode;
            else if (FlowNodeItem* node = NodeAt(at); node && node->Shape() != ShapeEnd)
                shown = node;
        }
        setHandleNode(shown);
        const FlowNodeItem* node = shown ? shown : NodeAt(at);
        if (m_scene->EditMode() && node && StartsLink(*node, scenePos))
            viewport()->setCursor(Qt::CrossCursor);
        else
            viewport()->unsetCursor();
    }
}

void FlowView::finishConnect(const QPoint& viewportPos)
{
    QPointer<FlowNodeItem> from = m_connectFrom;
    updateScene({connectArea()});
    m_connectFrom = nullptr;
    FlowNodeItem* to = NodeAt(viewportPos);
    // A press let go where it was is no drag: it asks for nothing.
    const bool dragged = (viewportPos - m_connectPress).manhattanLength() >= QApplication::startDragDistance();
    if (from && to && (to != from || dragged))
        emit ConnectRequested(from->Key(), to->Key());
}

void FlowView::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_connectFrom) {
        event->accept();
        if (event->button() == Qt::LeftButton)
            finishConnect(event->position().toPoint());
        return;
    }
    QGraphicsView::mouseReleaseEvent(event);
    m_bandKept.clear();
    m_scene->UpdateSceneRect();
    emit MouseUp(event->button());
}

void FlowView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QGraphicsView::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    if (FlowItemOf(itemAt(event->position().toPoint())))
        emit DblClick();
    else
        emit EmptyDblClick(mapToScene(event->position().toPoint()));
}

void FlowView::keyPressEvent(QKeyEvent* event)
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
    if (!step.isNull() && m_scene->EditMode() &&
        (modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier) &&
        !m_scene->SelectedNodes().isEmpty()) {
        emit MoveKeys(step * FlowScene::GridTwips * (modifiers == Qt::ShiftModifier ? 10 : 1));
        event->accept();
        return;
    }
    QGraphicsView::keyPressEvent(event);
}

void FlowView::drawBackground(QPainter* painter, const QRectF& rect)
{
    QGraphicsView::drawBackground(painter, rect);
    constexpr double GridTwips = FlowScene::GridTwips;
    if (!m_scene->GridVisible() || GridTwips * m_zoom / TwipsPerPixel < MinGridPixels)
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

QLineF FlowView::connectLine() const
{
    return m_connectFrom ? QLineF(m_connectFrom->Centre(), m_connectTo) : QLineF();
}

QRectF FlowView::connectArea() const
{
    const QLineF line = connectLine();
    constexpr double margin = 2 * TwipsPerPixel; // the pen's width
    return QRectF(line.p1(), line.p2()).normalized().adjusted(-margin, -margin, margin, margin);
}

void FlowView::drawForeground(QPainter* painter, const QRectF& rect)
{
    QGraphicsView::drawForeground(painter, rect);
    if (m_handleNode && !m_connectFrom) {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        QPen rim(palette().color(QPalette::Base), 1.5);
        rim.setCosmetic(true);
        painter->setPen(rim);
        painter->setBrush(palette().color(QPalette::Highlight));
        const double radius = HandlePixels * TwipsPerPixel / m_zoom;
        for (const QPointF& handle : ConnectHandles(*m_handleNode))
            painter->drawEllipse(handle, radius, radius);
        painter->restore();
    }
    if (!m_connectFrom)
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QPen(palette().color(QPalette::Highlight), 2 * TwipsPerPixel, Qt::DashLine));
    painter->drawLine(connectLine());
    painter->restore();
}

void FlowView::wheelEvent(QWheelEvent* event)
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

QString FlowView::ToolTipOf(const QGraphicsItem& item) const
{
    QString tip = m_toolTipSource ? m_toolTipSource(item) : QString();
    if (tip.isEmpty())
        tip = item.toolTip();
    if (const auto* node = qgraphicsitem_cast<const FlowNodeItem*>(&item); node && tip.isEmpty())
        tip = node->SecondaryText();
    return tip;
}

bool FlowView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Leave) {
        m_mouseAt.reset();
        setHandleNode(nullptr);
        viewport()->unsetCursor();
    }
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

void FlowView::paintEvent(QPaintEvent* event)
{
    // The handles follow their node when it moved (an undo, the keys) and go with it, or with the
    // lock.
    setHandleNode(m_scene->EditMode() ? m_handleNode.data() : nullptr);
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
    DrawScenePlain(painter, *m_scene, exposed, scale, viewport());
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

} // namespace korvel
