#pragma once

#include "model/cworder.h"
#include "tests/support/testdatabase.h"
#include "tests/support/testhost.h"

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>
#include <utility>
#include <vector>

namespace korvel {

// A fresh demo database of the parameter's kind, the real host of staff member S0001 over it, and
// the add-in's globals pointing at that host, as after StartMe.
class ModelTest : public ::testing::TestWithParam<TestDatabase::Kind> {
protected:
    void SetUp() override;
    void TearDown() override;

    TestDatabase& db() { return *m_db; }
    TestHost& host() { return *m_host; }
    const QStringList& logLines() const { return m_host->logLines(); }

    // A frame as the designer opens it: listed (ID and name), then made current.
    std::unique_ptr<cWorder> LoadFrame(const QString& frameId);

    // Every row of a query, its columns joined by "|", sorted: a snapshot to compare.
    QStringList Rows(const QString& sql) const;
    // Every row of the three flow tables.
    QStringList FlowTables() const;

    // Makes the database refuse `event` (INSERT, UPDATE or DELETE) on `table` for the rows whose
    // `column` holds `value`: the statement really fails, inside the database.
    void RefuseRows(const QString& table, const QString& event, const QString& column, const QString& value);
    // Makes the database refuse, at COMMIT, any transaction that updated a node.
    void RefuseCommitAfterNodeUpdate();
    void DropRefusals();

private:
    bool isSQLite() const { return m_db->kind() == TestDatabase::Kind::SQLite; }
    void EnsureRefuseFunction();

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TestHost> m_host;
    std::unique_ptr<AddinSession> m_session;
    std::vector<std::pair<QString, QString>> m_triggers; // name, table
};

// For tests where only the in-memory rules matter: SQLite alone.
class ModelTestSQLite : public ModelTest {};

} // namespace korvel
