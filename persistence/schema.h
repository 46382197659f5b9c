#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace korvel {

// Creating a Korvel database: the flow tables, the host's lookup tables and its record-lock
// table, and the demo data a new user starts with. The scripts are compiled in from db/.
// Each function runs its whole script in one transaction on the given open connection and
// throws KorvelError with the database's text when any statement fails (nothing is left behind).

// Creates every table and index that is not there yet. The script is chosen by the connection's
// driver: QSQLITE the SQLite script, anything else (QPSQL, QODBC, ...) the PostgreSQL one.
void CreateSchema(const QSqlDatabase& database);
// Fills the lookup tables and adds the demo frames with their nodes and links.
void LoadDemoData(const QSqlDatabase& database);
// True when the database has the frame table TWO_Frame (letter case ignored).
bool SchemaExists(const QSqlDatabase& database);

// The statements of a script: whole-line "--" comments dropped, split at every ";" that ends a
// line, blank pieces skipped. Scripts keep ";" at a line end for statement ends only.
QStringList SplitSqlScript(const QString& script);

} // namespace korvel
