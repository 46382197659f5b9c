#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>

class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace korvel {

class cWOrders;

// Tree item data: the item's key ("N" + frame ID) and the key of its image ("DynOpen"/"DynClose").
inline constexpr int TreeKeyRole = Qt::UserRole;
inline constexpr int TreeImageRole = Qt::UserRole + 1;

// The work-order tree: one root item per frame of the list, its image telling whether this user
// holds the frame's lock, bold while the frame holds unsaved changes. What it highlights is the
// current frame: moving the highlight by keys or by dragging reports CurrentMoved, as a click would.
class FrameTree final : public QObject {
    Q_OBJECT
public:
    FrameTree(cWOrders& workOrders, QWidget& parent);

    QTreeWidget& Widget(); // items: data(0, TreeKeyRole) = key "N" + frame ID
    // Refills the tree from the work-order list.
    void LoadWorkOrderTree();
    // The tree's selected item, nullptr when none.
    QTreeWidgetItem* SelectedTreeItem() const;
    // The root item with this key, nullptr when none.
    QTreeWidgetItem* TreeItemByKey(const QString& key) const;
    // Appends a root item with key, text and image key ("DynOpen"/"DynClose").
    QTreeWidgetItem* AddTreeItem(const QString& key, const QString& text, const QString& image);
    // Takes the item out of the tree and deletes it.
    void RemoveTreeItem(QTreeWidgetItem* item);
    // Sets an item's image by key and remembers the key in TreeImageRole.
    static void SetTreeItemImage(QTreeWidgetItem& item, const QString& image);
    // Marks the frame's item as holding unsaved changes (none when frameId is empty); the item
    // marked before is unmarked.
    void MarkUnsaved(const QString& frameId);

signals:
    // The highlight moved to an item that is not the current frame without a click.
    void CurrentMoved(QTreeWidgetItem* item);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    cWOrders& m_workOrders;
    QTreeWidget* m_tree = nullptr;
    // Keys of the tree items now marked as holding unsaved changes.
    QSet<QString> m_markedItems;
    // The tree's root items by key: the window looks them up after every command, and a tree may
    // hold tens of thousands. AddTreeItem, LoadWorkOrderTree and RemoveTreeItem keep it.
    QHash<QString, QTreeWidgetItem*> m_treeItems;
};

} // namespace korvel
