// The data-access layer on a real database: static result sets, driver errors, transactions.
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
    EXPECT_EQ(rs->State(), Recordset::adStateOpen);
    EXPECT_EQ(rs->RecordCount(), 2);

    // The set is static: rows deleted afterwards are still there to read.
    db().exec(QStringLiteral("delete from SYSC_Priority"));
    QStringList seen;
    for (; !rs->IsEOF(); rs->MoveNext())
        seen << rs->Fields(QStringLiteral("PRIORITY_id")).toString() + QLatin1Char('=') +
                    rs->Fields(QStringLiteral("prioritydescription")).toString();
    seen.sort();
    EXPECT_EQ(Strings(seen), Strings({QStringLiteral("P1=Urgent"), QStringLiteral("P2=High")}));

    // At the end, after Close, and for unknown names, reading a field is an error, not a crash.
    EXPECT_THROW(rs->Fields(0), KorvelError);
    rs->MoveNext();
    EXPECT_TRUE(rs->IsEOF());
    rs->Close();
    EXPECT_EQ(rs->State(), Recordset::adStateClosed);
    EXPECT_TRUE(rs->IsEOF());
    EXPECT_THROW(rs->Fields(QStringLiteral("Priority_ID")), KorvelError);

    auto other = Connection::Shared().OpenRecordset(QStringLiteral("select ID from Sysc_WoCategory"));
    ASSERT_FALSE(other->IsEOF());
    EXPECT_THROW(other->Fields(QStringLiteral("NoSuchColumn")), KorvelError);
    EXPECT_THROW(other->Fields(5), KorvelError);
}

TEST_P(ConnectionTest, FailingStatementsThrowTheDriversText)
{
    try {
        Connection::Shared().Execute(QStringLiteral("delete from No_Such_Table"));
        FAIL() << "a statement on a missing table ran";
    } catch (const KorvelError& error) {
        EXPECT_TRUE(error.description().contains(QStringLiteral("no_such_table"), Qt::CaseInsensitive))
            << error.description().toStdString();
        EXPECT_FALSE(error.description().contains(QLatin1Char('\n')));
    }
    EXPECT_THROW(Connection::Shared().OpenRecordset(QStringLiteral("select nothing from nowhere")),
                 KorvelError);
}

TEST_P(ConnectionTest, RollbackAfterAFailedStatementUndoesTheTransaction)
{
    Connection connection = Connection::Shared();
    connection.BeginTrans();
    connection.Execute(QStringLiteral("insert into C_TimeType (TimeIDA, TimeDesc) values ('W', 'Week')"));
    // On PostgreSQL the failed statement aborts the transaction; the rollback must still end it.
    EXPECT_THROW(connection.Execute(QStringLiteral("insert into C_TimeType (TimeIDA) values ('H')")),
                 KorvelError);
    connection.RollbackTrans();

    EXPECT_EQ(count(QStringLiteral("select count(*) from C_TimeType where TimeIDA='W'")), 0);
    // The connection works normally again, and a committed transaction stays.
    connection.BeginTrans();
    connection.Execute(QStringLiteral("insert into C_TimeType (TimeIDA, TimeDesc) values ('W', 'Week')"));
    connection.CommitTrans();
    EXPECT_EQ(count(QStringLiteral("select count(*) from C_TimeType where TimeIDA='W'")), 1);
}

TEST_P(ConnectionTest, SharedConnectionMustBeSetAndOpen)
{
    const QSqlDatabase saved = Addin().DBConnection;
    Addin().DBConnection = QSqlDatabase();
    EXPECT_THROW(Connection::Shared(), KorvelError);
    // Every operation then reports through its own handler instead of crashing.
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
