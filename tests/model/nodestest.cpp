#include "core/addinglobals.h"
#include "core/korvelerror.h"
#include "tests/model/modelfixture.h"

namespace korvel {
namespace {

NodeValues NewNode(const QString& frameId, const QString& nodeId, const QString& name)
{
    NodeValues v;
    v.WorkOrderFrame_ID = frameId;
    v.WorkOrderNode_ID = nodeId;
    v.WorkOrderNodeName = name;
    return v;
}

using NodeStates = ModelTest;

TEST_P(NodeStates, EachHistoryWritesWhatItNeeds)
{
    auto frame = LoadFrame(u"CMP01"_s);
    cNodes& nodes = frame->AllNode();
    ASSERT_EQ(nodes.AllNode().Count(), 4);
    // New, then deleted: no change at all, so nothing to save.
    ASSERT_EQ(nodes.NewNode(NewNode(u"CMP01"_s, u"X2"_s, u"tmp"_s)), 1);
    EXPECT_EQ(frame->CheckStatus(), 1);
    ASSERT_EQ(nodes.DelNode(u"X2"_s), 1);
    EXPECT_EQ(frame->CheckStatus(), 0);

    // Loaded, moved, then deleted: a delete. Nothing set afterwards brings it back.
    cNode* moved = nodes.OneNode(u"N00002"_s);
    moved->setNodeTop(4321);
    ASSERT_EQ(nodes.DelNode(u"N00002"_s), 1);
    moved->setWorkOrderNodeName(u"revived?"_s);
    EXPECT_EQ(moved->StateFlag(), StateDeleted);

    // Loaded, then edited: an update. New, then edited: one insert with the latest values.
    nodes.OneNode(u"N00003"_s)->setWorkOrderNodeName(u"Manager review"_s);
    ASSERT_EQ(nodes.NewNode(NewNode(u"CMP01"_s, u"X1"_s, u"draft"_s)), 1);
    nodes.OneNode(u"X1"_s)->setWorkOrderNodeName(u"final"_s);
    nodes.OneNode(u"X1"_s)->setNodeLeft(-150);

    EXPECT_EQ(frame->SaveMe(), 1);
    EXPECT_EQ(Rows(u"select WorkOrderNode_ID, WorkOrderNodeName, NodeLeft from Two_Node "
                   "where WorkOrderFrame_ID='CMP01'"_s),
              QStringList({"N00001|Register complaint|1000", "N00003|Manager review|5200",
                           "N00004|Reply to customer|7400", "X1|final|-150"}));
    EXPECT_TRUE(logLines().isEmpty()) << log();
    Reload(*frame);
    EXPECT_EQ(frame->CheckStatus(), 0);
    EXPECT_EQ(frame->AllNode().AllNode().Count(), 4);
}

TEST_P(NodeStates, AllValuesSurviveTheRoundTrip)
{
    auto frame = LoadFrame(u"BIL01"_s);
    // Every number differs from every other, so two columns swapped on the way cannot go unseen.
    const NodeValues values{"BIL01", "X3",  "It's a name",
                            7,       "D",   11,
                            101,     13,    "1",
                            "0",     14,    "https://x.example/a?b=1",
                            "F01",   15,    "alice",
                            "G02",   "bob", "G05",
                            -30,     -4500, "P4",
                            16,      17,    18,
                            19,      20,    "N00008",
                            21,      22,    "G02,alice|G05,carol",
                            23,      "M",   25};
    ASSERT_EQ(frame->AllNode().NewNode(values), 1);
    ASSERT_EQ(frame->SaveMe(), 1);
    Reload(*frame);
    const cNode* read = frame->AllNode().OneNode(u"X3"_s);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->Values(), values);
    EXPECT_EQ(read->StateFlag(), StateUnchanged);
}

// The host's conversion, failing for one value as a host may for a value it cannot convert.
class FailingUtility final : public HostUtility {
public:
    explicit FailingUtility(HostUtility& real) : m_real(real) {}
    QString FieldToString(const QVariant& field) override { return m_real.FieldToString(field); }
    qint32 FieldToLong(const QVariant& field) override
    {
        return field.toInt() == 424242 ? throw KorvelError(u"424242 cannot be converted"_s) : m_real.FieldToLong(field);
    }
    QString SqlQuote(const QString& text) override { return m_real.SqlQuote(text); }
    qint32 ByteLength(const QString& text) override { return m_real.ByteLength(text); }
    QString NewUniqueKey() override { return m_real.NewUniqueKey(); }
    void ApplyFormStyle(QObject* form) override { m_real.ApplyFormStyle(form); }

private:
    HostUtility& m_real;
};

TEST_P(NodeStates, AStepOrLinkRowThatCannotBeReadMakesTheFrameUnreadable)
{
    FailingUtility failing(Utility());
    const QPointer<HostUtility> real = Addin().HostUtility;
    Addin().HostUtility = &failing;
    for (const QString& poison : {u"update Two_Node set NodeTop = 424242 where WorkOrderNode_ID = 'N00002'"_s,
                                  u"update Two_Link set AlwaysOpen = 424242 where WorkOrderFrame_ID = 'CMP01'"_s}) {
        db().exec(poison);
        auto frame = LoadFrame(u"CMP01"_s);
        EXPECT_TRUE(frame->ReadError().contains(u"424242 cannot be converted"_s)) << poison.toStdString();
        db().exec(u"update Two_Node set NodeTop = 1"_s);
    }
    Addin().HostUtility = real;
}

INSTANTIATE_TEST_SUITE_P(Db, NodeStates, KorvelDatabaseKinds(), KorvelDatabaseKindName());

using NodeCollection = ModelTestSQLite;

TEST_P(NodeCollection, IdsAreTakenAcrossCaseFramesAndDeletions)
{
    auto frame = LoadFrame(u"CMP01"_s);
    cNodes& nodes = frame->AllNode();
    EXPECT_EQ(nodes.NodeIDExists(u"n00002"_s), 1); // in memory, other letter case
    EXPECT_EQ(nodes.NodeIDExists(u"N00008"_s), 1); // a node of another frame
    EXPECT_EQ(nodes.NodeIDExists(u"N00099"_s), -1);
    ASSERT_EQ(nodes.NewNode(NewNode(u"CMP01"_s, u"X4"_s, QString())), 1);
    ASSERT_EQ(nodes.DelNode(u"X4"_s), 1);
    EXPECT_EQ(nodes.NodeIDExists(u"x4"_s), 1); // deleted, not saved: still blocks its ID

    // Two steps added before a save are never proposed the same ID.
    const QString first = nodes.ProposeNodeID();
    EXPECT_EQ(nodes.NodeIDExists(first), -1);
    ASSERT_EQ(nodes.NewNode(NewNode(u"CMP01"_s, first, QString())), 1);
    const QString second = nodes.ProposeNodeID();
    EXPECT_NE(second, first);
    EXPECT_EQ(nodes.NodeIDExists(second), -1);

    // A second node under a taken key (as the database compares keys) is refused and the first
    // stays untouched; any spelling of the key finds it.
    EXPECT_EQ(nodes.NewNode(NewNode(u"CMP01"_s, u"N00001"_s, u"impostor"_s)), -1);
    EXPECT_EQ(nodes.NewNode(NewNode(u"CMP01"_s, u"ｎ00001"_s, u"impostor"_s)), -1);
    EXPECT_EQ(nodes.OneNode(u"n00001"_s), nodes.OneNode(u"N00001"_s));
    EXPECT_EQ(nodes.OneNode(u"N00001"_s)->WorkOrderNodeName(), u"Register complaint"_s);
    EXPECT_EQ(nodes.OneNode(u"N00001"_s)->StateFlag(), StateUnchanged);
    EXPECT_EQ(nodes.DelNode(u"N00099"_s), -1);

    // A database that cannot be asked never makes an ID free, nor proposes one.
    db().exec(u"drop table Two_Node"_s);
    EXPECT_EQ(nodes.NodeIDExists(u"N00099"_s), 0);
    EXPECT_EQ(nodes.NodeIDExists(u"N00001"_s), 1); // known in memory
    EXPECT_THROW(nodes.ProposeNodeID(), KorvelError);
}

INSTANTIATE_TEST_SUITE_P(Db, NodeCollection, ::testing::Values(TestDatabase::Kind::SQLite),
                         KorvelDatabaseKindName());

} // namespace
} // namespace korvel
