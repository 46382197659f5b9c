// The data-access layer on a real database: static result sets and the shared connection.
#include "core/korvelerror.h"
#include "persistence/connection.h"
#include "tests/persistence/persistencefixture.h"

namespace korvel::test {
namespace {

using ConnectionTest = PersistenceTest;

TEST_P(ConnectionTest, ResultSetHoldsAllRowsAndFindsFieldsInAnyLetterCase)
{
    auto rs = Connection::Shared().OpenRecordset(QStringLiteral(
        "select Priority_ID, PriorityDescription from SYSC_Priority where Priority_ID in ('P1','P2')"));
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->RecordCount(), 2);
    // The set is static: rows deleted afterwards are still there to read.
    db().exec(QStringLiteral("delete from SYSC_Priority"));
    QStringList seen;
    for (; !rs->IsEOF(); rs->MoveNext())
        seen << rs->Fields(QStringLiteral("PRIORITY_id")).toString() + QLatin1Char('=') +
                    rs->Fields(QStringLiteral("prioritydescription")).toString();
    seen.sort();
    EXPECT_EQ(Strings(seen), Strings({QStringLiteral("P1=Urgent"), QStringLiteral("P2=High")}));

    // At the end, after Close, and for unknown names or positions, reading a field is an error.
    EXPECT_THROW(rs->Fields(0), KorvelError);
    rs->Close();
    EXPECT_EQ(rs->State(), Recordset::adStateClosed);
    EXPECT_TRUE(rs->IsEOF());
    EXPECT_THROW(rs->Fields(QStringLiteral("Priority_ID")), KorvelError);
    auto other = Connection::Shared().OpenRecordset(QStringLiteral("select ID from Sysc_WoCategory"));
    ASSERT_FALSE(other->IsEOF());
    EXPECT_THROW(other->Fields(QStringLiteral("NoSuchColumn")), KorvelError);
    EXPECT_THROW(other->Fields(5), KorvelError);
    EXPECT_THROW(Connection::Shared().OpenRecordset(QStringLiteral("select nothing from nowhere")),
                 KorvelError);
}

TEST_P(ConnectionTest, WithoutTheSharedConnectionOperationsReportInsteadOfCrashing)
{
    const QSqlDatabase saved = Addin().DBConnection;
    Addin().DBConnection = QSqlDatabase();
    EXPECT_THROW(Connection::Shared(), KorvelError);
    EXPECT_EQ(DBOperate().InsertLinks(LinkValues{}), -1);
    EXPECT_EQ(DBOperate().GetCodePriority(), nullptr);
    ASSERT_EQ(logLines().size(), 2);
    EXPECT_EQ(logLines().at(0),
              QStringLiteral("[Korvel]-[cDBOperate]-[InsertLinks]:The database connection is not available"));
    Addin().DBConnection = saved;
}

INSTANTIATE_TEST_SUITE_P(Db, ConnectionTest, KorvelDatabaseKinds(), KorvelDatabaseKindName());

} // namespace
} // namespace korvel::test
