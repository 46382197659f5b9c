#include "persistence/connection.h"

#include "core/addinglobals.h"
#include "core/korvelerror.h"
#include "persistence/statementdeadline.h"
#include "persistence/statementmonitor.h"
#include "persistence/storedrows.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <sqlite3.h>
#include <utility>

namespace korvel {

namespace {

// The database's own message where there is one; Qt's text otherwise. Drivers such as QPSQL
// report several lines (the statement position and a caret); the log takes one line per error.
QString ErrorText(const QSqlError& error, const QString& fallback)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    if (text.isEmpty())
        text = fallback;
    return text.simplified();
}

} // namespace

Connection::Connection(QSqlDatabase database) : m_database(std::move(database)) {}

Connection Connection::Shared()
{
    const QSqlDatabase& database = Addin().DBConnection;
    if (!database.isValid())
        throw KorvelError(QStringLiteral("The database connection is not available"));
    // A connection the statement deadline cut is opened again for the next operation.
    if (!database.isOpen() && !StatementDeadline::Reopen(database))
        throw KorvelError(QStringLiteral("The database connection is not open"));
    return Connection(database);
}

qint64 Connection::Execute(const QString& sql)
{
    if (!m_database.isOpen())
        throw KorvelError(QStringLiteral("The database connection is not open"));
    StatementMonitor::BeforeStatement();
    return StatementDeadline::Watch(m_database, [&] {
        QSqlQuery query(m_database);
        query.setForwardOnly(true);
        if (!query.exec(sql))
            throw KorvelError(ErrorText(query.lastError(), QStringLiteral("The statement failed")));
        return query.numRowsAffected();
    });
}

std::unique_ptr<Recordset> Connection::OpenRecordset(const QString& sql)
{
    return OpenRecordset(sql, {});
}

std::unique_ptr<Recordset> Connection::OpenRecordset(const QString& sql, const QVariantList& bindings)
{
    // The rows of a forward-only query arrive while they are read: the whole read is watched.
    return StatementDeadline::Watch(m_database, [&] { return readRecordset(sql, bindings); });
}

std::unique_ptr<Recordset> Connection::readRecordset(const QString& sql, const QVariantList& bindings)
{
    if (!m_database.isOpen())
        throw KorvelError(QStringLiteral("The database connection is not open"));
    StatementMonitor::BeforeStatement();
    // SQLite's rows are read in the UTF-8 it stores: Qt's reading would change some characters.
    const QVariant handle = m_database.driver()->handle();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        return SqliteRecordset(*static_cast<sqlite3* const*>(handle.constData()), sql, bindings);
    QSqlQuery query(m_database);
    query.setForwardOnly(true);
    bool ran = false;
    if (bindings.isEmpty()) {
        ran = query.exec(sql);
    } else if (query.prepare(sql)) {
        for (const QVariant& value : bindings)
            query.addBindValue(value);
        ran = query.exec();
    }
    if (!ran)
        throw KorvelError(ErrorText(query.lastError(), QStringLiteral("The query failed")));

    // A statement that yields no rows at all (not even an empty set) gives a closed result set,
    // as an ADO recordset opened on such a statement is closed.
    if (!query.isSelect()) {
        auto closed = std::make_unique<Recordset>(QStringList(), QVector<QVector<QVariant>>());
        closed->Close();
        return closed;
    }

    const QSqlRecord record = query.record();
    QStringList columns;
    columns.reserve(record.count());
    for (int index = 0; index < record.count(); ++index)
        columns.append(record.fieldName(index));

    QVector<QVector<QVariant>> rows;
    while (query.next()) {
        QVector<QVariant> row;
        row.reserve(record.count());
        for (int index = 0; index < record.count(); ++index)
            row.append(query.value(index));
        KeepLeadingFeff(query, row);
        rows.append(std::move(row));
    }
    if (query.lastError().isValid())
        throw KorvelError(ErrorText(query.lastError(), QStringLiteral("Reading the rows failed")));
    // Release the statement now: SQLite cannot commit while a statement is still open.
    query.finish();
    return std::make_unique<Recordset>(std::move(columns), std::move(rows));
}

void Connection::ForEachText(const QString& sql, const std::function<void(QByteArrayView)>& take)
{
    if (!m_database.isOpen())
        throw KorvelError(QStringLiteral("The database connection is not open"));
    StatementMonitor::BeforeStatement();
    const QVariant handle = m_database.driver()->handle();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0) {
        sqlite3* connection = *static_cast<sqlite3* const*>(handle.constData());
        const QByteArray text = sql.toUtf8();
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(connection, text.constData(), static_cast<int>(text.size()), &raw, nullptr) !=
            SQLITE_OK)
            throw KorvelError(QString::fromUtf8(sqlite3_errmsg(connection)));
        const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(raw, sqlite3_finalize);
        int step = SQLITE_ROW;
        while ((step = sqlite3_step(statement.get())) == SQLITE_ROW) {
            const auto* value = reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0));
            take(QByteArrayView(value, value ? sqlite3_column_bytes(statement.get(), 0) : 0));
        }
        if (step != SQLITE_DONE)
            throw KorvelError(QString::fromUtf8(sqlite3_errmsg(connection)));
        return;
    }
    StatementDeadline::Watch(m_database, [&] {
        QSqlQuery query(m_database);
        query.setForwardOnly(true);
        if (!query.exec(sql))
            throw KorvelError(ErrorText(query.lastError(), QStringLiteral("The query failed")));
        while (query.next())
            take(query.value(0).toString().toUtf8());
        if (query.lastError().isValid())
            throw KorvelError(ErrorText(query.lastError(), QStringLiteral("Reading the rows failed")));
    });
}

void Connection::BeginTrans()
{
    StatementMonitor::BeforeStatement();
    StatementDeadline::Watch(m_database, [this] {
        // On SQLite a writer takes the write lock as it begins: with a deferred BEGIN two writers
        // could both read and then each wait for the other to give up its read lock, and one would
        // fail with "database is locked" at once. Begun at once, the second waits (busy timeout).
        if (m_database.driverName() == QLatin1String("QSQLITE")) {
            QSqlQuery begin(m_database);
            if (!begin.exec(QStringLiteral("BEGIN IMMEDIATE")))
                throw KorvelError(ErrorText(begin.lastError(), QStringLiteral("Cannot begin a transaction")));
        } else if (!m_database.transaction()) {
            throw KorvelError(
                ErrorText(m_database.lastError(), QStringLiteral("Cannot begin a transaction")));
        }
    });
    StatementDeadline::SetInTransaction(m_database, true);
}

void Connection::CommitTrans()
{
    StatementMonitor::BeforeStatement();
    // Whatever the outcome, the caller is done with the transaction (it rolls back on a failure).
    StatementDeadline::SetInTransaction(m_database, false);
    StatementDeadline::Watch(m_database, [this] {
        if (!m_database.commit())
            throw KorvelError(
                ErrorText(m_database.lastError(), QStringLiteral("Cannot commit the transaction")));
    });
}

void Connection::RollbackTrans()
{
    StatementDeadline::SetInTransaction(m_database, false);
    StatementDeadline::Watch(m_database, [this] {
        if (!m_database.rollback())
            throw KorvelError(
                ErrorText(m_database.lastError(), QStringLiteral("Cannot roll back the transaction")));
    });
}

} // namespace korvel
