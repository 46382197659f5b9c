#pragma once

#include <QPixmap>
#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QTransform>
#include <QWidget>

namespace korvel {

class FlowView;

// The whole flow of a view's scene in a small widget, with the part the view shows as a frame
// over it. A press centres the view on that point, a drag moves the frame and the view with it
// (a press inside the frame keeps the grip where it was taken). It follows the view's scrolling,
// zoom and size and the scene's changes. The flow is drawn plain (as zoomed far out) into a
// picture kept until the scene or the widget's size changes, so scrolling the view repaints only
// the picture and the frame, however large the flow.
class FlowOverview final : public QWidget {
    Q_OBJECT
public:
    // `view` must outlive the overview or be deleted first (it is watched).
    explicit FlowOverview(FlowView& view, QWidget* parent = nullptr);

    // The part of the scene shown whole: the scene's rectangle.
    QRectF SceneShown() const { return m_shown; }
    // The view's visible area in the overview's coordinates.
    QRectF VisibleFrame() const;
    // A point of the overview in scene coordinates.
    QPointF ToScene(const QPointF& point) const;

    QSize sizeHint() const override { return {240, 160}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The scene changed: the picture is drawn again when next shown.
    void sceneChanged();
    // Fits the scene's rectangle into the widget and draws the picture, when stale.
    void refresh();
    // Centres the view on the scene point under the overview's `point`, less the grip.
    void centreViewAt(const QPointF& point);

    QPointer<FlowView> m_view;
    QRectF m_shown;       // the scene's rectangle the picture was drawn for
    QTransform m_toLocal; // scene to overview coordinates
    QPixmap m_picture;
    bool m_stale = true;
    bool m_dragging = false;
    QPointF m_grip; // where in the frame a drag holds it, from the frame's centre (overview pixels)
};

} // namespace korvel
