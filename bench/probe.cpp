#include "bench/probe.h"

#include "core/korvelerror.h"
#include "persistence/statementmonitor.h"

namespace korvel::bench {

void Probe::Start()
{
    m_rss = ProcStatusKb("VmRSS");
    m_statements = StatementMonitor::Count();
    m_timer.start();
}

Measurement Probe::Stop(QString note) const
{
    Measurement m;
    m.milliseconds = static_cast<double>(m_timer.nsecsElapsed()) / 1e6;
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
