#include "tests/model/modelfixture.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace korvel {

void ModelTest::SetUp()
{
    KORVEL_SKIP_UNLESS_AVAILABLE(GetParam());
    m_db = std::make_unique<TestDatabase>(GetParam());
    m_host = std::make_unique<TestHost>(m_db->database());
    m_session = std::make_unique<AddinSession>(*m_host);
}

void ModelTest::TearDown()
{
    m_session.reset();
    m_host.reset();
    m_db.reset();
}

std::unique_ptr<cWorder> ModelTest::LoadFrame(const QString& frameId)
{
    auto frame = std::make_unique<cWorder>();
    frame->LoadList(frameId, QString());
    frame->LoadOne();
    return frame;
}

QStringList ModelTest::Rows(const QString& sql) const
{
    QSqlQuery query(m_db->database());
    if (!query.exec(sql)) {
        ADD_FAILURE() << "query failed: " << query.lastError().text().toStdString();
        return {};
    }
    QStringList rows;
    while (query.next()) {
        QStringList columns;
        for (int i = 0; i < query.record().count(); ++i)
            columns << query.value(i).toString();
        rows << columns.join(QLatin1Char('|'));
    }
    rows.sort();
    return rows;
}

QStringList ModelTest::FlowTables() const
{
    return Rows(QStringLiteral("select * from TWO_Frame")) + Rows(QStringLiteral("select * from Two_Node")) +
           Rows(QStringLiteral("select * from Two_Link"));
}

void ModelTest::EnsureRefuseFunction()
{
    m_db->exec(
        QStringLiteral("CREATE OR REPLACE FUNCTION korvel_refuse() RETURNS trigger LANGUAGE plpgsql AS "
                       "$$ BEGIN RAISE EXCEPTION 'refused by the test'; END $$"));
}

void ModelTest::RefuseRows(const QString& table, const QString& event, const QString& column,
                           const QString& value)
{
    const QString name = QStringLiteral("korvel_refuse_%1").arg(m_triggers.size() + 1);
    const QString row = event == QLatin1String("INSERT") ? QStringLiteral("NEW") : QStringLiteral("OLD");
    if (isSQLite()) {
        m_db->exec(QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 FOR EACH ROW WHEN %4.%5 = '%6' "
                                  "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END")
                       .arg(name, event, table, row, column, value));
    } else {
        EnsureRefuseFunction();
        m_db->exec(QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 FOR EACH ROW WHEN (%4.%5 = '%6') "
                                  "EXECUTE FUNCTION korvel_refuse()")
                       .arg(name, event, table, row, column, value));
    }
    m_triggers.emplace_back(name, table);
}

void ModelTest::RefuseCommitAfterNodeUpdate()
{
    const QString name = QStringLiteral("korvel_refuse_commit");
    if (isSQLite()) {
        // A deferred foreign key that a node update breaks is checked only when the transaction commits.
        m_db->exec(QStringLiteral("PRAGMA foreign_keys = ON"));
        m_db->exec(QStringLiteral("CREATE TABLE Korvel_Parent (id INTEGER PRIMARY KEY)"));
        m_db->exec(QStringLiteral("CREATE TABLE Korvel_Child (parent INTEGER REFERENCES Korvel_Parent(id) "
                                  "DEFERRABLE INITIALLY DEFERRED)"));
        m_db->exec(QStringLiteral("CREATE TRIGGER %1 AFTER UPDATE ON Two_Node "
                                  "BEGIN INSERT INTO Korvel_Child VALUES (1); END")
                       .arg(name));
    } else {
        EnsureRefuseFunction();
        m_db->exec(
            QStringLiteral("CREATE CONSTRAINT TRIGGER %1 AFTER UPDATE ON Two_Node "
                           "DEFERRABLE INITIALLY DEFERRED FOR EACH ROW EXECUTE FUNCTION korvel_refuse()")
                .arg(name));
    }
    m_triggers.emplace_back(name, QStringLiteral("Two_Node"));
}

void ModelTest::DropRefusals()
{
    for (const auto& [name, table] : m_triggers)
        m_db->exec(isSQLite() ? QStringLiteral("DROP TRIGGER %1").arg(name)
                              : QStringLiteral("DROP TRIGGER %1 ON %2").arg(name, table));
    m_triggers.clear();
}

} // namespace korvel
