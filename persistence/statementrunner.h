#pragma once

#include "core/errorlog.h"
#include "persistence/cdboperate.h"
#include "persistence/connection.h"
#include "persistence/recordset.h"

#include <QString>
#include <exception>
#include <memory>

namespace korvel {

// The two ways cDBOperate runs a statement, each with the operation's error handler around it:
// the statement is built inside the handler too, because building it asks the host (quoting,
// staff ID) and a failing host call is handled like a failing statement.

// Query: the open, static result set, or nullptr after logging `prefix` + the error text.
template <typename BuildStatement>
std::unique_ptr<Recordset> QueryOrNothing(const QString& prefix, BuildStatement&& build) noexcept
{
    try {
        return Connection::Shared().OpenRecordset(build());
    } catch (const std::exception& error) {
        LogError(prefix, error);
        return nullptr;
    }
}

// Command: 1 when it ran, -1 after logging `prefix` + the error text.
template <typename BuildStatement>
qint32 CommandOrFail(const QString& prefix, BuildStatement&& build) noexcept
{
    try {
        Connection::Shared().Execute(build());
        return 1;
    } catch (const std::exception& error) {
        LogError(prefix, error);
        return -1;
    }
}

// Command that writes one named row (an update or delete by key): 1 when it changed a row (or the
// driver cannot tell), NoRowMatched (0) when it ran but the row was not there, because someone
// else changed or deleted it meanwhile; -1 when it failed. 0 and -1 are logged under `prefix`.
template <typename BuildStatement>
qint32 RowCommandOrFail(const QString& prefix, BuildStatement&& build) noexcept
{
    try {
        if (Connection::Shared().Execute(build()) != 0)
            return 1;
        LogError(prefix,
                 QStringLiteral("No row matched: it was changed or deleted in the database meanwhile"));
        return NoRowMatched;
    } catch (const std::exception& error) {
        LogError(prefix, error);
        return -1;
    }
}

} // namespace korvel
