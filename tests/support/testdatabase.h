#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <memory>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

namespace korvel {

// A fresh Korvel database for one test, with the schema and (by default) the demo data.
//
// SQLite: a new database file in a temporary folder, removed with the object.
// PostgreSQL: a new database with a unique name on the server named by the environment variable
// KORVEL_TEST_PG, created through a maintenance connection and dropped with the object. The
// variable holds blank-separated key=value pairs, e.g.
//     KORVEL_TEST_PG="host=127.0.0.1 port=54321 user=postgres dbname=postgres"
// (keys: host, port, user, password, dbname; dbname names the maintenance database).
// scripts/with-test-postgres.sh starts a throw-away server and sets the variable.
//
// Every failure to set the database up throws KorvelError with the driver's text. Tests run on both
// kinds through TEST_P, KORVEL_SKIP_UNLESS_AVAILABLE(GetParam()) first, and
// INSTANTIATE_TEST_SUITE_P(Db, MyTest, KorvelDatabaseKinds(), KorvelDatabaseKindName()).
class TestDatabase final {
public:
    enum class Kind { SQLite, PostgreSQL };

    // True when KORVEL_TEST_PG is set (not empty).
    static bool PostgresAvailable();
    // True when a database of this kind can be made here.
    static bool Available(Kind kind) { return kind == Kind::SQLite || PostgresAvailable(); }

    explicit TestDatabase(Kind kind = Kind::SQLite, bool withDemoData = true);
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    // The open connection to the test database; its connection name is unique to this object.
    QSqlDatabase database() const;
    Kind kind() const { return m_kind; }
    // "SQLite" or "PostgreSQL".
    QString kindName() const;

    // Runs one statement on database(); throws KorvelError with the driver's text when it fails.
    void exec(const QString& sql) const;
    // The first column of the first row of a query; an invalid QVariant when there is no row.
    // Throws KorvelError when the query fails.
    QVariant scalar(const QString& sql) const;
    // Every row of a query, its columns joined by "|", sorted: a snapshot to compare. Throws
    // KorvelError when the query fails.
    QStringList rows(const QString& sql) const;

private:
    void openSQLite();
    void openPostgres();
    void dropPostgres();

    Kind m_kind;
    QString m_connectionName;
    QString m_postgresName; // the database created on the server
    std::unique_ptr<QTemporaryDir> m_folder;
};

// Both kinds, for INSTANTIATE_TEST_SUITE_P.
inline auto KorvelDatabaseKinds()
{
    return ::testing::Values(TestDatabase::Kind::SQLite, TestDatabase::Kind::PostgreSQL);
}

// Names the instantiated tests ".../SQLite" and ".../PostgreSQL".
struct KorvelDatabaseKindName {
    std::string operator()(const ::testing::TestParamInfo<TestDatabase::Kind>& info) const;
};

// GoogleTest prints a Kind as its name.
void PrintTo(TestDatabase::Kind kind, std::ostream* os);

} // namespace korvel

// Skips the current test with a plain message when `kind` is PostgreSQL and no server is configured.
#define KORVEL_SKIP_UNLESS_AVAILABLE(kind)                                                                   \
    do {                                                                                                     \
        if (!::korvel::TestDatabase::Available(kind))                                                        \
            GTEST_SKIP() << "PostgreSQL not configured (KORVEL_TEST_PG unset): skipped";                     \
    } while (false)
