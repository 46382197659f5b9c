#pragma once

#include <QString>

namespace korvel {

class cWorder;

// Why a new link from `fatherID` to `sonID` (step IDs, BEGIN and END included) may not be made, in
// words for the user naming the rule; empty when it may. The rules are those the link dialog
// offers its lists by: nothing leads into Start or leaves End, no step leads to itself, one link
// leaves Start, a step leads to End once, and two steps are joined by one link at most, whichever
// way it runs (cLinks::BPD).
QString LinkRefusal(cWorder& frame, const QString& fatherID, const QString& sonID);

} // namespace korvel
