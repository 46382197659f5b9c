#include "host/filelog.h"
#include "host/standardutility.h"
#include "tests/support/testdatabase.h"

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <limits>

namespace korvel {
namespace {

// ASCII counts 1, any other character 2 (one outside the basic plane too, and a lone surrogate).
TEST(HostUtilityTest, ByteLengthCountsDoubleByteCharacters)
{
    for (const auto& [text, bytes] : std::initializer_list<std::pair<QString, qint32>>{
             {"", 0}, {"N000012", 7}, {"节点IDs", 7}, {"é", 2}, {"ab😀c", 5}, {QString(QChar(0xD800)), 2}})
        EXPECT_EQ(StandardUtility().ByteLength(text), bytes) << text.toStdString();
}

// Fresh keys down to their last six characters, also rarely the same from two hosts at once.
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
    EXPECT_FALSE(suffixes.contains(other.NewUniqueKey().right(6))) << "a second host starts elsewhere";
}

// Quoted text survives a real statement; values of real columns are rounded, clamped or leading digits.
TEST(HostUtilityTest, SqlQuoteAndFieldConversionsThroughTheDatabase)
{
    StandardUtility utility;
    TestDatabase db(TestDatabase::Kind::SQLite, false);
    const QString nasty = QStringLiteral("x''); DROP TABLE Staff; --'");
    db.exec("INSERT INTO Staff (Staff_ID, StaffName) VALUES ('q1', '" + utility.SqlQuote(nasty) + "')");
    EXPECT_EQ(db.scalar("SELECT StaffName FROM Staff WHERE Staff_ID = 'q1'").toString(), nasty);
    QSqlQuery query(db.database());
    ASSERT_TRUE(query.exec("SELECT NULL, 2.5, -2.5, 1e12, '12abc', 'text', 42") && query.next());
    const qint32 longs[] = {0, 3, -3, std::numeric_limits<qint32>::max(), 12, 0, 42};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(utility.FieldToLong(query.value(i)), longs[i]) << i;
    EXPECT_TRUE(utility.FieldToString(query.value(0)) == "" &&
                !utility.FieldToString(query.value(0)).isNull());
    EXPECT_EQ(utility.FieldToString(query.value(6)), QStringLiteral("42"));
    EXPECT_EQ(utility.FieldToLong(QVariant(qlonglong(-5000000000))), std::numeric_limits<qint32>::min());
    EXPECT_EQ(utility.FieldToString(QVariant(QDateTime(QDate(2024, 2, 29), QTime(13, 5, 9)))),
              QStringLiteral("2024-02-29 13:05:09"));
}

// One stamped line per message, appended across runs, breaks flattened; an unwritable log takes them too.
TEST(FileLogTest, WritesOneStampedLinePerMessageAndAppends)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("logs/korvel.log"));
    for (QString message : {"[Korvel]-[cWOrder]-[SaveME]:ERROR:  deadlock\ndetail\r\nmore", "工单 again"}) {
        FileLog log(path); // a run of its own each
        ASSERT_TRUE(log.isWritingFile());
        log.WriteLog(message, 0);
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString stamp = QStringLiteral("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} ");
    const QString written = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(QRegularExpression("^" + stamp +
                                   "\\[Korvel\\]-\\[cWOrder\\]-\\[SaveME\\]:ERROR:  deadlock detail more\n" +
                                   stamp + "工单 again\n$")
                    .match(written)
                    .hasMatch())
        << written.toStdString();
    FileLog unwritable(folder.path()); // a folder, not a file
    EXPECT_FALSE(unwritable.isWritingFile());
    QString message = QStringLiteral("still fine");
    unwritable.WriteLog(message, 0);
    EXPECT_EQ(message, QStringLiteral("still fine"));
}

} // namespace
} // namespace korvel
