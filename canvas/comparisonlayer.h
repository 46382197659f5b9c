#pragma once

#include "model/framediff.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QRectF>
#include <QString>
#include <vector>

namespace korvel {

class ComparisonMark;
class FlowScene;

// What separates an older version of a frame from the newer one a FlowScene shows, drawn over that
// scene: added steps and links in one colour, removed ones as faded ghosts where they were, changed
// ones marked, moved steps with their old outline dashed. The marks are items of the scene of their
// own (never selectable, never saved, left out of the scene's node and link collections); they go
// when the layer goes, or when another overlay replaces them (FlowScene::setOverlay). Pictures of
// the scene show them too.
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
    // bring into view; an index out of range chooses none and returns an empty area.
    QRectF Choose(int index);

private:
    // Adds `mark` to the scene as one of the layer's; returns its index in m_ownedObjects.
    int addMark(ComparisonMark* mark);
    // An entry without its text (the diff's line, given when all are made).
    void addEntry(Entry::Kind kind, const QString& stepId, const QString& linkKey, const QRectF& area, int mark);
    // The marks of the steps' and the links' changes, each with its entries in the diff's order.
    void markSteps(const FrameDiff& diff);
    void markLinks(const FrameDiff& diff);
    // Where a removed link's end stood: the step's item when it is still there, else its ghost.
    QRectF endBox(const QString& id) const;
    // The mark at `index` of m_ownedObjects; nullptr for -1 or a mark the scene deleted.
    ComparisonMark* mark(int index) const;

    FlowScene& m_scene;
    // Null once the scene is gone: the destructor then leaves it alone.
    QPointer<FlowScene> m_sceneAlive;
    QList<Entry> m_entries;
    // Every mark (each is a QObject). The scene deletes them: when the layer goes, or first when it
    // is emptied, destroyed or draws another overlay; the pointers then read null.
    std::vector<QPointer<QObject>> m_ownedObjects;
    quint64 m_overlay = 0; // the scene's number of the marks' overlay
    QList<int> m_entryMarks; // the mark of each entry, an index of m_ownedObjects; -1 for none
    // The removed steps' old boxes by IdKey, for the ends of removed links.
    QHash<QString, QRectF> m_ghosts;
    int m_chosen = -1; // the chosen entry; -1 for none
};

} // namespace korvel
