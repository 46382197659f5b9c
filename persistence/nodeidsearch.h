#pragma once

#include <QString>
#include <functional>

namespace korvel {

// The node ID for one counter value: "N" followed by the counter, padded on the left with zeros
// to at least five digits (1 gives "N00001"); longer numbers are written in full, never cut.
QString NodeIDCandidate(qint32 counter);

// Walks the counter upwards from `firstCounter` and returns the first candidate for which
// `usedBy(candidate)` gives -1 (free). A check that gives 0 (it could not be made) throws
// KorvelError: a candidate nobody could check is never handed out. Also throws when the counter
// would pass the largest 32-bit value. The search of GetNewNodeIDA starts at 1.
QString FirstFreeNodeID(const std::function<qint32(const QString&)>& usedBy, qint32 firstCounter = 1);

} // namespace korvel
