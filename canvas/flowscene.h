#pragma once

#include "canvas/boxindex.h"
#include "canvas/flowlinkitem.h"
#include "canvas/flownodeitem.h"
#include "model/coordinates.h"

#include <QFont>
#include <QGraphicsScene>
#include <QHash>
#include <QList>
#include <QMultiHash>
#include <QPointer>
#include <QPointF>
#include <QRectF>
#include <QSet>
#include <QString>
#include <map>
#include <set>

class QFontMetricsF;

namespace korvel {

class PlainSketch;

// Twips per screen pixel at 96 dpi.
inline constexpr double TwipsPerPixel = 15.0;

// The flow diagram without a window: nodes (boxes) joined by links (arrows), in twips. It keeps
// the items in collection order, finds them by key, knows which are selected, and whether the flow
// may be edited. A FlowView shows it on the screen (any number of views may show one scene);
// pictures and printouts render it alone. Nodes can be moved with the mouse only while the edit
// switch is on, and a mouse drag keeps them between 0 and CoordinateLimit (model/coordinates.h) on
// both axes; one that stood outside is never moved further out.
//
// Flows of thousands of steps stay quick: items are found by key through hash indexes, removing
// one costs no search of the collections, and the scene's size follows the items that were added,
// moved or removed instead of measuring them all.
//
// No link caption covers another caption or a step box where a free place near its line exists:
// after every change (once per BulkChange) the captions of links laid out anew, and those that a
// step or caption now covers, are placed again (see FlowLinkItem); a caption that found no free
// place tries again when something near it moves away. Links going round steps take their way
// again when steps near them come, move or go.
class FlowScene final : public QGraphicsScene {
    Q_OBJECT
public:
    // While one lives, adding and removing items leaves the scene's size alone, and a link whose
    // steps move is laid out again once, when the last one ends (not once per moved end); the
    // captions are placed and the scene's size is worked out then. Drawing a flow and every edit
    // of it run inside one.
    class BulkChange final {
    public:
        explicit BulkChange(FlowScene& scene);
        ~BulkChange();
        BulkChange(const BulkChange&) = delete;
        BulkChange& operator=(const BulkChange&) = delete;

    private:
        FlowScene& m_scene;
    };

    explicit FlowScene(QObject* parent = nullptr);
    ~FlowScene() override;

    // Adds a node at the given place and size (twips) at the end of the node collection.
    FlowNodeItem* AddNode(double left, double top, double width, double height);
    // Removes every node; their links go with them.
    void RemoveAllNodes();
    // Removes the node at `index` of the collection with its links; an index out of range throws
    // KorvelError.
    void RemoveNode(int index);
    // The first node (link) in collection order with this key; nullptr when none.
    FlowNodeItem* NodeByKey(const QString& key) const;
    FlowLinkItem* LinkByKey(const QString& key) const;
    QList<FlowNodeItem*> Nodes() const;         // in collection order
    QList<FlowLinkItem*> Links() const;         // in creation order
    FlowNodeItem* SelectedNode() const;         // nullptr when none
    QList<FlowNodeItem*> SelectedNodes() const; // in collection order
    FlowLinkItem* SelectedLink() const;         // nullptr when none
    QList<FlowLinkItem*> SelectedLinks() const; // in creation order
    // How many nodes other than Start and End, and how many links, are selected.
    int SelectedStepCount() const { return m_selectedSteps; }
    int SelectedLinkCount() const { return static_cast<int>(m_selectedLinks.size()); }
    // Makes `item` the only selected item; nullptr clears the selection.
    void SelectItem(QGraphicsItem* item);
    // Selects every node and link except Start and End, announcing the selection once.
    void SelectAllSteps();
    // Selects what lies wholly inside `area` (scene coordinates), a node by its box, a link by its
    // line as drawn, besides the items of `kept`; lets go of every other item. Announces the
    // selection once, when it changed. The selection band uses it.
    void SelectEnclosed(const QRectF& area, const QSet<QGraphicsItem*>& kept);
    // Removes the selected links, and the selected nodes with their links.
    void DeleteSelectedItems();
    // Removes one link.
    void RemoveLink(FlowLinkItem* link);
    // The node's position in the collection; -1 when it is not (or no longer) in it.
    int IndexOf(const FlowNodeItem* node) const;

