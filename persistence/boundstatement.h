#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

namespace korvel {

// True when the connection is SQLite's (the other is PostgreSQL's).
bool IsSqlite(const QSqlDatabase& database);

// Runs one statement with its values bound in order ("?" placeholders), passing the statement
// monitor first (it may be the one made to fail) and given up after the connection's deadline; the query is left before its first row.
// A statement without values is sent as it is (PostgreSQL prepares no CREATE). Throws KorvelError
// with the database's text.
QSqlQuery RunBound(const QSqlDatabase& database, const QString& sql, const QVariantList& values = {});

// The first column of the statement's first row as a number; 0 when it returns no row or NULL.
qint64 FirstNumber(QSqlQuery&& query);

} // namespace korvel
