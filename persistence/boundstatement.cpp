#include "persistence/boundstatement.h"

#include "core/korvelerror.h"
#include "persistence/statementdeadline.h"
#include "persistence/statementmonitor.h"

#include <QSqlError>
#include <QVariant>

namespace korvel {

bool IsSqlite(const QSqlDatabase& database)
{
    return database.driverName() == QLatin1String("QSQLITE");
}

QSqlQuery RunBound(const QSqlDatabase& database, const QString& sql, const QVariantList& values)
{
    StatementMonitor::BeforeStatement();
    QSqlQuery query(database);
    query.setForwardOnly(true);
    const StatementDeadline deadline(database);
    bool ok = values.isEmpty() ? query.exec(sql) : query.prepare(sql);
    if (!values.isEmpty()) {
        for (const QVariant& value : values)
            query.addBindValue(value);
        ok = ok && query.exec();
    }
    if (!ok) {
        deadline.ThrowIfExpired();
        throw KorvelError(query.lastError().text());
    }
    return query;
}

qint64 FirstNumber(QSqlQuery&& query)
{
    return query.next() ? query.value(0).toLongLong() : 0;
}

} // namespace korvel
