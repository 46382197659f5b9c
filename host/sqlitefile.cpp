#include "host/sqlitefile.h"

#include "resources/stringtable.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace korvel {

bool MayHoldSqlite(const QString& path)
{
    QFile file(path);
    if (!file.exists() || file.size() == 0)
        return true;
    // SQLite takes a file shorter than its header as a new database and writes over it.
    static const QByteArray header("SQLite format 3", 16); // with its closing zero byte
    return file.open(QIODevice::ReadOnly) && file.read(header.size()) == header;
}

bool HasJournal(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path + QStringLiteral("-journal")).size() > 0;
}

QString RollBackInterruptedWrite(const QString& path)
{
    const QString name = QStringLiteral("korvel-rollback");
    QString error;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        database.setDatabaseName(path);
        database.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        if (!database.open()) {
            error = database.lastError().text().simplified();
        } else {
            // The first read finds the journal no connection holds and rolls it back.
            QSqlQuery query(database);
            if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master")))
                error = query.lastError().text().simplified();
        }
        database.close();
    }
    QSqlDatabase::removeDatabase(name);
    return error;
}

QString InterruptedWriteMessage(const QString& shownName)
{
    return LoadResString(2456).arg(shownName);
}

} // namespace korvel
