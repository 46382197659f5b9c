#pragma once

#include <QString>
#include <QStringList>

namespace korvel {

class HostOptions;

// The commands on the frames' stored versions: history, diff, restore and prune. They run inside
// a flow command's session (host/flowcommands.h), print and report refusals as those do and return
// the exit status: 0 done (diff: the versions are equal), 1 refused or failed (diff: they differ),
// 2 wrong arguments (a version that is no number or that the frame does not have, an unknown frame).

// The command names, in the order of the help.
const QStringList& HistoryCommandNames();
// The help of one command (usage line, a blank line and the explanation), or "" for another name.
QString HistoryCommandHelp(const QString& command);

int RunHistoryCommand(const HostOptions& options);

} // namespace korvel
