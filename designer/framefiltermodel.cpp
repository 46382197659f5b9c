#include "designer/framefiltermodel.h"

#include "model/cworders.h"

namespace korvel {

FrameFilterModel::FrameFilterModel(cWOrders& workOrders, QObject* parent)
    : QSortFilterProxyModel(parent), m_workOrders(workOrders)
{
}

void FrameFilterModel::SetText(const QString& text)
{
    // Typed on a keyboard of wide letters, an ID still finds the frame stored with plain ones.
    const QString plain = text.normalized(QString::NormalizationForm_KC).trimmed();
    if (plain == m_text)
        return;
    m_text = plain;
    invalidateFilter();
}

bool FrameFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    if (sourceParent.isValid())
        return true;
    if (sourceRow == m_workOrders.Count())
        return !m_framesOnly; // the deleted frames' node
    if (m_text.isEmpty())
        return true;
    if (sourceRow < 0 || sourceRow > m_workOrders.Count())
        return false;
    const FrameListEntry& entry = m_workOrders.AllWOrder()[static_cast<size_t>(sourceRow)];
    return entry.ID().contains(m_text, Qt::CaseInsensitive) ||
           entry.Name().contains(m_text, Qt::CaseInsensitive);
}

} // namespace korvel
