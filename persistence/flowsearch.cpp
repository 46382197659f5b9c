#include "persistence/flowsearch.h"

#include "core/addinglobals.h"
#include "persistence/connection.h"

#include <QStringList>

namespace korvel {
namespace {

// The pattern that finds `text` anywhere, with LIKE's own characters escaped by "\".
QString ContainsPattern(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (c == u'\\' || c == u'%' || c == u'_')
            escaped += u'\\';
        escaped += c;
    }
    return u'%' + escaped + u'%';
}

// "column matches the bound pattern" without regard to letter case, in the connection's dialect.
// PostgreSQL's identifier columns use a nondeterministic collation, with which LIKE is refused, so
// the comparison there runs under the database's default collation.
QString MatchCondition(const QString& column, const QString& driver)
{
    if (driver == QLatin1String("QSQLITE"))
        return column + QStringLiteral(R"( LIKE ? ESCAPE '\')");
    if (driver == QLatin1String("QPSQL"))
        return column + QStringLiteral(R"( COLLATE "default" ILIKE ? ESCAPE '\')");
    return QStringLiteral("UPPER(") + column + QStringLiteral(R"() LIKE UPPER(?) ESCAPE '\')");
}

struct SearchedTable {
    SearchItemKind kind;
    const char* table;
    const char* keyColumn;
    QStringList columns; // searched, key included
};

} // namespace

QList<SearchHit> SearchFlows(const QString& text)
{
    QList<SearchHit> hits;
    if (text.isEmpty())
        return hits;
    const QList<SearchedTable> tables = {
        {SearchItemKind::Frame, "TWO_Frame", "WorkOrderFrame_ID",
         {QStringLiteral("WorkOrderFrame_ID"), QStringLiteral("WorkOrderFrameName")}},
        {SearchItemKind::Step, "Two_Node", "WorkOrderNode_ID",
         {QStringLiteral("WorkOrderNode_ID"), QStringLiteral("WorkOrderNodeName"), QStringLiteral("HandleBy_ID"),
          QStringLiteral("HandleGroup_ID"), QStringLiteral("ExpiredHandleBy_ID"),
          QStringLiteral("ExpiredHandleGroup_ID"), QStringLiteral("ToHandleby")}},
        {SearchItemKind::Link, "Two_Link", "WorkOrderLink_ID",
         {QStringLiteral("WorkOrderLink_ID"), QStringLiteral("WorkOrderLinkName"), QStringLiteral("AddinVariant"),
          QStringLiteral("CompareType"), QStringLiteral("VariantValue")}},
    };
    Connection connection = Connection::Shared();
    const QString driver = connection.database().driverName();
    const QString pattern = ContainsPattern(text);

    for (const SearchedTable& table : tables) {
        QStringList conditions;
        QVariantList bindings;
        for (const QString& column : table.columns) {
            conditions << MatchCondition(column, driver);
            bindings << pattern;
        }
        const QString sql = QStringLiteral("select WorkOrderFrame_ID,%1,%2 from %3 where %4")
                                .arg(QLatin1String(table.keyColumn), table.columns.join(u','),
                                     QLatin1String(table.table), conditions.join(QStringLiteral(" or ")));
        auto rs = connection.OpenRecordset(sql, bindings);
        for (; !rs->IsEOF(); rs->MoveNext()) {
            const QString frameId = rs->Fields(0).toString();
            const QString key = rs->Fields(1).toString();
            // The database chose the row; each field that holds the text is one hit.
            for (int i = 0; i < table.columns.size(); ++i) {
                const QString value = rs->Fields(2 + i).toString();
                if (value.contains(text, Qt::CaseInsensitive))
                    hits.append({frameId, table.kind, key, table.columns.at(i), value});
            }
        }
    }
    return hits;
}

} // namespace korvel
