#pragma once

#include "core/hostinterfaces.h"
#include "host/addinsession.h"
#include "host/hostobject.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <memory>

namespace korvel {

// A host log that keeps every line it is given, exactly as given.
class RecordingLog final : public HostLog {
public:
    void WriteLog(QString& message, qint32 level) override;

    const QStringList& lines() const { return m_lines; }
    void clear() { m_lines.clear(); }

private:
    QStringList m_lines;
};

// The real host object of the korvel program over a test database, logging into a RecordingLog.
//
//     TestDatabase db;                      // tests/support/testdatabase.h
//     TestHost host(db.database(), "S0001");
//     AddinSession session(host);           // the add-in globals now point at this host
//     ... run add-in code ...
//     EXPECT_EQ(host.logLines().size(), 1);
class TestHost final {
public:
    // A host for `staffId` on `database` (open; the caller keeps it open while the host lives),
    // whose session is prepared as the program prepares its own (PrepareSession).
    explicit TestHost(QSqlDatabase database, const QString& staffId = QStringLiteral("S0001"));
    ~TestHost();
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    // Another user on the same database through a connection of its own, as a second korvel
    // process would be: for lock contention. The returned host closes its connection when it goes.
    std::unique_ptr<TestHost> otherUser(const QString& staffId) const;

    HostObject& host() { return *m_host; }
    // So that an AddinSession can be opened on a test host directly.
    operator HostObject&() { return *m_host; }
    DatabaseServices& services() { return m_host->databaseServices(); }
    HostLoader& loader() { return m_host->loader(); }
    RecordingLog& log() { return *m_log; }
    const QStringList& logLines() const { return m_log->lines(); }
    QSqlDatabase database() const { return m_database; }

private:
    QSqlDatabase m_database;
    QString m_ownConnection; // connection name to remove at the end; empty when the caller owns it
    std::unique_ptr<HostObject> m_host;
    RecordingLog* m_log = nullptr; // owned by m_host
};

} // namespace korvel
