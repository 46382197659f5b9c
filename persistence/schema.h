#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace korvel {

// Creating a Korvel database: the flow tables, the host's lookup tables and its record-lock
// table, and the demo data a new user starts with. The scripts are compiled in from db/.
// Each function runs its whole script in one transaction on the given open connection and
// throws KorvelError with the database's text when any statement fails (nothing is left behind).

// Creates every table and index that is not there yet, the search index too where the database can
// take it (EnsureSearchIndex). The script is chosen by the connection's
// driver: QSQLITE the SQLite script, anything else (QPSQL, QODBC, ...) the PostgreSQL one.
void CreateSchema(const QSqlDatabase& database);
// Gives the database the search index of the flow tables' texts (db/search-sqlite.sql,
// db/search-postgres.sql) when it lacks it: made with the schema, and on first use in a database
// made before the index or whose flow table was made again. True when the database has the index
// then. A database that cannot take it (read-only or locked by a writer elsewhere, SQLite without
// FTS5's trigram tokenizer, PostgreSQL without pg_trgm, another server) is left as it was: false,
// and a search reads every row.
bool EnsureSearchIndex(const QSqlDatabase& database);
// Fills the lookup tables and adds the demo frames with their nodes and links.
void LoadDemoData(const QSqlDatabase& database);
// True when the database has the frame table TWO_Frame (letter case ignored).
bool SchemaExists(const QSqlDatabase& database);

// The statements of a script: whole-line "--" comments dropped, split at every ";" that ends a
// line, blank pieces skipped. Scripts keep ";" at a line end for statement ends only.
QStringList SplitSqlScript(const QString& script);

} // namespace korvel
