// FlowScene: the selection, kept by the items as each is selected or let go, and set by the
// selection band, "select all" and a click.
#include "canvas/flowscene.h"

#include <QSignalBlocker>
#include <algorithm>

namespace korvel {
namespace {

// The items of these serials, in serial order.
template <class Item> QList<Item*> ItemsOf(const std::set<quint64>& serials, const std::map<quint64, Item*>& items)
{
    QList<Item*> found;
    found.reserve(static_cast<qsizetype>(serials.size()));
    for (const quint64 serial : serials)
        found.append(items.at(serial));
    return found;
}

} // namespace

FlowNodeItem* FlowScene::SelectedNode() const
{
    return m_selectedNodes.empty() ? nullptr : m_nodes.at(*m_selectedNodes.begin());
}

QList<FlowNodeItem*> FlowScene::SelectedNodes() const
{
    return ItemsOf(m_selectedNodes, m_nodes);
}

FlowLinkItem* FlowScene::SelectedLink() const
{
    return m_selectedLinks.empty() ? nullptr : m_links.at(*m_selectedLinks.begin());
}

QList<FlowLinkItem*> FlowScene::SelectedLinks() const
{
    return ItemsOf(m_selectedLinks, m_links);
}

void FlowScene::SelectItem(QGraphicsItem* item)
{
    clearSelection();
    if (item)
        item->setSelected(true);
}

void FlowScene::SelectAllSteps()
{
    {
        // Each item would announce itself; whoever listens hears of the whole selection once.
        const QSignalBlocker quiet(this);
        for (const auto& [serial, node] : m_nodes)
            node->setSelected(node->Shape() != ShapeStart && node->Shape() != ShapeEnd);
        for (const auto& [serial, link] : m_links)
            link->setSelected(true);
    }
    emit selectionChanged();
}

void FlowScene::SelectEnclosed(const QRectF& area, const QSet<QGraphicsItem*>& kept)
{
    // Of the kept items only those still selected (and so still there) count.
    const QList<QGraphicsItem*> selected = selectedItems();
    QSet<QGraphicsItem*> wanted;
    for (QGraphicsItem* item : selected)
        if (kept.contains(item))
            wanted.insert(item);
    for (QGraphicsItem* item : items(area, Qt::IntersectsItemBoundingRect)) {
        if (const auto* node = qgraphicsitem_cast<FlowNodeItem*>(item)) {
            if (area.contains(node->SceneBox()))
                wanted.insert(item);
        } else if (const auto* link = qgraphicsitem_cast<FlowLinkItem*>(item)) {
            // The band is convex: the line lies inside when each of its corners does.
            const QPolygonF& line = link->Path();
            if (!line.isEmpty() && std::all_of(line.cbegin(), line.cend(),
                                               [&](const QPointF& point) { return area.contains(point); }))
                wanted.insert(item);
        }
    }
    bool changed = false;
    {
        // Each item would announce itself; whoever listens hears of the new selection once.
        const QSignalBlocker quiet(this);
        for (QGraphicsItem* item : selected)
            if (!wanted.contains(item)) {
                item->setSelected(false);
                changed = true;
            }
        for (QGraphicsItem* item : std::as_const(wanted))
            if (!item->isSelected() && (item->flags() & QGraphicsItem::ItemIsSelectable)) {
                item->setSelected(true);
                changed = true;
            }
    }
    if (changed)
        emit selectionChanged();
}

void FlowScene::selectionMoved(const FlowNodeItem* node, bool selected)
{
    if (!holds(node))
        return;
    const bool changed = selected ? m_selectedNodes.insert(node->m_serial).second
                                  : m_selectedNodes.erase(node->m_serial) > 0;
    if (changed && node->Shape() != ShapeStart && node->Shape() != ShapeEnd)
        m_selectedSteps += selected ? 1 : -1;
}

void FlowScene::selectionMoved(const FlowLinkItem* link, bool selected)
{
    if (!holds(link))
        return;
    if (selected)
        m_selectedLinks.insert(link->m_serial);
    else
        m_selectedLinks.erase(link->m_serial);
}

} // namespace korvel
