// Four writers, each a process with its own connection, import a frame of many steps or copy it
// (Save as) at the same moment, round after round: every write succeeds and no step ID ends up in
// two frames. Then two of them copy to one new frame ID at once: the loser is told in Korvel's words.

#include "exchange/frameexchange.h"
#include "resources/stringtable.h"
#include "tests/stress/stresschild.h"
#include "tests/support/testhost.h"

#include <QFile>
#include <QTemporaryDir>
#include <vector>

namespace korvel {
namespace {

using namespace Qt::StringLiterals;

class IdRaceTest : public ::testing::TestWithParam<TestDatabase::Kind> {};

TEST_P(IdRaceTest, ConcurrentImportsAndCopiesShareNoStepId)
{
    KORVEL_SKIP_UNLESS_AVAILABLE(GetParam());
    constexpr int kWriters = 4, kRounds = 4;
    TestDatabase db(GetParam());
    db.exec(u"WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < 150) INSERT INTO "
            "Two_Node (WorkOrderFrame_ID, WorkOrderNode_ID, WorkOrderNodeName) SELECT 'CMP01', 'X' || n, 'x' "
            "FROM c"_s);
    QTemporaryDir folder;
    const QString file = folder.filePath(u"cmp01.json"_s);
    {
        TestHost host(db.database());
        AddinSession session(host);
        ExportFramesToFile({u"CMP01"_s}, file);
    }
    std::vector<std::unique_ptr<QProcess>> writers;
    for (int i = 0; i < kWriters; ++i) {
        writers.push_back(StartChild({u"write"_s, ChildLocation(db), u"CMP01"_s, file}));
        ASSERT_EQ(NextLine(*writers.back()).toStdString(), "ready");
    }
    for (int round = 0; round < kRounds; ++round) {
        for (int i = 0; i < kWriters; ++i)
            writers[i]->write(u"%1 W%2R%3\n"_s.arg(i % 2 ? u"copy"_s : u"import"_s).arg(i).arg(round).toUtf8());
        for (auto& writer : writers)
            writer->waitForBytesWritten();
        for (int i = 0; i < kWriters; ++i)
            EXPECT_EQ(NextLine(*writers[i]).toStdString(), u"done W%1R%2"_s.arg(i).arg(round).toStdString());
    }
    EXPECT_EQ(db.rows(u"SELECT WorkOrderNode_ID FROM Two_Node GROUP BY WorkOrderNode_ID HAVING COUNT(*) > 1"_s)
                  .join(u' ')
                  .toStdString(),
              "");

    for (int i : {1, 3})
        writers[i]->write("copy SAME\n");
    for (int i : {1, 3})
        writers[i]->waitForBytesWritten();
    const QStringList said{NextLine(*writers[1]), NextLine(*writers[3])};
    EXPECT_EQ(said.filter(u"done SAME"_s).size(), 1) << said.join(u'\n').toStdString();
    EXPECT_EQ(said.filter(u"error SAME "_s + LoadResString(1921).arg(u"SAME"_s)).size(), 1)
        << said.join(u'\n').toStdString();
    for (auto& writer : writers) {
        writer->closeWriteChannel();
        EXPECT_TRUE(writer->waitForFinished());
    }
}

INSTANTIATE_TEST_SUITE_P(Db, IdRaceTest, KorvelDatabaseKinds(), KorvelDatabaseKindName());

} // namespace
} // namespace korvel
