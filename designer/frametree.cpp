#include "designer/frametree.h"

#include "canvas/designericons.h"
#include "model/cworders.h"

#include <QEvent>
#include <QTreeWidget>

namespace korvel {

FrameTree::FrameTree(cWOrders& workOrders, QWidget& parent) : QObject(&parent), m_workOrders(workOrders)
{
    m_tree = new QTreeWidget(&parent);
    m_tree->setObjectName(QStringLiteral("TrvTree"));
    m_tree->setColumnCount(1);
    m_tree->setHeaderHidden(true);
    m_tree->setRootIsDecorated(false);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setIconSize(QSize(16, 16));
    m_tree->installEventFilter(this);
    m_tree->viewport()->installEventFilter(this);
}

QTreeWidget& FrameTree::Widget()
{
    return *m_tree;
}

QTreeWidgetItem* FrameTree::SelectedTreeItem() const
{
    const auto selected = m_tree->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

void FrameTree::LoadWorkOrderTree()
{
    m_tree->clear();
    m_treeItems.clear();
    for (const FrameListEntry& entry : m_workOrders.AllWOrder())
        AddTreeItem(QStringLiteral("N") + entry.ID(), entry.Name(),
                    entry.HeldByUser() ? QStringLiteral("DynOpen") : QStringLiteral("DynClose"));
}

QTreeWidgetItem* FrameTree::AddTreeItem(const QString& key, const QString& text, const QString& image)
{
    auto* item = new QTreeWidgetItem(m_tree);
    item->setText(0, text);
    item->setData(0, TreeKeyRole, key);
    SetTreeItemImage(*item, image);
    m_treeItems.insert(key, item);
    return item;
}

void FrameTree::RemoveTreeItem(QTreeWidgetItem* item)
{
    m_treeItems.remove(item->data(0, TreeKeyRole).toString());
    delete m_tree->takeTopLevelItem(m_tree->indexOfTopLevelItem(item));
}

void FrameTree::SetTreeItemImage(QTreeWidgetItem& item, const QString& image)
{
    item.setIcon(0, DesignerIcon(image));
    item.setData(0, TreeImageRole, image);
}

QTreeWidgetItem* FrameTree::TreeItemByKey(const QString& key) const
{
    return m_treeItems.value(key, nullptr);
}

void FrameTree::MarkUnsaved(const QString& frameId)
{
    // Only the current frame can hold unsaved changes (leaving it asks to save or drop them); the
    // items marked before are unmarked when they no longer do.
    QSet<QString> marked;
    if (!frameId.isEmpty())
        marked.insert(QStringLiteral("N") + frameId);
    for (const QString& key : m_markedItems | marked) {
        if (QTreeWidgetItem* item = TreeItemByKey(key)) {
            QFont font = item->font(0);
            font.setBold(marked.contains(key));
            item->setFont(0, font);
        }
    }
    m_markedItems = marked;
}

bool FrameTree::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == m_tree && event->type() == QEvent::KeyPress) ||
        (watched == m_tree->viewport() && event->type() == QEvent::MouseButtonRelease)) {
        // What the tree highlights is the current frame: moving the highlight with the keys, or
        // dragging it onto another row (which reports no click), selects that frame just like a
        // click. The tree handles the event first; then its item is clicked unless it is the
        // current frame already (a click has been handled by then).
        QMetaObject::invokeMethod(
            this,
            [this] {
                QTreeWidgetItem* now = m_tree->currentItem();
                if (now && now->data(0, TreeKeyRole).toString().mid(1) != m_workOrders.CurWOrder())
                    emit CurrentMoved(now);
            },
            Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace korvel
