#include "tests/support/testdatabase.h"

#include "core/korvelerror.h"
#include "persistence/schema.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace korvel {

namespace {

QAtomicInteger<int> g_counter;

QString UniqueSuffix()
{
    return QStringLiteral("%1_%2_%3")
        .arg(QCoreApplication::applicationPid())
        .arg(g_counter.fetchAndAddRelaxed(1))
        .arg(QRandomGenerator::global()->bounded(1000000));
}

// The connection settings of KORVEL_TEST_PG applied to a new QPSQL connection.
QSqlDatabase AddPostgresConnection(const QString& connectionName, const QString& databaseName)
{
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
    if (!database.isValid())
        throw KorvelError(QStringLiteral("The Qt PostgreSQL driver (QPSQL) is not available"));
    const QString settings = qEnvironmentVariable("KORVEL_TEST_PG");
    const QStringList pairs = settings.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& pair : pairs) {
        const QString key = pair.section(QLatin1Char('='), 0, 0).trimmed();
        const QString value = pair.section(QLatin1Char('='), 1);
        if (key == QLatin1String("host"))
            database.setHostName(value);
        else if (key == QLatin1String("port"))
            database.setPort(value.toInt());
        else if (key == QLatin1String("user"))
            database.setUserName(value);
        else if (key == QLatin1String("password"))
            database.setPassword(value);
        else if (key == QLatin1String("dbname"))
            database.setDatabaseName(value);
        else
            throw KorvelError(QStringLiteral("KORVEL_TEST_PG: unknown key \"%1\"").arg(key));
    }
    if (!databaseName.isEmpty())
        database.setDatabaseName(databaseName);
    if (database.databaseName().isEmpty())
        database.setDatabaseName(QStringLiteral("postgres"));
    return database;
}

QSqlQuery Run(const QSqlDatabase& database, const QString& sql)
{
    QSqlQuery query(database);
    if (!query.exec(sql))
        throw KorvelError(QStringLiteral("%1 -- in: %2").arg(query.lastError().text(), sql));
    return query;
}

// Closes and forgets the named connection, if there is one.
void RemoveConnection(const QString& name)
{
    if (QSqlDatabase::contains(name)) {
        QSqlDatabase::database(name, false).close();
        QSqlDatabase::removeDatabase(name);
    }
}

// Runs `sql` on a short-lived connection to the maintenance database.
void RunOnMaintenance(const QString& sql)
{
    const QString name = QStringLiteral("korvel-test-maintenance-") + UniqueSuffix();
    // Declared first, so it runs after `maintenance` is gone: Qt forgets only unused connections.
    const auto remove = qScopeGuard([&] { RemoveConnection(name); });
    QSqlDatabase maintenance = AddPostgresConnection(name, QString());
    if (!maintenance.open())
        throw KorvelError(QStringLiteral("Cannot reach PostgreSQL (KORVEL_TEST_PG): %1")
                              .arg(maintenance.lastError().text()));
    Run(maintenance, sql);
}

} // namespace

bool TestDatabase::PostgresAvailable()
{
    return !qEnvironmentVariable("KORVEL_TEST_PG").trimmed().isEmpty();
}

TestDatabase::TestDatabase(Kind kind, bool withDemoData)
    : m_kind(kind), m_connectionName(QStringLiteral("korvel-test-db-") + UniqueSuffix())
{
    try {
        if (kind == Kind::SQLite)
            openSQLite();
        else
            openPostgres();
        QSqlDatabase db = database();
        CreateSchema(db);
        if (withDemoData)
            LoadDemoData(db);
    } catch (...) {
        // The destructor does not run for a half-made object: release what exists.
        RemoveConnection(m_connectionName);
        if (!m_postgresName.isEmpty())
            dropPostgres();
        throw;
    }
}

TestDatabase::~TestDatabase()
{
    RemoveConnection(m_connectionName);
    if (!m_postgresName.isEmpty()) {
        try {
            dropPostgres();
        } catch (const KorvelError& error) {
            ADD_FAILURE() << "Cannot drop the test database " << m_postgresName.toStdString() << ": "
                          << error.description().toStdString();
        }
    }
}

void TestDatabase::openSQLite()
{
    m_folder = std::make_unique<QTemporaryDir>();
    if (!m_folder->isValid())
        throw KorvelError(
            QStringLiteral("Cannot create a temporary folder: %1").arg(m_folder->errorString()));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    db.setDatabaseName(m_folder->filePath(QStringLiteral("korvel.db")));
    if (!db.open())
        throw KorvelError(
            QStringLiteral("Cannot open the SQLite test database: %1").arg(db.lastError().text()));
}

void TestDatabase::openPostgres()
{
    if (!PostgresAvailable())
        throw KorvelError(QStringLiteral("PostgreSQL not configured (KORVEL_TEST_PG unset)"));
    const QString name = QStringLiteral("korvel_test_") + UniqueSuffix();
    RunOnMaintenance(QStringLiteral("CREATE DATABASE %1 ENCODING 'UTF8' TEMPLATE template0").arg(name));
    m_postgresName = name;
    QSqlDatabase db = AddPostgresConnection(m_connectionName, name);
    if (!db.open())
        throw KorvelError(QStringLiteral("Cannot open the PostgreSQL test database %1: %2")
                              .arg(name, db.lastError().text()));
}

void TestDatabase::dropPostgres()
{
    const QString name = m_postgresName;
    m_postgresName.clear();
    // WITH (FORCE) also ends connections a test left open, such as a second user's.
    RunOnMaintenance(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
}

QSqlDatabase TestDatabase::database() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

QString TestDatabase::kindName() const
{
    return m_kind == Kind::SQLite ? QStringLiteral("SQLite") : QStringLiteral("PostgreSQL");
}

void TestDatabase::exec(const QString& sql) const
{
    Run(database(), sql);
}

QVariant TestDatabase::scalar(const QString& sql) const
{
    QSqlQuery query = Run(database(), sql);
    return query.next() ? query.value(0) : QVariant();
}

QStringList TestDatabase::rows(const QString& sql) const
{
    QSqlQuery query = Run(database(), sql);
    QStringList rows;
    while (query.next()) {
        QStringList columns;
        for (int i = 0; i < query.record().count(); ++i)
            columns << query.value(i).toString();
        rows << columns.join(u'|');
    }
    rows.sort();
    return rows;
}

std::string KorvelDatabaseKindName::operator()(const ::testing::TestParamInfo<TestDatabase::Kind>& info) const
{
    return info.param == TestDatabase::Kind::SQLite ? "SQLite" : "PostgreSQL";
}

void PrintTo(TestDatabase::Kind kind, std::ostream* os)
{
    *os << KorvelDatabaseKindName()({kind, 0});
}

} // namespace korvel
