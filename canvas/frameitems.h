#pragma once

#include <QString>
#include <functional>

namespace korvel {

class FlowScene;
class FlowLinkItem;
class FlowNodeItem;
class cLink;
class cNode;
class cWorder;
struct FlowLayoutBoxes;

// Adds a frame's flow to an empty scene: the Start and End points (End right of the steps, see
// PlaceEnd), one box per live step and one arrow per live link whose ends are drawn.
// Deleted steps and links are left out. `advance` is called once per step and link of the frame,
// for a progress display. A step or link that cannot be drawn is logged and skipped.
void AddFrameItems(FlowScene& scene, cWorder& frame, const std::function<void()>& advance = {});

// Shows a node or link of the frame on its canvas item: key, caption, figure and picture or
// colour and condition. The one way drawing, adding and editing show them.
void ShowNode(FlowNodeItem& item, const cNode& node);
void ShowLink(FlowLinkItem& item, const cLink& link);
// The tool tip of a node (ID, name, handler) or link (code, condition in full), made when the mouse
// rests on the item, not for every item drawn.
QString NodeToolTip(const cNode& node);
QString LinkToolTip(const cLink& link);
// Puts End right of the flow: StepGap right of the rightmost step, at the end points' top; in a flow
// without steps at a fixed place right of Start. It depends on the steps alone (never on a window's
// or picture's width): drawing the frame places it, and so does every change of the steps.
void PlaceEnd(FlowScene& scene);

// The boxes the automatic layout of the frame works with: a step's, Start's where the canvas draws
// it, and the width of the frame's widest link caption as the canvas draws it.
FlowLayoutBoxes LayoutBoxes(cWorder& frame);

// The size of a step's box, twips.
inline constexpr double StepBoxWidth = 1400;
inline constexpr double StepBoxHeight = 650;
// The canvas keys of Start and End.
inline const QString StartKey = QStringLiteral("NBEGIN");
inline const QString EndKey = QStringLiteral("NEND");
// The size of Start and End, twips.
inline constexpr double EndPointWidth = 500;
inline constexpr double EndPointHeight = 400;
// The room kept between End (or Start) and a step, twips.
inline constexpr double StepGap = 600;

} // namespace korvel
