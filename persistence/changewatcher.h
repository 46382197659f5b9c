#pragma once

#include "persistence/framechanges.h"

#include <QList>
#include <QObject>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QTimer>

namespace korvel {

// Tells a window what other sessions did to the frames, from the change log (FrameChanges), on
// the add-in's connection. On PostgreSQL it listens on FrameChanges::Channel and reads as soon as
// a notification arrives; on SQLite it asks `PRAGMA data_version` every PollMilliseconds (a number
// the library keeps, no table read) and reads only when another connection has committed since.
// Either way it reads only the log's rows after the last serial it saw, so the work follows what
// changed, never the number of frames.
//
// It cannot tell its own session's rows from others' (SQLite has no sender): whoever reacts must
// take a change it made itself as a no-op. It never reads while a transaction is open on the
// connection (the rows of a transaction that may still roll back must not count as seen): it
// tries again shortly after.
class ChangeWatcher final : public QObject {
    Q_OBJECT
public:
    static constexpr int PollMilliseconds = 500;

    // Starts at the log's latest serial: what happened before is already in what the window read.
    // Throws KorvelError when the log cannot be read.
    explicit ChangeWatcher(const QSqlDatabase& database, QObject* parent = nullptr);
    ~ChangeWatcher() override;

    // Reads the rows after the last serial seen now (View > Refresh) and announces them; false
    // when it could not (a transaction open, the database failing: logged once).
    bool CatchUp();
    qint64 LastSerial() const { return m_last; }
    // The `PRAGMA data_version` polls sent on this thread so far. They are not StatementMonitor's:
    // a poll falling at any moment must not move the statement counts and faults tests arm; the
    // reads of the log are.
    static qint64 Polls();

signals:
    // Rows of the log after the last ones announced, oldest first.
    void Changed(const QList<korvel::FrameChangeRow>& rows);

private:
    bool Postgres() const;
    // Listens on the channel unless the driver already does (a reconnected driver forgets it).
    void Listen();
    void Notified(const QString& name, QSqlDriver::NotificationSource source, const QVariant& payload);
    void Tick();
    // Whether the SQLite file was committed to by another connection since the last look.
    bool DataVersionMoved();

    QSqlDatabase m_database;
    QTimer m_timer;
    qint64 m_last = 0;
    qint64 m_dataVersion = -1;
    bool m_retryDue = false;
    bool m_announcing = false;
    bool m_failing = false; // a failure is logged once until reading works again
};

} // namespace korvel
