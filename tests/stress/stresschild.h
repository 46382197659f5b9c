#pragma once

#include "tests/support/testdatabase.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QUrl>
#include <memory>

namespace korvel {

// The test database as korvel's --db names it, for korvel_stress_child (tests/stress/child/).
inline QString ChildLocation(const TestDatabase& db)
{
    const QSqlDatabase c = db.database();
    if (db.kind() == TestDatabase::Kind::SQLite)
        return QStringLiteral("sqlite:") + c.databaseName();
    QUrl url;
    url.setScheme(QStringLiteral("postgresql"));
    url.setHost(c.hostName());
    url.setPort(c.port());
    url.setUserName(c.userName());
    url.setPassword(c.password());
    url.setPath(u'/' + c.databaseName());
    return url.toString();
}

// Starts korvel_stress_child with `arguments`; its error output goes to ours.
inline std::unique_ptr<QProcess> StartChild(const QStringList& arguments)
{
    auto child = std::make_unique<QProcess>();
    child->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child->start(QStringLiteral(KORVEL_STRESS_CHILD), arguments);
    return child;
}

// The child's next output line, or "" when it ends or stays silent for a minute (a slow start
// under the sanitizers included).
inline QString NextLine(QProcess& child)
{
    const QDeadlineTimer deadline(60000);
    while (!child.canReadLine())
        if (!child.waitForReadyRead(static_cast<int>(deadline.remainingTime())) || deadline.hasExpired())
            return QString();
    return QString::fromUtf8(child.readLine()).trimmed();
}

} // namespace korvel
