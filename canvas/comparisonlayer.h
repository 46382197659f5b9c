#pragma once

#include "model/framediff.h"

#include <QList>
#include <QPointer>
#include <QRectF>
#include <QString>
#include <vector>

class QGraphicsItem;

namespace korvel {

class FlowScene;

// What separates an older version of a frame from the newer one a FlowScene shows, drawn over that
// scene: added steps and links in one colour, removed ones as faded ghosts where they were, changed
// ones marked, moved steps with their old outline dashed. The marks are items of the scene of their
// own (never selectable, never saved, left out of the scene's node and link collections); they go
// when the layer goes. Pictures of the scene show them too.
class ComparisonLayer final {
public:
    // Draws `diff` (older -> the flow `scene` shows) over the scene.
    ComparisonLayer(FlowScene& scene, const FrameDiff& diff);
    ~ComparisonLayer();
    ComparisonLayer(const ComparisonLayer&) = delete;
    ComparisonLayer& operator=(const ComparisonLayer&) = delete;

    // One change, for the window's list of changes: its line in the interface language and where
    // it is on the canvas (the item shown selected when the line is chosen: the step or link for an
    // added or changed one, its ghost for a removed one; none for a header change).
    struct Entry {
        enum class Kind { Added, Removed, Changed, Moved, Header };
        Kind kind = Kind::Changed;
        QString text;
        QString stepId;  // the step this is about; empty for a link or the header
        QString linkKey; // the link this is about (its code); empty otherwise
        QRectF area;     // the scene area to bring into view; empty for a header change
    };
    const QList<Entry>& Entries() const { return m_entries; }
    // Shows entry `index` as the chosen one (its item or ghost highlighted) and returns the area to
    // bring into view.
    QRectF Choose(int index);

private:
    FlowScene& m_scene;
    QList<Entry> m_entries;
    std::vector<QPointer<QObject>> m_ownedObjects; // the layer's marks that are QObjects
    std::vector<QGraphicsItem*> m_marks;           // every mark, removed by the destructor
};

} // namespace korvel
