#include "persistence/schema.h"

#include "core/korvelerror.h"
#include "persistence/connection.h"

#include <QFile>
#include <QSqlDriver>

namespace korvel {

namespace {

QString ReadScript(const QString& resource)
{
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        throw KorvelError(QStringLiteral("The database script %1 is missing").arg(resource));
    return QString::fromUtf8(file.readAll());
}

void RunScript(const QSqlDatabase& database, const QString& resource)
{
    const QStringList statements = SplitSqlScript(ReadScript(resource));
    Connection connection(database);
    connection.BeginTrans();
    try {
        for (const QString& statement : statements)
            connection.Execute(statement);
        connection.CommitTrans();
    } catch (const KorvelError& error) {
        try {
            connection.RollbackTrans();
        } catch (const KorvelError&) {
            // The statement's own error is the one worth reporting.
        }
        throw KorvelError(QStringLiteral("%1: %2").arg(resource, error.description()));
    }
}

} // namespace

QStringList SplitSqlScript(const QString& script)
{
    QStringList statements;
    QString current;
    const QStringList lines = script.split(QLatin1Char('\n'));
    for (const QString& rawLine : lines) {
        const QString line = rawLine.trimmed();
        if (line.startsWith(QLatin1String("--")))
            continue;
        if (line.endsWith(QLatin1Char(';'))) {
            current += line.left(line.size() - 1);
            if (!current.trimmed().isEmpty())
                statements.append(current.trimmed());
            current.clear();
        } else {
            current += line + QLatin1Char('\n');
        }
    }
    if (!current.trimmed().isEmpty())
        statements.append(current.trimmed());
    return statements;
}

void CreateSchema(const QSqlDatabase& database)
{
    const bool sqlite = database.driverName() == QLatin1String("QSQLITE");
    RunScript(database, sqlite ? QStringLiteral(":/korvel/db/schema-sqlite.sql")
                               : QStringLiteral(":/korvel/db/schema-postgres.sql"));
}

void LoadDemoData(const QSqlDatabase& database)
{
    RunScript(database, QStringLiteral(":/korvel/db/demo-data.sql"));
}

bool SchemaExists(const QSqlDatabase& database)
{
    if (!database.isOpen())
        throw KorvelError(QStringLiteral("The database connection is not open"));
    const QStringList tables = database.tables(QSql::Tables);
    for (const QString& table : tables) {
        // PostgreSQL names tables outside its "public" schema "schema.table": the statements,
        // which name the table bare, would not find those.
        if (table.compare(QLatin1String("TWO_Frame"), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace korvel
