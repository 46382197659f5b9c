#pragma once

#include "core/hostinterfaces.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <memory>

namespace korvel {

class HostOptions;

// The commands of korvel that work on frames without the designer window: list, show, check,
// export, import, render, search and walk (host/walkcommand.h), and those on the frames' history
// (host/historycommands.h).
// They print on standard output, report a refusal as one line "korvel: ..." on standard error,
// and return the exit status: 0 done, 1 refused or failed (and `check`: an error found), 2 wrong
// arguments.

// The command names, in the order of the help.
const QStringList& FlowCommandNames();
// True for the commands that write to the database (the others open it read-only).
bool FlowCommandWrites(const HostOptions& options);
// The help of one command (usage line and explanation), or "" for an unknown name.
QString FlowCommandHelp(const QString& command);
// The part of `korvel --help` that lists the commands.
QString FlowCommandsSummary();

// Checks options.commandArguments against options.command before any database is opened: 0 when
// they fit, 2 (wrong arguments) after the message on standard error when they do not.
int CheckFlowCommandArguments(const HostOptions& options);

// Runs options.command on the open database as the staff member options.user; the add-in's
// globals point at a host object over `database` while it runs. Errors of the statements go to `log`.
int RunFlowCommand(const QSqlDatabase& database, const HostOptions& options, std::unique_ptr<HostLog> log);

} // namespace korvel
