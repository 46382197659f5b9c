#pragma once

#include <QStringList>

namespace korvel {

// The korvel program: reads the command line, opens (and if need be creates) the database, builds
// the host object, loads the add-in, shows its designer window and runs until the add-in reports
// that the window has closed. Returns the process exit status: 0 on success, 1 when the database
// or the add-in cannot be used, 2 for a bad command line. Every failure prints one line on
// standard error.
class HostProgram final {
public:
    int run(const QStringList& arguments);
};

} // namespace korvel
