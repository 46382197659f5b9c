// Creating the database: the scripts, their transaction, the demo data a new user sees.
#include "core/korvelerror.h"
#include "persistence/connection.h"
#include "persistence/schema.h"
#include "tests/persistence/persistencefixture.h"

#include <QRegularExpression>
#include <QSet>

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
    const QRegularExpression nodeId(QStringLiteral("^N\\d{5}$"));
    const QStringList groups = Column("select rolegroup_id from rolegroup where Status=1");
    const QSet<QString> activeGroups(groups.begin(), groups.end());
    const QStringList staff = Column("select Staff_ID from Staff");
    for (const char* who : {"admin", "alice", "bob"})
        EXPECT_TRUE(staff.contains(QLatin1String(who))) << who;
    EXPECT_GT(count("select count(*) from rolegroup where Status=0"), 0);
    EXPECT_GT(count("select count(*) from DocTemplate where Status=0"), 0);
    EXPECT_GT(count("select count(*) from DocTemplate where Status=1"), 0);

    auto frames = DBOperate().GetAllWorkOrderList();
    ASSERT_TRUE(frames);
    EXPECT_EQ(frames->RecordCount(), 3);
    int conditional = 0, returning = 0, multiHandled = 0;
    for (; !frames->IsEOF(); frames->MoveNext()) {
        const QString frame = Utility().FieldToString(frames->Fields("WorkOrderFrame_ID"));
        SCOPED_TRACE(frame.toStdString());
        EXPECT_LE(Utility().ByteLength(frame), 6);
        auto header = DBOperate().GetOneWorkOrder(frame);
        ASSERT_TRUE(header && !header->IsEOF());
        EXPECT_GT(Utility().FieldToLong(header->Fields("ExpiredPeriod")), 0);

        QSet<QString> nodes;
        auto rs = DBOperate().GetNodes(frame);
        ASSERT_TRUE(rs);
        for (; !rs->IsEOF(); rs->MoveNext()) {
            const QString id = Utility().FieldToString(rs->Fields("WorkOrderNode_ID"));
            EXPECT_TRUE(nodeId.match(id).hasMatch()) << id.toStdString();
            nodes.insert(id);
            const qint32 left = Utility().FieldToLong(rs->Fields("NodeLeft"));
            const qint32 top = Utility().FieldToLong(rs->Fields("NodeTop"));
            EXPECT_TRUE(left >= 1000 && left + 1400 <= 9000 && top >= 300 && top + 650 <= 3000)
                << id.toStdString();
            if (!Utility().FieldToString(rs->Fields("ReturnOldStep")).isEmpty())
                ++returning;
            const QString handlers = Utility().FieldToString(rs->Fields("ToHandleby"));
            if (!handlers.isEmpty()) {
                ++multiHandled;
                for (const QString& entry : handlers.split('|')) {
                    EXPECT_TRUE(activeGroups.contains(entry.section(',', 0, 0))) << entry.toStdString();
                    EXPECT_TRUE(staff.contains(entry.section(',', 1))) << entry.toStdString();
                }
            } else if (Utility().FieldToString(rs->Fields("ReturnOldStep")).isEmpty()) {
                // Handled by a group: the node dialog requires an active one.
                EXPECT_TRUE(activeGroups.contains(Utility().FieldToString(rs->Fields("HandleGroup_ID"))));
            }
        }
        ASSERT_FALSE(nodes.isEmpty());
        auto returnSteps =
            Column(QStringLiteral("select ReturnOldStep from Two_Node where WorkOrderFrame_ID='%1' "
                                  "and ReturnOldStep <> ''")
                       .arg(frame));
        for (const QString& step : returnSteps)
            EXPECT_TRUE(nodes.contains(step)) << step.toStdString();

        int fromBegin = 0, toEnd = 0;
        QSet<QString> joined;
        auto links = DBOperate().GetLinks(frame);
        ASSERT_TRUE(links);
        for (; !links->IsEOF(); links->MoveNext()) {
            const QString father = Utility().FieldToString(links->Fields("FatherNode_ID"));
            const QString son = Utility().FieldToString(links->Fields("SonNode_ID"));
            EXPECT_LE(Utility().ByteLength(Utility().FieldToString(links->Fields("WorkOrderLink_ID"))), 6);
            EXPECT_TRUE(father == "BEGIN" || nodes.contains(father)) << father.toStdString();
            EXPECT_TRUE(son == "END" || nodes.contains(son)) << son.toStdString();
            fromBegin += father == "BEGIN";
            toEnd += son == "END";
            // Two nodes are joined at most once, in either direction.
            const QString pair = father < son ? father + '>' + son : son + '>' + father;
            EXPECT_FALSE(joined.contains(pair)) << pair.toStdString();
            joined.insert(pair);
            const bool condition = Utility().FieldToLong(links->Fields("AlwaysOpen")) == 1;
            const QString variable = Utility().FieldToString(links->Fields("AddinVariant"));
            EXPECT_EQ(condition, !variable.isEmpty());
            if (condition) {
                ++conditional;
                EXPECT_TRUE(QStringList({">", ">=", "=", "<", "<="})
                                .contains(Utility().FieldToString(links->Fields("CompareType"))));
            }
        }
        EXPECT_EQ(fromBegin, 1);
        EXPECT_GE(toEnd, 1);
    }
    EXPECT_GT(conditional, 0);
    EXPECT_GT(returning, 0);
    EXPECT_GT(multiHandled, 0);
    EXPECT_TRUE(logLines().isEmpty()) << logLines().join('\n').toStdString();
}

