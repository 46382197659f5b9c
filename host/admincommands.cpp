#include "host/admincommands.h"

#include "core/korvelerror.h"
#include "host/databaseservices.h"
#include "model/flowcheck.h"
#include "persistence/schema.h"
#include "resources/stringtable.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>

namespace korvel {
namespace {

// Writes "korvel: <text>" as one line on standard output: what a command on the database did.
void printOutcome(const QString& text)
{
    std::printf("korvel: %s\n", qPrintable(text));
}

qint32 frameCount(const QSqlDatabase& database)
{
    QSqlQuery query(database);
    if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM TWO_Frame")) || !query.next())
        throw KorvelError(query.lastError().text());
    return query.value(0).toInt();
}

// The tables the schema script creates, but the lock table, which start-up adds when missing.
QStringList korvelTables()
{
    QFile script(QStringLiteral(":/korvel/db/schema-sqlite.sql"));
    if (!script.open(QIODevice::ReadOnly))
        throw KorvelError(QStringLiteral("the schema script is missing from the program"));
    static const QRegularExpression create(QStringLiteral("CREATE TABLE IF NOT EXISTS (\\w+)"));
    QStringList tables;
    for (auto match = create.globalMatch(QString::fromUtf8(script.readAll())); match.hasNext();)
        tables << match.next().captured(1);
    tables.removeIf([](const QString& table) {
        return table.compare(QLatin1String("Korvel_RecordLock"), Qt::CaseInsensitive) == 0;
    });
    return tables;
}

} // namespace

QString FindDamage(const QSqlDatabase& database)
{
    QSqlQuery query(database);
    query.setForwardOnly(true);
    const bool sqlite = database.driverName() == QLatin1String("QSQLITE");
    const QString sql = sqlite ? QStringLiteral("PRAGMA integrity_check") : QStringLiteral("SELECT 1");
    if (!query.exec(sql))
        return query.lastError().text().simplified();
    if (!sqlite)
        return query.next() ? QString() : LoadResString(2460);
    QStringList findings;
    while (query.next())
        findings << query.value(0).toString().simplified();
    if (findings == QStringList{QStringLiteral("ok")})
        return {};
    if (findings.isEmpty())
        return query.lastError().isValid() ? query.lastError().text().simplified() : LoadResString(2461);
    const qsizetype shown = std::min<qsizetype>(findings.size(), 5);
    QString text = findings.mid(0, shown).join(QStringLiteral("; "));
    if (findings.size() > shown)
        text += u' ' + LoadResString(2462).arg(findings.size() - shown);
    return text;
}

void printError(const QString& text)
{
    std::fprintf(stderr, "korvel: %s\n", qPrintable(text));
    std::fflush(stderr);
}

int InitialiseDatabase(const QSqlDatabase& database, const QString& shownName)
{
    try {
        CreateSchema(database);
        DatabaseServices::EnsureLockTable(database);
        if (frameCount(database) > 0) {
            printOutcome(FormatMessage(2463, {shownName}));
            return 0;
        }
        LoadDemoData(database);
    } catch (const std::exception& error) {
        printError(FormatMessage(2464, {shownName, describe(error)}));
        return 1;
    }
    printOutcome(FormatMessage(2465, {shownName}));
    return 0;
}

int CheckDatabase(const QSqlDatabase& database, const QString& shownName)
{
    try {
        const QString problem = FindDamage(database);
        if (!problem.isEmpty()) {
            printError(FormatMessage(2466, {shownName, problem}));
            return 1;
        }
        const QStringList present = database.tables(QSql::Tables);
        QStringList missing = korvelTables();
        missing.removeIf([&](const QString& table) { return present.contains(table, Qt::CaseInsensitive); });
        if (!missing.isEmpty()) {
            printError(FormatMessage(2467, {shownName, missing.join(QStringLiteral(", "))}));
            return 1;
        }
    } catch (const std::exception& error) {
        printError(FormatMessage(2468, {shownName, describe(error)}));
        return 1;
    }
    printOutcome(FormatMessage(database.driverName() == QLatin1String("QSQLITE") ? 2469 : 2470, {shownName}));
    return 0;
}

int BreakFrameLock(const QSqlDatabase& database, const QString& shownName, const QString& frameId,
                   const QString& staffId, HostLog& log)
{
    try {
        if (!SchemaExists(database)) {
            printError(FormatMessage(2471, {shownName}));
            return 1;
        }
        // Locks are kept under the frame ID as stored, which may differ in letter case from the one
        // typed; a lock on a frame that no longer exists is broken under the ID as given.
        QString recordId = frameId;
        QSqlQuery query(database);
        if (query.prepare(
                QStringLiteral("SELECT WorkOrderFrame_ID FROM TWO_Frame WHERE WorkOrderFrame_ID = ?"))) {
            query.addBindValue(frameId);
            if (query.exec() && query.next())
                recordId = query.value(0).toString();
        }
        query.finish();
        const QString holder = DatabaseServices(database).BreakLock(QStringLiteral("Korvel"), recordId);
        if (holder.isNull()) {
            printOutcome(FormatMessage(2472, {recordId, shownName}));
            return 0;
        }
        QString line =
            QStringLiteral("[Korvel]-[Unlock]: %1 broke the edit lock that %2 held on frame %3 in %4")
                .arg(staffId, holder, recordId, shownName);
        log.WriteLog(line, 0);
        printOutcome(FormatMessage(2473, {holder, recordId}));
        return 0;
    } catch (const std::exception& error) {
        printError(FormatMessage(2474, {frameId, shownName, describe(error)}));
        return 1;
    }
}

} // namespace korvel
