#pragma once

#include <QStringList>

namespace korvel {

class FlowScene;

// What a reader would find covered in a drawn flow, from the scene's geometry: every link caption
// that covers another caption or a step box (Start and End included), and every two step boxes that
// cover each other; one line each, e.g. "caption LL3 covers step NN00002". Empty when nothing is
// covered.
QStringList SceneOverlaps(const FlowScene& scene);

// Every link drawn right to left (its end left of its start) whose line runs through a step box
// other than its two ends, one line each ("link LL4 crosses step NN00002").
QStringList BackLinkCrossings(const FlowScene& scene);

} // namespace korvel
