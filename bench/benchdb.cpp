#include "bench/benchdb.h"

#include "core/korvelerror.h"
#include "host/databaselocation.h"
#include "persistence/schema.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QUrl>
#include <algorithm>

namespace korvel::bench {
namespace {

const QString ServerConnection = QStringLiteral("korvel-bench-server");
const QString FillConnection = QStringLiteral("korvel-bench-fill");

void Exec(const QSqlDatabase& database, const QString& sql)
{
    QSqlQuery query(database);
    if (!query.exec(sql))
        throw KorvelError(QStringLiteral("%1 -- in: %2").arg(query.lastError().text(), sql.left(200)));
}

// Collects the value lists of one table and sends them as INSERTs of a few hundred rows each.
class RowWriter final {
public:
    RowWriter(QSqlDatabase database, QString head) : m_database(std::move(database)), m_head(std::move(head))
    {
    }
    ~RowWriter() = default;
    RowWriter(const RowWriter&) = delete;
    RowWriter& operator=(const RowWriter&) = delete;

    void Add(const QString& values)
    {
        m_rows << values;
        if (m_rows.size() >= 250)
            Flush();
    }
    void Flush()
    {
        if (!m_rows.isEmpty())
            Exec(m_database, m_head + m_rows.join(QLatin1Char(',')));
        m_rows.clear();
    }

private:
    QSqlDatabase m_database;
    QString m_head;
    QStringList m_rows;
};

// The frame columns after its ID and name.
const QString FrameValueColumns = QStringLiteral(
    "Category, Priority_ID, ExpiredPeriod, ExpiredPeriodType_ID, CanSkip, AddinType, WEBLink, Group_IDA, "
    "CanFullScreen, PrintFormat, CanGenerateOB, GenerateRate, Group_IDA2, CreatedBy, CreatedDate, "
    "ModifiedBy, ModifiedDate, ReplyFlag, ReplyMode, ReplyAddress, ReplyFile, PRINTGROUP, REPLYGROUP, "
    "REPLYCONTENT, ForecastUnit, ForecastLen");

struct Writers {
    RowWriter frames, nodes, links;

