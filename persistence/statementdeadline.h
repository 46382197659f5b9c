#pragma once

#include "core/korvelerror.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QString>
#include <QStringList>

namespace korvel {

// A limit, kept by the client, on how long one PostgreSQL statement may go unanswered. The
// server's statement_timeout ends a statement that runs too long, but not one sent to a server
// whose processes have stopped: the kernel still answers keepalives, so the client would wait
// until the server resumes. While a StatementDeadline lives, a watchdog thread shuts the
// connection's socket down once the limit and a short grace have passed; that wakes the blocked
// call with an error (cancelling through the server instead could hang the watchdog as well). The
// connection is lost from then on: later statements on it fail at once. Connections of other
// drivers, and connections with no limit set, are not watched.
class StatementDeadline final {
public:
    // The limit for the statements of `database`'s connection, in seconds (0: none). It is kept
    // with the connection's driver, so every copy of the QSqlDatabase sees it.
    static void SetSeconds(const QSqlDatabase& database, int seconds);
    // Seconds the watchdog waits past the limit, so that the server's own timeout answers first.
    static constexpr int GraceSeconds = 2;

    // The statements that prepared the session of `database`'s connection (SET ...). Kept with the
    // driver, they let Reopen prepare a new connection as the first one was.
    static void KeepSessionStatements(const QSqlDatabase& database, const QStringList& statements);
    static QStringList SessionStatements(const QSqlDatabase& database);
    // Whether a transaction is open on `database`'s connection. One cut inside a transaction is not
    // opened again before the transaction was given up, so its rest can never run outside it.
    static void SetInTransaction(const QSqlDatabase& database, bool open);
    static bool InTransaction(const QSqlDatabase& database);
    // Opens a connection that was cut again, and prepares its session with the statements kept,
    // when it has such statements and no transaction open. Returns whether it is open now; a
    // server that still does not answer costs the driver's connect timeout.
    static bool Reopen(QSqlDatabase database);

    // Runs `call`, which sends one statement on `database` and throws KorvelError when it fails,
    // under the deadline: a failure after the watchdog cut the connection is reported as the
    // database not answering, not as the driver's text about a lost connection.
    template <typename Call> static auto Watch(const QSqlDatabase& database, Call&& call)
    {
        const StatementDeadline deadline(database);
        try {
            return call();
        } catch (const KorvelError&) {
            deadline.ThrowIfExpired();
            throw;
        }
    }

    // Starts watching the statement about to be sent on `database` (or through `driver`).
    explicit StatementDeadline(const QSqlDatabase& database) : StatementDeadline(database.driver()) {}
    explicit StatementDeadline(const QSqlDriver* driver);
    // Stops watching; after this the watchdog never touches the connection for this statement.
    ~StatementDeadline();
    StatementDeadline(const StatementDeadline&) = delete;
    StatementDeadline& operator=(const StatementDeadline&) = delete;

    // True once the watchdog has cut the connection for this statement.
    bool Expired() const;
    // Throws KorvelError saying the database did not answer in time, when Expired().
    void ThrowIfExpired() const;

private:
    int m_seconds = 0;
    quint64 m_ticket = 0; // 0: not watched
};

} // namespace korvel
