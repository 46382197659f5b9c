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
    const Cells cells = cellsOf(box);
    if (const auto it = m_boxes.find(item); it != m_boxes.end()) {
        if (it->box == box && it->caption == caption)
            return;
        if (it->cells == cells && !box.isEmpty()) {
            // In the same cells (a small move): the entries change in place.
            it->box = box;
            it->caption = caption;
            for (int x = cells.left; x <= cells.right; ++x)
                for (int y = cells.top; y <= cells.bottom; ++y)
                    for (Entry& entry : m_cells[cellKey(x, y)])
                        if (entry.item == item)
                            entry = *it;
            return;
        }
        Remove(item);
    }
    if (box.isEmpty())
        return;
    const Entry entry{item, box, caption, cells};
    m_boxes.insert(item, entry);
    for (int x = cells.left; x <= cells.right; ++x)
        for (int y = cells.top; y <= cells.bottom; ++y)
            m_cells[cellKey(x, y)].append(entry);
}

void BoxIndex::Remove(const QGraphicsItem* item)
{
    const auto it = m_boxes.find(item);
    if (it == m_boxes.end())
        return;
    const Cells cells = it->cells;
    m_boxes.erase(it);
    // Emptied cells stay: an item moving on would soon make them again.
    for (int x = cells.left; x <= cells.right; ++x)
        for (int y = cells.top; y <= cells.bottom; ++y) {
            const auto cell = m_cells.find(cellKey(x, y));
            if (cell != m_cells.end())
                cell->removeIf([item](const Entry& entry) { return entry.item == item; });
        }
}

bool ClipLine(QLineF& line, const QRectF& area)
{
    // Liang and Barsky's clipping.
    const double p[4] = {-line.dx(), line.dx(), -line.dy(), line.dy()};
    const double q[4] = {line.x1() - area.left(), area.right() - line.x1(), line.y1() - area.top(),
                         area.bottom() - line.y1()};
    double t0 = 0;
    double t1 = 1;
    for (int i = 0; i < 4; ++i) {
        if (qFuzzyIsNull(p[i])) {
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
    line = QLineF(line.pointAt(t0), line.pointAt(t1));
    return true;
}

bool BoxIndex::Crosses(const QLineF& segment, const QRectF& box)
{
    const QRectF inside = box.adjusted(1, 1, -1, -1);
    QLineF part = segment;
    return !inside.isEmpty() && ClipLine(part, inside);
}

QSet<quint64> BoxIndex::Reached(const QList<QRectF>& areas)
{
    QSet<quint64> reached;
    for (const QRectF& area : areas) {
        if (area.isEmpty())
            continue;
        const Cells cells = cellsOf(area);
        for (int x = cells.left; x <= cells.right; ++x)
            for (int y = cells.top; y <= cells.bottom; ++y)
                reached.insert(cellKey(x, y));
    }
    return reached;
}

bool BoxIndex::Reaches(const QSet<quint64>& cells, const QRectF& box)
{
    const Cells range = cellsOf(box);
    if (double(range.right - range.left + 1) * (range.bottom - range.top + 1) > double(cells.size())) {
        return std::any_of(cells.cbegin(), cells.cend(), [&](quint64 key) {
            const int x = int(quint32(key >> 32));
            const int y = int(quint32(key));
            return x >= range.left && x <= range.right && y >= range.top && y <= range.bottom;
        });
    }
    for (int x = range.left; x <= range.right; ++x)
        for (int y = range.top; y <= range.bottom; ++y)
            if (cells.contains(cellKey(x, y)))
                return true;
    return false;
}

void BoxIndex::Clear()
{
    m_cells.clear();
    m_boxes.clear();
}

} // namespace korvel
