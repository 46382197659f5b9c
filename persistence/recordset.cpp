#include "persistence/recordset.h"

#include "core/korvelerror.h"

#include <utility>

namespace korvel {

Recordset::Recordset(QStringList columns, QVector<QVector<QVariant>> rows)
    : m_columns(std::move(columns)), m_rows(std::move(rows))
{
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
    // case), so a field is found whatever case the caller spells it in.
    for (int index = 0; index < m_columns.size(); ++index) {
        if (m_columns.at(index).compare(name, Qt::CaseInsensitive) == 0)
            return Fields(index);
    }
    if (!m_open)
        throw KorvelError(QStringLiteral("The result set is closed"));
    throw KorvelError(QStringLiteral("The result set has no field \"%1\"").arg(name));
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
