#include "host/sessionsettings.h"

#include "persistence/statementdeadline.h"

#include <QSqlError>
#include <QSqlQuery>

namespace korvel {
namespace {

// Probes go through here: one row, one column, or a null QVariant when the statement fails.
QVariant firstValue(const QSqlDatabase& database, const QString& sql, QString* error = nullptr)
{
    const StatementDeadline deadline(database);
    QSqlQuery query(database);
    query.setForwardOnly(true);
    if (query.exec(sql) && query.next())
        return query.value(0);
    if (error)
        *error = query.lastError().text().simplified();
    return {};
}

bool isPostgres(const QSqlDatabase& database)
{
    if (database.driverName() == QLatin1String("QPSQL"))
        return true;
    // Any ODBC source may be a PostgreSQL server; only PostgreSQL answers this (without changing
    // anything), every other database refuses the statement.
    return database.driverName() == QLatin1String("QODBC") &&
           !firstValue(database, QStringLiteral("SELECT current_setting('standard_conforming_strings')"))
                .isNull();
}

} // namespace

QString ConnectOptions(const QString& driverName, const SessionSettings& settings)
{
    if (driverName == QLatin1String("QPSQL"))
        // libpq's own names. The keepalives notice a dead server or link within about a minute
        // while a statement waits; tcp_user_timeout does the same while data is still unsent.
        return QStringLiteral("connect_timeout=10;keepalives=1;keepalives_idle=30;keepalives_interval=10;"
                              "keepalives_count=3;tcp_user_timeout=60000");
    if (driverName == QLatin1String("QSQLITE")) {
        // Two designers on one file wait for each other's short writes instead of failing at once.
        QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000");
        if (settings.readOnly)
            options += QStringLiteral(";QSQLITE_OPEN_READONLY");
        return options;
    }
    return {};
}

QString PrepareSession(const QSqlDatabase& database, const SessionSettings& settings)
{
    if (!isPostgres(database))
        return {};
    // The server's statement_timeout cannot answer for a server that has stopped: the add-in's and
    // the host's statements give up on their own a little after it (StatementDeadline).
    StatementDeadline::SetSeconds(database, settings.statementTimeoutSeconds);

    // Qt's QPSQL driver reads standard_conforming_strings once, as it opens, and escapes every
    // bound value by it for the life of the connection: a SET alone would leave a backslash in a
    // bound value doubled. So a connection that opened with the setting off opens again with the
    // setting made as the session starts (not at every open: some poolers refuse that option).
    if (database.driverName() == QLatin1String("QPSQL") &&
        firstValue(database, QStringLiteral("SHOW standard_conforming_strings")).toString() ==
            QLatin1String("off")) {
        QSqlDatabase session = database;
        session.close();
        const QString options = session.connectOptions();
        session.setConnectOptions((options.isEmpty() ? options : options + u';') +
                                  QStringLiteral("options='-c standard_conforming_strings=on'"));
        if (!session.open())
            return QStringLiteral("cannot open again with standard_conforming_strings on: %1")
                .arg(session.lastError().text().simplified());
    }

    QStringList statements{
        QStringLiteral("SET standard_conforming_strings = on"),
        QStringLiteral("SET statement_timeout = %1").arg(settings.statementTimeoutSeconds * 1000)};
    if (settings.readOnly)
        statements << QStringLiteral("SET default_transaction_read_only = on");
    for (const QString& statement : statements) {
        const StatementDeadline deadline(database);
        QSqlQuery query(database);
        if (!query.exec(statement))
            return QStringLiteral("cannot prepare the session (%1): %2")
                .arg(statement, query.lastError().text().simplified());
    }

    StatementDeadline::KeepSessionStatements(database, statements);

    // A pooler or an old server may accept the SET and still not keep it.
    QString error;
    const QVariant conforming =
        firstValue(database, QStringLiteral("SELECT current_setting('standard_conforming_strings')"), &error);
    if (conforming.toString() != QLatin1String("on"))
        return QStringLiteral(
                   "the server does not keep standard_conforming_strings on, so quoted texts would "
                   "not be stored as written%1")
            .arg(error.isEmpty() ? QString() : QStringLiteral(": ") + error);
    return {};
}

} // namespace korvel
