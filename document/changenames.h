#pragma once

#include "document/arrangement.h"

#include <QString>
#include <QStringList>

namespace korvel {

class cWorder;

// The names the history gives the changes of a flow, as the user knows the items: a step by its
// name ("Move step “Approve”"), a link by the names of its ends ("Add link Approve → Done"), Start
// and End by theirs. An item the frame does not hold (any more) is named by its ID.

// A step's name; "Start" and "End" for BEGIN and END; the ID when it has no name.
QString StepName(cWorder& frame, const QString& stepID);
// "Father → Son" by the ends' names.
QString LinkName(cWorder& frame, const QString& fatherID, const QString& sonID);
// The same for a link of the frame by its key.
QString LinkName(cWorder& frame, const QString& linkKey);
// The history's name of a deletion (or, with `cut`, a cut) of these steps and links.
QString RemovalText(cWorder& frame, const QStringList& stepIDs, const QStringList& linkKeys, bool cut);
// The history's name of moving steps to these places.
QString MoveText(cWorder& frame, const StepPlaces& moved);

} // namespace korvel
