#include "tests/support/testhost.h"

#include "core/addinglobals.h"
#include "host/sessionsettings.h"

#include <QAtomicInteger>
#include <QSqlError>
#include <gtest/gtest.h>

namespace korvel {

void RecordingLog::WriteLog(QString& message, qint32 /*level*/)
{
    m_lines << message;
}

TestHost::TestHost(QSqlDatabase database, const QString& staffId) : m_database(std::move(database))
{
    // The session the korvel program would have, whatever the server's defaults.
    if (const QString failure = PrepareSession(m_database); !failure.isEmpty())
        ADD_FAILURE() << "Cannot prepare the test host's session: " << failure.toStdString();
    auto log = std::make_unique<RecordingLog>();
    m_log = log.get();
    m_host = std::make_unique<HostObject>(m_database, staffId, std::move(log));
}

TestHost::~TestHost()
{
    m_host.reset();
    if (!m_ownConnection.isEmpty()) {
        m_database.close();
        m_database = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_ownConnection);
    }
}

std::unique_ptr<TestHost> TestHost::otherUser(const QString& staffId) const
{
    static QAtomicInteger<int> counter;
    const QString name = QStringLiteral("korvel-test-other-%1").arg(counter.fetchAndAddRelaxed(1));
    QSqlDatabase clone = QSqlDatabase::cloneDatabase(m_database, name);
    if (!clone.open())
        ADD_FAILURE() << "Cannot open a second connection to the test database: "
                      << clone.lastError().text().toStdString();
    auto other = std::make_unique<TestHost>(clone, staffId);
    other->m_ownConnection = name;
    return other;
}

} // namespace korvel
