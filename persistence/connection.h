#pragma once

#include "persistence/recordset.h"

#include <QSqlDatabase>
#include <QString>
#include <QByteArrayView>
#include <functional>
#include <memory>

namespace korvel {

// The thin ADO-like layer over a Qt SQL connection. Every failing call throws KorvelError carrying
// the driver's error text. Statements are sent exactly as given (prepared parameters only where a
// query says so). Every
// statement, begin and commit passes StatementMonitor first. On PostgreSQL every statement, begin,
// commit and rollback is given up after the connection's StatementDeadline.
class Connection final {
public:
    explicit Connection(QSqlDatabase database);

    // The add-in's shared connection (the DBConnection global taken from the host at start-up).
    static Connection Shared();

    // Runs a statement that returns no rows; gives the number of rows it changed, -1 when the
    // driver cannot tell.
    qint64 Execute(const QString& sql);
    // Runs a query and hands back its static, read-only result set, open.
    std::unique_ptr<Recordset> OpenRecordset(const QString& sql);
    // The same for a query whose "?" placeholders take `bindings` in order: for text a user typed
    // that must reach the database exactly as typed (a search pattern).
    std::unique_ptr<Recordset> OpenRecordset(const QString& sql, const QVariantList& bindings);
    // Runs a query and hands the first column of each row to `take` as UTF-8 text (a null value as
    // empty text), without building a result set: for reading tens of thousands of values at once.
    // The text is only valid during the call. On SQLite the rows are stepped through SQLite's own
    // interface in the UTF-8 it stores, which costs a fraction of Qt's work per row.
    void ForEachText(const QString& sql, const std::function<void(QByteArrayView)>& take);

    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();

    const QSqlDatabase& database() const { return m_database; }

private:
    std::unique_ptr<Recordset> readRecordset(const QString& sql, const QVariantList& bindings);

    QSqlDatabase m_database;
};

} // namespace korvel
