#include "designer/frametreemodel.h"

#include "canvas/designericons.h"
#include "core/addinglobals.h"
#include "model/cworders.h"
#include "resources/stringtable.h"

#include <QFont>

namespace korvel {

FrameTreeModel::FrameTreeModel(cWOrders& workOrders, QObject* parent)
    : QAbstractListModel(parent), m_workOrders(workOrders), m_openIcon(DesignerIcon(QStringLiteral("DynOpen"))),
      m_closedIcon(DesignerIcon(QStringLiteral("DynClose"))), m_caption(LoadResString(1811))
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
        const QModelIndex entry = index(row);
        emit dataChanged(entry, entry);
    };
    connect(&m_workOrders, &cWOrders::EntryReplaced, this, changed);
    connect(&m_workOrders, &cWOrders::EntryChanged, this, changed);
}

int FrameTreeModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_workOrders.Count();
}

QVariant FrameTreeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_workOrders.Count())
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
    return row < 0 ? QModelIndex() : index(row);
}

QString FrameTreeModel::FrameID(const QModelIndex& index) const
{
    if (!index.isValid() || index.row() >= m_workOrders.Count())
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
