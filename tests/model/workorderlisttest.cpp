#include "tests/model/modelfixture.h"

#include "core/addinglobals.h"
#include "model/cworders.h"
#include "persistence/statementmonitor.h"

namespace korvel {
namespace {

using FrameList = ModelTestSQLite;

TEST_P(FrameList, HeaderUpdateRoundTripsAndARefusedOneChangesNothing)
{
    auto frame = LoadFrame(u"REP01"_s);
    const FrameValues values{"REP01", "Repair 'express'",
                             "C04",   "P1",
                             "M",     "https://w.example",
                             "F03",   "T001",
                             "OB01",  9,
                             11,      12,
                             13,      14,
                             15,      16,
                             17,      "a@b.c",
                             "T002",  "DG1",
                             "DG2",   "Thanks, we're done",
                             "H",     18};
    ASSERT_EQ(frame->SaveUpdate(values), 1);
    Reload(*frame);
    EXPECT_EQ(frame->HeaderValues(), values);

    RefuseRows(u"TWO_Frame"_s, u"UPDATE"_s, u"WorkOrderFrame_ID"_s, u"REP01"_s);
    FrameValues refused = values;
    refused.WorkOrderFrameName = u"refused"_s;
    EXPECT_EQ(frame->SaveUpdate(refused), -1);
    EXPECT_EQ(frame->HeaderValues(), values);
}

TEST_P(FrameList, RefusedLocksLeaveTheFlagAsItWas)
{
    const QString korvel = u"Korvel"_s, otherStaff = u"S0002"_s;
    auto other = host().otherUser(otherStaff);
    ASSERT_EQ(other->services().LockRecord(korvel, u"CMP01"_s, otherStaff), 1);
    cWOrders list;
    list.LoadMeList();
    EXPECT_EQ(list.OneWorkOrder(u"CMP01"_s)->LockMe(), -1);
    ASSERT_EQ(list.OneWorkOrder(u"REP01"_s)->LockMe(), 1);
    // A rebuilt list knows which frames this user holds.
    list.LoadMeList();
    EXPECT_EQ(QList<qint32>({list.OneWorkOrder(u"REP01"_s)->LockFlag(), list.OneWorkOrder(u"CMP01"_s)->LockFlag()}),
              QList<qint32>({1, 0}));

    // The lock was cleared behind this user's back and another user took it: the release is refused.
    db().exec(u"DELETE FROM Korvel_RecordLock WHERE RecordID='REP01'"_s);
    ASSERT_EQ(other->services().LockRecord(korvel, u"REP01"_s, otherStaff), 1);
    EXPECT_EQ(list.OneWorkOrder(u"REP01"_s)->UnlockMe(), -1);
    EXPECT_EQ(list.OneWorkOrder(u"REP01"_s)->LockFlag(), 1);
    EXPECT_TRUE(logLines().isEmpty()) << log();

    // Failing host calls are logged; without a connection a save fails the same way.
    db().exec(u"DROP TABLE Korvel_RecordLock"_s);
    cWorder* billing = list.OneWorkOrder(u"BIL01"_s);
    EXPECT_EQ(billing->LockMe(), -1);
    EXPECT_EQ(billing->UnlockMe(), -1);
    Addin().DBConnection = QSqlDatabase();
    EXPECT_EQ(billing->SaveMe(), -1);
    ASSERT_EQ(logLines().size(), 3) << log();
    EXPECT_TRUE(logLines().at(0).startsWith(u"[Korvel]-[cWOrder]-[LockMe]:no such table"_s));
    EXPECT_TRUE(logLines().at(1).startsWith(u"[Korvel]-[cWOrder]-[UnLockMe]:no such table"_s));
    EXPECT_EQ(logLines().at(2), u"[Korvel]-[cWOrder]-[SaveME]:The database connection is not available"_s);
}

// The list holds ID, name and lock per frame; a frame is built when first asked for, without a
// statement, once, and keeps its edits while others are opened, until the list is read again.
TEST_P(FrameList, AFrameIsBuiltOnFirstUseAndKeptUntilTheListIsReadAgain)
{
    cWOrders list;
    list.LoadMeList();
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.AllWOrder()[0].Built(), nullptr);
    const qint64 statements = StatementMonitor::Count();
    EXPECT_NE(list.OneWorkOrder(u"BIL01"_s), nullptr);
    EXPECT_EQ(StatementMonitor::Count(), statements);
    EXPECT_EQ(list.OneWorkOrder(u"cmp01"_s), nullptr);
    list.setCurWOrder(u"CMP01"_s);
    cWorder* complaint = list.OneWorkOrder(u"CMP01"_s);
    ASSERT_EQ(complaint->LoadFlag, 1); // the frame the load built, not another one
    const qint64 reading = complaint->ReadSerial();
    complaint->AllNode().OneNode(u"N00002"_s)->setNodeLeft(4321);
    list.setCurWOrder(u"REP01"_s);
    complaint = list.OneWorkOrder(u"CMP01"_s);
    ASSERT_EQ(complaint->ReadSerial(), reading);
    EXPECT_EQ(complaint->CheckStatus(), 1);
    list.LoadMeList();
    EXPECT_EQ(list.AllWOrder()[list.RowOf(u"CMP01"_s)].Built(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Db, FrameList, ::testing::Values(TestDatabase::Kind::SQLite),
                         KorvelDatabaseKindName());

} // namespace
} // namespace korvel
