#pragma once

#include <QString>

namespace korvel {

// `korvel layout FRAME_ID`: lays the whole flow of a work order out (model/flowlayout.h) and
// stores it as a save from the window would, under the work order's lock, as one new version.
// Runs inside a flow command's session (host/flowcommands.h); 0 done, 1 refused (another session
// holds the lock) or failed, 2 for a work order that does not exist.

// The help of the command (usage line, a blank line and the explanation).
QString LayoutCommandHelp();

int RunLayoutCommand(const QString& frameId);

} // namespace korvel
