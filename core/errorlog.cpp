#include "core/errorlog.h"

#include "core/addinglobals.h"
#include "core/failurecause.h"
#include "core/korvelerror.h"

namespace korvel {

namespace {

QString& LastDescription()
{
    thread_local QString description;
    return description;
}

thread_local quint64 loggedErrors = 0;

} // namespace

QString LastLoggedError()
{
    return LastDescription();
}

quint64 LoggedErrorCount()
{
    return loggedErrors;
}

void LogError(const QString& prefix, const QString& description)
{
    LastDescription() = description;
    ++loggedErrors;
    try {
        auto* host = Addin().ObjInterFace.data();
        if (!host)
            return;
        auto* log = host->Logger();
        if (!log)
            return;
        QString message = prefix + description;
        log->WriteLog(message, 0);
    } catch (...) {
        // A log that fails must not turn a handled error into an unhandled one.
    }
}

void LogError(const QString& prefix, const std::exception& error)
{
    LogError(prefix, describe(error));
}

} // namespace korvel