    bool EditMode() const { return m_editMode; }
    void setEditMode(bool on);
    // What the scene shows (the window keeps the frame's ID here); "" for nothing in particular.
    QString Tag() const { return m_tag; }
    void setTag(const QString& tag) { m_tag = tag; }
    // The grid: one step is GridTwips; while it is on, a node dragged with the mouse snaps to it and
    // the views draw it.
    static constexpr double GridTwips = 150;
    bool GridVisible() const { return m_grid; }
    void setGridVisible(bool on);
    // Adds the plain drawing (see PlainSketch) of every visible link and node that reaches into
    // `exposed` to `sketch`, drawn at `scale` screen pixels per pixel.
    void Sketch(PlainSketch& sketch, const QRectF& exposed, double scale) const;
    // Makes the scene's rectangle run from the origin to just past the items (deferred while a
    // BulkChange lives). Adding, moving and removing items keep it up to date themselves, except
    // for a mouse drag, which the views settle when it ends.
    void UpdateSceneRect();
    // Items drawn over the flow that are none of its nodes and links (a comparison's or a path's
    // marks, added to the scene by their owner): the scene's rectangle reaches over them too, and a
    // view zoomed far out draws them beside the plain flow. One overlay is drawn at a time: setting
    // one deletes the items of the one before, whose owner finds its pointers to them null. Returns
    // the overlay's number for ClearOverlay. An item deleted meanwhile simply drops out; emptying
    // the scene forgets them all.
    quint64 setOverlay(const QList<QGraphicsObject*>& items);
    // Deletes the items of overlay `number` when it is the one drawn, leaving none; a newer one stays.
    void ClearOverlay(quint64 number);
    QList<QGraphicsObject*> Overlay() const;

signals:
    // The grid was switched on or off.
    void GridChanged();

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override;

private:
    friend class FlowNodeItem;
    friend class FlowLinkItem;
    // Bookkeeping the items call: joining and leaving the collections, new keys, and geometry
    // (a box before it changes or goes, and after it changed or came).
    void registerLink(FlowLinkItem* link);
    void forgetLink(FlowLinkItem* link);
    void forgetNode(FlowNodeItem* node);
    void nodeKeyChanged(FlowNodeItem* node, const QString& oldKey);
    void linkKeyChanged(FlowLinkItem* link, const QString& oldKey);
    void itemLeaving(const QRectF& before);
    void selectionMoved(const FlowNodeItem* node, bool selected);
    // A step moved: its links follow now, or once the bulk change ends.
    void stepMoved(FlowNodeItem& node);
    void selectionMoved(const FlowLinkItem* link, bool selected);
    void itemArrived(const QRectF& after);
    // Caption bookkeeping the links call: a caption to place afresh, one moved with its line, and
    // any change of a caption's box (`before` is where it was).
    void captionToPlace(FlowLinkItem* link);
    void captionShifted(FlowLinkItem* link);
    void captionMoved(FlowLinkItem* link, const QRectF& before);
    void linkRunsBack(FlowLinkItem* link, bool back);
    // How much of `box` (area, twips²) step boxes and captions other than `link`'s cover; once that
    // reaches `enough`, counting may stop.
    double coveredArea(const QRectF& box, const FlowLinkItem* link, double enough = 1e300) const;
    // True when the segment runs through a step box other than `a` and `b`; the highest top of
    // those boxes goes to `highestTop` when given (and higher than what it holds).
    bool crossesStep(const QLineF& segment, const FlowNodeItem* a, const FlowNodeItem* b,
                     double* highestTop) const;
    // Places captions and takes ways round steps again as the changes since the last time need;
    // deferred while a BulkChange lives.
    void settle();
    void placeCaptions();
    // The place a node moved by the mouse goes to: snapped to the grid while it shows, and moved
    // with the rest of the selection no further than keeps every moved step within [0, the
    // coordinate limit] on both axes, or where it stood when it started outside.
    QPointF dragPlace(const FlowNodeItem& node, const QPointF& wanted);
    // True while the whole scene is being emptied: items then skip letting go of each other.
    bool clearing() const { return m_clearing; }
    // metrics.horizontalAdvance(text) for `font`, remembered by text (see m_captionWidths).
    double captionWidth(const QFontMetricsF& metrics, const QFont& font, const QString& text);

