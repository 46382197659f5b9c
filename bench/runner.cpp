#include "bench/runner.h"

#include "core/addinglobals.h"
#include "core/korvelerror.h"
#include "host/addinsession.h"
#include "host/hostobject.h"
#include "widgets/uiservices.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTextStream>
#include <algorithm>
#include <memory>

namespace korvel::bench {
namespace {

QTextStream& Err()
{
    static QTextStream stream(stderr);
    return stream;
}

// The host log: every line the add-in writes means the case went wrong.
class BenchLog final : public HostLog {
public:
    void WriteLog(QString& message, qint32 /*level*/) override { lines << message; }
    QStringList lines;
};

// Nobody is there to answer: every message is recorded and answered No or Cancel.
class BenchMessages final : public MessageService {
public:
    explicit BenchMessages(QStringList& shown) : m_shown(shown) {}
    void information(const QString& text) override { m_shown << text; }
    void warning(const QString& text, const QString&) override { m_shown << text; }
    void critical(const QString& text, const QString&) override { m_shown << text; }
    QMessageBox::StandardButton question(const QString& text, QMessageBox::StandardButtons buttons) override
    {
        m_shown << text;
        return buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel : QMessageBox::No;
    }

private:
    QStringList& m_shown;
};

struct ChildOutcome {
    bool finished = false; // false: timed out and stopped
    QString failure;
    double milliseconds = 0;
    qint64 statements = 0, peakKb = 0, rssGrowthKb = 0, fileBytes = 0;
    QString note;
};

ChildOutcome RunOnce(const CaseInfo& info, int size, const QString& location, const Options& options)
{
    QStringList arguments{QStringLiteral("--child"), info.id, QString::number(size), location};
    if (options.quick)
        arguments << QStringLiteral("--quick");
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), arguments);
    ChildOutcome outcome;
    if (!child.waitForStarted()) {
        outcome.failure = QStringLiteral("cannot start: ") + child.errorString();
        return outcome;
    }
    if (!child.waitForFinished(options.timeoutSeconds * 1000)) {
        child.kill();
        child.waitForFinished();
        outcome.failure = QStringLiteral("timed out after %1 s").arg(options.timeoutSeconds);
        return outcome;
    }
    outcome.finished = true;
    const QString output = QString::fromUtf8(child.readAllStandardOutput());
    const QString errors = QString::fromUtf8(child.readAllStandardError()).trimmed();
    for (const QString& line : output.split(QLatin1Char('\n'))) {
        if (!line.startsWith(QLatin1String("RESULT ")))
            continue;
        const QStringList fields = line.split(QLatin1Char(' '));
        if (fields.size() < 6)
            break;
        outcome.milliseconds = fields[1].toDouble();
        outcome.statements = fields[2].toLongLong();
        outcome.peakKb = fields[3].toLongLong();
        outcome.rssGrowthKb = fields[4].toLongLong();
        outcome.fileBytes = fields[5].toLongLong();
        outcome.note = fields.mid(6).join(QLatin1Char(' '));
        return outcome;
    }
    outcome.failure = errors.isEmpty() ? QStringLiteral("exit status %1").arg(child.exitCode())
                                       : errors.split(QLatin1Char('\n')).last();
    return outcome;
}

Result RunSize(DatabaseFarm& farm, const CaseInfo& info, int size, const Options& options)
{
    Result result;
    result.info = info;
    result.backend = farm.backend();
    result.size = size;
    QElapsedTimer spent;
    spent.start();
    for (int run = 0; run < options.repeats; ++run) {
        const QString location = farm.Copy(info.LayoutFor(size));
        const ChildOutcome outcome = RunOnce(info, size, location, options);
        farm.Remove(location);
        if (!outcome.failure.isEmpty()) {
            result.failure = outcome.failure;
            break;
        }
        result.milliseconds << outcome.milliseconds;
        result.statements = outcome.statements;
        result.peakKb = std::max(result.peakKb, outcome.peakKb);
        result.rssGrowthKb = outcome.rssGrowthKb;
        result.fileBytes = outcome.fileBytes;
        result.note = outcome.note;
        if (spent.elapsed() > options.timeoutSeconds * 1000LL)
            break; // enough time spent on this size: fewer runs, shown in the table
    }
    return result;
}

} // namespace

double Result::Median() const
{
    QList<double> sorted = milliseconds;
    std::sort(sorted.begin(), sorted.end());
    const auto n = sorted.size();
    if (n == 0)
        return 0;
    return n % 2 == 1 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
}

QList<Result> RunAll(const Options& options)
{
    QList<Result> results;
    for (const Backend backend : options.backends) {
        DatabaseFarm farm(backend);
        for (const CaseInfo& info : Cases(options.quick)) {
            if (!options.only.isEmpty() && !options.only.contains(info.id))
                continue;
            QString skipReason;
            for (const int size : info.sizes) {
                Result result;
                if (!skipReason.isEmpty()) {
                    result.info = info;
                    result.backend = backend;
                    result.size = size;
                    result.failure = skipReason;
                } else {
                    Err() << BackendName(backend) << " " << info.id << " " << size << " ..." << Qt::flush;
                    QElapsedTimer timer;
                    timer.start();
                    result = RunSize(farm, info, size, options);
                    Err() << " " << result.milliseconds.size() << " run(s) in "
                          << QString::number(timer.elapsed() / 1000.0, 'f', 1) << " s"
                          << (result.failure.isEmpty() ? QString() : QStringLiteral(": ") + result.failure)
                          << Qt::endl;
                    if (result.failure.startsWith(QLatin1String("timed out")))
                        skipReason = QStringLiteral("not run: a smaller size timed out");
                }
                results << result;
            }
        }
    }
    return results;
}

int RunChild(const QString& caseId, int size, const QString& location, bool quick)
{
    const QList<CaseInfo> cases = Cases(quick);
    const auto info =
        std::find_if(cases.begin(), cases.end(), [&](const CaseInfo& c) { return c.id == caseId; });
    if (info == cases.end()) {
        Err() << "korvel_bench: no case " << caseId << Qt::endl;
        return 2;
    }
    QStringList shown;
    int status = 1;
    const QString connection = QStringLiteral("korvel-bench");
    try {
        QSqlDatabase database = OpenLocation(location, connection);
        auto log = std::make_unique<BenchLog>();
        BenchLog* lines = log.get();
        {
            HostObject host(database, QStringLiteral("bench"), std::move(log));
            AddinSession globals(host);
            auto previous = SetMessageService(std::make_unique<BenchMessages>(shown));
            const Measurement m = RunCase(*info, size);
            SetMessageService(std::move(previous));
            if (!lines->lines.isEmpty())
                throw KorvelError(QStringLiteral("logged: ") + lines->lines.first());
            if (!shown.isEmpty())
                throw KorvelError(QStringLiteral("the designer said: ") + shown.first().simplified());
            QTextStream(stdout) << "RESULT " << QString::number(m.milliseconds, 'f', 4) << ' ' << m.statements
                                << ' ' << ProcStatusKb("VmHWM") << ' ' << m.rssGrowthKb << ' ' << m.fileBytes
                                << ' ' << m.note << Qt::endl;
            status = 0;
        }
        database.close();
    } catch (const std::exception& error) {
        Err() << "korvel_bench: " << caseId << " " << size << ": " << describe(error) << Qt::endl;
    }
    QSqlDatabase::removeDatabase(connection);
    return status;
}

} // namespace korvel::bench
