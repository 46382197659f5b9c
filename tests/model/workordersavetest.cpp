#include "persistence/statementmonitor.h"
#include "resources/stringtable.h"
#include "tests/model/modelfixture.h"

namespace korvel {
namespace {

using FrameSave = ModelTest;

// A commit the server itself refuses (a deferred check) is a failed save.
TEST_P(FrameSave, RefusedCommitIsAFailedSave)
{
    auto frame = LoadFrame(u"CMP01"_s);
    frame->AllNode().OneNode(u"N00001"_s)->setWorkOrderNodeName(u"never committed"_s);
    RefuseCommitAfterNodeUpdate();
    const QStringList before = FlowTables();

    EXPECT_EQ(frame->SaveMe(), -1);
    EXPECT_EQ(FlowTables(), before);
    ASSERT_EQ(logLines().size(), 1);
    const QString prefix = u"[Korvel]-[cWOrder]-[SaveME]:"_s;
    EXPECT_TRUE(logLines().at(0).startsWith(prefix) && logLines().at(0).size() > prefix.size()) << log();
}

TEST_P(FrameSave, SaveasCopiesLiveNodesAndLinksUnderTheNewFrame)
{
    auto frame = LoadFrame(u"CMP01"_s);
    ASSERT_EQ(frame->LockMe(), 1);
    cNodes& nodes = frame->AllNode();
    cLinks& links = frame->AllLink();
    ASSERT_EQ(links.NewMe(LinkValues{u"CMP01"_s, u"L8"_s, {}, u"END"_s, u"N00003"_s, 0, {}, {}, {}}), 1);
    // N00003 deleted as the delete-node command does it: its links in and out, the new one too.
    links.DelLinkForNode(u"N00003"_s);
    ASSERT_EQ(nodes.DelNode(u"N00003"_s), 1);
    ASSERT_EQ(links.DelMe(u"L4"_s).toInt(), 1);
    // Return steps: to the deleted node, to a node copied later, and (demo data) N00004 → N00001.
    nodes.OneNode(u"N00002"_s)->setReturnOldStepID(u"N00003"_s);
    nodes.OneNode(u"N00001"_s)->setReturnOldStepID(u"N00004"_s);
    NodeValues follow;
    follow.WorkOrderFrame_ID = u"CMP01"_s;
    follow.WorkOrderNode_ID = u"X1"_s;
    follow.WorkOrderNodeName = u"Follow-up"_s;
    follow.ReturnOldStep = u"N00002"_s;
    ASSERT_EQ(nodes.NewNode(follow), 1);
    ASSERT_EQ(links.NewMe(LinkValues{u"CMP01"_s, u"L7"_s, {}, u"X1"_s, u"N00004"_s, 0, {}, {}, {}}), 1);
    follow.WorkOrderNode_ID = u"X2"_s;
    ASSERT_EQ(nodes.NewNode(follow), 1);
    ASSERT_EQ(nodes.DelNode(u"X2"_s), 1);
    const QString source = u" where WorkOrderFrame_ID='CMP01'"_s;
    const QStringList sourceRows =
        Rows(u"select * from Two_Node"_s + source) + Rows(u"select * from Two_Link"_s + source);

    ASSERT_EQ(frame->Saveas(u"CPY01"_s, u"Complaint copy"_s), 1);
    EXPECT_TRUE(logLines().isEmpty()) << log();
    EXPECT_EQ(frame->WorkOrderFrame_ID, u"CPY01"_s);
    EXPECT_EQ(frame->LockFlag(), 1);
    EXPECT_EQ(host().services().GetLockState(u"Korvel"_s, u"CPY01"_s, u"S0001"_s), 2);
    EXPECT_EQ(
        Rows(u"select WorkOrderFrameName, Category, Priority_ID, ExpiredPeriod, PrintFormat from TWO_Frame "
             "where WorkOrderFrame_ID='CPY01'"_s),
        QStringList{u"Complaint copy|C01|P2|3|T005"_s});
    // Fresh IDs in node order, each the lowest free one when its copy was made (N00001..N00009 are taken).
    EXPECT_EQ(Rows(u"select WorkOrderNode_ID, WorkOrderNodeName, ReturnOldStep from Two_Node "
                   "where WorkOrderFrame_ID='CPY01'"_s),
              QStringList({"N00010|Register complaint|N00012", "N00011|Investigate|",
                           "N00012|Reply to customer|N00010", "N00013|Follow-up|N00011"}));
    EXPECT_EQ(
        Rows(
            u"select WorkOrderLink_ID, FatherNode_ID, SonNode_ID from Two_Link where WorkOrderFrame_ID='CPY01'"_s),
        QStringList({"L1|BEGIN|N00010", "L2|N00010|N00011", "L6|N00012|END", "L7|N00012|N00013"}));
    // The source frame's rows are untouched and its unsaved edits are still pending in memory.
    EXPECT_EQ(Rows(u"select * from Two_Node"_s + source) + Rows(u"select * from Two_Link"_s + source),
              sourceRows);
    EXPECT_EQ(frame->CheckStatus(), 1);
}

TEST_P(FrameSave, FailedSaveasLeavesDatabaseHeaderAndLocksAsBefore)
{
    auto frame = LoadFrame(u"CMP01"_s);
    ASSERT_EQ(frame->LockMe(), 1);
    frame->AllNode().OneNode(u"N00002"_s)->setWorkOrderNodeName(u"edited"_s);
    const FrameValues header = frame->HeaderValues();
    // The last link copy fails, after header and nodes went in.
    RefuseRows(u"Two_Link"_s, u"INSERT"_s, u"WorkOrderLink_ID"_s, u"L6"_s);
    const QStringList before = FlowTables();
    EXPECT_EQ(frame->Saveas(u"CPY02"_s, u"Doomed copy"_s), -1);
    EXPECT_EQ(FlowTables(), before);
    EXPECT_EQ(frame->HeaderValues(), header);
    EXPECT_EQ(frame->LockFlag(), 1);
    EXPECT_EQ(host().services().GetLockState(u"Korvel"_s, u"CPY02"_s, u"S0001"_s), 0);
    EXPECT_EQ(host().services().GetLockState(u"Korvel"_s, u"CMP01"_s, u"S0001"_s), 2);
    ASSERT_EQ(logLines().size(), 1);
    EXPECT_TRUE(logLines().at(0).startsWith(u"[Korvel]-[cDBOperate]-[InsertLinks]:"_s));

    // A copy under a taken ID fails at the header and changes nothing either.
    EXPECT_EQ(frame->Saveas(u"REP01"_s, u"Clash"_s), cWorder::IdTakenMeanwhile);
    EXPECT_TRUE(logLines().constLast().contains(LoadResString(1921).arg(u"REP01"_s))) << log();
    EXPECT_EQ(FlowTables(), before);
    EXPECT_EQ(frame->HeaderValues(), header);
    // The frame in hand is still the frame in the database: its edit saves where it belongs.
    EXPECT_EQ(frame->SaveMe(), 1);
    EXPECT_EQ(Rows(u"select WorkOrderNodeName from Two_Node where WorkOrderFrame_ID='CMP01' and "
                   "WorkOrderNode_ID='N00002'"_s),
              QStringList{u"edited"_s});
}

// A copy reads the node IDs in use once: its statements grow neither with the steps stored nor,
// beyond one insert each, with the steps and links copied.
TEST_P(FrameSave, SaveasReadsTheStepIdsOnce)
{
    const auto copy = [](const QString& from, const QString& id) {
        auto frame = LoadFrame(from);
        const qint64 before = StatementMonitor::Count();
        EXPECT_EQ(frame->Saveas(id, u"copy"_s), 1);
        return StatementMonitor::Count() - before;
    };
    const qint64 few = copy(u"CMP01"_s, u"CPY01"_s);
    db().exec(u"WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < 2000) INSERT INTO "
              "Two_Node (WorkOrderFrame_ID, WorkOrderNode_ID) SELECT 'BIG', 'N' || (n + 100000) FROM c"_s);
    EXPECT_EQ(copy(u"CMP01"_s, u"CPY02"_s), few);

    // BIG: 2,000 steps and no links, against CMP01's steps and links.
    db().exec(u"INSERT INTO TWO_Frame (WorkOrderFrame_ID, WorkOrderFrameName) VALUES ('BIG', 'Big')"_s);
    const qint64 items = Rows(u"select count(*) from Two_Node where WorkOrderFrame_ID='CMP01'"_s).value(0).toLongLong() +
                         Rows(u"select count(*) from Two_Link where WorkOrderFrame_ID='CMP01'"_s).value(0).toLongLong();
    EXPECT_EQ(copy(u"BIG"_s, u"CPY03"_s) - few, 2000 - items);
}

INSTANTIATE_TEST_SUITE_P(Db, FrameSave, KorvelDatabaseKinds(), KorvelDatabaseKindName());

} // namespace
} // namespace korvel
