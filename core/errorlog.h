#pragma once

#include <QString>
#include <exception>
#include <utility>

namespace korvel {

// Writes one log line: the operation's fixed prefix, e.g. "[Korvel]-[cWOrder]-[LockMe]:",
// followed directly by the error's description, through the host log fetched at this moment.
// Never throws: when there is no host or log to write to, the line is dropped.
void LogError(const QString& prefix, const QString& description);
void LogError(const QString& prefix, const std::exception& error);

// The description of the error last logged on this thread (without its prefix), for a message that
// must name what went wrong; empty before the first.
QString LastLoggedError();

// Runs one statement and swallows any error it raises ("errors ignored statement by statement").
// Wrap each statement on its own, not a block.
template <typename Statement> void IgnoreErrors(Statement&& statement) noexcept
{
    try {
        std::forward<Statement>(statement)();
    } catch (...) {
    }
}

} // namespace korvel
