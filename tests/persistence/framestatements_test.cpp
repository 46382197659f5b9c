// The frame header statements, the frame list and the lookups of cDBOperate.
#include "tests/persistence/persistencefixture.h"

#include <QDateTime>
#include <QRegularExpression>

namespace korvel::test {
namespace {

// Columns of GetOneWorkOrder, in the statement's order.
const QStringList kFrameColumns{"WorkOrderFrame_ID", "WorkOrderFrameName", "Category",
                                "Priority_ID",       "ExpiredPeriod",      "ExpiredPeriodType_ID",
                                "CanSkip",           "AddinType",          "WEBLink",
                                "Group_IDA",         "CanFullScreen",      "PrintFormat",
                                "CanGenerateOB",     "GenerateRate",       "Group_IDA2",
                                "ReplyFlag",         "ReplyMode",          "ReplyAddress",
                                "ReplyFile",         "PRINTGROUP",         "REPLYGROUP",
                                "REPLYCONTENT",      "ForecastUnit",       "ForecastLen"};
const QStringList kFrameNumbers{"ExpiredPeriod", "CanSkip",   "AddinType", "CanFullScreen", "CanGenerateOB",
                                "GenerateRate",  "ReplyFlag", "ReplyMode", "ForecastLen"};

// The values as GetOneWorkOrder gives them back, in its column order.
std::vector<std::string> Expected(const FrameValues& v)
{
    const auto n = [](qint32 x) { return QString::number(x); };
    return Strings({v.WorkOrderFrame_ID, v.WorkOrderFrameName, v.Category,
                    v.Priority_ID,       n(v.ExpiredPeriod),   v.ExpirtedPeriodType_ID,
                    n(v.CanSkip),        n(v.AddinType),       v.WEBLink,
                    v.Group_IDA,         n(v.CanFullScreen),   v.PrintFormat,
                    n(v.CanGenerateOB),  n(v.GenerateRate),    v.Group_IDA2,
                    n(v.ReplyFlag),      n(v.ReplyMode),       v.ReplyAddress,
                    v.ReplyFile,         v.PrintGroup,         v.ReplyGroup,
                    v.ReplyContent,      v.ForecastUnit,       n(v.ForecastLen)});
}

// A header whose every text value is awkward; `variant` shifts which awkward text goes where.
FrameValues TrickyFrame(const QString& id, int variant)
{
    FrameValues v;
    v.WorkOrderFrame_ID = id;
    v.WorkOrderFrameName = TrickyText(variant);
    v.Category = TrickyId(variant + 1);
    v.Priority_ID = TrickyId(variant + 2);
    v.ExpirtedPeriodType_ID = TrickyId(variant + 3);
    v.WEBLink = TrickyText(variant + 1);
    v.Group_IDA = TrickyId(variant + 4);
    v.PrintFormat = TrickyId(variant);
    v.Group_IDA2 = TrickyId(variant + 1);
    v.ExpiredPeriod = 3 + variant;
    v.CanSkip = 1;
    v.AddinType = 2;
    v.CanFullScreen = variant % 2;
    v.CanGenerateOB = 1;
    v.GenerateRate = -7 - variant;
    v.ReplyFlag = 1;
    v.ReplyMode = 2;
    v.ReplyAddress = TrickyText(variant + 2);
    v.ReplyFile = TrickyId(variant + 2);
    v.PrintGroup = TrickyId(variant + 3);
    v.ReplyGroup = TrickyId(variant + 4);
    v.ReplyContent = TrickyText(variant + 5);
    v.ForecastUnit = TrickyId(variant);
    v.ForecastLen = 2147483647 - variant;
    return v;
}

std::vector<std::string> ReadFrame(const QString& id)
{
    auto rs = DBOperate().GetOneWorkOrder(id);
    if (!rs || rs->IsEOF())
        return {};
    return ReadRow(*rs, kFrameColumns, kFrameNumbers);
}

// A date-time column as "yyyy-MM-dd HH:mm:ss", whether the database keeps text or a time stamp.
QString TimeText(const QVariant& value)
{
    return Utility().FieldToString(value);
}

using FrameStatementsTest = PersistenceTest;

TEST_P(FrameStatementsTest, EveryHeaderTextSurvivesInsertAndUpdate)
{
    const QString id = QStringLiteral("F'1\\");
    const FrameValues inserted = TrickyFrame(id, 0);
    ASSERT_EQ(DBOperate().InsertWorkOrderFrame(inserted), 1) << logLines().join('\n').toStdString();
    EXPECT_EQ(ReadFrame(id), Expected(inserted));

    const FrameValues updated = TrickyFrame(id, 3);
    ASSERT_EQ(DBOperate().UpdateWorkOrderFrame(updated), 1) << logLines().join('\n').toStdString();
    EXPECT_EQ(ReadFrame(id), Expected(updated));
    EXPECT_TRUE(DBOperate().GetWorkOrderIDExists(id));
    EXPECT_TRUE(logLines().isEmpty()) << logLines().join('\n').toStdString();
}

TEST_P(FrameStatementsTest, InsertStampsCreatorAndUpdateOnlyTheModifier)
{
    const QRegularExpression format(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"));
    const QString before = QDateTime::currentDateTime().addSecs(-1).toString("yyyy-MM-dd HH:mm:ss");
    FrameValues v = TrickyFrame(QStringLiteral("NEW1"), 1);
    ASSERT_EQ(DBOperate().InsertWorkOrderFrame(v), 1);
    const QString after = QDateTime::currentDateTime().addSecs(1).toString("yyyy-MM-dd HH:mm:ss");

    const auto column = [&](const char* name) {
        return db().scalar(
            QStringLiteral("select %1 from TWO_Frame where WorkOrderFrame_ID='NEW1'").arg(name));
    };
    EXPECT_EQ(column("CreatedBy").toString(), QStringLiteral("alice_"));
    EXPECT_EQ(column("ModifiedBy").toString(), QStringLiteral("alice_"));
    const QString created = TimeText(column("CreatedDate"));
    EXPECT_TRUE(format.match(created).hasMatch()) << created.toStdString();
    EXPECT_TRUE(created >= before && created <= after) << created.toStdString();
    EXPECT_TRUE(format.match(TimeText(column("ModifiedDate"))).hasMatch());

    // Another user edits the header later: only the modification columns change.
    db().exec(QStringLiteral("update TWO_Frame set CreatedDate='2001-02-03 04:05:06', "
                             "ModifiedDate='2001-02-03 04:05:06' where WorkOrderFrame_ID='NEW1'"));
    TestHost bob(db().database(), QStringLiteral("bo"));
    {
        AddinSession session(bob);
        v.WorkOrderFrameName = QStringLiteral("Renamed");
        ASSERT_EQ(DBOperate().UpdateWorkOrderFrame(v), 1);
    }
    m_session.reset();
    m_session = std::make_unique<AddinSession>(host());
    EXPECT_EQ(column("CreatedBy").toString(), QStringLiteral("alice_"));
    EXPECT_EQ(TimeText(column("CreatedDate")), QStringLiteral("2001-02-03 04:05:06"));
    EXPECT_EQ(column("ModifiedBy").toString(), QStringLiteral("bo"));
    EXPECT_GE(TimeText(column("ModifiedDate")), before);
    EXPECT_EQ(column("WorkOrderFrameName").toString(), QStringLiteral("Renamed"));
}

TEST_P(FrameStatementsTest, UpdateOfAMissingFrameChangesNothingAndSucceeds)
{
    const qint32 frames = count(QStringLiteral("select count(*) from TWO_Frame"));
    EXPECT_EQ(DBOperate().UpdateWorkOrderFrame(TrickyFrame(QStringLiteral("NONE"), 0)), 1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from TWO_Frame")), frames);
    EXPECT_FALSE(DBOperate().GetWorkOrderIDExists(QStringLiteral("NONE")));
    auto rs = DBOperate().GetOneWorkOrder(QStringLiteral("NONE"));
    ASSERT_TRUE(rs);
    EXPECT_TRUE(rs->IsOpen());
    EXPECT_TRUE(rs->IsEOF());
}

TEST_P(FrameStatementsTest, FrameIdsMatchIgnoringCase)
{
    EXPECT_TRUE(DBOperate().GetWorkOrderIDExists(QStringLiteral("cmp01")));
    EXPECT_FALSE(ReadFrame(QStringLiteral("Cmp01")).empty());
    // The same ID in other letters is refused as a duplicate.
    EXPECT_EQ(DBOperate().InsertWorkOrderFrame(TrickyFrame(QStringLiteral("cmp01"), 0)), -1);
    EXPECT_EQ(logLines().size(), 1);
}

TEST_P(FrameStatementsTest, DeleteRemovesHeaderNodesAndLinksOfThatFrameOnly)
{
    const auto rows = [&](const char* table, const char* frame) {
        return count(
            QStringLiteral("select count(*) from %1 where WorkOrderFrame_ID='%2'").arg(table, frame));
    };
    ASSERT_GT(rows("Two_Node", "CMP01"), 0);
    ASSERT_GT(rows("Two_Link", "CMP01"), 0);
    const qint32 otherNodes = rows("Two_Node", "REP01");

    EXPECT_EQ(DBOperate().DeleteWorkOrderFrame(QStringLiteral("cmp01")), 1);
    EXPECT_EQ(rows("TWO_Frame", "CMP01") + rows("Two_Node", "CMP01") + rows("Two_Link", "CMP01"), 0);
    EXPECT_EQ(rows("TWO_Frame", "REP01"), 1);
    EXPECT_EQ(rows("Two_Node", "REP01"), otherNodes);
    EXPECT_TRUE(logLines().isEmpty());
}

TEST_P(FrameStatementsTest, FailedLinkDeletionRollsTheWholeDeleteBack)
{
    if (db().kind() == TestDatabase::Kind::SQLite) {
        db().exec(QStringLiteral("create trigger keep_links before delete on Two_Link "
                                 "begin select raise(abort, 'links are kept'); end"));
    } else {
        db().exec(QStringLiteral("create function keep_links() returns trigger language plpgsql as "
                                 "$$ begin raise exception 'links are kept'; end $$"));
        db().exec(QStringLiteral("create trigger keep_links before delete on Two_Link "
                                 "for each row execute function keep_links()"));
    }
    const qint32 nodes =
        count(QStringLiteral("select count(*) from Two_Node where WorkOrderFrame_ID='CMP01'"));

    EXPECT_EQ(DBOperate().DeleteWorkOrderFrame(QStringLiteral("CMP01")), -1);
    ASSERT_EQ(logLines().size(), 1);
    EXPECT_TRUE(logLines().at(0).startsWith(QStringLiteral("[Korvel]-[cDBOperate]-[DeleteWorkOrderFrame]:")));
    EXPECT_TRUE(logLines().at(0).contains(QStringLiteral("links are kept")));
    // Read on the same connection: an open transaction would show the header and nodes gone
    // (SQLite) or refuse every statement (PostgreSQL).
    EXPECT_EQ(count(QStringLiteral("select count(*) from TWO_Frame where WorkOrderFrame_ID='CMP01'")), 1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from Two_Node where WorkOrderFrame_ID='CMP01'")), nodes);
    EXPECT_TRUE(DBOperate().GetWorkOrderIDExists(QStringLiteral("CMP01")));
}

TEST_P(FrameStatementsTest, LookupsReturnEveryRowWithTheColumnsTheDialogsRead)
{
    struct Lookup {
        std::unique_ptr<Recordset> rs;
        QStringList columns;
        qint32 rows;
    };
    Lookup lookups[] = {
        {DBOperate().GetCodePriority(), {"Priority_ID", "PriorityDescription"}, 4},
        {DBOperate().GetWorkOrderType(), {"ID", "Description"}, 4},
        {DBOperate().GetAddinBuild(), {"Group_IDA", "GroupName"}, 4},
        {DBOperate().GetAllWorkOrderList(), {"WorkOrderFrame_ID", "WorkOrderFrameName"}, 3},
        {DBOperate().GetAllObjectiveTypeList(), {"ObjectiveType_ID", "ObjectiveTypeDescription"}, 3},
    };
    for (auto& lookup : lookups) {
        ASSERT_TRUE(lookup.rs);
        EXPECT_EQ(lookup.rs->RecordCount(), lookup.rows) << lookup.columns.join(',').toStdString();
        for (; !lookup.rs->IsEOF(); lookup.rs->MoveNext())
            for (const QString& column : lookup.columns)
                EXPECT_FALSE(Utility().FieldToString(lookup.rs->Fields(column)).isEmpty())
                    << column.toStdString();
    }
    EXPECT_TRUE(logLines().isEmpty());
}

TEST_P(FrameStatementsTest, MissingTablesGiveTheFailureValueAndOneLogLineEach)
{
    for (const char* table : {"TWO_Frame", "SYSC_Priority", "Sysc_WoCategory", "Tab_Group", "objectivetype"})
        db().exec(QStringLiteral("drop table %1").arg(table));

    EXPECT_EQ(DBOperate().GetCodePriority(), nullptr);
    EXPECT_EQ(DBOperate().GetWorkOrderType(), nullptr);
    EXPECT_EQ(DBOperate().GetAddinBuild(), nullptr);
    EXPECT_EQ(DBOperate().GetAllWorkOrderList(), nullptr);
    EXPECT_EQ(DBOperate().GetAllObjectiveTypeList(), nullptr);
    EXPECT_FALSE(DBOperate().GetWorkOrderIDExists(QStringLiteral("CMP01")));
    EXPECT_EQ(DBOperate().GetOneWorkOrder(QStringLiteral("CMP01")), nullptr);
    EXPECT_EQ(DBOperate().InsertWorkOrderFrame(TrickyFrame(QStringLiteral("X1"), 0)), -1);
    EXPECT_EQ(DBOperate().UpdateWorkOrderFrame(TrickyFrame(QStringLiteral("X1"), 0)), -1);

    const QStringList operations{"GetCodePriority",     "GetWorkOrderType",        "GetAddinBuild",
                                 "GetAllWorkOrderList", "GetAllObjectiveTypeList", "GetWorkOrderIDExists",
                                 "GetOneWorkOrder",     "InsertWorkOrderFrame",    "UpdateWorkOrderFrame"};
    ASSERT_EQ(logLines().size(), operations.size()) << logLines().join('\n').toStdString();
    for (int i = 0; i < operations.size(); ++i) {
        const QString prefix = QStringLiteral("[Korvel]-[cDBOperate]-[%1]:").arg(operations.at(i));
        EXPECT_TRUE(logLines().at(i).startsWith(prefix)) << logLines().at(i).toStdString();
        // The driver's own text follows the prefix directly.
        EXPECT_GT(logLines().at(i).size(), prefix.size() + 5);
        EXPECT_NE(logLines().at(i).at(prefix.size()), QLatin1Char(' '));
    }
}

INSTANTIATE_TEST_SUITE_P(Db, FrameStatementsTest, KorvelDatabaseKinds(), KorvelDatabaseKindName());

using EmptyLookupTest = EmptyDatabaseTest;

TEST_P(EmptyLookupTest, EmptyTablesGiveOpenEmptySets)
{
    std::vector<std::unique_ptr<Recordset>> sets;
    sets.push_back(DBOperate().GetCodePriority());
    sets.push_back(DBOperate().GetWorkOrderType());
    sets.push_back(DBOperate().GetAddinBuild());
    sets.push_back(DBOperate().GetAllWorkOrderList());
    sets.push_back(DBOperate().GetAllObjectiveTypeList());
    sets.push_back(DBOperate().GetOneWorkOrder(QStringLiteral("CMP01")));
    for (const auto& rs : sets) {
        ASSERT_TRUE(rs);
        EXPECT_TRUE(rs->IsOpen());
        EXPECT_TRUE(rs->IsEOF());
    }
    EXPECT_TRUE(logLines().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Db, EmptyLookupTest, KorvelDatabaseKinds(), KorvelDatabaseKindName());

} // namespace
} // namespace korvel::test