    explicit Writers(const QSqlDatabase& db)
        : frames(db,
                 QStringLiteral("INSERT INTO TWO_Frame (WorkOrderFrame_ID, WorkOrderFrameName, %1) VALUES ")
                     .arg(FrameValueColumns)),
          nodes(db,
                QStringLiteral(
                    "INSERT INTO Two_Node (WorkOrderFrame_ID, WorkOrderNode_ID, WorkOrderNodeName, "
                    "ExpiredPeriod, ExpiredPeriodType_ID, CanSendBack, CanSendSelf, CanSkip, EmailNotify, "
                    "SMSNotify, AddinType, WEBLink, Group_IDA, CanFullScreen, HandleBy_ID, HandleGroup_ID, "
                    "ExpiredHandleBy_ID, ExpiredHandleGroup_ID, NodeTop, NodeLeft, Priority_ID, RefuseReply, "
                    "CanClose, ContactCust, NextBeginTime, TickOffFlag, ReturnOldStep, CanModify, "
                    "CanBackToBy, ToHandleby, ReturnGroupFlag, ForecastUnit, ForecastLen) VALUES ")),
          links(db, QStringLiteral(
                        "INSERT INTO Two_Link (WorkOrderFrame_ID, WorkOrderLink_ID, WorkOrderLinkName, "
                        "SonNode_ID, FatherNode_ID, AlwaysOpen, AddinVariant, CompareType, "
                        "VariantValue) VALUES "))
    {
    }
    void Flush()
    {
        frames.Flush();
        nodes.Flush();
        links.Flush();
    }
};

void AddFrame(Writers& w, const QString& id, const QString& name)
{
    w.frames.Add(
        QStringLiteral("('%1','%2','CAT1','P2',24,'H',0,0,'','G01',0,'',0,0,'','bench',"
                       "'2024-01-01 08:00:00','bench','2024-01-01 08:00:00',0,0,'','','','','','H',8)")
            .arg(id, name));
}

// The frame's steps get the IDs from `firstCounter` on; they lie on a grid 40 steps wide.
void AddFlow(Writers& w, const QString& frame, int firstCounter, int steps, bool withLinks)
{
    const auto id = [&](int step) { return StepID(firstCounter + step - 1); };
    for (int step = 1; step <= steps; ++step) {
        const int left = 1000 + ((step - 1) % 40) * 2000;
        const int top = 1500 + ((step - 1) / 40) * 1100;
        const QString returnStep = step % 10 == 0 ? id(step - 2) : QString();
        w.nodes.Add(QStringLiteral("('%1','%2','Step %3',2,'H',1,0,0,'','',0,'','G01',0,'','G01','','',%4,%5,"
                                   "'P2',0,1,0,0,0,'%6',1,0,'',0,'H',4)")
                        .arg(frame, id(step))
                        .arg(step)
                        .arg(top)
                        .arg(left)
                        .arg(returnStep));
    }
    if (!withLinks)
        return;
    int serial = 0;
    const auto link = [&](const QString& from, const QString& to) {
        ++serial;
        w.links.Add(QStringLiteral("('%1','L%2','Go %2','%3','%4',%5,'','','')")
                        .arg(frame)
                        .arg(serial)
                        .arg(to, from)
                        .arg(serial % 2));
    };
    for (int step = 1; step <= std::min(steps, 2); ++step)
        link(QStringLiteral("BEGIN"), id(step));
    for (int step = 1; step <= steps; ++step) {
        if (step + 1 <= steps)
            link(id(step), id(step + 1));
        if (step + 2 <= steps)
            link(id(step), id(step + 2));
    }
    if (steps > 0)
        link(id(steps), QStringLiteral("END"));
}

void Commit(QSqlDatabase& db)
{
    if (!db.commit())
        throw KorvelError(QStringLiteral("Cannot commit the generated rows: %1").arg(db.lastError().text()));
    if (db.driverName() == QLatin1String("QPSQL"))
        Exec(db, QStringLiteral("ANALYZE"));
}

void Fill(QSqlDatabase db, const Layout& layout)
{
    CreateSchema(db);
    if (!db.driver()->hasFeature(QSqlDriver::Transactions) || !db.transaction())
        throw KorvelError(QStringLiteral("Cannot begin the transaction that fills the database"));
    Writers w(db);
    if (layout.kind == Layout::Kind::Frames) {
        AddFrame(w, QStringLiteral("W000001"), QStringLiteral("Work order 000001"));
        AddFlow(w, QStringLiteral("W000001"), 1, SmallFrameSteps, true);
        w.Flush();
        // The others copy the first one's header in one statement: 200,000 of them take seconds.
        // Their numbers have six digits, as substr(1000000 + i, 2) gives them on both databases.
        if (layout.frames > 1)
            Exec(db, QStringLiteral(
                         "WITH RECURSIVE n(i) AS (SELECT 2 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                         "INSERT INTO TWO_Frame (WorkOrderFrame_ID, WorkOrderFrameName, %2) "
                         "SELECT 'W' || substr(CAST(1000000 + i AS TEXT), 2), "
                         "'Work order ' || substr(CAST(1000000 + i AS TEXT), 2), %2 "
                         "FROM n CROSS JOIN TWO_Frame WHERE WorkOrderFrame_ID = 'W000001'")
                         .arg(layout.frames)
                         .arg(FrameValueColumns));
    } else {
        AddFrame(w, SmallFrameID, QStringLiteral("Small flow"));
        AddFlow(w, SmallFrameID, 1, SmallFrameSteps, true);
        AddFrame(w, LargeFrameID, QStringLiteral("Large flow"));
        AddFlow(w, LargeFrameID, SmallFrameSteps + 1, layout.flowSteps, true);
        int counter = SmallFrameSteps + layout.flowSteps + 1;
        for (int filler = 1; counter <= layout.stepRows; ++filler) {
            const QString id =
                QStringLiteral("X") + QString::number(filler).rightJustified(5, QLatin1Char('0'));
            const int steps = std::min(FillerFrameSteps, layout.stepRows - counter + 1);
            AddFrame(w, id, QStringLiteral("Filler ") + id);
            AddFlow(w, id, counter, steps, false);
            counter += steps;
        }
    }
    w.Flush();
    Commit(db);
}

// KORVEL_TEST_PG ("host=... port=... user=... password=... dbname=...") as a korvel --db value
// for the database `name` (the maintenance database when empty).
QString ServerLocation(const QString& name)
{
    QUrl url;
    url.setScheme(QStringLiteral("postgresql"));
    QString database = QStringLiteral("postgres");
    const QStringList pairs =
        qEnvironmentVariable("KORVEL_TEST_PG").split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& pair : pairs) {
        const QString key = pair.section(QLatin1Char('='), 0, 0);
        const QString value = pair.section(QLatin1Char('='), 1);
        if (key == QLatin1String("host"))
            url.setHost(value);
        else if (key == QLatin1String("port"))
            url.setPort(value.toInt());
        else if (key == QLatin1String("user"))
            url.setUserName(value);
        else if (key == QLatin1String("password"))
            url.setPassword(value);
        else if (key == QLatin1String("dbname"))
            database = value;
    }
    url.setPath(QStringLiteral("/") + (name.isEmpty() ? database : name));
    return url.toString();
}

} // namespace

