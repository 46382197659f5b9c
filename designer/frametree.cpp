#include "designer/frametree.h"

#include "model/cworders.h"

#include <QEvent>
#include <QTreeView>

namespace korvel {

FrameTree::FrameTree(cWOrders& workOrders, QWidget& parent) : QObject(&parent), m_workOrders(workOrders)
{
    m_model = new FrameTreeModel(workOrders, this);
    m_tree = new QTreeView(&parent);
    m_tree->setObjectName(QStringLiteral("TrvTree"));
    m_tree->setHeaderHidden(true);
    m_tree->setRootIsDecorated(false);
    // Every row is one line of text beside a 16-pixel image: the view need not measure 200,000 of them.
    m_tree->setUniformRowHeights(true);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setIconSize(QSize(16, 16));
    m_tree->setModel(m_model);
    m_tree->installEventFilter(this);
    m_tree->viewport()->installEventFilter(this);
}

QTreeView& FrameTree::Widget()
{
    return *m_tree;
}

QString FrameTree::SelectedFrame() const
{
    const auto selected = m_tree->selectionModel()->selectedRows();
    return selected.isEmpty() ? QString() : m_model->FrameID(selected.first());
}

QString FrameTree::FrameAt(const QModelIndex& index) const
{
    return m_model->FrameID(index);
}

QModelIndex FrameTree::FrameIndex(const QString& frameId) const
{
    return m_model->FrameIndex(frameId);
}

void FrameTree::SelectFrame(const QString& frameId)
{
    const QModelIndex row = m_model->FrameIndex(frameId);
    if (!row.isValid())
        m_tree->clearSelection();
    m_tree->setCurrentIndex(row);
}

void FrameTree::RefreshFrame(const QString& frameId)
{
    m_model->FrameChanged(frameId);
}

void FrameTree::MarkUnsaved(const QString& frameId)
{
    m_model->MarkUnsaved(frameId);
}

bool FrameTree::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == m_tree && event->type() == QEvent::KeyPress) ||
        (watched == m_tree->viewport() && event->type() == QEvent::MouseButtonRelease)) {
        // What the tree highlights is the current frame: moving the highlight with the keys, or
        // dragging it onto another row (which reports no click), selects that frame just like a
        // click. The tree handles the event first; then its row is clicked unless it is the
        // current frame already (a click has been handled by then).
        QMetaObject::invokeMethod(
            this,
            [this] {
                const QString now = m_model->FrameID(m_tree->currentIndex());
                if (!now.isEmpty() && now != m_workOrders.CurWOrder())
                    emit CurrentMoved(now);
            },
            Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace korvel
