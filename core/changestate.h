#pragma once

#include <QtGlobal>

namespace korvel {

// Change state of a node or link: what the next save has to write for it.
enum : qint32 {
    StateUnchanged = 0, // as loaded from the database
    StateNew = 1,       // created in memory, not yet in the database
    StateDeleted = 2,   // loaded, then deleted
    StateModified = 3,  // loaded, then changed
    StateDropped = 4,   // created and deleted again before any save: nothing to write
};

// Applies the change `requested` to `state`: a new object stays new when edited and becomes dropped
// when deleted; an unchanged or modified one takes the requested state; a deleted or dropped one
// (or any unknown value) never changes again.
void ChangeState(qint32& state, qint32 requested);

} // namespace korvel