TEST_P(SchemaTest, DemoLookupReferencesExist)
{
    const auto dangling = [&](const char* column, const char* table, const char* key, const char* lookup) {
        return count(
            QStringLiteral("select count(*) from %2 where %1 <> '' and %1 not in (select %3 from %4)")
                .arg(column, table, key, lookup));
    };
    EXPECT_EQ(dangling("Priority_ID", "TWO_Frame", "Priority_ID", "SYSC_Priority"), 0);
    EXPECT_EQ(dangling("Category", "TWO_Frame", "ID", "Sysc_WoCategory"), 0);
    EXPECT_EQ(dangling("ExpiredPeriodType_ID", "TWO_Frame", "TimeIDA", "C_TimeType"), 0);
    EXPECT_EQ(dangling("Group_IDA", "TWO_Frame", "Group_IDA", "Tab_Group"), 0);
    EXPECT_EQ(dangling("Group_IDA2", "TWO_Frame", "ObjectiveType_ID", "objectivetype"), 0);
    EXPECT_EQ(dangling("PrintFormat", "TWO_Frame", "DocTemplate_ID", "DocTemplate"), 0);
    EXPECT_EQ(dangling("ReplyFile", "TWO_Frame", "DocTemplate_ID", "DocTemplate"), 0);
    EXPECT_EQ(dangling("PRINTGROUP", "TWO_Frame", "DocGroup_ID", "DocGroup"), 0);
    EXPECT_EQ(dangling("Priority_ID", "Two_Node", "Priority_ID", "SYSC_Priority"), 0);
    EXPECT_EQ(dangling("ExpiredPeriodType_ID", "Two_Node", "TimeIDA", "C_TimeType"), 0);
    EXPECT_EQ(dangling("ForecastUnit", "Two_Node", "TimeIDA", "C_TimeType"), 0);
    EXPECT_EQ(dangling("Group_IDA", "Two_Node", "Group_IDA", "Tab_Group"), 0);
    EXPECT_EQ(dangling("HandleBy_ID", "Two_Node", "Staff_ID", "Staff"), 0);
    EXPECT_EQ(dangling("HandleGroup_ID", "Two_Node", "rolegroup_id", "rolegroup"), 0);
    EXPECT_EQ(dangling("ExpiredHandleBy_ID", "Two_Node", "Staff_ID", "Staff"), 0);
    EXPECT_EQ(dangling("DOCGROUP_ID", "DocTemplate", "DocGroup_ID", "DocGroup"), 0);
    EXPECT_EQ(dangling("Staff_ID", "StaffRoleGroup", "Staff_ID", "Staff"), 0);
}

INSTANTIATE_TEST_SUITE_P(Db, SchemaTest, KorvelDatabaseKinds(), KorvelDatabaseKindName());

} // namespace
} // namespace korvel::test
