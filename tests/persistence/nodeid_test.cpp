// Node IDs: existence across frames and the search for the first free "N" + five digits.
#include "core/korvelerror.h"
#include "persistence/nodeidsearch.h"
#include "tests/persistence/persistencefixture.h"

#include <limits>

namespace korvel::test {
namespace {

bool InsertNode(const QString& frame, const QString& id)
{
    NodeValues node;
    node.WorkOrderFrame_ID = frame;
    node.WorkOrderNode_ID = id;
    return DBOperate().InsertNode(node) == 1;
}

using NodeIdTest = EmptyDatabaseTest;

TEST_P(NodeIdTest, NewIdTakesTheLowestFreeNumberAndExistenceSpansFramesAndLetterCase)
{
    EXPECT_EQ(DBOperate().GetNewNodeIDA(), QStringLiteral("N00001"));
    ASSERT_TRUE(InsertNode("FA", "N00001") && InsertNode("FB", "N00003"));
    EXPECT_EQ(DBOperate().GetNewNodeIDA(), QStringLiteral("N00002"));
    ASSERT_TRUE(InsertNode("FB", "n00002"));
    EXPECT_EQ(DBOperate().GetNewNodeIDA(), QStringLiteral("N00004"));

    // ID asked, answer: found in another frame, other letters, missing, a quote as an ordinary character.
    ASSERT_TRUE(InsertNode("FB", "N'1"));
    for (const auto& [id, exists] :
         {std::pair{"N00001", 1}, {"n00003", 1}, {"N00008", -1}, {"N'1", 1}, {"N'", -1}})
        EXPECT_EQ(DBOperate().getNodeExists(QString::fromUtf8(id)), exists) << id;
    EXPECT_TRUE(logLines().isEmpty()) << log();
}

TEST_P(NodeIdTest, FailedCountGivesZeroAndNoCandidate)
{
    ASSERT_TRUE(InsertNode("FA", "N00001"));
    db().exec(QStringLiteral("drop table Two_Node"));
    EXPECT_EQ(DBOperate().getNodeExists(QStringLiteral("N00001")), 0);
    ASSERT_EQ(logLines().size(), 1);
    host().log().clear();

    // An ID nobody could check is never proposed.
    EXPECT_THROW(DBOperate().GetNewNodeIDA(), KorvelError);
    ASSERT_EQ(logLines().size(), 1);
    EXPECT_TRUE(logLines().at(0).startsWith(QStringLiteral("[Korvel]-[cDBOperate]-[getNodeExists]:")));
    EXPECT_TRUE(logLines().at(0).contains(QStringLiteral("two_node"), Qt::CaseInsensitive)) << log();
}

INSTANTIATE_TEST_SUITE_P(Db, NodeIdTest, KorvelDatabaseKinds(), KorvelDatabaseKindName());

TEST(NodeIdSearch, CandidatesArePaddedButNeverCutAndOverflowIsAnError)
{
    EXPECT_EQ(NodeIDCandidate(1), QStringLiteral("N00001"));
    EXPECT_EQ(NodeIDCandidate(99999), QStringLiteral("N99999"));
    EXPECT_EQ(NodeIDCandidate(100000), QStringLiteral("N100000"));
    const auto takenBelow = [](qint32 limit) {
        return [limit](const QString& id) { return id.mid(1).toInt() < limit ? 1 : -1; };
    };
    EXPECT_EQ(FirstFreeNodeID(takenBelow(100001), 99990), QStringLiteral("N100001"));

    // The largest counter is still a candidate; past it the search fails instead of wrapping round.
    const qint32 max = std::numeric_limits<qint32>::max();
    QStringList asked;
    const auto allTaken = [&asked](const QString& id) {
        asked << id;
        return 1;
    };
    EXPECT_THROW(FirstFreeNodeID(allTaken, max - 1), KorvelError);
    EXPECT_EQ(Strings(asked), Strings({QStringLiteral("N2147483646"), QStringLiteral("N2147483647")}));
    EXPECT_EQ(FirstFreeNodeID([](const QString&) { return -1; }, max), QStringLiteral("N2147483647"));
}

} // namespace
} // namespace korvel::test
