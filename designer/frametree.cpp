#include "designer/frametree.h"

#include "model/cworders.h"
#include "resources/stringtable.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTreeView>
#include <QVBoxLayout>

namespace korvel {

FrameTree::FrameTree(cWOrders& workOrders, QWidget& parent) : QObject(&parent), m_workOrders(workOrders)
{
    m_model = new FrameTreeModel(workOrders, this);
    m_filter = new FrameFilterModel(workOrders, this);
    m_filter->setSourceModel(m_model);
    m_panel = new QWidget(&parent);
    m_panel->setObjectName(QStringLiteral("TreePanel"));
    // The tree is made first, so that it, not the box, has the keyboard when the window opens (a
    // focused text box would take the editing keys, Ctrl+Z and Delete among them).
    m_tree = new QTreeView(m_panel);
    m_tree->setObjectName(QStringLiteral("TrvTree"));
    m_tree->setHeaderHidden(true);
    m_tree->setRootIsDecorated(false);
    // Every row is one line of text beside a 16-pixel image: the view need not measure 200,000 of them.
    m_tree->setUniformRowHeights(true);
    // A double click edits a frame's header; the deleted frames' node opens with a single click.
    m_tree->setExpandsOnDoubleClick(false);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setIconSize(QSize(16, 16));
    m_tree->setModel(m_filter);
    m_tree->installEventFilter(this);
    m_tree->viewport()->installEventFilter(this);
    m_popup = new QMenu(m_tree);
    m_popup->setObjectName(QStringLiteral("MenuTree"));
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_tree, &QTreeView::customContextMenuRequested, this, [this](QPoint where) {
        const QString frameId = FrameAt(m_tree->indexAt(where));
        if (!frameId.isEmpty())
            emit PopupRequested(frameId, m_tree->viewport()->mapToGlobal(where));
    });
    m_filterBox = new QLineEdit(m_panel);
    m_filterBox->setObjectName(QStringLiteral("TxtTreeFilter"));
    m_filterBox->setClearButtonEnabled(true);
    m_filterBox->setPlaceholderText(LoadResString(2023));
    m_filterBox->installEventFilter(this);
    connect(m_filterBox, &QLineEdit::textChanged, this, &FrameTree::Filter);
    auto* layout = new QVBoxLayout(m_panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_filterBox);
    layout->addWidget(m_tree);
}

QWidget& FrameTree::Panel()
{
    return *m_panel;
}

QTreeView& FrameTree::Widget()
{
    return *m_tree;
}

QLineEdit& FrameTree::FilterBox()
{
    return *m_filterBox;
}

QString FrameTree::SelectedFrame() const
{
    const auto selected = m_tree->selectionModel()->selectedRows();
    return selected.isEmpty() ? QString() : FrameAt(selected.first());
}

QString FrameTree::FrameAt(const QModelIndex& index) const
{
    return m_model->FrameID(m_filter->mapToSource(index));
}

QModelIndex FrameTree::FrameIndex(const QString& frameId) const
{
    return m_filter->mapFromSource(m_model->FrameIndex(frameId));
}

void FrameTree::SelectFrame(const QString& frameId)
{
    if (m_model->FrameIndex(frameId).isValid() && !FrameIndex(frameId).isValid())
        m_filterBox->clear();
    const QModelIndex row = FrameIndex(frameId);
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

QModelIndex FrameTree::DeletedNode() const
{
    return m_filter->mapFromSource(m_model->DeletedNode());
}

bool FrameTree::DeletedRow(const QModelIndex& index, const FrameVersionRow*& deleted) const
{
    const QModelIndex source = m_filter->mapToSource(index);
    deleted = m_model->DeletedAt(source);
    return deleted || (source.isValid() && source == m_model->DeletedNode());
}

void FrameTree::SetDeleted(const QList<FrameVersionRow>& deleted)
{
    m_model->SetDeleted(deleted);
}

QMenu& FrameTree::Popup()
{
    return *m_popup;
}

QAction* FrameTree::PopupItem(const QString& name) const
{
    const auto actions = m_popup->actions();
    for (QAction* action : actions)
        if (action->objectName() == name)
            return action;
    return nullptr;
}

void FrameTree::Filter(const QString& text)
{
    m_filter->SetText(text);
    // The view moves its highlight to a neighbour of a row taken away, which would make another
    // frame the one the commands act on: the highlight stays on the current frame while it shows
    // (without opening it again: it is current already), and on none while it is filtered out.
    const QModelIndex current = FrameIndex(m_workOrders.CurWOrder());
    if (current.isValid()) {
        if (m_tree->currentIndex() != current || SelectedFrame() != m_workOrders.CurWOrder())
            m_tree->setCurrentIndex(current);
        return;
    }
    m_tree->clearSelection();
    m_tree->selectionModel()->clearCurrentIndex();
}

bool FrameTree::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_filterBox && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && !m_filterBox->text().isEmpty()) {
        m_filterBox->clear();
        return true;
    }
    if ((watched == m_tree && event->type() == QEvent::KeyPress) ||
        (watched == m_tree->viewport() && event->type() == QEvent::MouseButtonRelease)) {
        // What the tree highlights is the current frame: moving the highlight with the keys, or
        // dragging it onto another row (which reports no click), selects that frame just like a
        // click. The tree handles the event first; then its row is clicked unless it is the
        // current frame already (a click has been handled by then).
        QMetaObject::invokeMethod(
            this,
            [this] {
                const QString now = FrameAt(m_tree->currentIndex());
                if (!now.isEmpty() && now != m_workOrders.CurWOrder())
                    emit CurrentMoved(now);
            },
            Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace korvel
