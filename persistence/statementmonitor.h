#pragma once

#include <QtGlobal>

namespace korvel {

// Watches the statements the add-in sends through Connection on this thread: every command, query,
// begin and commit counts as one (a rollback does not). Besides counting, it can make one chosen
// statement fail as if the server had refused it, so that tests can prove every failure path of a
// write leaves the database as it was. Off unless a test arms it.
class StatementMonitor final {
public:
    // Statements sent on this thread so far.
    static qint64 Count();
    // The `ordinal`-th statement from now (1 = the next one) fails with an "injected fault" error
    // instead of being sent; 0 disarms.
    static void FailAt(qint64 ordinal);
    // True when the armed fault has fired since the last FailAt.
    static bool FaultFired();

    // Called by Connection before it sends a statement; throws KorvelError when this is the one
    // chosen to fail.
    static void BeforeStatement();
    // Counts a statement sent elsewhere (the host's record locks), which is never made to fail.
    static void CountStatement();
};

} // namespace korvel
