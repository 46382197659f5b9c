#pragma once

#include "bench/cases.h"

namespace korvel::bench {

class DesignerDriver;

// The steps the paste case copies from the large frame and pastes into it.
inline constexpr int PastedSteps = 1000;

// Clicks the large frame of `steps` steps in the tree and paints the canvas; checks that all of it
// is drawn.
void OpenLargeFrame(DesignerDriver& designer, int steps);

// The editing commands on the large frame of `steps` steps, locked first. Each is set up as a user
// would (untimed); the command, the events it leaves waiting and one paint of the canvas are timed.
Measurement SelectAllSteps(int steps);   // the Select all command
Measurement MoveAllSteps(int steps);     // Right arrow with every step selected
Measurement UndoMoveAllSteps(int steps); // Undo of that move
Measurement PasteSteps(int steps);       // Paste of 1,000 of its steps copied before
Measurement CopyAllSteps(int steps);     // Copy with every step selected

} // namespace korvel::bench
