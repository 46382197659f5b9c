#include "persistence/flowsearch.h"

#include "core/addinglobals.h"
#include "persistence/connection.h"
#include "persistence/schema.h"

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

// The FTS5 phrase that matches `text` anywhere in a column of an SQLite search index: trigram
// phrases match as substrings, ignoring letter case (also beyond ASCII, so the index names a few
// rows more than LIKE takes, never fewer).
QString IndexPhrase(const QString& text)
{
    QString phrase = text;
    return u'"' + phrase.replace(u'"', QStringLiteral("\"\"")) + u'"';
}

// True when the trigram index can name the rows holding `text`: three characters at least (code
// points, as SQLite counts them). A NUL would end the phrase early, below three perhaps, where the
// index names no row at all.
bool IndexServes(const QString& text)
{
    return !text.contains(QChar(0)) && text.toUcs4().size() >= 3;
}

struct SearchedTable {
    SearchItemKind kind;
    const char* table;
    const char* keyColumn;
    const char* index; // the table's SQLite search index
    QStringList columns; // searched, key included
};

} // namespace

QList<SearchHit> SearchFlows(const QString& text, SearchMethod method)
{
    QList<SearchHit> hits;
    if (text.isEmpty())
        return hits;
    const QList<SearchedTable> tables = {
        {SearchItemKind::Frame, "TWO_Frame", "WorkOrderFrame_ID", "Korvel_FrameText",
         {QStringLiteral("WorkOrderFrame_ID"), QStringLiteral("WorkOrderFrameName")}},
        {SearchItemKind::Step, "Two_Node", "WorkOrderNode_ID", "Korvel_NodeText",
         {QStringLiteral("WorkOrderNode_ID"), QStringLiteral("WorkOrderNodeName"), QStringLiteral("HandleBy_ID"),
          QStringLiteral("HandleGroup_ID"), QStringLiteral("ExpiredHandleBy_ID"),
          QStringLiteral("ExpiredHandleGroup_ID"), QStringLiteral("ToHandleby")}},
        {SearchItemKind::Link, "Two_Link", "WorkOrderLink_ID", "Korvel_LinkText",
         {QStringLiteral("WorkOrderLink_ID"), QStringLiteral("WorkOrderLinkName"), QStringLiteral("AddinVariant"),
          QStringLiteral("CompareType"), QStringLiteral("VariantValue")}},
    };
    Connection connection = Connection::Shared();
    const QString driver = connection.database().driverName();
    const QString pattern = ContainsPattern(text);
    const bool sqlite = driver == QLatin1String("QSQLITE");
    // PostgreSQL's planner picks the trigram index for the same query by itself.
    const bool indexed =
        method == SearchMethod::Indexed && EnsureSearchIndex(connection.database()) && sqlite && IndexServes(text);

    for (const SearchedTable& table : tables) {
        QStringList conditions;
        QVariantList bindings;
        for (const QString& column : table.columns) {
            conditions << MatchCondition(column, driver);
            bindings << pattern;
        }
        QString sql = QStringLiteral("select WorkOrderFrame_ID,%1,%2 from %3 where (%4)")
                          .arg(QLatin1String(table.keyColumn), table.columns.join(u','), QLatin1String(table.table),
                               conditions.join(QStringLiteral(" or ")));
        if (indexed) {
            // The index only narrows the rows; LIKE still decides, as without it.
            sql += QStringLiteral(" and rowid in (select rowid from %1 where %1 match ?)").arg(QLatin1String(table.index));
            bindings << IndexPhrase(text);
        }
        if (sqlite)
            sql += QStringLiteral(" order by rowid");
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
