// Creating the database: the scripts and their transaction; reading it: static result sets and the
// shared connection. (korvel check finds no error in the demo flows: tests/host/program_test.cpp.)
#include "core/korvelerror.h"
#include "persistence/connection.h"
#include "persistence/schema.h"
#include "tests/persistence/persistencefixture.h"

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

// Creating the schema again keeps the data; a script that fails half-way throws and leaves nothing
// of itself behind; without the frame table there is no schema.
TEST_P(SchemaTest, CreatingAgainKeepsTheDataAndAFailingScriptLeavesNothing)
{
    EXPECT_TRUE(SchemaExists(db().database()));
    const qint32 nodes = count("select count(*) from Two_Node"),
                 categories = count("select count(*) from Sysc_WoCategory");
    EXPECT_NO_THROW(CreateSchema(db().database()));
    EXPECT_EQ(count("select count(*) from Two_Node"), nodes);

    // The priorities load again, then the categories collide with the rows still there: the
    // priorities go with them.
    db().exec("delete from SYSC_Priority");
    try {
        LoadDemoData(db().database());
        ADD_FAILURE() << "loading the demo data twice succeeded";
    } catch (const KorvelError& error) {
        EXPECT_TRUE(error.description().startsWith(":/korvel/db/demo-data.sql: "))
            << error.description().toStdString();
    }
    EXPECT_EQ(count("select count(*) from SYSC_Priority"), 0);
    EXPECT_EQ(count("select count(*) from Sysc_WoCategory"), categories);
    db().exec("drop table TWO_Frame");
    EXPECT_FALSE(SchemaExists(db().database()));
}

TEST_P(SchemaTest, IdentifiersCompareIgnoringCaseIncludingTheLockTable)
{
    EXPECT_EQ(count("select count(*) from two_node where workordernode_id='n00001'"), 1);
    EXPECT_EQ(count("select count(*) from StaffRoleGroup where RoleGroup_ID='g02'"), 2);
    const QString lock =
        QStringLiteral("insert into Korvel_RecordLock (AddinName, RecordID, StaffID, LockedAt) "
                       "values ('Korvel', '%1', 'alice', '2024-03-04 09:15:00')");
    db().exec(lock.arg("CMP01"));
    EXPECT_THROW(db().exec(lock.arg("cmp01")), KorvelError);
    EXPECT_EQ(count("select count(*) from Korvel_RecordLock where RecordID='Cmp01'"), 1);
}

// Result sets are static, find fields in any letter case, and refuse reads past the end, after Close
// and of unknown names or positions. Without the shared connection operations report, not crash.
TEST_P(SchemaTest, ResultSetsHoldAllRowsAndFindFieldsInAnyLetterCase)
{
    auto rs = Connection::Shared().OpenRecordset(
        "select Priority_ID, PriorityDescription from SYSC_Priority where Priority_ID in ('P1','P2')");
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->RecordCount(), 2);
    db().exec("delete from SYSC_Priority"); // rows deleted afterwards are still there to read
    QStringList seen;
    for (; !rs->IsEOF(); rs->MoveNext())
        seen << rs->Fields("PRIORITY_id").toString() + u'=' + rs->Fields("prioritydescription").toString();
    seen.sort();
    EXPECT_EQ(Strings(seen), Strings({"P1=Urgent", "P2=High"}));
    EXPECT_THROW(rs->Fields(0), KorvelError);
    rs->Close();
    EXPECT_TRUE(rs->State() == Recordset::adStateClosed && rs->IsEOF());
    EXPECT_THROW(rs->Fields("Priority_ID"), KorvelError);
    auto other = Connection::Shared().OpenRecordset("select ID from Sysc_WoCategory");
    ASSERT_FALSE(other->IsEOF());
    EXPECT_THROW(other->Fields("NoSuchColumn"), KorvelError);
    EXPECT_THROW(other->Fields(5), KorvelError);
    EXPECT_THROW(Connection::Shared().OpenRecordset("select nothing from nowhere"), KorvelError);

    Addin().DBConnection = QSqlDatabase();
    EXPECT_THROW(Connection::Shared(), KorvelError);
    EXPECT_EQ(DBOperate().InsertLinks(LinkValues{}), -1);
    EXPECT_EQ(Strings(logLines()),
              Strings({"[Korvel]-[cDBOperate]-[InsertLinks]:The database connection is not available"}));
}

INSTANTIATE_TEST_SUITE_P(Db, SchemaTest, KorvelDatabaseKinds(), KorvelDatabaseKindName());

} // namespace
} // namespace korvel::test
