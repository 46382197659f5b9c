#include "host/filelog.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace korvel {
namespace {

QStringList fileLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

// One time-stamped line per message, appended across runs, a driver's line breaks flattened.
TEST(FileLogTest, WritesOneStampedLinePerMessageAndAppends)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("logs/korvel.log"));
    {
        FileLog log(path);
        ASSERT_TRUE(log.isWritingFile());
        QString first = QStringLiteral("[Korvel]-[cDBOperate]-[GetNodes]:no such table: Two_Node");
        QString second = QStringLiteral("[Korvel]-[cWOrder]-[SaveME]:ERROR:  deadlock\ndetail\r\nmore");
        log.WriteLog(first, 0);
        log.WriteLog(second, 0);
    }
    {
        FileLog again(path);
        QString third = QStringLiteral("工单 third");
        again.WriteLog(third, 0);
    }
    const QStringList lines = fileLines(path);
    ASSERT_EQ(lines.size(), 3) << lines.join(u'|').toStdString();
    const QRegularExpression stamp(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} "));
    for (const QString& line : lines)
        EXPECT_TRUE(stamp.match(line).hasMatch()) << line.toStdString();
    EXPECT_TRUE(
        lines[0].endsWith(QStringLiteral(" [Korvel]-[cDBOperate]-[GetNodes]:no such table: Two_Node")));
    EXPECT_TRUE(
        lines[1].endsWith(QStringLiteral("[Korvel]-[cWOrder]-[SaveME]:ERROR:  deadlock detail more")));
    EXPECT_TRUE(lines[2].endsWith(QStringLiteral(" 工单 third")));
}

TEST(FileLogTest, UnwritableFileStillTakesMessages)
{
    QTemporaryDir folder;
    FileLog log(folder.path()); // a folder, not a file
    EXPECT_FALSE(log.isWritingFile());
    QString message = QStringLiteral("still fine");
    log.WriteLog(message, 0);
    EXPECT_EQ(message, QStringLiteral("still fine"));
}

} // namespace
} // namespace korvel
