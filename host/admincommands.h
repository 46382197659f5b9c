#pragma once

#include "core/hostinterfaces.h"

#include <QSqlDatabase>
#include <QString>

namespace korvel {

// The commands of korvel that work on the database and exit without showing the designer. Each
// takes an open connection and the database's name for messages (never with a password), prints
// what it did on standard output or one line on standard error, and returns the exit status.

// Writes "korvel: <text>" as one line on standard error.
void printError(const QString& text);

// What is wrong with the database itself, or "" when it is sound. SQLite checks every page and that
// every index matches its table (a full scan: --check-db only); a server only has to answer.
QString FindDamage(const QSqlDatabase& database);

// --init-db: creates the Korvel tables, then the demo data unless the database holds work orders.
int InitialiseDatabase(const QSqlDatabase& database, const QString& shownName);

// --check-db: SQLite's integrity check (other databases: that the connection answers) and the
// presence of every Korvel table. 0 when sound, 1 otherwise. Changes nothing.
int CheckDatabase(const QSqlDatabase& database, const QString& shownName);

// --unlock: breaks the edit lock on a frame whoever holds it and writes through `log` who broke
// whose lock. The frame ID may differ in letter case from the stored one. 0 also when the frame
// was not locked; 1 when the lock table cannot be used.
int BreakFrameLock(const QSqlDatabase& database, const QString& shownName, const QString& frameId,
                   const QString& staffId, HostLog& log);

} // namespace korvel
