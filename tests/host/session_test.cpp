#include "host/sessionsettings.h"
#include "persistence/cdboperate.h"
#include "tests/support/testdatabase.h"
#include "tests/support/testhost.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace korvel {
namespace {

// A new session on the test database, through QPSQL or through the psqlODBC driver.
QSqlDatabase openSession(const QSqlDatabase& test, bool odbc, const QString& name)
{
    QSqlDatabase session = odbc ? QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name)
                                : QSqlDatabase::cloneDatabase(test, name);
    if (odbc)
        session.setDatabaseName(QStringLiteral("DRIVER={PostgreSQL Unicode};SERVER=%1;PORT=%2;DATABASE=%3;"
                                               "UID=%4;PWD=%5")
                                    .arg(test.hostName())
                                    .arg(test.port())
                                    .arg(test.databaseName(), test.userName(), test.password()));
    session.open();
    return session;
}

class QuotingTest : public ::testing::TestWithParam<bool> {};

// With standard_conforming_strings off a backslash escapes the quote after it, so the add-in's
// literals (quotes doubled, nothing else) would end early: text changes and statements get in.
TEST_P(QuotingTest, TextIsStoredAsWrittenWhenTheDatabaseDefaultsToBackslashEscapes)
{
    KORVEL_SKIP_UNLESS_AVAILABLE(TestDatabase::Kind::PostgreSQL);
    QFile drivers(QStringLiteral("/etc/odbcinst.ini"));
    if (GetParam() &&
        !(drivers.open(QIODevice::ReadOnly) && drivers.readAll().contains("[PostgreSQL Unicode]")))
        GTEST_SKIP() << "the psqlODBC driver (package odbc-postgresql) is not installed";
    TestDatabase db(TestDatabase::Kind::PostgreSQL);
    db.exec(QStringLiteral("ALTER DATABASE %1 SET standard_conforming_strings = off")
                .arg(db.database().databaseName()));
    FrameValues frame;
    frame.WorkOrderFrame_ID = QStringLiteral(R"(x\'; DROP TABLE Staff; --)");
    frame.WorkOrderFrameName = QStringLiteral(R"(path\to\x)");
    frame.ReplyContent = QStringLiteral(R"(a\\b\'c\)");
    frame.ForecastUnit = QStringLiteral(R"(y\', 0); DROP TABLE Staff; --)");

    const QString name = QStringLiteral("korvel-quoting-test");
    {
        QSqlDatabase session = openSession(db.database(), GetParam(), name);
        ASSERT_TRUE(session.isOpen()) << session.lastError().text().toStdString();
        QSqlQuery setting(session);
        ASSERT_TRUE(setting.exec("SHOW standard_conforming_strings") && setting.next());
        ASSERT_EQ(setting.value(0).toString(), QStringLiteral("off")) << "the database default did not apply";
        TestHost host(session, QStringLiteral("alice"));
        AddinSession addin(host);
        EXPECT_EQ(DBOperate().InsertWorkOrderFrame(frame), 1) << host.logLines().join(u'\n').toStdString();
        const auto row = DBOperate().GetOneWorkOrder(frame.WorkOrderFrame_ID);
        EXPECT_NO_THROW(db.scalar(QStringLiteral("SELECT COUNT(*) FROM Staff"))) << "a table was dropped";
        ASSERT_TRUE(row && !row->IsEOF()) << host.logLines().join(u'\n').toStdString();
        for (const auto& [column, value] : {std::pair{"WorkOrderFrame_ID", frame.WorkOrderFrame_ID},
                                            {"WorkOrderFrameName", frame.WorkOrderFrameName},
                                            {"ReplyContent", frame.ReplyContent},
                                            {"ForecastUnit", frame.ForecastUnit}})
            EXPECT_EQ(row->Fields(column).toString(), value) << column;
        // The lock table takes its values bound, escaped by the driver: a staff ID stays as written.
        EXPECT_EQ(host.services().LockRecord(QStringLiteral("Korvel"), frame.WorkOrderFrame_ID,
                                             QStringLiteral(R"(DOMAIN\alice)")),
                  1);
    }
    QSqlDatabase::removeDatabase(name);
}

INSTANTIATE_TEST_SUITE_P(Driver, QuotingTest, ::testing::Values(false, true),
                         [](const auto& info) { return std::string(info.param ? "ODBC" : "PostgreSQL"); });

// A row held by another session (or a server that stopped answering) fails the statement after
// the timeout. The holder's session ends itself after 10 s idle, so without the timeout the
// update would wait that long and then succeed.
TEST(StatementTimeoutTest, AStatementWaitingForAHeldRowFailsLikeAnyOther)
{
    KORVEL_SKIP_UNLESS_AVAILABLE(TestDatabase::Kind::PostgreSQL);
    TestDatabase db(TestDatabase::Kind::PostgreSQL);
    TestHost alice(db.database(), QStringLiteral("alice"));
    SessionSettings shortTimeout;
    shortTimeout.statementTimeoutSeconds = 1;
    ASSERT_EQ(PrepareSession(db.database(), shortTimeout), QString());
    EXPECT_EQ(db.scalar("SHOW statement_timeout").toString(), QStringLiteral("1s"));
    const std::unique_ptr<TestHost> bob = alice.otherUser(QStringLiteral("bob"));
    QSqlQuery hold(bob->database());
    ASSERT_TRUE(hold.exec(QStringLiteral("SET idle_in_transaction_session_timeout = '10s'")));
    ASSERT_TRUE(bob->database().transaction());
    ASSERT_TRUE(
        hold.exec(QStringLiteral("SELECT * FROM TWO_Frame WHERE WorkOrderFrame_ID = 'CMP01' FOR UPDATE")));

    AddinSession session(alice);
    FrameValues frame;
    frame.WorkOrderFrame_ID = QStringLiteral("CMP01");
    EXPECT_EQ(DBOperate().UpdateWorkOrderFrame(frame), -1);
    ASSERT_EQ(alice.logLines().size(), 1);
    EXPECT_TRUE(alice.logLines().constFirst().contains(QLatin1String("statement timeout")))
        << alice.logLines().constFirst().toStdString();
}

} // namespace
} // namespace korvel
