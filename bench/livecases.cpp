#include "bench/livecases.h"

#include "bench/designerdriver.h"
#include "bench/probe.h"
#include "canvas/flownodeitem.h"
#include "canvas/flowscene.h"
#include "core/addinglobals.h"
#include "core/errorlog.h"
#include "core/korvelerror.h"
#include "designer/frmmain.h"
#include "host/addinsession.h"
#include "host/hostobject.h"
#include "model/cworder.h"
#include "model/cworders.h"
#include "persistence/changewatcher.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTextStream>
#include <QTimer>
#include <QUrl>
#include <ctime>
#include <iostream>
#include <string>

namespace korvel::bench {
namespace {

// The add-in's database as a korvel --db value, for the saver.
QString Location()
{
    const QSqlDatabase& database = Addin().DBConnection;
    if (database.driverName() == QLatin1String("QSQLITE"))
        return QStringLiteral("sqlite:") + database.databaseName();
    QUrl url;
    url.setScheme(QStringLiteral("postgresql"));
    url.setHost(database.hostName());
    url.setPort(database.port());
    url.setUserName(database.userName());
    url.setPassword(database.password());
    url.setPath(QLatin1Char('/') + database.databaseName());
    return url.toString();
}

// The saver's next line; throws when it says nothing for half a minute.
QString NextLine(QProcess& saver)
{
    const QDeadlineTimer deadline(30000);
    while (!saver.canReadLine())
        Check(saver.waitForReadyRead(static_cast<int>(deadline.remainingTime())) && !deadline.hasExpired(),
              QStringLiteral("the saver said nothing: ") + QString::fromUtf8(saver.readAllStandardError()));
    return QString::fromUtf8(saver.readLine()).trimmed();
}

// The drawn steps' texts, joined.
QString Drawn(DesignerDriver& designer)
{
    QStringList texts;
    for (const FlowNodeItem* node : designer.Scene().Nodes())
        texts << node->Text();
    return texts.join(QLatin1Char('|'));
}

// The saver's log goes to its error output, which the benchmark shows.
class SaverLog final : public HostLog {
public:
    void WriteLog(QString& message, qint32 /*level*/) override { std::cerr << qPrintable(message) << '\n'; }
};

double CpuMilliseconds()
{
    return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

} // namespace

Measurement LiveDelay()
{
    DesignerDriver designer;
    designer.Settle();
    const QString shown = designer.Window().WorkOrders().CurWOrder();
    Check(designer.Scene().Nodes().size() == SmallFrameSteps + 2,
          QStringLiteral("the first frame, %1, is not drawn").arg(shown));
    QProcess saver;
    saver.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    saver.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--saver"), Location(), shown});
    Check(NextLine(saver) == QLatin1String("ready"), QStringLiteral("the saver did not start"));
    designer.Settle();
    const QString before = Drawn(designer);

    Probe probe;
    probe.Start();
    saver.write("go\n");
    const QString saved = NextLine(saver);
    Check(saved.startsWith(QLatin1String("saved ")), QStringLiteral("the saver said: ") + saved);
    // Every event the window gets is a chance to redraw: the notification, the poll's timer.
    const QDeadlineTimer deadline(10000);
    while (Drawn(designer) == before && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents, 10);
    const qint64 redrawn = QDateTime::currentMSecsSinceEpoch();
    Measurement m = probe.Stop();
    Check(Drawn(designer) != before, QStringLiteral("the save was not redrawn within 10 s"));
    m.milliseconds = static_cast<double>(redrawn - saved.section(QLatin1Char(' '), 1).toLongLong());
    m.note = QStringLiteral("from the saver's commit to the redraw");
    saver.closeWriteChannel();
    saver.waitForFinished();
    return m;
}

Measurement IdleWindow(int frames, int seconds)
{
    DesignerDriver designer;
    designer.Settle();
    Check(designer.ListedFrames() == frames,
          QStringLiteral("%1 frames listed instead of %2").arg(designer.ListedFrames()).arg(frames));
    Probe probe;
    probe.Start();
    const double cpu = CpuMilliseconds();
    const qint64 polls = ChangeWatcher::Polls();
    QEventLoop idle;
    QTimer::singleShot(seconds * 1000, &idle, &QEventLoop::quit);
    idle.exec();
    Measurement m = probe.Stop();
    m.statements += ChangeWatcher::Polls() - polls;
    const double perMinute = 60.0 / seconds;
    m.milliseconds = (CpuMilliseconds() - cpu) * perMinute;
    m.note = QStringLiteral("over %1 s: %2 CPU ms and %3 statements per minute")
                 .arg(seconds)
                 .arg(m.milliseconds, 0, 'f', 1)
                 .arg(static_cast<double>(m.statements) * perMinute, 0, 'f', 0);
    m.statements = qRound64(static_cast<double>(m.statements) * perMinute);
    return m;
}

int RunSaver(const QString& location, const QString& frameId)
{
    const QString connection = QStringLiteral("korvel-bench-saver");
    QSqlDatabase database = OpenLocation(location, connection);
    HostObject host(database, QStringLiteral("saver"), std::make_unique<SaverLog>());
    AddinSession globals(host);
    cWorder frame;
    frame.LoadList(frameId, QString());
    frame.LoadOne();
    Check(frame.LockMe() == 1 && !frame.AllNode().AllNode().IsEmpty(),
          QStringLiteral("the saver cannot lock ") + frameId);
    QTextStream out(stdout);
    out << "ready" << Qt::endl;
    for (std::string line; std::getline(std::cin, line) && line == "go";) {
        cNode& step = *frame.AllNode().AllNode().begin()->second;
        step.setWorkOrderNodeName(step.WorkOrderNodeName() + QLatin1Char('+'));
        Check(frame.SaveMe() == 1, QStringLiteral("the saver's save failed: ") + LastLoggedError());
        out << "saved " << QDateTime::currentMSecsSinceEpoch() << Qt::endl;
        frame.LoadFlag = 0;
        frame.LoadOne();
    }
    return 0;
}

} // namespace korvel::bench
