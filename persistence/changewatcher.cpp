#include "persistence/changewatcher.h"

#include "core/errorlog.h"
#include "core/korvelerror.h"
#include "persistence/statementdeadline.h"

#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>

namespace korvel {
namespace {

// How soon a read put off by an open transaction is tried again.
constexpr int RetryMilliseconds = 50;
// The log's rows read by one statement; a longer backlog takes several.
constexpr int RowsPerRead = 1000;

thread_local qint64 s_polls = 0;

} // namespace

qint64 ChangeWatcher::Polls()
{
    return s_polls;
}

ChangeWatcher::ChangeWatcher(const QSqlDatabase& database, QObject* parent) : QObject(parent), m_database(database)
{
    // Listening first: a change committed between the two is then read twice at worst, never missed.
    if (Postgres())
        Listen();
    else
        DataVersionMoved();
    m_last = FrameChanges::Latest(m_database);
    // On PostgreSQL the timer only looks whether the driver still listens (no statement).
    connect(&m_timer, &QTimer::timeout, this, &ChangeWatcher::Tick);
    m_timer.start(PollMilliseconds);
}

ChangeWatcher::~ChangeWatcher()
{
    if (Postgres() && m_database.isOpen() && m_database.driver())
        m_database.driver()->unsubscribeFromNotification(QString::fromLatin1(FrameChanges::Channel));
}

bool ChangeWatcher::Postgres() const
{
    return m_database.driverName() == QLatin1String("QPSQL");
}

void ChangeWatcher::Listen()
{
    QSqlDriver* driver = m_database.driver();
    const QString channel = QString::fromLatin1(FrameChanges::Channel);
    if (!driver || !m_database.isOpen() || driver->subscribedToNotifications().contains(channel))
        return;
    if (!driver->subscribeToNotification(channel))
        throw KorvelError(driver->lastError().text());
    connect(driver, &QSqlDriver::notification, this, &ChangeWatcher::Notified, Qt::UniqueConnection);
}

void ChangeWatcher::Notified(const QString& name, QSqlDriver::NotificationSource source, const QVariant& payload)
{
    // The payload is the new row's serial: one already read (a burst read at its first
    // notification) costs nothing. This session's own change is on its screen already; its row
    // is read with the next change of another session.
    if (source != QSqlDriver::SelfSource && name == QLatin1String(FrameChanges::Channel) &&
        payload.toLongLong() > m_last)
        CatchUp();
}

void ChangeWatcher::Tick()
{
    try {
        if (Postgres()) {
            const bool listening = m_database.driver() && m_database.driver()->subscribedToNotifications().contains(
                                                              QString::fromLatin1(FrameChanges::Channel));
            if (!listening) {
                // The connection was opened anew: listen again, then read what was missed meanwhile.
                Listen();
                m_retryDue = true;
            }
        } else if (!m_retryDue && DataVersionMoved()) {
            m_retryDue = true;
        }
    } catch (const std::exception& error) {
        if (!m_failing)
            LogError(QStringLiteral("[Korvel]-[ChangeWatcher]-[Tick]:"), error);
        m_failing = true;
        return;
    }
    if (m_retryDue)
        CatchUp();
}

bool ChangeWatcher::DataVersionMoved()
{
    if (StatementDeadline::InTransaction(m_database))
        return false;
    ++s_polls;
    QSqlQuery query(m_database);
    if (!query.exec(QStringLiteral("PRAGMA data_version")) || !query.next())
        throw KorvelError(query.lastError().text());
    const qint64 version = query.value(0).toLongLong();
    const bool moved = version != m_dataVersion;
    m_dataVersion = version;
    return moved;
}

bool ChangeWatcher::CatchUp()
{
    // Asked again while the last rows are still being handled (a progress bar lets events through):
    // read once they are.
    if (m_announcing) {
        m_retryDue = true;
        return false;
    }
    if (StatementDeadline::InTransaction(m_database)) {
        if (!m_retryDue)
            QTimer::singleShot(RetryMilliseconds, this, [this] { CatchUp(); });
        m_retryDue = true;
        return false;
    }
    m_retryDue = false;
    try {
        QList<FrameChangeRow> rows;
        for (;;) {
            const QList<FrameChangeRow> more = FrameChanges::Since(m_database, m_last, RowsPerRead);
            rows += more;
            if (!more.isEmpty())
                m_last = more.back().serial;
            if (more.size() < RowsPerRead)
                break;
        }
        m_failing = false;
        if (!rows.isEmpty()) {
            m_announcing = true;
            const auto done = qScopeGuard([this] { m_announcing = false; });
            emit Changed(rows);
        }
        if (m_retryDue)
            QTimer::singleShot(0, this, [this] { CatchUp(); });
        return true;
    } catch (const std::exception& error) {
        if (!m_failing)
            LogError(QStringLiteral("[Korvel]-[ChangeWatcher]-[CatchUp]:"), error);
        m_failing = true;
        return false;
    }
}

} // namespace korvel
