#pragma once

#include <QString>

namespace korvel {

class cWorder;

// Flows made in memory for the layout and drawing tests.

// The ID of generated step n: "G1", "G2", ...
QString StepId(int n);
// Adds a live step at a place (twips) or a link named after its end to the frame; the test fails
// when the frame refuses it.
void AddStepAt(cWorder& frame, const QString& id, int left, int top);
void AddLinkBetween(cWorder& frame, const QString& from, const QString& to);
// A flow of `steps` steps piled on a few places: Start to steps 1 and 2, each step to the next two,
// every tenth back to the one two before, the last to End; besides them a step no link reaches, a
// deleted one, and a link to a step the frame does not hold.
void GenerateFlow(cWorder& frame, int steps);

} // namespace korvel
