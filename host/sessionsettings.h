#pragma once

#include <QSqlDatabase>
#include <QString>

namespace korvel {

// How every connection of the host is set up, whatever the defaults of the server behind it.
struct SessionSettings {
    static constexpr int kDefaultStatementTimeout = 30;
    static constexpr int kLongestStatementTimeout = 86400;

    // The longest one statement may run on PostgreSQL, in seconds. A statement that takes longer
    // (a row held by another session) fails with the server's error like any other failing
    // statement; one the server does not answer at all (its processes stopped) is given up by the
    // client shortly after, and its connection closed.
    int statementTimeoutSeconds = kDefaultStatementTimeout;
    // Nothing may be written through the connection (--screenshot, --check-db).
    bool readOnly = false;
};

// The driver options a connection needs before it opens: for QPSQL a connect timeout and TCP
// keepalives, so that a server that stops answering is noticed instead of waited for forever; for
// QSQLITE a busy timeout and, when read-only, the read-only open flag. Empty for other drivers.
QString ConnectOptions(const QString& driverName, const SessionSettings& settings);

// Prepares a freshly opened connection for the add-in, whose statements are literal SQL with
// single quotes doubled and nothing else escaped. On PostgreSQL (QPSQL, or an ODBC source that
// turns out to be PostgreSQL) that is only safe with standard_conforming_strings on, which some
// servers and databases switch off by default: the session turns it on (a QPSQL connection that
// opened with it off is opened again, so no transaction may be open) and checks that it holds,
// sets the statement timeout and, when read-only, makes every transaction read-only. Other
// databases need nothing. Returns "" when done, otherwise the reason in one line; the connection
// must then not be used.
QString PrepareSession(const QSqlDatabase& database, const SessionSettings& settings = {});

} // namespace korvel
