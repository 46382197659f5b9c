// Creating the database: the scripts, their transaction, the demo data a new user sees.
#include "core/korvelerror.h"
#include "persistence/connection.h"
#include "persistence/schema.h"
#include "tests/persistence/persistencefixture.h"

#include <QRegularExpression>

namespace korvel::test {
namespace {

TEST(SqlScript, SplitsAtLineEndSemicolonsAndDropsComments)
{
    const QString script = QStringLiteral("-- heading; with a semicolon;\n"
                                          "CREATE TABLE A (x INTEGER,\n"
                                          "    y TEXT);\n"
                                          "\n"
                                          "  -- indented comment\n"
                                          "INSERT INTO A VALUES (1, 'a;b');\n"
                                          ";\n"
                                          "INSERT INTO A VALUES (2, 'c')");
    EXPECT_EQ(Strings(SplitSqlScript(script)), Strings({QStringLiteral("CREATE TABLE A (x INTEGER,\ny TEXT)"),
                                                        QStringLiteral("INSERT INTO A VALUES (1, 'a;b')"),
                                                        QStringLiteral("INSERT INTO A VALUES (2, 'c')")}));
}

using SchemaTest = PersistenceTest;

TEST_P(SchemaTest, SchemaIsRecognisedAndCreatingItAgainKeepsTheData)
{
    EXPECT_TRUE(SchemaExists(db().database()));
    const qint32 nodes = count(QStringLiteral("select count(*) from Two_Node"));
    EXPECT_NO_THROW(CreateSchema(db().database()));
    EXPECT_EQ(count(QStringLiteral("select count(*) from Two_Node")), nodes);

    db().exec(QStringLiteral("drop table TWO_Frame"));
    EXPECT_FALSE(SchemaExists(db().database()));
}

TEST_P(SchemaTest, AFailingScriptThrowsAndLeavesNothingBehind)
{
    const qint32 categories = count(QStringLiteral("select count(*) from Sysc_WoCategory"));
    // The priorities load again, then the categories collide with the rows still there: the
    // priorities go with them.
    db().exec(QStringLiteral("delete from SYSC_Priority"));
    try {
        LoadDemoData(db().database());
        FAIL() << "loading the demo data twice succeeded";
    } catch (const KorvelError& error) {
        EXPECT_TRUE(error.description().startsWith(QStringLiteral(":/korvel/db/demo-data.sql: ")))
            << error.description().toStdString();
    }
    EXPECT_EQ(count(QStringLiteral("select count(*) from SYSC_Priority")), 0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from Sysc_WoCategory")), categories);
}

TEST_P(SchemaTest, IdentifiersCompareIgnoringCaseIncludingTheLockTable)
{
    EXPECT_EQ(count(QStringLiteral("select count(*) from two_node where workordernode_id='n00001'")), 1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from StaffRoleGroup where RoleGroup_ID='g02'")), 2);
    db().exec(QStringLiteral("insert into Korvel_RecordLock (AddinName, RecordID, StaffID, LockedAt) "
                             "values ('Korvel', 'CMP01', 'alice', '2024-03-04 09:15:00')"));
    EXPECT_THROW(
        db().exec(QStringLiteral("insert into Korvel_RecordLock (AddinName, RecordID, StaffID, LockedAt) "
                                 "values ('Korvel', 'cmp01', 'bob', '2024-03-04 09:16:00')")),
        KorvelError);
    EXPECT_EQ(count(QStringLiteral("select count(*) from Korvel_RecordLock where RecordID='Cmp01'")), 1);
}

// Reads one column of every row of a query as texts.
QStringList Column(const QString& sql)
{
    QStringList values;
    auto rs = Connection::Shared().OpenRecordset(sql);
    for (; !rs->IsEOF(); rs->MoveNext())
        values << Utility().FieldToString(rs->Fields(0));
    return values;
}

TEST_P(SchemaTest, DemoFlowsAreConsistent)
{
    const auto field = [](const std::unique_ptr<Recordset>& rs, const char* name) {
        return Utility().FieldToString(rs->Fields(QString::fromLatin1(name)));
    };
    const QStringList groups = Column("select rolegroup_id from rolegroup where Status=1");
    const QStringList staff = Column("select Staff_ID from Staff");
    EXPECT_TRUE(staff.contains("admin") && staff.contains("alice") && staff.contains("bob"));
    // The dialogs hide inactive groups and templates: the demo has some of each state.
    EXPECT_GT(count("select count(*) from rolegroup where Status=0"), 0);
    EXPECT_GT(count("select count(*) from DocTemplate where Status=0"), 0);
    EXPECT_GT(count("select count(*) from DocTemplate where Status=1"), 0);

    auto frames = DBOperate().GetAllWorkOrderList();
    ASSERT_TRUE(frames);
    EXPECT_EQ(frames->RecordCount(), 3);
    int conditional = 0, returning = 0, multiHandled = 0;
    for (; !frames->IsEOF(); frames->MoveNext()) {
        const QString frame = field(frames, "WorkOrderFrame_ID");
        SCOPED_TRACE(frame.toStdString());
        EXPECT_LE(Utility().ByteLength(frame), 6);
        auto header = DBOperate().GetOneWorkOrder(frame);
        ASSERT_TRUE(header && !header->IsEOF());
        EXPECT_GT(Utility().FieldToLong(header->Fields("ExpiredPeriod")), 0);
        QStringList nodes, returnSteps;
        for (auto rs = DBOperate().GetNodes(frame); !rs->IsEOF(); rs->MoveNext()) {
            const QString id = field(rs, "WorkOrderNode_ID");
            nodes << id;
            EXPECT_TRUE(QRegularExpression(QStringLiteral("^N\\d{5}$")).match(id).hasMatch())
                << id.toStdString();
            const qint32 left = Utility().FieldToLong(rs->Fields("NodeLeft")),
                         top = Utility().FieldToLong(rs->Fields("NodeTop"));
            EXPECT_TRUE(left >= 1000 && left + 1400 <= 9000 && top >= 300 && top + 650 <= 3000)
                << id.toStdString();
            if (!field(rs, "ReturnOldStep").isEmpty())
                returnSteps << field(rs, "ReturnOldStep");
            else if (field(rs, "ToHandleby")
                         .isEmpty()) { // handled by a group: the node dialog needs an active one
                EXPECT_TRUE(groups.contains(field(rs, "HandleGroup_ID"))) << id.toStdString();
            }
            for (const QString& entry : field(rs, "ToHandleby").split('|', Qt::SkipEmptyParts)) {
                EXPECT_TRUE(groups.contains(entry.section(',', 0, 0)) &&
                            staff.contains(entry.section(',', 1)))
                    << entry.toStdString();
                ++multiHandled;
            }
        }
        ASSERT_FALSE(nodes.isEmpty());
        returning += returnSteps.size();
        for (const QString& step : returnSteps)
            EXPECT_TRUE(nodes.contains(step)) << step.toStdString();

        int fromBegin = 0, toEnd = 0;
        QStringList joined;
        for (auto links = DBOperate().GetLinks(frame); !links->IsEOF(); links->MoveNext()) {
            const QString father = field(links, "FatherNode_ID"), son = field(links, "SonNode_ID");
            EXPECT_LE(Utility().ByteLength(field(links, "WorkOrderLink_ID")), 6);
            EXPECT_TRUE(father == "BEGIN" || nodes.contains(father)) << father.toStdString();
            EXPECT_TRUE(son == "END" || nodes.contains(son)) << son.toStdString();
            fromBegin += father == "BEGIN";
            toEnd += son == "END";
            // Two nodes are joined at most once, in either direction.
            const QString pair = father < son ? father + '>' + son : son + '>' + father;
            EXPECT_FALSE(joined.contains(pair)) << pair.toStdString();
            joined << pair;
            const bool condition = Utility().FieldToLong(links->Fields("AlwaysOpen")) == 1;
            EXPECT_EQ(condition, !field(links, "AddinVariant").isEmpty());
            if (condition) {
                ++conditional;
                EXPECT_TRUE(QStringList({">", ">=", "=", "<", "<="}).contains(field(links, "CompareType")));
            }
        }
        EXPECT_EQ(fromBegin, 1);
        EXPECT_GE(toEnd, 1);
    }
    EXPECT_TRUE(conditional > 0 && returning > 0 && multiHandled > 0);
    EXPECT_TRUE(logLines().isEmpty()) << log();
}

TEST_P(SchemaTest, DemoLookupReferencesExist)
{
    // Each: referring column, its table, the key it refers to, the lookup table.
    const QStringList references{"Priority_ID TWO_Frame Priority_ID SYSC_Priority",
                                 "Category TWO_Frame ID Sysc_WoCategory",
                                 "ExpiredPeriodType_ID TWO_Frame TimeIDA C_TimeType",
                                 "Group_IDA TWO_Frame Group_IDA Tab_Group",
                                 "Group_IDA2 TWO_Frame ObjectiveType_ID objectivetype",
                                 "PrintFormat TWO_Frame DocTemplate_ID DocTemplate",
                                 "ReplyFile TWO_Frame DocTemplate_ID DocTemplate",
                                 "PRINTGROUP TWO_Frame DocGroup_ID DocGroup",
                                 "Priority_ID Two_Node Priority_ID SYSC_Priority",
                                 "ExpiredPeriodType_ID Two_Node TimeIDA C_TimeType",
                                 "ForecastUnit Two_Node TimeIDA C_TimeType",
                                 "Group_IDA Two_Node Group_IDA Tab_Group",
                                 "HandleBy_ID Two_Node Staff_ID Staff",
                                 "HandleGroup_ID Two_Node rolegroup_id rolegroup",
                                 "ExpiredHandleBy_ID Two_Node Staff_ID Staff",
                                 "DOCGROUP_ID DocTemplate DocGroup_ID DocGroup",
                                 "Staff_ID StaffRoleGroup Staff_ID Staff"};
    for (const QString& reference : references) {
        const QStringList r = reference.split(' ');
        EXPECT_EQ(
            count(QStringLiteral("select count(*) from %2 where %1 <> '' and %1 not in (select %3 from %4)")
                      .arg(r[0], r[1], r[2], r[3])),
            0)
            << reference.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Db, SchemaTest, KorvelDatabaseKinds(), KorvelDatabaseKindName());

} // namespace
} // namespace korvel::test
