// The host's database services: record locks and the session's quoting.
#include "core/korvelerror.h"
#include "persistence/cdboperate.h"
#include "tests/support/testdatabase.h"
#include "tests/support/testhost.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>
#include <tuple>

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

// "name/ID" of a lock's holder, then whether it is the asker's in another session or that session ended.
QString described(const LockHolder& holder)
{
    return holder.name + u'/' + holder.staffId + (holder.mineElsewhere ? " elsewhere" : "") +
           (holder.sessionEnded ? " ended" : "");
}

// Designers on connections of their own contend for frames; locks are kept per add-in and record.
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

    // The same staff ID in another running session is refused until the user agrees to take the lock
    // over; the first session then no longer holds it and cannot give it back.
    std::unique_ptr<TestHost> again = m_alice->otherUser(QStringLiteral("alice"));
    HostServices& second = *again->host().Services();
    EXPECT_EQ(alice().LockRecord(kAddin, "WO4", "alice"), 1);
    EXPECT_EQ(second.LockRecord(kAddin, "WO4", "alice"), 0);
    EXPECT_EQ(owner(second), QStringLiteral("Alice Chen/alice"));
    EXPECT_EQ(second.GetLockState(kAddin, "WO4", "alice"), 1);
    EXPECT_EQ(bob.TakeOverRecord(kAddin, "WO4", "bob"), 0) << "only one's own lock is taken over";
    EXPECT_EQ(second.TakeOverRecord(kAddin, "WO4", "alice"), 1);
    EXPECT_TRUE(second.HoldsLock(kAddin, "WO4"));
    EXPECT_FALSE(alice().HoldsLock(kAddin, "WO4"));
    EXPECT_EQ(alice().GetLockState(kAddin, "WO4", "alice"), 1);
    EXPECT_EQ(alice().UnlockRecord(kAddin, "WO4", "alice"), 0) << "not this session's";
    // Every lock at once, each holder as the asker sees it, just as one record's holder is seen.
    using Asker = std::tuple<HostServices*, const char*, const char*>; // who asks, as whom; WO4's holder
    for (const auto& [locks, staff, wo4] :
         {Asker{&second, "alice", "Alice Chen/alice"}, Asker{&alice(), "alice", "Alice Chen/alice elsewhere"},
          Asker{&bob, "bob", "Alice Chen/alice"}}) {
        const QHash<QString, LockHolder> all = locks->LockHolders(kAddin, staff);
        EXPECT_EQ(described(all.value("WO4")), wo4) << staff;
        EXPECT_EQ(described(all.value("WO1")), "Bob Novak/bob");
        EXPECT_EQ(described(all.value("WO3")), "X9/X9") << "no Staff row: the ID for a name";
        EXPECT_EQ(all.size(), 4) << "WO1 of another add-in left out";
    }
    // A session that ended leaves its lock to the next session of its user that asks, and to one only.
    again.reset();
    LockHolder holder;
    ASSERT_TRUE(bob.GetLockHolder(kAddin, "WO4", "bob", holder));
    EXPECT_TRUE(holder.sessionEnded);
    EXPECT_EQ(described(bob.LockHolders(kAddin, "bob").value("WO4")), "Alice Chen/alice ended");
    EXPECT_EQ(alice().LockRecord(kAddin, "WO4", "alice"), 1);
    EXPECT_TRUE(alice().HoldsLock(kAddin, "WO4")) << "taken over, not merely granted";
    EXPECT_EQ(alice().GetLockState(kAddin, "WO4", "alice"), 2);
    std::unique_ptr<TestHost> third = m_alice->otherUser(QStringLiteral("alice"));
    EXPECT_EQ(third->host().Services()->GetLockState(kAddin, "WO4", "alice"), 1);
    ASSERT_TRUE(third->host().Services()->GetLockHolder(kAddin, "WO4", "alice", holder));
    EXPECT_TRUE(holder.mineElsewhere && !holder.sessionEnded);
    // korvel --unlock: another process breaks a lock whoever holds it, and only that one lock.
    EXPECT_EQ(bobHost->services().BreakLock(kAddin, "WO4"), QStringLiteral("alice"));
    EXPECT_EQ(alice().GetLockState(kAddin, "WO4", "alice"), 0);
    EXPECT_EQ(bob.GetLockState("Other", "WO1", "bob"), 2);
    EXPECT_TRUE(bobHost->services().BreakLock(kAddin, "WO4").isNull()) << "nothing left to break";
    m_db->exec("DROP TABLE Staff"); // a host database without one: holders go by their IDs
    EXPECT_EQ(described(alice().LockHolders(kAddin, "alice").value("WO1")), "bob/bob");
}

