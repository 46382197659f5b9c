// Node IDs: existence across frames and the search for the first free "N" + five digits.
#include "core/korvelerror.h"
#include "persistence/nodeidsearch.h"
#include "tests/persistence/persistencefixture.h"

#include <limits>

namespace korvel::test {
namespace {

NodeValues Node(const QString& frame, const QString& id)
{
    NodeValues node;
    node.WorkOrderFrame_ID = frame;
    node.WorkOrderNode_ID = id;
    node.WorkOrderNodeName = QStringLiteral("Step ") + id;
    return node;
}

using NodeIdTest = EmptyDatabaseTest;

TEST_P(NodeIdTest, NewNodeIdTakesTheLowestFreeNumberOverAllFrames)
{
    EXPECT_EQ(DBOperate().GetNewNodeIDA(), QStringLiteral("N00001"));

    ASSERT_EQ(DBOperate().InsertNode(Node(QStringLiteral("FA"), QStringLiteral("N00001"))), 1);
    ASSERT_EQ(DBOperate().InsertNode(Node(QStringLiteral("FB"), QStringLiteral("N00003"))), 1);
    EXPECT_EQ(DBOperate().GetNewNodeIDA(), QStringLiteral("N00002"));

    // An ID spelled in other letters is the same ID.
    ASSERT_EQ(DBOperate().InsertNode(Node(QStringLiteral("FB"), QStringLiteral("n00002"))), 1);
    EXPECT_EQ(DBOperate().GetNewNodeIDA(), QStringLiteral("N00004"));
    EXPECT_TRUE(logLines().isEmpty()) << logLines().join(QLatin1Char('\n')).toStdString();
}

TEST_P(NodeIdTest, NodeExistsLooksAtEveryFrameAndIgnoresCase)
{
    ASSERT_EQ(DBOperate().InsertNode(Node(QStringLiteral("FA"), QStringLiteral("N00007"))), 1);
    EXPECT_EQ(DBOperate().getNodeExists(QStringLiteral("N00007")), 1);
    EXPECT_EQ(DBOperate().getNodeExists(QStringLiteral("n00007")), 1);
    EXPECT_EQ(DBOperate().getNodeExists(QStringLiteral("N00008")), -1);
    // A quote in the ID is an ordinary character, not the end of the literal.
    EXPECT_EQ(DBOperate().getNodeExists(QStringLiteral("N'1")), -1);
    ASSERT_EQ(DBOperate().InsertNode(Node(QStringLiteral("FB"), QStringLiteral("N'1"))), 1);
    EXPECT_EQ(DBOperate().getNodeExists(QStringLiteral("N'1")), 1);
    EXPECT_TRUE(logLines().isEmpty()) << logLines().join(QLatin1Char('\n')).toStdString();
}

TEST_P(NodeIdTest, FailedCountGivesZeroAndTheFirstCandidate)
{
    ASSERT_EQ(DBOperate().InsertNode(Node(QStringLiteral("FA"), QStringLiteral("N00001"))), 1);
    db().exec(QStringLiteral("drop table Two_Node"));

    EXPECT_EQ(DBOperate().getNodeExists(QStringLiteral("N00001")), 0);
    ASSERT_EQ(logLines().size(), 1);
    host().log().clear();

    EXPECT_EQ(DBOperate().GetNewNodeIDA(), QStringLiteral("N00001"));
    ASSERT_EQ(logLines().size(), 1);
    EXPECT_TRUE(logLines().at(0).startsWith(QStringLiteral("[Korvel]-[cDBOperate]-[getNodeExists]:")));
    EXPECT_TRUE(logLines().at(0).contains(QStringLiteral("two_node"), Qt::CaseInsensitive))
        << logLines().at(0).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Db, NodeIdTest, KorvelDatabaseKinds(), KorvelDatabaseKindName());

TEST(NodeIdSearch, CandidatesArePaddedToFiveDigitsButNeverCut)
{
    EXPECT_EQ(NodeIDCandidate(1), QStringLiteral("N00001"));
    EXPECT_EQ(NodeIDCandidate(99999), QStringLiteral("N99999"));
    EXPECT_EQ(NodeIDCandidate(100000), QStringLiteral("N100000"));

    // Past 99999 the search goes on with six digits.
    const auto takenBelow = [](qint32 limit) {
        return [limit](const QString& id) { return id.mid(1).toInt() < limit ? 1 : -1; };
    };
    EXPECT_EQ(FirstFreeNodeID(takenBelow(100001), 99990), QStringLiteral("N100001"));
}

TEST(NodeIdSearch, CounterOverflowIsAnErrorNotAWrapAround)
{
    const qint32 max = std::numeric_limits<qint32>::max();
    QStringList asked;
    const auto allTaken = [&asked](const QString& id) {
        asked << id;
        return 1;
    };
    EXPECT_THROW(FirstFreeNodeID(allTaken, max - 1), KorvelError);
    EXPECT_EQ(Strings(asked), Strings({QStringLiteral("N2147483646"), QStringLiteral("N2147483647")}));

    // The largest counter itself is still a valid candidate.
    EXPECT_EQ(FirstFreeNodeID([](const QString&) { return -1; }, max), QStringLiteral("N2147483647"));
}

} // namespace
} // namespace korvel::test
