// Eight designers, each a process with its own connection and staff ID, ask for the edit lock of one
// frame at the same moment, round after round: exactly one gets it, and every other one is told who
// holds it, by staff ID and name.

#include "exchange/frameexchange.h"
#include "resources/stringtable.h"
#include "tests/stress/stresschild.h"
#include "tests/support/testhost.h"

#include <QRandomGenerator>
#include <QThread>
#include <QTemporaryDir>
#include <algorithm>
#include <iostream>
#include <set>
#include <vector>

namespace korvel {
namespace {

using namespace Qt::StringLiterals;

class LockRaceTest : public ::testing::TestWithParam<TestDatabase::Kind> {};

TEST_P(LockRaceTest, OneWinnerPerRoundAndEveryLoserNamesIt)
{
    KORVEL_SKIP_UNLESS_AVAILABLE(GetParam());
    constexpr int kRacers = 8, kRounds = 50;
    TestDatabase db(GetParam(), false);
    std::vector<std::unique_ptr<QProcess>> racers;
    std::vector<int> order;
    for (int i = 0; i < kRacers; ++i) {
        db.exec(u"INSERT INTO Staff (Staff_ID, StaffName) VALUES ('racer%1', 'Racer Number %1')"_s.arg(i));
        racers.push_back(StartChild({u"lock"_s, ChildLocation(db), u"RACE"_s, u"racer%1"_s.arg(i)}));
        order.push_back(i);
    }
    for (auto& racer : racers)
        ASSERT_EQ(NextLine(*racer).toStdString(), "ready");

    std::set<int> winners;
    for (int round = 0; round < kRounds; ++round) {
        // Who hears "go" first changes from round to round.
        std::shuffle(order.begin(), order.end(), *QRandomGenerator::global());
        for (int i : order)
            racers[i]->write("go\n");
        for (int i : order)
            racers[i]->waitForBytesWritten();

        int winner = -1;
        std::vector<std::pair<int, QString>> losers;
        for (int i = 0; i < kRacers; ++i) {
            const QString said = NextLine(*racers[i]);
            if (said != u"won"_s)
                losers.emplace_back(i, said);
            else if (winner >= 0)
                ADD_FAILURE() << "round " << round << ": racer" << winner << " and racer" << i << " both won";
            else
                winner = i;
        }
        ASSERT_GE(winner, 0) << "round " << round << ": nobody won";
        winners.insert(winner);
        for (const auto& [i, said] : losers)
            EXPECT_EQ(said.toStdString(), u"lost racer%1\tRacer Number %1"_s.arg(winner).toStdString())
                << "round " << round << ", racer" << i;
        EXPECT_EQ(db.scalar(u"SELECT StaffID FROM Korvel_RecordLock"_s).toString().toStdString(),
                  u"racer%1"_s.arg(winner).toStdString());

        racers[winner]->write("release\n");
        EXPECT_EQ(NextLine(*racers[winner]).toStdString(), "released 1");
        ASSERT_EQ(db.scalar(u"SELECT COUNT(*) FROM Korvel_RecordLock"_s).toInt(), 0) << "round " << round;
    }
    for (auto& racer : racers) {
        racer->closeWriteChannel();
        EXPECT_TRUE(racer->waitForFinished());
        EXPECT_EQ(racer->exitCode(), 0);
    }
    std::cout << "[ stress   ] " << db.kindName().toStdString() << " lock race: " << kRounds << " rounds of "
              << kRacers << " racers, " << winners.size() << " different winners" << std::endl;
}

TEST_P(LockRaceTest, ConcurrentImportsAndCopiesShareNoStepId)
{
    KORVEL_SKIP_UNLESS_AVAILABLE(GetParam());
    TestDatabase db(GetParam());
    db.exec(u"WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < 150) INSERT INTO "
            "Two_Node (WorkOrderFrame_ID, WorkOrderNode_ID) SELECT 'CMP01', 'X' || n FROM c"_s);
    QTemporaryDir folder;
    const QString file = folder.filePath(u"cmp01.json"_s);
    TestHost host(db.database());
    AddinSession session(host);
    ExportFramesToFile({u"CMP01"_s}, file);
    std::vector<std::unique_ptr<QProcess>> writers;
    for (int i = 0; i < 4; ++i)
        writers.push_back(StartChild({u"write"_s, ChildLocation(db), u"CMP01"_s, file}));
    // Four rounds of two imports and two copies at once: each succeeds, and no step ID is in two frames.
    for (int round = 0; round < 4; ++round) {
        for (int i = 0; i < 4; ++i)
            writers[i]->write(u"%1 W%2R%3\n"_s.arg(i % 2 ? "copy" : "import").arg(i).arg(round).toUtf8());
        for (auto& writer : writers)
            writer->waitForBytesWritten();
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(NextLine(*writers[i]).toStdString(), u"done W%1R%2"_s.arg(i).arg(round).toStdString());
    }
    const QStringList shared =
        db.rows(u"SELECT WorkOrderNode_ID FROM Two_Node GROUP BY WorkOrderNode_ID HAVING COUNT(*) > 1"_s);
    EXPECT_TRUE(shared.isEmpty()) << shared.join(u' ').toStdString();
}

// A designer killed while it holds a lock leaves it to exactly one of its user's next sessions, the
// first to open the frame; the other stays read-only and is refused the lock while that one runs.
TEST_P(LockRaceTest, ACrashedSessionsLockGoesToOneNextSessionOnly)
{
    KORVEL_SKIP_UNLESS_AVAILABLE(GetParam());
    TestDatabase db(GetParam());
    const auto start = [&] {
        auto child = StartChild({u"edit"_s, ChildLocation(db), u"CMP01"_s, u"alice"_s});
        EXPECT_EQ(NextLine(*child).toStdString(), "ready");
        return child;
    };
    const auto say = [](QProcess& child, const char* line) {
        child.write(line);
        child.waitForBytesWritten();
        return NextLine(child).toStdString();
    };
    auto crashed = start();
    ASSERT_EQ(say(*crashed, "lock\n"), "locked 1");
    crashed->kill();
    crashed->waitForFinished();
    // The server lets go of a killed program's session as it sees its connection close.
    for (int wait = 0; wait < 100 && GetParam() == TestDatabase::Kind::PostgreSQL &&
                       db.scalar(u"SELECT COUNT(*) FROM pg_locks WHERE locktype = 'advisory' AND database = "
                                 "(SELECT oid FROM pg_database WHERE datname = current_database())"_s)
                               .toInt() > 0;
         ++wait)
        QThread::msleep(50);

    auto first = start();
    auto second = start();
    for (auto* child : {first.get(), second.get()})
        child->write("open\n");
    const std::string opened[] = {NextLine(*first).toStdString(), NextLine(*second).toStdString()};
    EXPECT_EQ(std::set<std::string>(std::begin(opened), std::end(opened)),
              (std::set<std::string>{"open editable", "open read-only"}));
    QProcess& reader = opened[0] == "open editable" ? *second : *first;
    EXPECT_EQ(say(reader, "lock\n"), "locked -1");
    EXPECT_EQ(db.scalar(u"SELECT COUNT(*) FROM Korvel_RecordLock"_s).toInt(), 1);
}

// A save proves in its transaction that its session holds the lock and that nobody changed the
// frame since it was read; otherwise it writes nothing and says who holds the lock or changed it.
TEST_P(LockRaceTest, ASaveWithoutItsLockOrOverAnotherSaveWritesNothingAndSaysWhy)
{
    KORVEL_SKIP_UNLESS_AVAILABLE(GetParam());
    TestDatabase db(GetParam());
    auto alice = StartChild({u"edit"_s, ChildLocation(db), u"CMP01"_s, u"alice"_s});
    auto bob = StartChild({u"edit"_s, ChildLocation(db), u"CMP01"_s, u"bob"_s});
    const auto say = [](QProcess& child, const QString& line) {
        child.write((line + u'\n').toUtf8());
        child.waitForBytesWritten();
        return NextLine(child);
    };
    const auto flow = [&] { return db.rows(u"SELECT WorkOrderNodeName FROM Two_Node ORDER BY 1"_s); };
    ASSERT_EQ(NextLine(*alice) + NextLine(*bob), u"readyready"_s);
    ASSERT_EQ(say(*alice, u"open"_s), u"open read-only"_s);
    for (const QString& line : {u"open"_s, u"lock"_s, u"save"_s, u"unlock"_s})
        say(*bob, line);
    EXPECT_EQ(db.scalar(u"SELECT ModifiedBy FROM TWO_Frame WHERE WorkOrderFrame_ID='CMP01'"_s), u"bob"_s);
    const QStringList bobs = flow();
    const QString changedAt = db.scalar(u"SELECT ChangedAt FROM Korvel_FrameChange WHERE Kind='save'"_s).toString();
    ASSERT_EQ(say(*alice, u"lock"_s), u"locked 1"_s);
    EXPECT_EQ(say(*alice, u"save"_s), u"saved -4 "_s + LoadResString(2030).arg(u"Bob Novak"_s, u"bob"_s, changedAt));
    // Read again, then its lock broken by an administrator and taken by bob.
    ASSERT_EQ(say(*alice, u"open"_s), u"open editable"_s);
    TestHost(db.database(), u"admin"_s).services().BreakLock(u"Korvel"_s, u"CMP01"_s);
    ASSERT_EQ(say(*bob, u"lock"_s), u"locked 1"_s);
    const QString since = db.scalar(u"SELECT LockedAt FROM Korvel_RecordLock"_s).toString();
    EXPECT_EQ(say(*alice, u"save"_s), u"saved -3 "_s + LoadResString(2028).arg(u"Bob Novak"_s, u"bob"_s, since));
    ASSERT_EQ(say(*bob, u"unlock"_s), u"unlocked 1"_s);
    EXPECT_EQ(say(*alice, u"save"_s), u"saved -3 "_s + LoadResString(2029));
    EXPECT_EQ(flow(), bobs);
    ASSERT_EQ(say(*alice, u"lock"_s), u"locked 1"_s);
    EXPECT_EQ(say(*alice, u"save"_s), u"saved 1"_s);
    EXPECT_EQ(db.scalar(u"SELECT ModifiedBy FROM TWO_Frame WHERE WorkOrderFrame_ID='CMP01'"_s), u"alice"_s);
}

INSTANTIATE_TEST_SUITE_P(Db, LockRaceTest, KorvelDatabaseKinds(), KorvelDatabaseKindName());

} // namespace
} // namespace korvel
