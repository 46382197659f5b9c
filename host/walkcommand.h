#pragma once

#include "model/pathwalk.h"

#include <QString>
#include <QStringList>

namespace korvel {

class cWorder;

// `korvel walk FRAME_ID NAME=VALUE... [--json]`: where a work order with those values goes through
// the frame's flow (model/pathwalk.h). Reads the frame only: nothing is written and no lock taken.
// Prints the links taken from Start, each branch indented under the step it leaves, where each
// branch stops, the steps never reached and the variables tested but not given; --json prints the
// same as one object. Exit status 0 when End is reached and no branch stops short of it, 1 when
// the walk stops elsewhere.
class WalkCommand final {
public:
    // Reads the NAME=VALUE arguments (a value may hold "=" itself); Error() says what is wrong.
    explicit WalkCommand(const QStringList& assignments);

    // Why the arguments cannot be used, for the user; empty when they can.
    const QString& Error() const { return m_error; }
    const WalkValues& Values() const { return m_values; }

    // Walks `frame` and prints the path; a value no link of the frame tests is named on standard
    // error. The exit status.
    int Run(cWorder& frame, bool json) const;

    // The usage line, a blank line and the explanation, without the program's name.
    static QString Help();

private:
    WalkValues m_values;
    QStringList m_names; // as given, trimmed, in their order
    QString m_error;
};

} // namespace korvel
