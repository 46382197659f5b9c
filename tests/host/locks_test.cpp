#include "core/korvelerror.h"
#include "tests/support/testdatabase.h"
#include "tests/support/testhost.h"

#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace korvel {
namespace {

const QString kAddin = QStringLiteral("Korvel");

// Each test on a fresh database of the parameter's kind, with alice's host on it.
class RecordLockTest : public ::testing::TestWithParam<TestDatabase::Kind> {
protected:
    void SetUp() override
    {
        KORVEL_SKIP_UNLESS_AVAILABLE(GetParam());
        m_db = std::make_unique<TestDatabase>(GetParam());
        m_alice = std::make_unique<TestHost>(m_db->database(), QStringLiteral("alice"));
    }

    HostServices& alice() { return *m_alice->host().Services(); }

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TestHost> m_alice;
};

// "name/ID" of the holder of the last lock refused.
QString owner(HostServices& locks)
{
    QString name, id;
    locks.GetLockOwner(name, id);
    return name + u'/' + id;
}

// Two designers, each with its own connection to one database, contend for one frame. Locks are kept
// per add-in and record; a staff ID without a Staff row is its own name.
TEST_P(RecordLockTest, SecondUserIsRefusedUntilTheHolderReleases)
{
    std::unique_ptr<TestHost> bobHost = m_alice->otherUser(QStringLiteral("bob"));
    HostServices& bob = *bobHost->host().Services();
    EXPECT_EQ(m_alice->services().DatabaseType(), GetParam() == TestDatabase::Kind::SQLite ? 1 : 2);

    EXPECT_EQ(alice().GetLockState(kAddin, "WO1", "alice"), 0);
    EXPECT_EQ(alice().LockRecord(kAddin, "WO1", "alice"), 1);
    EXPECT_EQ(alice().LockRecord(kAddin, "WO1", "alice"), 1) << "holder again";
    EXPECT_EQ(bob.LockRecord(kAddin, "WO1", "bob"), 0);
    EXPECT_EQ(owner(bob), QStringLiteral("Alice Chen/alice"));
    EXPECT_EQ(bob.GetLockState(kAddin, "WO1", "bob"), 1);
    EXPECT_EQ(alice().GetLockState(kAddin, "WO1", "alice"), 2);
    EXPECT_EQ(bob.LockRecord("Other", "WO1", "bob"), 1);
    EXPECT_EQ(bob.LockRecord(kAddin, "WO2", "bob"), 1);
    EXPECT_EQ(alice().LockRecord(kAddin, "WO3", "X9"), 1);
    EXPECT_EQ(bob.LockRecord(kAddin, "WO3", "bob"), 0);
    EXPECT_EQ(owner(bob), QStringLiteral("X9/X9"));

    EXPECT_EQ(bob.UnlockRecord(kAddin, "WO1", "bob"), 0);
    EXPECT_EQ(alice().GetLockState(kAddin, "WO1", "alice"), 2)
        << "a refused release leaves the lock with its holder";
    EXPECT_EQ(alice().UnlockRecord(kAddin, "WO1", "alice"), 1);
    EXPECT_EQ(alice().UnlockRecord(kAddin, "WO1", "alice"), 0) << "already free";
    EXPECT_EQ(bob.LockRecord(kAddin, "WO1", "bob"), 1);
    EXPECT_EQ(alice().GetLockState(kAddin, "WO1", "alice"), 1);
    EXPECT_EQ(alice().LockRecord(kAddin, "WO1", "alice"), 0);
    EXPECT_EQ(owner(alice()), QStringLiteral("Bob Novak/bob"));
}

// The same staff ID locking again from another running session takes the lock over: that session is
// recorded as the holder, and the first one then sees the lock as held elsewhere.
TEST_P(RecordLockTest, ASecondSessionOfTheSameUserTakesTheLockOver)
{
    ASSERT_EQ(alice().LockRecord(kAddin, "WO1", "alice"), 1);
    std::unique_ptr<TestHost> again = m_alice->otherUser(QStringLiteral("alice"));
    EXPECT_EQ(again->host().Services()->LockRecord(kAddin, "WO1", "alice"), 1);
    EXPECT_EQ(again->host().Services()->GetLockState(kAddin, "WO1", "alice"), 2);
    EXPECT_EQ(alice().GetLockState(kAddin, "WO1", "alice"), 1);
}

// The add-in takes a lock inside its own transaction when it copies a frame. A refused lock must
// not spoil that transaction (on PostgreSQL a failed statement would abort it).
TEST_P(RecordLockTest, RefusalInsideAnOpenTransactionLeavesItUsable)
{
    std::unique_ptr<TestHost> bob = m_alice->otherUser(QStringLiteral("bob"));
    ASSERT_EQ(bob->host().Services()->LockRecord(kAddin, "WO7", "bob"), 1);
    QSqlDatabase connection = m_db->database();
    ASSERT_TRUE(connection.transaction());
    EXPECT_EQ(alice().LockRecord(kAddin, "WO7", "alice"), 0);
    QSqlQuery insert(connection);
    EXPECT_TRUE(insert.exec("INSERT INTO Staff (Staff_ID, StaffName) VALUES ('zed', 'Zed')"))
        << insert.lastError().text().toStdString();
    EXPECT_TRUE(connection.commit()) << connection.lastError().text().toStdString();
    EXPECT_EQ(m_db->scalar("SELECT COUNT(*) FROM Staff WHERE Staff_ID = 'zed'").toInt(), 1);
}

TEST_P(RecordLockTest, MissingLockTableIsAnErrorNotASilentGrant)
{
    m_db->exec("DROP TABLE Korvel_RecordLock");
    EXPECT_THROW(alice().LockRecord(kAddin, "WO1", "alice"), KorvelError);
    EXPECT_THROW(alice().GetLockState(kAddin, "WO1", "alice"), KorvelError);
    EXPECT_THROW(alice().UnlockRecord(kAddin, "WO1", "alice"), KorvelError);

    // A lock table from before sessions were told apart gets its SessionID column at start-up.
    m_db->exec(
        "CREATE TABLE Korvel_RecordLock (AddinName VARCHAR(40) NOT NULL, RecordID VARCHAR(40) NOT NULL, "
        "StaffID VARCHAR(40) NOT NULL, LockedAt VARCHAR(19) NOT NULL)");
    DatabaseServices::EnsureLockTable(m_db->database());
    EXPECT_EQ(alice().LockRecord(kAddin, "WO1", "alice"), 1);
    EXPECT_EQ(alice().GetLockState(kAddin, "WO1", "alice"), 2);
}

// korvel --unlock: another process breaks a lock whoever holds it, and only that one lock.
TEST_P(RecordLockTest, BreakLockFreesOneRecordAndNamesItsHolder)
{
    std::unique_ptr<TestHost> admin = m_alice->otherUser(QStringLiteral("admin"));
    ASSERT_EQ(alice().LockRecord(kAddin, "WO1", "alice"), 1);
    ASSERT_EQ(alice().LockRecord("Other", "WO1", "alice"), 1);
    EXPECT_EQ(admin->services().BreakLock(kAddin, "WO1"), QStringLiteral("alice"));
    EXPECT_EQ(alice().GetLockState(kAddin, "WO1", "alice"), 0);
    EXPECT_EQ(alice().GetLockState("Other", "WO1", "alice"), 2);
    EXPECT_TRUE(admin->services().BreakLock(kAddin, "WO1").isNull()) << "nothing left to break";
}

INSTANTIATE_TEST_SUITE_P(Db, RecordLockTest, KorvelDatabaseKinds(), KorvelDatabaseKindName());

} // namespace
} // namespace korvel
