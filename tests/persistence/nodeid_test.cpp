// Node IDs: existence across frames, the handing out of the first free "N" + five digits, search.
#include "core/korvelerror.h"
#include "persistence/flowsearch.h"
#include "persistence/nodeidsearch.h"
#include "persistence/statementmonitor.h"
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

// The original search for a new ID, one query per candidate: the rule the allocator must match.
QString ReferenceNewNodeID()
{
    for (qint64 counter = 1;; ++counter)
        if (DBOperate().getNodeExists(NodeIDCandidate(counter)) == -1)
            return NodeIDCandidate(counter);
}

// New IDs come from one query and match the original search on gaps, IDs of other shapes and other
// letter case: seven IDs in a row, each one as if the one before was stored.
TEST_P(NodeIdTest, NewIdsFromOneQueryMatchTheOriginalSearch)
{
    EXPECT_EQ(DBOperate().GetNewNodeIDA(), QStringLiteral("N00001"));
    for (const char* id :
         {"N00001", "n00002", "N00004", "N0005", "N000006", "X00007", "N'1", "N00008x", "N00009"})
        ASSERT_TRUE(InsertNode("FA", QString::fromUtf8(id)));
    const qint64 before = StatementMonitor::Count();
    NodeIdAllocator ids = NodeIdAllocator::FromDatabase();
    QStringList handedOut;
    for (int i = 0; i < 7; ++i)
        handedOut << ids.Next();
    EXPECT_EQ(StatementMonitor::Count() - before, 1);
    QStringList reference;
    for (int i = 0; i < 7; ++i) {
        reference << ReferenceNewNodeID();
        ASSERT_TRUE(InsertNode("FC", reference.last()));
    }
    EXPECT_EQ(handedOut, reference);
    EXPECT_EQ(reference, QStringList({"N00003", "N00005", "N00006", "N00007", "N00008", "N00010", "N00011"}));

    // ID asked, answer: found in another frame, other letters, missing, a quote as an ordinary character.
    for (const auto& [id, exists] :
         {std::pair{"N00001", 1}, {"n00004", 1}, {"N200000", -1}, {"N'1", 1}, {"N'", -1}})
        EXPECT_EQ(DBOperate().getNodeExists(QString::fromUtf8(id)), exists) << id;

    // Search takes LIKE's own characters as typed: "N_1" finds N_1 only, not N'1.
    ASSERT_TRUE(InsertNode("FA", "N_1") && InsertNode("FA", "N%1") && InsertNode("FA", "N\\1"));
    for (const QString typed : {"N_1", "N%1", "N\\1"}) {
        QStringList found;
        for (const SearchHit& hit : SearchFlows(typed))
            found << hit.key;
        EXPECT_EQ(Strings(found), Strings({typed}));
    }
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
    EXPECT_TRUE(logLines().at(0).startsWith(QStringLiteral("[Korvel]-[cDBOperate]-[GetAllNodeIDs]:")));
    EXPECT_TRUE(logLines().at(0).contains(QStringLiteral("two_node"), Qt::CaseInsensitive)) << log();
}

INSTANTIATE_TEST_SUITE_P(Db, NodeIdTest, KorvelDatabaseKinds(), KorvelDatabaseKindName());

TEST(NodeIdSearch, CandidatesArePaddedButNeverCut)
{
    EXPECT_EQ(NodeIDCandidate(2147483647), QStringLiteral("N2147483647"));
    // Digits of another width or script, and invisible characters, are one key on PostgreSQL.
    NodeIdAllocator loose(true);
    for (const QString& id :
         {QStringLiteral(u"\uFF2E\uFF10\uFF10\uFF10\uFF10\uFF11"), QStringLiteral(u"N0\u200B0002"),
          QStringLiteral(u"N\u0660\u0660\u0660\u0660\u0663")})
        loose.MarkUsed(id);
    EXPECT_EQ(loose.Next(), QStringLiteral("N00004"));
    // Past 99999 the numbers go on in full.
    NodeIdAllocator strict(false);
    for (qint64 n = 1; n <= 100000; ++n)
        strict.MarkUsed(NodeIDCandidate(n));
    strict.MarkUsed(QStringLiteral("N0100001")); // not the candidate N100001
    EXPECT_EQ(strict.Next(), QStringLiteral("N100001"));
    EXPECT_EQ(strict.Next(), QStringLiteral("N100002"));
}

} // namespace
} // namespace korvel::test
