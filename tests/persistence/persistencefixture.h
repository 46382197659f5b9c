#pragma once

#include "core/addinglobals.h"
#include "persistence/cdboperate.h"
#include "persistence/recordset.h"
#include "tests/support/testdatabase.h"
#include "tests/support/testhost.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace korvel::test {

// A fresh database of the parameter's kind with the host of staff member "alice_smith" installed
// as the add-in's host, as StartMe would (members go in reverse order: session, host, database).
class PersistenceTest : public ::testing::TestWithParam<TestDatabase::Kind> {
protected:
    void SetUp() override
    {
        KORVEL_SKIP_UNLESS_AVAILABLE(GetParam());
        m_db = std::make_unique<TestDatabase>(GetParam());
        m_host = std::make_unique<TestHost>(m_db->database(), QStringLiteral("alice_smith"));
        m_session = std::make_unique<AddinSession>(*m_host);
    }

    TestDatabase& db() { return *m_db; }
    TestHost& host() { return *m_host; }
    const QStringList& logLines() const { return m_host->logLines(); }
    std::string log() const { return logLines().join(QLatin1Char('\n')).toStdString(); }
    qint32 count(const QString& sql) { return m_db->scalar(sql).toInt(); }

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TestHost> m_host;
    std::unique_ptr<AddinSession> m_session;
};

inline std::vector<std::string> Strings(const QStringList& list)
{
    std::vector<std::string> result;
    for (const QString& text : list)
        result.push_back(text.toStdString());
    return result;
}

} // namespace korvel::test
