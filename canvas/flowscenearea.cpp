// FlowScene: its area, which reaches over its items (measured as they come, move and go) and over
// the overlay drawn above the flow (a comparison's or a path's marks).
#include "canvas/flowscene.h"

#include <utility>

namespace korvel {
namespace {

// Room kept right of and below the lowest and rightmost item, in twips.
constexpr double SceneMargin = 200;

} // namespace

quint64 FlowScene::setOverlay(const QList<QGraphicsObject*>& items)
{
    // While the scene is emptied the items go with the rest.
    for (const QPointer<QGraphicsObject>& older : std::exchange(m_overlay, {items.cbegin(), items.cend()}))
        if (!m_clearing && older && !items.contains(older.data()))
            delete older.data();
    m_overlayArea = QRectF();
    for (QGraphicsObject* item : items)
        m_overlayArea |= item->sceneBoundingRect();
    UpdateSceneRect();
    return ++m_overlayNumber;
}

void FlowScene::ClearOverlay(quint64 number)
{
    if (number == m_overlayNumber)
        setOverlay({});
}

QList<QGraphicsObject*> FlowScene::Overlay() const
{
    QList<QGraphicsObject*> items;
    for (const QPointer<QGraphicsObject>& item : m_overlay)
        if (item)
            items.append(item.data());
    return items;
}

void FlowScene::itemLeaving(const QRectF& before)
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

void FlowScene::itemArrived(const QRectF& after)
{
    m_extent = m_extent.united(after);
}

void FlowScene::UpdateSceneRect()
{
    if (m_bulkChanges > 0)
        return; // the last BulkChange to end does it
    if (m_extentStale) {
        // Every item is a node or a link: measured from the collections, without the sorted list
        // of all items that itemsBoundingRect() builds first.
        m_extent = QRectF();
        for (const auto& [serial, node] : m_nodes)
            m_extent |= node->sceneBoundingRect();
        for (const auto& [serial, link] : m_links)
            m_extent |= link->sceneBoundingRect();
        m_extentStale = false;
    }
    // The scene runs from the origin to just past the items, so scroll bars appear only when the
    // flow is larger than the view. It must not depend on the view's own size: scroll bars change
    // that size, and a scene that followed it would make them come and go without end.
    QRectF rect(0, 0, 1, 1);
    for (const QRectF& area : {m_extent, m_overlayArea})
        if (!area.isNull())
            rect = rect.united(area.adjusted(0, 0, SceneMargin, SceneMargin));
    if (rect != sceneRect())
        setSceneRect(rect);
}

} // namespace korvel
