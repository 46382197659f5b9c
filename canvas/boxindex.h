#pragma once

#include <QHash>
#include <QLineF>
#include <QList>
#include <QSet>
#include <QRectF>
#include <algorithm>

class QGraphicsItem;

namespace korvel {

// Cuts `line` down to its part inside `area`; false (and `line` left alone) when no part is.
bool ClipLine(QLineF& line, const QRectF& area);

// Step boxes and link captions of a scene in a grid of square cells, so that what lies in a small
// area is found without looking at the whole flow: a caption's place is tried many times, and the
// scene's own index would also report every long link whose box reaches there. A box may span
// several cells; Visit reports it once.
class BoxIndex final {
public:
    // The cells a box spans.
    struct Cells {
        int left, top, right, bottom;
        bool operator==(const Cells&) const = default;
    };
    struct Entry {
        QGraphicsItem* item = nullptr;
        QRectF box;
        bool caption = false; // a link's caption, else a step box
        Cells cells;
    };

    // Puts `item` at `box`, where it was anywhere before; an empty box takes it out.
    void Set(QGraphicsItem* item, const QRectF& box, bool caption);
    void Remove(const QGraphicsItem* item);
    // The item's box; empty when it is not in the index.
    QRectF Box(const QGraphicsItem* item) const { return m_boxes.value(item).box; }
    void Clear();
    // True when the segment runs through the inside of `box` (touching its outline is no crossing).
    static bool Crosses(const QLineF& segment, const QRectF& box);
    // The cells any of `areas` reaches, and whether `box` reaches one of them: a quick test of many
    // boxes against many areas.
    static QSet<quint64> Reached(const QList<QRectF>& areas);
    static bool Reaches(const QSet<quint64>& cells, const QRectF& box);

    // True when the two boxes share some area (touching is not enough); QRectF::intersects for
    // boxes of positive size, without a call into Qt (captions' places are tried many times).
    static bool Overlap(const QRectF& a, const QRectF& b)
    {
        return a.left() < b.right() && b.left() < a.right() && a.top() < b.bottom() && b.top() < a.bottom();
    }

    // Calls visit(const Entry&) for every entry whose box intersects `area`, each once, until it
    // returns false.
    template <typename Fn> void Visit(const QRectF& area, Fn&& visit) const
    {
        const Cells range = cellsOf(area);
        // An area of more cells than there are entries (a line across a far-flung flow): the
        // entries are fewer to look at.
        if (double(range.right - range.left + 1) * (range.bottom - range.top + 1) > double(m_boxes.size())) {
            for (const Entry& entry : m_boxes)
                if (Overlap(entry.box, area) && !visit(entry))
                    return;
            return;
        }
        for (int x = range.left; x <= range.right; ++x)
            for (int y = range.top; y <= range.bottom; ++y) {
                const auto it = m_cells.constFind(cellKey(x, y));
                if (it == m_cells.cend())
                    continue;
                for (const Entry& entry : it.value()) {
                    // A box spanning several cells is reported in the first cell both share.
                    if ((x == entry.cells.left || x == range.left) && (y == entry.cells.top || y == range.top) &&
                        Overlap(entry.box, area) && !visit(entry))
                        return;
                }
            }
    }

private:
    static Cells cellsOf(const QRectF& box);
    static quint64 cellKey(int x, int y)
    {
        return (quint64(quint32(x)) << 32) | quint32(y);
    }

    QHash<quint64, QList<Entry>> m_cells;
    QHash<const QGraphicsItem*, Entry> m_boxes; // every entry by item, to take it out again
};

} // namespace korvel
