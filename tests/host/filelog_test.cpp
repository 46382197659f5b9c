#include "host/filelog.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace korvel {
namespace {

// One time-stamped line per message, appended across runs, a driver's line breaks flattened; a log
// that cannot write its file still takes messages.
TEST(FileLogTest, WritesOneStampedLinePerMessageAndAppends)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("logs/korvel.log"));
    const QStringList messages{"[Korvel]-[cDBOperate]-[GetNodes]:no such table: Two_Node",
                               "[Korvel]-[cWOrder]-[SaveME]:ERROR:  deadlock\ndetail\r\nmore", "工单 third"};
    {
        FileLog log(path);
        ASSERT_TRUE(log.isWritingFile());
        for (QString message : messages.mid(0, 2))
            log.WriteLog(message, 0);
    }
    QString third = messages.at(2); // in a second run
    FileLog(path).WriteLog(third, 0);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    const QRegularExpression stamp("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} (.*)$");
    QStringList written;
    for (const QString& line : lines)
        written << stamp.match(line).captured(1);
    EXPECT_EQ(written,
              QStringList({"[Korvel]-[cDBOperate]-[GetNodes]:no such table: Two_Node",
                           "[Korvel]-[cWOrder]-[SaveME]:ERROR:  deadlock detail more", "工单 third"}))
        << lines.join(u'|').toStdString();

    FileLog unwritable(folder.path()); // a folder, not a file
    EXPECT_FALSE(unwritable.isWritingFile());
    QString message = QStringLiteral("still fine");
    unwritable.WriteLog(message, 0);
    EXPECT_EQ(message, QStringLiteral("still fine"));
}

} // namespace
} // namespace korvel