    // The key under which an item is indexed: every key that reaches or searches the indexes goes
    // through here, so this alone decides which keys are the same. A key is "N" or "L" and an ID,
    // and IDs are the same as the database takes them (IdKey): a link stored with the end
    // "n00002" ends at the step "N00002".
    static QString indexKey(const QString& key);
    // The item with `key` that came first into its collection: the one lookup by key.
    template <typename Item>
    static Item* firstWithKey(const QMultiHash<QString, Item*>& index, const std::map<quint64, Item*>& items,
                              const QString& key);
    bool holds(const FlowNodeItem* node) const;
    bool holds(const FlowLinkItem* link) const;
    void deleteNode(FlowNodeItem* node);
    void clearScene();

    // The collections by serial number, which grows with every item added: collection order.
    std::map<quint64, FlowNodeItem*> m_nodes;
    std::map<quint64, FlowLinkItem*> m_links;
    quint64 m_lastSerial = 0;
    // Items with a key by indexKey(); several may share one.
    QMultiHash<QString, FlowNodeItem*> m_nodesByKey;
    QMultiHash<QString, FlowLinkItem*> m_linksByKey;
    // The box around every item, as QGraphicsScene::itemsBoundingRect() would give it. Stale when
    // an item on its edge moved or went; it is then measured again from all items.
    QRectF m_extent;
    bool m_extentStale = false;
    // Link captions' widths in pixels by text, for m_captionFont. Measuring shapes the text, the
    // dearest part of adding a link, and captions repeat ("Yes", "No", "Approved").
    QHash<QString, double> m_captionWidths;
    QFont m_captionFont;
    // The selected items by serial (collection order), kept as each is selected or let go: the
    // window reads the selection after every change of it, and a walk over ten thousand items
    // each time made selecting them all quadratic.
    std::set<quint64> m_selectedNodes;
    std::set<quint64> m_selectedLinks;
    int m_selectedSteps = 0;
    int m_bulkChanges = 0;
    // Links whose steps moved during the bulk change, laid out again when it ends.
    QSet<FlowLinkItem*> m_movedLinks;
    // Step boxes and captions, to find what a caption would cover.
    BoxIndex m_boxes;
    // Since the last settle(): captions to place afresh, captions moved with their line (placed
    // again only where they now cover something), boxes steps came to, and areas steps or
    // captions left.
    QSet<FlowLinkItem*> m_unplaced;
    QSet<FlowLinkItem*> m_shifted;
    QList<QRectF> m_arrived;
    QList<QRectF> m_vacated;
    // Captions that found no free place, with how much of them is covered; links that run right to
    // left.
    QHash<FlowLinkItem*, double> m_crowded;
    QSet<FlowLinkItem*> m_backLinks;
    // While positive, settle() waits (it is running, or a step's links are being laid out).
    int m_settleHold = 0;
    // Counts the changes of step boxes: a link that took its way since the last one needs not
    // take it again.
    quint64 m_boxChanges = 0;
    bool m_clearing = false;
    QList<QPointer<QGraphicsObject>> m_overlay;
    QRectF m_overlayArea; // the box around m_overlay when it was set
    quint64 m_overlayNumber = 0;
    bool m_editMode = false;
    bool m_grid = false;
    QString m_tag;
    // A mouse drag: the left button is down after a press that may move nodes. The places the
    // moved nodes started from and how far they may move together are taken when the first node
    // moves.
    bool m_mouseDrag = false;
    QHash<const FlowNodeItem*, QPointF> m_dragStarts;
    ShiftReach m_dragReach;
};

} // namespace korvel
