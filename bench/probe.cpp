#include "bench/probe.h"

#include "core/korvelerror.h"
#include "persistence/statementmonitor.h"

// Under callgrind started with --collect-atstart=no, only what a probe times is counted: instruction
// counts of the timed part alone, which the machine's load does not disturb. Elsewhere a no-op.
#include <QFile>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#define KORVEL_BENCH_COUNT_TIMED_PART() CALLGRIND_TOGGLE_COLLECT
#else
#define KORVEL_BENCH_COUNT_TIMED_PART()
#endif

namespace korvel::bench {
namespace {

// Under `perf record --control fifo:FIFO --delay=-1` with KORVEL_BENCH_PERF_FIFO=FIFO, perf samples
// only the timed part, like callgrind above.
void TellPerf(const char* command)
{
    static const QByteArray fifo = qgetenv("KORVEL_BENCH_PERF_FIFO");
    if (fifo.isEmpty())
        return;
    QFile control(QString::fromLocal8Bit(fifo));
    if (control.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        control.write(command);
}

} // namespace

void Probe::Start()
{
    m_rss = ProcStatusKb("VmRSS");
    m_statements = StatementMonitor::Count();
    KORVEL_BENCH_COUNT_TIMED_PART();
    TellPerf("enable\n");
    m_timer.start();
}

Measurement Probe::Stop(QString note) const
{
    Measurement m;
    m.milliseconds = static_cast<double>(m_timer.nsecsElapsed()) / 1e6;
    KORVEL_BENCH_COUNT_TIMED_PART();
    TellPerf("disable\n");
    m.statements = StatementMonitor::Count() - m_statements;
    m.rssGrowthKb = ProcStatusKb("VmRSS") - m_rss;
    m.note = std::move(note);
    return m;
}

void Check(bool condition, const QString& failure)
{
    if (!condition)
        throw KorvelError(failure);
}

} // namespace korvel::bench
