#pragma once

#include <functional>

namespace korvel {

class FlowCanvas;
class cWorder;

// Adds a frame's flow to an empty canvas: the Start and End points (End at the canvas's right
// edge), one box per live step and one arrow per live link whose ends are drawn. Deleted steps and
// links are left out. `advance` is called once per step and link of the frame, for a progress
// display. A step or link that cannot be drawn is logged and skipped.
void AddFrameItems(FlowCanvas& canvas, cWorder& frame, const std::function<void()>& advance = {});

// The size of a step's box, twips.
inline constexpr double StepBoxWidth = 1400;
inline constexpr double StepBoxHeight = 650;
// How far End stands from the canvas's right edge, twips.
inline constexpr double EndPointRightOffset = 1100;

} // namespace korvel
