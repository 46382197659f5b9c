#pragma once

#include "document/arrangement.h"

#include <QRectF>
#include <QSizeF>
#include <QStringList>

namespace korvel {

class cWorder;

// The boxes a layout works with, twips: every step's box, Start's box where the canvas fixes it, and
// the width of the widest link caption. The caller knows the canvas; the layout does not.
struct FlowLayoutBoxes {
    QSizeF step;
    QRectF start;
    double captionWidth = 0; // the widest caption of a link: ranks stand this far apart, within bounds
};

// Lays a frame's live steps out in layers from left to right with Graphviz's dot: Start leftmost,
// End rightmost (End itself gets no place: the canvas puts it right of the flow), links followed
// from left to right where the flow allows, steps no link reaches laid out too. Every step stands
// right of Start's box with room for a link's caption, none above the canvas's top; no two boxes
// overlap, and ranks and rows keep room for captions. Links to a step the frame does not hold are
// left out. A frame without steps gives no places. Throws KorvelError when Graphviz fails or the
// flow would not fit the coordinate range.
StepPlaces ArrangedFlow(cWorder& frame, const FlowLayoutBoxes& boxes);

// The same for the live steps among `stepIds` alone, with the links between them: the block keeps
// the selection's top-left corner and, when it would cover a step left out (or Start), moves down
// until it covers none. Steps left out keep their places and get none.
StepPlaces ArrangedSteps(cWorder& frame, const FlowLayoutBoxes& boxes, const QStringList& stepIds);

} // namespace korvel
