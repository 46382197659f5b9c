#include "core/changestate.h"

namespace korvel {

void ChangeState(qint32& state, qint32 requested)
{
    switch (state) {
    case StateNew:
        if (requested == StateDeleted)
            state = StateDropped;
        break;
    case StateUnchanged:
    case StateModified:
        state = requested;
        break;
    default:
        break;
    }
}

} // namespace korvel
