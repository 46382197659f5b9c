#include "persistence/recordset.h"

#include "core/korvelerror.h"

#include <utility>

namespace korvel {

Recordset::Recordset(QStringList columns, QVector<QVector<QVariant>> rows)
    : m_columns(std::move(columns)), m_rows(std::move(rows))
{
    // The first of equal names wins, as a search from the left would find it.
    for (int index = m_columns.size() - 1; index >= 0; --index) {
        m_exactIndex.insert(m_columns.at(index), index);
        m_foldedIndex.insert(m_columns.at(index).toCaseFolded(), index);
    }
    m_latinNames.reserve(m_columns.size());
    for (const QString& column : std::as_const(m_columns))
        m_latinNames.append(column.toLatin1());
    for (int index = m_columns.size() - 1; index >= 0; --index)
        m_latinIndex.insert(QLatin1StringView(m_latinNames.at(index)), index);
}

bool Recordset::IsEOF() const
{
    return !m_open || m_position >= m_rows.size();
}

void Recordset::MoveNext()
{
    if (m_open && m_position < m_rows.size())
        ++m_position;
}

QVariant Recordset::Fields(const QString& name) const
{
    // Drivers differ in the letter case they report (PostgreSQL folds unquoted names to lower
    // case), so a field is found whatever case the caller spells it in. Rows are read field by
    // field by name, so the name is found by hash, as spelt first.
    if (const auto exact = m_exactIndex.constFind(name); exact != m_exactIndex.cend())
        return Fields(*exact);
    if (const auto folded = m_foldedIndex.constFind(name.toCaseFolded()); folded != m_foldedIndex.cend())
        return Fields(*folded);
    if (!m_open)
        throw KorvelError(QStringLiteral("The result set is closed"));
    throw KorvelError(QStringLiteral("The result set has no field \"%1\"").arg(name));
}

QVariant Recordset::Fields(QLatin1StringView name) const
{
    if (const auto exact = m_latinIndex.constFind(name); exact != m_latinIndex.cend())
        return Fields(*exact);
    return Fields(QString(name));
}

QVariant Recordset::Fields(int index) const
{
    if (!m_open)
        throw KorvelError(QStringLiteral("The result set is closed"));
    if (m_position >= m_rows.size())
        throw KorvelError(QStringLiteral("The result set is at its end: there is no current row"));
    if (index < 0 || index >= m_columns.size())
        throw KorvelError(QStringLiteral("The result set has no field number %1").arg(index));
    return m_rows.at(m_position).value(index);
}

} // namespace korvel
