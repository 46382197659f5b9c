#include "canvas/flowoverview.h"

#include "canvas/flowview.h"
#include "canvas/plainsketch.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace korvel {
namespace {

// Room around the flow inside the widget, pixels.
constexpr double Margin = 4;

} // namespace

FlowOverview::FlowOverview(FlowView& view, QWidget* parent) : QWidget(parent), m_view(&view)
{
    setObjectName(QStringLiteral("FlowOverview"));
    setMinimumSize(80, 60);
    setCursor(Qt::OpenHandCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
    FlowScene& scene = view.Scene();
    connect(&scene, &QGraphicsScene::changed, this, &FlowOverview::sceneChanged);
    connect(&scene, &QGraphicsScene::sceneRectChanged, this, &FlowOverview::sceneChanged);
    // The frame follows the view's scrolling, zoom and size.
    const auto follow = [this] { update(); };
    connect(view.horizontalScrollBar(), &QScrollBar::valueChanged, this, follow);
    connect(view.verticalScrollBar(), &QScrollBar::valueChanged, this, follow);
    connect(&view, &FlowView::ZoomChanged, this, follow);
    view.viewport()->installEventFilter(this);
}

void FlowOverview::sceneChanged()
{
    m_stale = true;
    update();
}

void FlowOverview::resizeEvent(QResizeEvent* event)
{
    m_stale = true;
    QWidget::resizeEvent(event);
}

bool FlowOverview::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize)
        update();
    return QWidget::eventFilter(watched, event);
}

void FlowOverview::refresh()
{
    if (!m_stale || !m_view)
        return;
    m_stale = false;
    const double ratio = devicePixelRatioF();
    m_picture = QPixmap((QSizeF(size()) * ratio).toSize());
    m_picture.setDevicePixelRatio(ratio);
    m_picture.fill(palette().color(QPalette::Base));
    m_shown = m_view->Scene().sceneRect();
    const QRectF room = QRectF(rect()).adjusted(Margin, Margin, -Margin, -Margin);
    if (m_shown.isEmpty() || room.isEmpty()) {
        m_toLocal = QTransform();
        return;
    }
    const double scale = std::min(room.width() / m_shown.width(), room.height() / m_shown.height());
    m_toLocal = QTransform::fromTranslate(-m_shown.left(), -m_shown.top()) * QTransform::fromScale(scale, scale) *
                QTransform::fromTranslate(room.left(), room.top());
    QPainter painter(&m_picture);
    painter.setWorldTransform(m_toLocal);
    DrawScenePlain(painter, m_view->Scene(), m_shown, scale * TwipsPerPixel, this);
}

QRectF FlowOverview::VisibleFrame() const
{
    if (!m_view)
        return {};
    const QRectF visible = m_view->mapToScene(m_view->viewport()->rect()).boundingRect();
    return m_toLocal.mapRect(visible);
}

QPointF FlowOverview::ToScene(const QPointF& point) const
{
    return m_toLocal.inverted().map(point);
}

void FlowOverview::paintEvent(QPaintEvent*)
{
    refresh();
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture);
    if (m_shown.isEmpty())
        return;
    QColor highlight = palette().color(QPalette::Highlight);
    painter.setPen(QPen(highlight, 1.5));
    highlight.setAlpha(40);
    painter.setBrush(highlight);
    painter.drawRect(VisibleFrame().intersected(QRectF(rect()).adjusted(0.5, 0.5, -1, -1)));
}

void FlowOverview::centreViewAt(const QPointF& point)
{
    if (m_view && !m_shown.isEmpty())
        m_view->centerOn(ToScene(point - m_grip));
}

void FlowOverview::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    refresh();
    const QRectF frame = VisibleFrame();
    // Taken inside the frame, the frame moves as held; elsewhere it jumps to centre on the point.
    m_grip = frame.contains(event->position()) ? event->position() - frame.center() : QPointF();
    m_dragging = true;
    setCursor(Qt::ClosedHandCursor);
    centreViewAt(event->position());
    event->accept();
}

void FlowOverview::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging)
        return QWidget::mouseMoveEvent(event);
    centreViewAt(event->position());
    event->accept();
}

void FlowOverview::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_dragging || event->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(event);
    m_dragging = false;
    setCursor(Qt::OpenHandCursor);
    event->accept();
}

} // namespace korvel
