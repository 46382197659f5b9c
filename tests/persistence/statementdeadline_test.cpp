// The statement deadline against a real PostgreSQL server whose backend is halted.
#include "core/korvelerror.h"
#include "host/addinsession.h"
#include "persistence/connection.h"
#include "persistence/statementdeadline.h"
#include "resources/stringtable.h"
#include "tests/support/testdatabase.h"
#include "tests/support/testhost.h"

#include <QDateTime>
#include <QScopeGuard>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace korvel::test {
namespace {

// A statement the server never answers (its backend halted) is given up a little after the limit, in
// Korvel's words, whichever call sent it; the rollback and the next statement then fail at once.
TEST(StatementDeadlineTest, AStoppedServerIsGivenUpInTimeByEveryCall)
{
    KORVEL_SKIP_UNLESS_AVAILABLE(TestDatabase::Kind::PostgreSQL);
    TestDatabase db(TestDatabase::Kind::PostgreSQL);
    TestHost host(db.database());
    AddinSession session(host);
    Connection c = Connection::Shared();
    const std::vector<std::function<void()>> calls{
        [&] { c.BeginTrans(); },
        [&] { c.Execute("UPDATE Two_Node SET NodeLeft = 1"); },
        [&] { c.OpenRecordset("SELECT * FROM Two_Node"); },
        [&] { c.ForEachText("SELECT 'a'", [](auto) {}); },
        [&] { c.CommitTrans(); },
        [&] { host.services().LockRecord("Korvel", "CMP01", "S1"); }};
    for (size_t i = 0; i < calls.size(); ++i) {
        db.database().close(); // the last call cut the connection
        ASSERT_TRUE(db.database().open());
        StatementDeadline::SetSeconds(db.database(), 1);
        const auto backend = static_cast<pid_t>(db.scalar("SELECT pg_backend_pid()").toLongLong());
        ASSERT_EQ(::kill(backend, SIGSTOP), 0);
        const auto resume = qScopeGuard([backend] { ::kill(backend, SIGCONT); });
        const qint64 start = QDateTime::currentMSecsSinceEpoch();
        std::string said = "no error";
        try {
            calls[i]();
        } catch (const KorvelError& error) {
            said = error.description().toStdString();
        }
        EXPECT_EQ(said, LoadResString(1920).arg(1).toStdString()) << "call " << i;
        EXPECT_THROW(c.RollbackTrans(), KorvelError);
        EXPECT_THROW(c.Execute("SELECT 1"), KorvelError);
        EXPECT_LT(QDateTime::currentMSecsSinceEpoch() - start, 6000) << "call " << i;
    }

    // The next operation opens a cut connection again, prepared as before, but not while the
    // transaction the cut broke is still open.
    ASSERT_TRUE(db.database().open());
    c.BeginTrans();
    const auto backend = static_cast<pid_t>(db.scalar("SELECT pg_backend_pid()").toLongLong());
    ASSERT_EQ(::kill(backend, SIGSTOP), 0);
    const auto resume = qScopeGuard([backend] { ::kill(backend, SIGCONT); });
    EXPECT_THROW(c.Execute("UPDATE Two_Node SET NodeLeft = 2"), KorvelError);
    EXPECT_THROW(Connection::Shared(), KorvelError);
    EXPECT_THROW(c.RollbackTrans(), KorvelError);
    EXPECT_EQ(Connection::Shared().OpenRecordset("SHOW statement_timeout")->Fields(0).toString(), "30s");
}

} // namespace
} // namespace korvel::test
