#include "host/standardutility.h"
#include "tests/support/testdatabase.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>
#include <gtest/gtest.h>
#include <limits>

namespace korvel {
namespace {

// The 6-byte ID limit counts ASCII as 1 and everything else as 2; a character outside the
// basic plane (two UTF-16 units) is still one character, and so is a lone surrogate.
TEST(HostUtilityTest, ByteLengthCountsDoubleByteCharacters)
{
    StandardUtility utility;
    for (const auto& [text, bytes] : {std::pair{QString(), 0},
                                      {"N000012", 7},
                                      {"节点IDs", 7},
                                      {"é", 2},
                                      {"ab\xF0\x9F\x98\x80"
                                       "c",
                                       5},
                                      {QString(QChar(0xD800)), 2}})
        EXPECT_EQ(utility.ByteLength(text), bytes) << text.toStdString();
}

// Quoted text survives a real statement unchanged, whatever quotes it holds.
TEST(HostUtilityTest, SqlQuoteKeepsTextIntactThroughTheDatabase)
{
    StandardUtility utility;
    TestDatabase db(TestDatabase::Kind::SQLite, false);
    const QString nasty = QStringLiteral("x''); DROP TABLE Staff; --'");
    db.exec("INSERT INTO Staff (Staff_ID, StaffName) VALUES ('q1', '" + utility.SqlQuote(nasty) + "')");
    EXPECT_EQ(db.scalar("SELECT StaffName FROM Staff WHERE Staff_ID = 'q1'").toString(), nasty);
}

// Keys are upper-case letters and digits, fresh each time down to their last six characters, and
// two hosts (two designers) proposing at the same time rarely propose the same IDs.
TEST(HostUtilityTest, NewUniqueKeyIsFreshAndItsLastSixCharactersDiffer)
{
    StandardUtility utility, other;
    QSet<QString> suffixes;
    for (int i = 0; i < 5000; ++i) {
        const QString key = utility.NewUniqueKey();
        ASSERT_TRUE(key.size() >= 6 && !key.contains(QRegularExpression("[^0-9A-Z]"))) << key.toStdString();
        suffixes.insert(key.right(6));
    }
    EXPECT_EQ(suffixes.size(), 5000);
    int clashes = 0;
    for (int i = 0; i < 100; ++i)
        clashes += suffixes.contains(other.NewUniqueKey().right(6));
    EXPECT_LT(clashes, 100);
}

// Values as the drivers hand them over from real columns: rounded, clamped, a number's leading digits.
TEST(HostUtilityTest, FieldConversionsOfRealColumns)
{
    StandardUtility utility;
    TestDatabase db(TestDatabase::Kind::SQLite, false);
    QSqlQuery query(db.database());
    ASSERT_TRUE(query.exec("SELECT NULL, 2.5, -2.5, 1e12, '12abc', 'text', 42") && query.next());
    const qint32 longs[] = {0, 3, -3, std::numeric_limits<qint32>::max(), 12, 0, 42};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(utility.FieldToLong(query.value(i)), longs[i]) << i;
    EXPECT_TRUE(utility.FieldToString(query.value(0)).isEmpty() &&
                !utility.FieldToString(query.value(0)).isNull());
    EXPECT_EQ(utility.FieldToString(query.value(6)), QStringLiteral("42"));
    EXPECT_EQ(utility.FieldToLong(QVariant(qlonglong(-5000000000))), std::numeric_limits<qint32>::min());
    EXPECT_EQ(utility.FieldToString(QVariant(QDateTime(QDate(2024, 2, 29), QTime(13, 5, 9)))),
              QStringLiteral("2024-02-29 13:05:09"));
}

} // namespace
} // namespace korvel
