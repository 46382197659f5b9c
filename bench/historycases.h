#pragma once

#include "bench/cases.h"

namespace korvel::bench {

// The cases of a frame's history (model/framehistory.h), beside the save they add to.
//
// history-list: the versions of a frame that has `versions` of them (each the large frame of 100
// steps), listed newest first as the History panel and `korvel history` list them.
Measurement ListVersions(int versions);
// diff: the diff of two versions of the large frame of `steps` steps (a tenth of its steps moved, a
// tenth renamed, one in a hundred deleted), both read into memory before the timer starts.
// diff-load: the same with both versions read from the database first, as `korvel diff` does.
Measurement DiffVersions(int steps, bool load);

} // namespace korvel::bench