// Save as locks in its transaction: a refusal must not abort it, as a failed statement does on PostgreSQL.
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

INSTANTIATE_TEST_SUITE_P(Db, RecordLockTest, KorvelDatabaseKinds(), KorvelDatabaseKindName());

class QuotingTest : public ::testing::TestWithParam<bool> {}; // through QPSQL or the psqlODBC driver

// With standard_conforming_strings off a backslash would escape the quote after it and end a literal early.
TEST_P(QuotingTest, TextIsStoredAsWrittenWhenTheDatabaseDefaultsToBackslashEscapes)
{
    KORVEL_SKIP_UNLESS_AVAILABLE(TestDatabase::Kind::PostgreSQL);
    QFile drivers(QStringLiteral("/etc/odbcinst.ini"));
    if (GetParam() &&
        !(drivers.open(QIODevice::ReadOnly) && drivers.readAll().contains("[PostgreSQL Unicode]")))
        GTEST_SKIP() << "the psqlODBC driver (package odbc-postgresql) is not installed";
    TestDatabase db(TestDatabase::Kind::PostgreSQL);
    const QSqlDatabase test = db.database();
    db.exec("ALTER DATABASE " + test.databaseName() + " SET standard_conforming_strings = off");
    const std::tuple<QString FrameValues::*, const char*, QString> texts[] = {
        {&FrameValues::WorkOrderFrame_ID, "WorkOrderFrame_ID", R"(x\'; DROP TABLE Staff; --)"},
        {&FrameValues::WorkOrderFrameName, "WorkOrderFrameName", R"(path\to\x)"},
        {&FrameValues::ReplyContent, "ReplyContent", R"(a\\b\'c\)"},
        {&FrameValues::ForecastUnit, "ForecastUnit", R"(y\', 0); DROP TABLE Staff; --)"}};
    FrameValues frame;
    for (const auto& [member, column, text] : texts)
        frame.*member = text;
    {
        QSqlDatabase session = GetParam() ? QSqlDatabase::addDatabase("QODBC", "quoting")
                                          : QSqlDatabase::cloneDatabase(test, "quoting");
        if (GetParam())
            session.setDatabaseName(
                QStringLiteral("DRIVER={PostgreSQL Unicode};SERVER=%1;PORT=%2;DATABASE=%3;UID=%4;PWD=%5")
                    .arg(test.hostName(), QString::number(test.port()), test.databaseName(), test.userName(),
                         test.password()));
        ASSERT_TRUE(session.open()) << session.lastError().text().toStdString();
        QSqlQuery setting(session);
        ASSERT_TRUE(setting.exec("SHOW standard_conforming_strings") && setting.next());
        ASSERT_EQ(setting.value(0).toString(), QStringLiteral("off")) << "the database default did not apply";
        TestHost host(session, QStringLiteral("alice"));
        AddinSession addin(host);
        EXPECT_EQ(DBOperate().InsertWorkOrderFrame(frame), 1) << host.logLines().join(u'\n').toStdString();
        const auto row = DBOperate().GetOneWorkOrder(frame.WorkOrderFrame_ID);
        EXPECT_NO_THROW(db.scalar("SELECT COUNT(*) FROM Staff")) << "a table was dropped";
        ASSERT_TRUE(row && !row->IsEOF()) << host.logLines().join(u'\n').toStdString();
        for (const auto& [member, column, text] : texts)
            EXPECT_EQ(row->Fields(column).toString(), text) << column;
        // The lock table takes its values bound, escaped by the driver: a staff ID stays as written.
        EXPECT_EQ(host.services().LockRecord(kAddin, frame.WorkOrderFrame_ID, R"(DOMAIN\alice)"), 1);
    }
    QSqlDatabase::removeDatabase("quoting");
}

INSTANTIATE_TEST_SUITE_P(Driver, QuotingTest, ::testing::Values(false, true),
                         [](const auto& info) { return std::string(info.param ? "ODBC" : "PostgreSQL"); });

} // namespace
} // namespace korvel
