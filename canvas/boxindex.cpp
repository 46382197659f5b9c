#include "canvas/boxindex.h"

#include <algorithm>
#include <cmath>

namespace korvel {
namespace {

// A cell's side, twips: about one step box, larger than most captions.
constexpr double CellSide = 2000;
// Boxes far outside the coordinate range still get cells, only clamped ones.
constexpr double FarCell = 1 << 20;

int CellOf(double coordinate)
{
    return static_cast<int>(std::clamp(std::floor(coordinate / CellSide), -FarCell, FarCell));
}

} // namespace

BoxIndex::Cells BoxIndex::cellsOf(const QRectF& box)
{
    return {CellOf(box.left()), CellOf(box.top()), CellOf(box.right()), CellOf(box.bottom())};
}

void BoxIndex::Set(QGraphicsItem* item, const QRectF& box, bool caption)
{
    if (const auto it = m_boxes.constFind(item); it != m_boxes.cend()) {
        if (it->box == box && it->caption == caption)
            return;
        Remove(item);
    }
    if (box.isEmpty())
        return;
    const Entry entry{item, box, caption};
    m_boxes.insert(item, entry);
    const Cells cells = cellsOf(box);
    for (int x = cells.left; x <= cells.right; ++x)
        for (int y = cells.top; y <= cells.bottom; ++y)
            m_cells[cellKey(x, y)].append(entry);
}

void BoxIndex::Remove(const QGraphicsItem* item)
{
    const auto it = m_boxes.find(item);
    if (it == m_boxes.end())
        return;
    const Cells cells = cellsOf(it->box);
    m_boxes.erase(it);
    for (int x = cells.left; x <= cells.right; ++x)
        for (int y = cells.top; y <= cells.bottom; ++y) {
            const auto cell = m_cells.find(cellKey(x, y));
            if (cell == m_cells.end())
                continue;
            cell->removeIf([item](const Entry& entry) { return entry.item == item; });
            if (cell->isEmpty())
                m_cells.erase(cell);
        }
}

bool BoxIndex::Crosses(const QLineF& segment, const QRectF& box)
{
    // Liang and Barsky's clipping against the box's inside.
    const QRectF inside = box.adjusted(1, 1, -1, -1);
    if (inside.isEmpty())
        return false;
    const double p[4] = {-segment.dx(), segment.dx(), -segment.dy(), segment.dy()};
    const double q[4] = {segment.x1() - inside.left(), inside.right() - segment.x1(),
                         segment.y1() - inside.top(), inside.bottom() - segment.y1()};
    double t0 = 0;
    double t1 = 1;
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    return true;
}

void BoxIndex::Clear()
{
    m_cells.clear();
    m_boxes.clear();
}

} // namespace korvel
