// A frame's history on both databases: every write keeps one version, a version brought back is
// the frame again, a deleted frame comes back, and pruning keeps what must stay.
#include "tests/model/modelfixture.h"

#include "core/korvelerror.h"
#include "model/cworders.h"
#include "model/framediff.h"
#include "model/framefile.h"
#include "model/framehistory.h"

namespace korvel {
namespace {

class FrameHistoryTest : public ModelTest {
protected:
    // The kinds of the frame's versions, oldest first.
    static QString Kinds(const QString& frameId)
    {
        QStringList kinds;
        for (const FrameVersionRow& row : FrameHistory::Versions(frameId))
            kinds.prepend(row.kind);
        return kinds.join(u',');
    }
    static NodeValues Step(const QString& id, const QString& name)
    {
        NodeValues step;
        step.WorkOrderFrame_ID = u"HIS01"_s;
        step.WorkOrderNode_ID = id;
        step.WorkOrderNodeName = name;
        return step;
    }
    // True when the stored frame is the version's content (the audit aside).
    static bool StoredIs(const QString& frameId, const FrameRecord& content)
    {
        return DiffFrames(content, ReadStoredFrame(frameId)).IsEmpty();
    }
};

TEST_P(FrameHistoryTest, SavedVersionsComeBackAndADeletedFrameReturns)
{
    cWOrders list;
    FrameValues header;
    header.WorkOrderFrame_ID = u"HIS01"_s;
    header.WorkOrderFrameName = u"History"_s;
    ASSERT_EQ(list.AddOneWorkOrder(header), 1);
    cWorder& frame = *list.OneWorkOrder(u"HIS01"_s);
    ASSERT_EQ(frame.AllNode().NewNode(Step(u"N90001"_s, u"First"_s)), 1);
    LinkValues link;
    link.WorkOrderFrame_ID = u"HIS01"_s;
    link.WorkOrderLink_ID = u"L1"_s;
    link.FatherNode_ID = u"BEGIN"_s;
    link.SonNode_ID = u"N90001"_s;
    ASSERT_EQ(frame.AllLink().NewMe(link), 1);
    ASSERT_EQ(frame.SaveMe(), 1); // A
    Reload(frame); // as the designer does after a save
    const FrameRecord a = ReadStoredFrame(u"HIS01"_s);
    frame.AllNode().OneNode(u"N90001"_s)->setWorkOrderNodeName(u"Renamed"_s);
    frame.AllNode().OneNode(u"N90001"_s)->setNodeLeft(900);
    ASSERT_EQ(frame.AllNode().NewNode(Step(u"N90002"_s, u"Second"_s)), 1);
    ASSERT_EQ(frame.SaveMe(), 1); // B
    Reload(frame);
    header.ExpiredPeriod = 48;
    ASSERT_EQ(frame.SaveUpdate(header), 1);
    EXPECT_EQ(Kinds(u"HIS01"_s), u"new,save,save,header"_s);
    EXPECT_EQ(SummaryText(FrameHistory::Versions(u"HIS01"_s).at(1).summary).toStdString(),
              "+1 step, 1 step changed, 1 step moved");

    // A brought back: the same rows, under the same step IDs, and one more version.
    ASSERT_EQ(frame.UnlockMe(), 1);
    const FrameHistory::Restored restored = FrameHistory::Restore(u"HIS01"_s, 2);
    EXPECT_EQ(restored.version, 5);
    EXPECT_TRUE(StoredIs(u"HIS01"_s, a));
    EXPECT_EQ(FrameHistory::SummaryLine(FrameHistory::Versions(u"HIS01"_s).first()).toStdString(),
              "version 2 restored: −1 step, 1 step changed, 1 step moved; Time limit length 48 → 0");
    EXPECT_TRUE(DiffFrames(FrameHistory::Content(u"HIS01"_s, 5), a).IsEmpty());

    // Deleted, listed as deleted, and brought back under its ID with its steps' IDs.
    Reload(frame);
    ASSERT_EQ(frame.LockMe(), 1);
    ASSERT_EQ(frame.DeleteMe(), 1);
    ASSERT_EQ(frame.UnlockMe(), 1);
    ASSERT_EQ(FrameHistory::DeletedFrames().size(), 1);
    EXPECT_EQ(FrameHistory::DeletedFrames().first().frameId, u"HIS01"_s);
    EXPECT_EQ(FrameHistory::Restore(u"HIS01"_s, 6).frameId, u"HIS01"_s);
    EXPECT_TRUE(StoredIs(u"HIS01"_s, a));
    EXPECT_TRUE(FrameHistory::DeletedFrames().isEmpty());
    EXPECT_EQ(Kinds(u"HIS01"_s), u"new,save,save,header,restore,delete,restore"_s);

    // Under another ID, the steps' IDs being taken by the frame restored above: fresh ones.
    const FrameHistory::Restored copy = FrameHistory::Restore(u"HIS01"_s, 2, u"HIS02"_s);
    EXPECT_EQ(copy.version, 1);
    const FrameRecord second = ReadStoredFrame(u"HIS02"_s);
    ASSERT_EQ(second.steps.size(), 1);
    EXPECT_NE(second.steps.first().WorkOrderNode_ID, u"N90001"_s);
    EXPECT_EQ(second.links.first().SonNode_ID, second.steps.first().WorkOrderNode_ID);
    EXPECT_THROW(FrameHistory::Restore(u"HIS01"_s, 2, u"CMP01"_s), KorvelError); // taken
    EXPECT_THROW(FrameHistory::Content(u"HIS01"_s, 99), KorvelError);

    // Refused while another session holds the lock; nothing written.
    auto other = host().otherUser(u"S0002"_s);
    ASSERT_EQ(other->services().LockRecord(FrameLockAddin, u"HIS01"_s, u"S0002"_s), 1);
    EXPECT_THROW(FrameHistory::Restore(u"HIS01"_s, 3), KorvelError);
    EXPECT_EQ(FrameHistory::Versions(u"HIS01"_s).first().version, 7);

    // A frame stored before its history began is found once.
    EXPECT_EQ(Kinds(u"CMP01"_s), u"found"_s);
    EXPECT_EQ(Kinds(u"CMP01"_s), u"found"_s);

    // Pruning keeps the newest of each frame (a deletion among them) and refuses to keep none.
    ASSERT_EQ(LoadFrame(u"HIS02"_s)->DeleteMe(), 1);
    EXPECT_EQ(FrameHistory::Prune(1), 7);
    EXPECT_EQ(Kinds(u"HIS01"_s), u"restore"_s);
    EXPECT_EQ(Kinds(u"HIS02"_s), u"delete"_s);
    EXPECT_THROW(FrameHistory::Prune(0), KorvelError);
    EXPECT_TRUE(logLines().isEmpty()) << log();
}

INSTANTIATE_TEST_SUITE_P(Db, FrameHistoryTest, KorvelDatabaseKinds(), KorvelDatabaseKindName());

} // namespace
} // namespace korvel
