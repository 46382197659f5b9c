#include "persistence/statementdeadline.h"

#include "core/korvelerror.h"
#include "resources/stringtable.h"

#include <QSqlDriver>
#include <QSqlQuery>
#include <QVariant>
#include <chrono>
#include <condition_variable>
#include <libpq-fe.h>
#include <map>
#include <mutex>
#include <sys/socket.h>
#include <thread>

namespace korvel {
namespace {

constexpr qint32 MsgNoAnswer = 1920;
constexpr const char* SecondsProperty = "korvelStatementDeadline";
constexpr const char* SessionProperty = "korvelSessionStatements";
constexpr const char* TransactionProperty = "korvelInTransaction";

using Clock = std::chrono::steady_clock;

// One thread for the whole process, started with the first watched statement. It sleeps until the
// nearest deadline of the statements now running and cuts the connection of each one that passes.
class Watchdog final {
public:
    static Watchdog& Instance()
    {
        static Watchdog watchdog;
        return watchdog;
    }

    quint64 Watch(int socket, Clock::time_point deadline)
    {
        const std::lock_guard lock(m_mutex);
        if (!m_thread.joinable())
            m_thread = std::thread([this] { Run(); });
        const quint64 ticket = ++m_lastTicket;
        m_watched.emplace(ticket, Entry{socket, deadline});
        m_wake.notify_one();
        return ticket;
    }

    // Ends the watch; true when the watchdog had already cut the connection. Under the mutex, so
    // a socket is never shut down once its statement has been let go.
    bool Release(quint64 ticket)
    {
        const std::lock_guard lock(m_mutex);
        const auto entry = m_watched.find(ticket);
        if (entry == m_watched.end())
            return false;
        const bool cut = entry->second.cut;
        m_watched.erase(entry);
        return cut;
    }

    bool Cut(quint64 ticket)
    {
        const std::lock_guard lock(m_mutex);
        const auto entry = m_watched.find(ticket);
        return entry != m_watched.end() && entry->second.cut;
    }

    ~Watchdog()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stopping = true;
            m_wake.notify_one();
        }
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    struct Entry {
        int socket;
        Clock::time_point deadline;
        bool cut = false;
    };

    Watchdog() = default;

    void Run()
    {
        std::unique_lock lock(m_mutex);
        while (!m_stopping) {
            auto next = Clock::time_point::max();
            const auto now = Clock::now();
            for (auto& [ticket, entry] : m_watched) {
                if (entry.cut)
                    continue;
                if (entry.deadline <= now) {
                    // Both directions: the blocked read returns at once with the connection lost.
                    ::shutdown(entry.socket, SHUT_RDWR);
                    entry.cut = true;
                } else if (entry.deadline < next) {
                    next = entry.deadline;
                }
            }
            if (next == Clock::time_point::max())
                m_wake.wait(lock);
            else
                m_wake.wait_until(lock, next);
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::thread m_thread;
    std::map<quint64, Entry> m_watched;
    quint64 m_lastTicket = 0;
    bool m_stopping = false;
};

// The socket of a PostgreSQL connection that is still up, or -1.
int PostgresSocket(const QSqlDriver* driver)
{
    if (!driver || !driver->isOpen())
        return -1;
    const QVariant handle = driver->handle();
    // Qt names the type by the struct behind libpq's typedef; older builds by the typedef.
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "pg_conn*") != 0 && qstrcmp(handle.typeName(), "PGconn*") != 0))
        return -1;
    PGconn* connection = *static_cast<PGconn* const*>(handle.constData());
    if (!connection || PQstatus(connection) != CONNECTION_OK)
        return -1;
    return PQsocket(connection);
}

} // namespace

void StatementDeadline::SetSeconds(const QSqlDatabase& database, int seconds)
{
    if (QSqlDriver* driver = database.driver())
        driver->setProperty(SecondsProperty, seconds);
}

void StatementDeadline::KeepSessionStatements(const QSqlDatabase& database, const QStringList& statements)
{
    if (QSqlDriver* driver = database.driver())
        driver->setProperty(SessionProperty, statements);
}

QStringList StatementDeadline::SessionStatements(const QSqlDatabase& database)
{
    const QSqlDriver* driver = database.driver();
    return driver ? driver->property(SessionProperty).toStringList() : QStringList();
}

void StatementDeadline::SetInTransaction(const QSqlDatabase& database, bool open)
{
    if (QSqlDriver* driver = database.driver())
        driver->setProperty(TransactionProperty, open);
}

bool StatementDeadline::InTransaction(const QSqlDatabase& database)
{
    const QSqlDriver* driver = database.driver();
    return driver && driver->property(TransactionProperty).toBool();
}

bool StatementDeadline::Reopen(QSqlDatabase database)
{
    QSqlDriver* driver = database.driver();
    if (database.isOpen() || !driver)
        return database.isOpen();
    const QVariant statements = driver->property(SessionProperty);
    if (!statements.isValid() || driver->property(TransactionProperty).toBool())
        return false;
    database.close(); // lets go of what is left of the cut connection
    if (!database.open())
        return false;
    for (const QString& statement : statements.toStringList()) {
        const StatementDeadline deadline(database);
        QSqlQuery query(database);
        if (!query.exec(statement)) {
            database.close();
            return false;
        }
    }
    return true;
}

StatementDeadline::StatementDeadline(const QSqlDriver* driver)
    : m_seconds(driver ? driver->property(SecondsProperty).toInt() : 0)
{
    if (m_seconds <= 0)
        return;
    const int socket = PostgresSocket(driver);
    if (socket < 0)
        return;
    m_ticket =
        Watchdog::Instance().Watch(socket, Clock::now() + std::chrono::seconds(m_seconds + GraceSeconds));
}

StatementDeadline::~StatementDeadline()
{
    if (m_ticket != 0)
        Watchdog::Instance().Release(m_ticket);
}

bool StatementDeadline::Expired() const
{
    return m_ticket != 0 && Watchdog::Instance().Cut(m_ticket);
}

void StatementDeadline::ThrowIfExpired() const
{
    if (Expired())
        throw KorvelError(LoadResString(MsgNoAnswer).arg(m_seconds));
}

} // namespace korvel
