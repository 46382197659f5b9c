#pragma once

#include "model/cworder.h"
#include "tests/support/testdatabase.h"
#include "tests/support/testhost.h"

#include <QSqlQuery>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>
#include <utility>

namespace korvel {

using namespace Qt::StringLiterals;

// A fresh demo database of the parameter's kind, the real host of staff member S0001 over it, and
// the add-in's globals pointing at that host, as after StartMe.
class ModelTest : public ::testing::TestWithParam<TestDatabase::Kind> {
protected:
    void SetUp() override
    {
        KORVEL_SKIP_UNLESS_AVAILABLE(GetParam());
        m_db = std::make_unique<TestDatabase>(GetParam());
        m_host = std::make_unique<TestHost>(m_db->database());
        m_session = std::make_unique<AddinSession>(*m_host);
    }
    void TearDown() override
    {
        m_session.reset();
        m_host.reset();
        m_db.reset();
    }

    TestDatabase& db() { return *m_db; }
    TestHost& host() { return *m_host; }
    const QStringList& logLines() const { return m_host->logLines(); }
    std::string log() const { return logLines().join(u'\n').toStdString(); }

    // A frame as the designer opens it to edit: listed (ID and name), locked, then made current.
    static std::unique_ptr<cWorder> LoadFrame(const QString& frameId)
    {
        auto frame = std::make_unique<cWorder>();
        frame->LoadList(frameId, QString());
        frame->LockMe();
        frame->LoadOne();
        return frame;
    }
    static void Reload(cWorder& frame)
    {
        frame.LoadFlag = 0;
        frame.LoadOne();
    }

    QStringList Rows(const QString& sql) const { return m_db->rows(sql); }
    QStringList FlowTables() const
    {
        return Rows(u"select * from TWO_Frame"_s) + Rows(u"select * from Two_Node"_s) +
               Rows(u"select * from Two_Link"_s);
    }

    // Makes the database refuse `event` (INSERT or UPDATE) on `table` for the rows whose `column`
    // holds `value`: the statement really fails, inside the database.
    void RefuseRows(const QString& table, const QString& event, const QString& column, const QString& value)
    {
        const QString name = u"korvel_refuse_%1"_s.arg(++m_refusals);
        const QString row = event == u"INSERT"_s ? u"NEW"_s : u"OLD"_s;
        if (isSQLite())
            m_db->exec(u"CREATE TRIGGER %1 BEFORE %2 ON %3 FOR EACH ROW WHEN %4.%5 = '%6' "
                       "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END"_s.arg(name, event, table, row,
                                                                                     column, value));
        else
            m_db->exec(EnsureRefuseFunction(
                u"CREATE TRIGGER %1 BEFORE %2 ON %3 FOR EACH ROW WHEN (%4.%5 = '%6') "
                "EXECUTE FUNCTION korvel_refuse()"_s.arg(name, event, table, row, column, value)));
    }
    // Makes the database refuse, at COMMIT, any transaction that updated a node.
    void RefuseCommitAfterNodeUpdate()
    {
        if (isSQLite()) {
            // A deferred foreign key that a node update breaks is checked only when the transaction commits.
            m_db->exec(u"PRAGMA foreign_keys = ON"_s);
            m_db->exec(u"CREATE TABLE Korvel_Parent (id INTEGER PRIMARY KEY)"_s);
            m_db->exec(u"CREATE TABLE Korvel_Child (parent INTEGER REFERENCES Korvel_Parent(id) "
                       "DEFERRABLE INITIALLY DEFERRED)"_s);
            m_db->exec(u"CREATE TRIGGER korvel_refuse_commit AFTER UPDATE ON Two_Node "
                       "BEGIN INSERT INTO Korvel_Child VALUES (1); END"_s);
        } else {
            m_db->exec(EnsureRefuseFunction(u"CREATE CONSTRAINT TRIGGER korvel_refuse_commit AFTER UPDATE ON "
                                            "Two_Node DEFERRABLE INITIALLY DEFERRED FOR EACH ROW "
                                            "EXECUTE FUNCTION korvel_refuse()"_s));
        }
    }

private:
    bool isSQLite() const { return m_db->kind() == TestDatabase::Kind::SQLite; }
    // Creates the trigger function the PostgreSQL refusals call; gives back `sql` to run next.
    const QString& EnsureRefuseFunction(const QString& sql)
    {
        m_db->exec(u"CREATE OR REPLACE FUNCTION korvel_refuse() RETURNS trigger LANGUAGE plpgsql AS "
                   "$$ BEGIN RAISE EXCEPTION 'refused by the test'; END $$"_s);
        return sql;
    }

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TestHost> m_host;
    std::unique_ptr<AddinSession> m_session;
    int m_refusals = 0; // triggers made, for their names
};

// For tests where only the in-memory rules matter: SQLite alone.
class ModelTestSQLite : public ModelTest {};

} // namespace korvel
