#include "designer/frametreemodel.h"

#include "canvas/designericons.h"
#include "core/addinglobals.h"
#include "model/cworders.h"
#include "resources/stringtable.h"

#include <QFont>

namespace korvel {

FrameTreeModel::FrameTreeModel(cWOrders& workOrders, QObject* parent)
    : QAbstractItemModel(parent), m_workOrders(workOrders), m_openIcon(DesignerIcon(QStringLiteral("DynOpen"))),
      m_closedIcon(DesignerIcon(QStringLiteral("DynClose"))), m_caption(LoadResString(1811)),
      m_deletedCaption(LoadResString(2093))
{
    connect(&m_workOrders, &cWOrders::ListAboutToBeRead, this, [this] { beginResetModel(); });
    connect(&m_workOrders, &cWOrders::ListRead, this, [this] {
        // The rows are new: no frame read afresh holds changes.
        m_unsaved.clear();
        endResetModel();
    });
    connect(&m_workOrders, &cWOrders::EntryAboutToBeAdded, this, [this](int row) { beginInsertRows({}, row, row); });
    connect(&m_workOrders, &cWOrders::EntryAdded, this, [this] { endInsertRows(); });
    connect(&m_workOrders, &cWOrders::EntryAboutToBeRemoved, this,
            [this](int row) { beginRemoveRows({}, row, row); });
    connect(&m_workOrders, &cWOrders::EntryRemoved, this, [this] { endRemoveRows(); });
    const auto changed = [this](int row) {
        const QModelIndex entry = index(row, 0);
        emit dataChanged(entry, entry);
    };
    connect(&m_workOrders, &cWOrders::EntryReplaced, this, changed);
    connect(&m_workOrders, &cWOrders::EntryChanged, this, changed);
}

namespace {

// Root rows have the internal id RootRow, the deleted frames DeletedRow.
constexpr quintptr RootRow = 0;
constexpr quintptr DeletedRow = 1;

} // namespace

QModelIndex FrameTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (!hasIndex(row, column, parent))
        return {};
    return createIndex(row, column, parent.isValid() ? DeletedRow : RootRow);
}

QModelIndex FrameTreeModel::parent(const QModelIndex& child) const
{
    return child.isValid() && child.internalId() == DeletedRow ? DeletedNode() : QModelIndex();
}

int FrameTreeModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return m_workOrders.Count() + 1;
    return parent == DeletedNode() ? static_cast<int>(m_deleted.size()) : 0;
}

int FrameTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

QModelIndex FrameTreeModel::DeletedNode() const
{
    return createIndex(m_workOrders.Count(), 0, RootRow);
}

const FrameVersionRow* FrameTreeModel::DeletedAt(const QModelIndex& index) const
{
    if (!index.isValid() || index.internalId() != DeletedRow || index.row() >= m_deleted.size())
        return nullptr;
    return &m_deleted[index.row()];
}

void FrameTreeModel::SetDeleted(const QList<FrameVersionRow>& deleted)
{
    if (deleted == m_deleted)
        return;
    const QModelIndex node = DeletedNode();
    if (!m_deleted.isEmpty()) {
        beginRemoveRows(node, 0, static_cast<int>(m_deleted.size()) - 1);
        m_deleted.clear();
        endRemoveRows();
    }
    if (!deleted.isEmpty()) {
        beginInsertRows(node, 0, static_cast<int>(deleted.size()) - 1);
        m_deleted = deleted;
        endInsertRows();
    }
}

QVariant FrameTreeModel::data(const QModelIndex& index, int role) const
{
    if (const FrameVersionRow* deleted = DeletedAt(index)) {
        if (role == Qt::DisplayRole)
            return m_caption.arg(deleted->frameName, deleted->frameId);
        if (role == Qt::ToolTipRole)
            return LoadResString(2094).arg(deleted->staffId, deleted->savedAt);
        if (role == TreeKeyRole)
            return QStringLiteral("D") + deleted->frameId;
        return {};
    }
    if (index == DeletedNode()) {
        if (role == Qt::DisplayRole)
            return m_deletedCaption;
        if (role == TreeKeyRole)
            return QStringLiteral("D");
        return {};
    }
    if (!index.isValid() || index.internalId() != RootRow || index.row() >= m_workOrders.Count())
        return {};
    const FrameListEntry& entry = m_workOrders.AllWOrder()[static_cast<size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return m_caption.arg(entry.Name(), entry.ID());
    case Qt::DecorationRole:
        return entry.HeldByUser() ? m_openIcon : m_closedIcon;
    case Qt::ToolTipRole:
        if (const QString text = LockText(entry); !text.isEmpty())
            return text;
        return {};
    case Qt::FontRole:
        if (!m_unsaved.isEmpty() && entry.ID() == m_unsaved) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    case TreeKeyRole:
        return QStringLiteral("N") + entry.ID();
    case TreeImageRole:
        return entry.HeldByUser() ? QStringLiteral("DynOpen") : QStringLiteral("DynClose");
    default:
        return {};
    }
}

QString FrameTreeModel::LockText(const FrameListEntry& entry) const
{
    if (entry.HeldByUser())
        return LoadResString(2024);
    const LockHolder* holder = entry.Holder();
    if (!holder)
        return {};
    // A lock of this user that this session does not hold was taken in another Korvel session.
    const QString text = holder->mineElsewhere || holder->staffId == Host().LoginStaffID()
                             ? LoadResString(2025).arg(holder->since)
                             : LoadResString(2026).arg(holder->name, holder->staffId, holder->since);
    return holder->sessionEnded ? text + LoadResString(2027) : text;
}

QModelIndex FrameTreeModel::FrameIndex(const QString& frameId) const
{
    const int row = m_workOrders.RowOf(frameId);
    return row < 0 ? QModelIndex() : index(row, 0);
}

QString FrameTreeModel::FrameID(const QModelIndex& index) const
{
    if (!index.isValid() || index.internalId() != RootRow || index.row() >= m_workOrders.Count())
        return {};
    return m_workOrders.AllWOrder()[static_cast<size_t>(index.row())].ID();
}

void FrameTreeModel::FrameChanged(const QString& frameId)
{
    if (const QModelIndex row = FrameIndex(frameId); row.isValid())
        emit dataChanged(row, row);
}

void FrameTreeModel::MarkUnsaved(const QString& frameId)
{
    // Only the current frame can hold unsaved changes (leaving it asks to save or drop them).
    if (frameId == m_unsaved)
        return;
    const QString before = m_unsaved;
    m_unsaved = frameId;
    FrameChanged(before);
    FrameChanged(frameId);
}

} // namespace korvel
