#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace korvel {

class cWorder;

// Where a work order goes through a frame's flow for given values of the variables its
// conditional links test. Start is "BEGIN" and End is "END" (the IDs links use for them); steps are
// named by their IDs. Only live steps and links count.
//
// A link is open when it is always open (AlwaysOpen 0) or its condition holds for the values
// (model/linkcondition.h); a condition on a variable without a value, or with a fault, is closed.
// From Start every open link is followed, depth first in the order of the frame's links: several
// open links out of one step are all followed (branches). Each step is reached once; a link to a
// step reached before either closes a loop (the step is on the way that led here) or joins a
// branch shown already. The walk costs time in proportion to the steps and links, whatever the
// number of ways through the flow. Link ends name steps as the database does ("n00002" is the step
// "N00002"); a link to a step that is not in the flow is not followed. Moves, passed steps and dead
// ends name steps by their own IDs.

// The work order's values by variable (VariableKey of the name).
using WalkValues = QHash<QString, QString>;

// A variable the frame's conditional links test, with the operators used on it (each once, in the
// order of ConditionOperators()).
struct WalkVariable {
    QString name; // as the first link testing it spells it, trimmed
    QStringList operators;
    bool operator==(const WalkVariable&) const = default;
};

// One open link followed.
struct WalkMove {
    enum class Kind {
        Arrive, // the first time `to` is reached
        Join,   // `to` was reached before on another branch
        Loop,   // `to` is on the way that led to `from`: the branch stops
        End,    // `to` is End: the branch stops there
    };
    QString from; // "BEGIN" or a step ID
    QString link; // the link's code
    QString to;   // a step ID or "END"
    Kind kind = Kind::Arrive;
    bool operator==(const WalkMove&) const = default;
};

// Where the walk went.
struct FlowWalk {
    QList<WalkMove> moves;       // in the order followed
    QStringList passed;          // steps reached, in the order first reached
    QStringList deadEnds;        // steps reached with no open link out: a branch stops there ("BEGIN"
                                 // when no link out of Start is open)
    QStringList unreached;       // live steps never reached, in the frame's order
    QStringList unsetVariables;  // variables tested on the way that have no value (names as shown)
    bool reachedEnd = false;

    // End reached and no branch stopped at a step with no way on: exit status 0 of `korvel walk`.
    bool ReachesEnd() const { return reachedEnd && deadEnds.isEmpty(); }
};

// The variables the frame's live conditional links test, in the order of the frame's links.
QList<WalkVariable> WalkVariables(cWorder& frame);

// Walks the flow from Start with the given values.
FlowWalk WalkFlow(cWorder& frame, const WalkValues& values);

} // namespace korvel