QString BackendName(Backend backend)
{
    return backend == Backend::SQLite ? QStringLiteral("sqlite") : QStringLiteral("postgres");
}

QString Layout::Key() const
{
    return kind == Kind::Frames ? QStringLiteral("frames-%1").arg(frames)
                                : QStringLiteral("flow-%1-%2").arg(flowSteps).arg(stepRows);
}

QSqlDatabase OpenLocation(const QString& location, const QString& connectionName)
{
    QString error;
    QSqlDatabase db = DatabaseLocation::parse(location).open(connectionName, error);
    if (!error.isEmpty())
        throw KorvelError(QStringLiteral("Cannot open %1: %2").arg(location, error));
    return db;
}

DatabaseFarm::DatabaseFarm(Backend backend) : m_backend(backend)
{
    if (!m_folder.isValid())
        throw KorvelError(QStringLiteral("Cannot create a temporary folder"));
    if (backend == Backend::PostgreSQL) {
        if (qEnvironmentVariable("KORVEL_TEST_PG").trimmed().isEmpty())
            throw KorvelError(
                QStringLiteral("--postgres needs a server: run under scripts/with-test-postgres.sh "
                               "(scripts/bench.sh --postgres does)"));
        OpenLocation(ServerLocation(QString()), ServerConnection);
    }
}

DatabaseFarm::~DatabaseFarm()
{
    if (m_backend == Backend::PostgreSQL) {
        for (const auto& [key, name] : m_templates) {
            try {
                RunOnServer(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
            } catch (const KorvelError&) {
                // A throw-away server goes with everything on it.
            }
        }
        QSqlDatabase::database(ServerConnection, false).close();
    }
    QSqlDatabase::removeDatabase(ServerConnection);
}

void DatabaseFarm::RunOnServer(const QString& sql) const
{
    Exec(QSqlDatabase::database(ServerConnection, false), sql);
}

QString DatabaseFarm::LocationOf(const QString& name) const
{
    return m_backend == Backend::SQLite ? QStringLiteral("sqlite:") + name : ServerLocation(name);
}

QString DatabaseFarm::TemplateName(const Layout& layout)
{
    if (const auto found = m_templates.find(layout.Key()); found != m_templates.end())
        return found->second;
    const QString name = m_backend == Backend::SQLite
                             ? m_folder.filePath(QStringLiteral("template-%1.sqlite").arg(m_templates.size()))
                             : QStringLiteral("korvel_bench_%1_t%2")
                                   .arg(QCoreApplication::applicationPid())
                                   .arg(m_templates.size());
    if (m_backend == Backend::PostgreSQL)
        RunOnServer(QStringLiteral("CREATE DATABASE %1 ENCODING 'UTF8' TEMPLATE template0").arg(name));
    {
        QSqlDatabase db = OpenLocation(LocationOf(name), FillConnection);
        Fill(db, layout);
        db.close();
    }
    QSqlDatabase::removeDatabase(FillConnection);
    m_templates[layout.Key()] = name;
    return name;
}

QString DatabaseFarm::Copy(const Layout& layout)
{
    const QString source = TemplateName(layout);
    const int serial = ++m_serial;
    if (m_backend == Backend::SQLite) {
        const QString copy = m_folder.filePath(QStringLiteral("run-%1.sqlite").arg(serial));
        if (!QFile::copy(source, copy))
            throw KorvelError(QStringLiteral("Cannot copy %1 to %2").arg(source, copy));
        return LocationOf(copy);
    }
    const QString copy = QStringLiteral("%1_r%2").arg(source).arg(serial);
    RunOnServer(QStringLiteral("CREATE DATABASE %1 TEMPLATE %2").arg(copy, source));
    return LocationOf(copy);
}

void DatabaseFarm::Remove(const QString& location)
{
    if (m_backend == Backend::SQLite) {
        QFile::remove(location.mid(QStringLiteral("sqlite:").size()));
        return;
    }
    const QString name = QUrl(location).path().mid(1);
    RunOnServer(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
}

} // namespace korvel::bench
