#pragma once

#include <QRectF>
#include <QString>
#include <memory>

class QPainter;

namespace korvel {

class FlowCanvas;
class cWorder;

// A canvas holding the frame's flow drawn exactly as the designer draws it (AddFrameItems), never
// shown: wide enough that End stands right of every step.
std::unique_ptr<FlowCanvas> BuildFrameCanvas(cWorder& frame);

// Writes a picture of the frame's flow: SVG, PNG or PDF by the file's suffix (letter case
// ignored). `scale` multiplies the screen size (15 twips a pixel), from 0.05 to 20; PNG is drawn on
// white. Throws KorvelError with a message in the interface language when the suffix is none of
// the three, the scale is out of range or the file cannot be written.
void WriteFramePicture(cWorder& frame, const QString& path, double scale = 1.0);

// Draws the same picture with `painter` (a printer's, say) as large as fits into `target`, its
// proportions kept, centred.
void PaintFramePicture(cWorder& frame, QPainter& painter, const QRectF& target);

} // namespace korvel
