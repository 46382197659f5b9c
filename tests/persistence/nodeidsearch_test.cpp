// The search for free step IDs, without a database.
#include "persistence/nodeidsearch.h"

#include <gtest/gtest.h>

namespace korvel::test {
namespace {

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
}

} // namespace
} // namespace korvel::test
