#pragma once

#include <QByteArray>
#include <QHash>
#include <QLatin1StringView>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

namespace korvel {

// A static, read-only result set: every row is read when it opens, so it stays valid whatever
// happens on the connection afterwards. Fields are addressed by name (letter case ignored) or index.
class Recordset final {
public:
    enum : qint32 { adStateClosed = 0, adStateOpen = 1 };

    Recordset(QStringList columns, QVector<QVector<QVariant>> rows);

    qint32 State() const { return m_open ? adStateOpen : adStateClosed; }
    bool IsOpen() const { return m_open; }
    // True when the cursor is past the last row (also on an empty or closed set).
    bool IsEOF() const;
    void MoveNext();
    qint32 RecordCount() const { return static_cast<qint32>(m_rows.size()); }
    // The current row's field; throws KorvelError on a closed set, at end of set, or for an unknown name.
    QVariant Fields(const QString& name) const;
    QVariant Fields(int index) const;
    // The same for a name in Latin-1 as the model spells its columns: found without making a string.
    QVariant Fields(QLatin1StringView name) const;
    const QStringList& Columns() const { return m_columns; }
    void Close() { m_open = false; }

private:
    QStringList m_columns;
    QHash<QString, int> m_exactIndex;  // column name -> index
    QHash<QString, int> m_foldedIndex; // case-folded column name -> index
    QList<QByteArray> m_latinNames;    // the column names in Latin-1, for m_latinIndex to view
    QHash<QLatin1StringView, int> m_latinIndex;
    QVector<QVector<QVariant>> m_rows;
    int m_position = 0;
    bool m_open = true;
};

} // namespace korvel
