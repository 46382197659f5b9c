#include "core/korvelerror.h"
#include "tests/support/testdatabase.h"
#include "tests/support/testhost.h"

#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace korvel {
namespace {

const QString kAddin = QStringLiteral("Korvel");

class RecordLockTest : public ::testing::TestWithParam<TestDatabase::Kind> {};

// Two designers, each with its own connection to one database, contend for one frame.
TEST_P(RecordLockTest, SecondUserIsRefusedUntilTheHolderReleases)
{
    KORVEL_SKIP_UNLESS_AVAILABLE(GetParam());
    TestDatabase db(GetParam());
    TestHost alice(db.database(), QStringLiteral("alice"));
    std::unique_ptr<TestHost> bob = alice.otherUser(QStringLiteral("bob"));
    HostServices& aliceLocks = *alice.host().Services();
    HostServices& bobLocks = *bob->host().Services();

    EXPECT_EQ(aliceLocks.GetLockState(kAddin, QStringLiteral("WO1"), QStringLiteral("alice")), 0);
    EXPECT_EQ(aliceLocks.LockRecord(kAddin, QStringLiteral("WO1"), QStringLiteral("alice")), 1);
    EXPECT_EQ(aliceLocks.LockRecord(kAddin, QStringLiteral("WO1"), QStringLiteral("alice")), 1)
        << "holder again";

    EXPECT_EQ(bobLocks.LockRecord(kAddin, QStringLiteral("WO1"), QStringLiteral("bob")), 0);
    QString ownerName, ownerId;
    bobLocks.GetLockOwner(ownerName, ownerId);
    EXPECT_EQ(ownerName, QStringLiteral("Alice Chen"));
    EXPECT_EQ(ownerId, QStringLiteral("alice"));
    EXPECT_EQ(bobLocks.GetLockState(kAddin, QStringLiteral("WO1"), QStringLiteral("bob")), 1);
    EXPECT_EQ(aliceLocks.GetLockState(kAddin, QStringLiteral("WO1"), QStringLiteral("alice")), 2);

    EXPECT_EQ(bobLocks.UnlockRecord(kAddin, QStringLiteral("WO1"), QStringLiteral("bob")), 0);
    EXPECT_EQ(aliceLocks.GetLockState(kAddin, QStringLiteral("WO1"), QStringLiteral("alice")), 2)
        << "a refused release leaves the lock with its holder";

    EXPECT_EQ(aliceLocks.UnlockRecord(kAddin, QStringLiteral("WO1"), QStringLiteral("alice")), 1);
    EXPECT_EQ(aliceLocks.UnlockRecord(kAddin, QStringLiteral("WO1"), QStringLiteral("alice")), 0)
        << "already free";
    EXPECT_EQ(bobLocks.LockRecord(kAddin, QStringLiteral("WO1"), QStringLiteral("bob")), 1);
    EXPECT_EQ(aliceLocks.GetLockState(kAddin, QStringLiteral("WO1"), QStringLiteral("alice")), 1);
    EXPECT_EQ(aliceLocks.LockRecord(kAddin, QStringLiteral("WO1"), QStringLiteral("alice")), 0);
    aliceLocks.GetLockOwner(ownerName, ownerId);
    EXPECT_EQ(ownerName, QStringLiteral("Bob Novak"));
    EXPECT_EQ(ownerId, QStringLiteral("bob"));
}

TEST_P(RecordLockTest, LocksAreKeptPerAddinAndRecordAndNameUnknownStaffByTheirId)
{
    KORVEL_SKIP_UNLESS_AVAILABLE(GetParam());
    TestDatabase db(GetParam());
    TestHost first(db.database(), QStringLiteral("X9"));
    std::unique_ptr<TestHost> second = first.otherUser(QStringLiteral("alice"));
    HostServices& locks = *first.host().Services();

    EXPECT_EQ(locks.LockRecord(kAddin, QStringLiteral("WO1"), QStringLiteral("X9")), 1);
    EXPECT_EQ(locks.LockRecord(QStringLiteral("Other"), QStringLiteral("WO1"), QStringLiteral("alice")), 1);
    EXPECT_EQ(locks.LockRecord(kAddin, QStringLiteral("WO2"), QStringLiteral("alice")), 1);

    EXPECT_EQ(second->host().Services()->LockRecord(kAddin, QStringLiteral("WO1"), QStringLiteral("alice")),
              0);
    QString ownerName, ownerId;
    second->host().Services()->GetLockOwner(ownerName, ownerId);
    EXPECT_EQ(ownerName, QStringLiteral("X9")) << "a staff ID without a Staff row is its own name";
    EXPECT_EQ(ownerId, QStringLiteral("X9"));
}

// The add-in takes a lock inside its own transaction when it copies a frame. A refused lock must
// not spoil that transaction (on PostgreSQL a failed statement would abort it).
TEST_P(RecordLockTest, RefusalInsideAnOpenTransactionLeavesItUsable)
{
    KORVEL_SKIP_UNLESS_AVAILABLE(GetParam());
    TestDatabase db(GetParam());
    TestHost alice(db.database(), QStringLiteral("alice"));
    std::unique_ptr<TestHost> bob = alice.otherUser(QStringLiteral("bob"));
    ASSERT_EQ(bob->host().Services()->LockRecord(kAddin, QStringLiteral("WO7"), QStringLiteral("bob")), 1);

    QSqlDatabase connection = db.database();
    ASSERT_TRUE(connection.transaction());
    EXPECT_EQ(alice.host().Services()->LockRecord(kAddin, QStringLiteral("WO7"), QStringLiteral("alice")), 0);
    QSqlQuery insert(connection);
    EXPECT_TRUE(insert.exec(QStringLiteral("INSERT INTO Staff (Staff_ID, StaffName) VALUES ('zed', 'Zed')")))
        << insert.lastError().text().toStdString();
    EXPECT_TRUE(connection.commit()) << connection.lastError().text().toStdString();
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT COUNT(*) FROM Staff WHERE Staff_ID = 'zed'")).toInt(), 1);
}

TEST_P(RecordLockTest, MissingLockTableIsAnErrorNotASilentGrant)
{
    KORVEL_SKIP_UNLESS_AVAILABLE(GetParam());
    TestDatabase db(GetParam());
    TestHost alice(db.database(), QStringLiteral("alice"));
    db.exec(QStringLiteral("DROP TABLE Korvel_RecordLock"));
    HostServices& locks = *alice.host().Services();
    EXPECT_THROW(locks.LockRecord(kAddin, QStringLiteral("WO1"), QStringLiteral("alice")), KorvelError);
    EXPECT_THROW(locks.GetLockState(kAddin, QStringLiteral("WO1"), QStringLiteral("alice")), KorvelError);
    EXPECT_THROW(locks.UnlockRecord(kAddin, QStringLiteral("WO1"), QStringLiteral("alice")), KorvelError);

    // A lock table from before sessions were told apart gets its SessionID column at start-up.
    db.exec(
        QStringLiteral("CREATE TABLE Korvel_RecordLock (AddinName VARCHAR(40) NOT NULL, RecordID VARCHAR(40) "
                       "NOT NULL, StaffID VARCHAR(40) NOT NULL, LockedAt VARCHAR(19) NOT NULL)"));
    DatabaseServices::EnsureLockTable(db.database());
    EXPECT_EQ(locks.LockRecord(kAddin, QStringLiteral("WO1"), QStringLiteral("alice")), 1);
    EXPECT_EQ(locks.GetLockState(kAddin, QStringLiteral("WO1"), QStringLiteral("alice")), 2);
}

TEST_P(RecordLockTest, DatabaseTypeFollowsTheDriver)
{
    KORVEL_SKIP_UNLESS_AVAILABLE(GetParam());
    TestDatabase db(GetParam());
    TestHost host(db.database());
    EXPECT_EQ(host.services().DatabaseType(), GetParam() == TestDatabase::Kind::SQLite ? 1 : 2);
    host.services().setDatabaseType(5);
    EXPECT_EQ(host.services().DatabaseType(), 5);
}

// korvel --unlock: another process breaks a lock whoever holds it, and only that one lock.
TEST_P(RecordLockTest, BreakLockFreesOneRecordAndNamesItsHolder)
{
    KORVEL_SKIP_UNLESS_AVAILABLE(GetParam());
    TestDatabase db(GetParam());
    TestHost alice(db.database(), QStringLiteral("alice"));
    std::unique_ptr<TestHost> admin = alice.otherUser(QStringLiteral("admin"));
    HostServices& locks = *alice.host().Services();
    ASSERT_EQ(locks.LockRecord(kAddin, QStringLiteral("WO1"), QStringLiteral("alice")), 1);
    ASSERT_EQ(locks.LockRecord(QStringLiteral("Other"), QStringLiteral("WO1"), QStringLiteral("alice")), 1);

    EXPECT_EQ(admin->services().BreakLock(kAddin, QStringLiteral("WO1")), QStringLiteral("alice"));
    EXPECT_EQ(locks.GetLockState(kAddin, QStringLiteral("WO1"), QStringLiteral("alice")), 0);
    EXPECT_EQ(locks.GetLockState(QStringLiteral("Other"), QStringLiteral("WO1"), QStringLiteral("alice")), 2);
    EXPECT_TRUE(admin->services().BreakLock(kAddin, QStringLiteral("WO1")).isNull())
        << "nothing left to break";
}

INSTANTIATE_TEST_SUITE_P(Db, RecordLockTest, KorvelDatabaseKinds(), KorvelDatabaseKindName());

} // namespace
} // namespace korvel
