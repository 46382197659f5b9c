#pragma once

#include <QStringList>

namespace korvel {

// What one edit, undo or redo did to a frame's flow: the steps (by ID) and links (by collection key)
// that came, changed or went. "Came" and "went" follow whether the item is live (shown and saved),
// so a deleted step that an undo brings back has come.
struct FrameChange {
    QStringList stepsAdded, stepsChanged, stepsRemoved;
    QStringList stepsMoved; // only their places changed
    QStringList linksAdded, linksChanged, linksRemoved;

    bool IsEmpty() const
    {
        return stepsAdded.isEmpty() && stepsChanged.isEmpty() && stepsRemoved.isEmpty() && stepsMoved.isEmpty() &&
               linksAdded.isEmpty() && linksChanged.isEmpty() && linksRemoved.isEmpty();
    }
};

} // namespace korvel
