#include "host/standardutility.h"
#include "tests/support/testdatabase.h"

#include <QApplication>
#include <QDateTime>
#include <QDialog>
#include <QIcon>
#include <QPixmap>
#include <QSet>
#include <QSqlQuery>
#include <gtest/gtest.h>
#include <limits>

namespace korvel {
namespace {

// The 6-byte ID limit counts ASCII as 1 and everything else as 2; a character outside the
// basic plane (two UTF-16 units) is still one character.
TEST(HostUtilityTest, ByteLengthCountsDoubleByteCharacters)
{
    StandardUtility utility;
    EXPECT_EQ(utility.ByteLength(QString()), 0);
    EXPECT_EQ(utility.ByteLength(QStringLiteral("N00001")), 6);
    EXPECT_EQ(utility.ByteLength(QStringLiteral("N000012")), 7);
    EXPECT_EQ(utility.ByteLength(QStringLiteral("节点")), 4);
    EXPECT_EQ(utility.ByteLength(QStringLiteral("节点ID")), 6);
    EXPECT_EQ(utility.ByteLength(QStringLiteral("节点IDs")), 7);
    EXPECT_EQ(utility.ByteLength(QStringLiteral("é")), 2);
    EXPECT_EQ(utility.ByteLength(QString::fromUtf8("\xF0\x9F\x98\x80")), 2); // one emoji
    EXPECT_EQ(utility.ByteLength(QString::fromUtf8("ab\xF0\x9F\x98\x80"
                                                   "c")),
              5);                                             // a, b, emoji, c
    EXPECT_EQ(utility.ByteLength(QString(QChar(0xD800))), 2); // a lone surrogate
}

// Quoted text survives a real statement unchanged, whatever quotes it holds.
TEST(HostUtilityTest, SqlQuoteKeepsTextIntactThroughTheDatabase)
{
    StandardUtility utility;
    EXPECT_EQ(utility.SqlQuote(QStringLiteral("O'Brien")), QStringLiteral("O''Brien"));
    EXPECT_EQ(utility.SqlQuote(QStringLiteral("''")), QStringLiteral("''''"));
    EXPECT_EQ(utility.SqlQuote(QStringLiteral("plain")), QStringLiteral("plain"));

    TestDatabase db(TestDatabase::Kind::SQLite, false);
    const QString nasty = QStringLiteral("x'); DROP TABLE Staff; --'");
    db.exec(QStringLiteral("INSERT INTO Staff (Staff_ID, StaffName) VALUES ('q1', '") +
            utility.SqlQuote(nasty) + QStringLiteral("')"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT StaffName FROM Staff WHERE Staff_ID = 'q1'")).toString(),
              nasty);
}

TEST(HostUtilityTest, NewUniqueKeyIsFreshAndItsLastSixCharactersDiffer)
{
    StandardUtility utility;
    QSet<QString> keys;
    QSet<QString> suffixes;
    for (int i = 0; i < 5000; ++i) {
        const QString key = utility.NewUniqueKey();
        ASSERT_GE(key.size(), 6);
        for (QChar c : key)
            ASSERT_TRUE((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z')) << key.toStdString();
        keys.insert(key);
        suffixes.insert(key.right(6));
    }
    EXPECT_EQ(keys.size(), 5000);
    EXPECT_EQ(suffixes.size(), 5000);

    // Two hosts (two designers) proposing at the same time rarely propose the same IDs.
    StandardUtility other;
    int clashes = 0;
    for (int i = 0; i < 100; ++i)
        if (suffixes.contains(other.NewUniqueKey().right(6)))
            ++clashes;
    EXPECT_LT(clashes, 100);
}

// Values as the drivers hand them over from real columns.
TEST(HostUtilityTest, FieldConversionsOfRealColumns)
{
    StandardUtility utility;
    TestDatabase db(TestDatabase::Kind::SQLite, false);
    QSqlQuery query(db.database());
    ASSERT_TRUE(query.exec(QStringLiteral("SELECT NULL, 2.5, -2.5, 1e12, '12abc', 'text', 42, -7")));
    ASSERT_TRUE(query.next());
    EXPECT_EQ(utility.FieldToString(query.value(0)), QStringLiteral(""));
    EXPECT_FALSE(utility.FieldToString(query.value(0)).isNull()) << "an empty text, not a null one";
    EXPECT_EQ(utility.FieldToLong(query.value(0)), 0);
    EXPECT_EQ(utility.FieldToLong(query.value(1)), 3);
    EXPECT_EQ(utility.FieldToLong(query.value(2)), -3);
    EXPECT_EQ(utility.FieldToLong(query.value(3)), std::numeric_limits<qint32>::max());
    EXPECT_EQ(utility.FieldToLong(query.value(4)), 12);
    EXPECT_EQ(utility.FieldToLong(query.value(5)), 0);
    EXPECT_EQ(utility.FieldToLong(query.value(6)), 42);
    EXPECT_EQ(utility.FieldToString(query.value(6)), QStringLiteral("42"));
    EXPECT_EQ(utility.FieldToString(query.value(5)), QStringLiteral("text"));
    EXPECT_EQ(utility.FieldToLong(QVariant(qlonglong(-5000000000))), std::numeric_limits<qint32>::min());
    EXPECT_EQ(utility.FieldToString(QVariant(QDateTime(QDate(2024, 2, 29), QTime(13, 5, 9)))),
              QStringLiteral("2024-02-29 13:05:09"));
}

TEST(HostUtilityTest, ApplyFormStyleGivesTheIconAndAChineseCapableFont)
{
    StandardUtility utility;
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::red);
    const QIcon previous = QApplication::windowIcon();
    QApplication::setWindowIcon(QIcon(pixmap));
    QDialog form;
    utility.ApplyFormStyle(&form);
    EXPECT_FALSE(form.windowIcon().isNull());
    EXPECT_TRUE(form.font().families().contains(QStringLiteral("WenQuanYi Micro Hei")));
    utility.ApplyFormStyle(nullptr); // nothing to style, nothing happens
    QApplication::setWindowIcon(previous);
}

} // namespace
} // namespace korvel
