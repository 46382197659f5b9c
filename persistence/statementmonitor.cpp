#include "persistence/statementmonitor.h"

#include "core/korvelerror.h"

namespace korvel {
namespace {

struct MonitorState {
    qint64 count = 0;
    qint64 failAt = 0; // the absolute count at which to fail; 0 when disarmed
    bool fired = false;
};

MonitorState& State()
{
    thread_local MonitorState state;
    return state;
}

} // namespace

qint64 StatementMonitor::Count()
{
    return State().count;
}

void StatementMonitor::FailAt(qint64 ordinal)
{
    MonitorState& state = State();
    state.failAt = ordinal > 0 ? state.count + ordinal : 0;
    state.fired = false;
}

bool StatementMonitor::FaultFired()
{
    return State().fired;
}

void StatementMonitor::CountStatement()
{
    ++State().count;
}

void StatementMonitor::BeforeStatement()
{
    MonitorState& state = State();
    ++state.count;
    if (state.failAt != 0 && state.count == state.failAt) {
        state.failAt = 0;
        state.fired = true;
        throw KorvelError(QStringLiteral("Injected fault at statement %1").arg(state.count));
    }
}

} // namespace korvel
