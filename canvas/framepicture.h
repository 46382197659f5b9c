#pragma once

#include "model/framediff.h"
#include "model/pathwalk.h"

#include <QRectF>
#include <QString>
#include <QtGlobal>
#include <memory>
#include <variant>

class QPainter;

namespace korvel {

class FlowScene;
class cWorder;

// A scene holding the frame's flow drawn exactly as the designer draws it (AddFrameItems), shown
// by no view: laid out wide enough that End stands right of every step.
std::unique_ptr<FlowScene> BuildFrameScene(cWorder& frame);

// The largest picture drawn, pixels. A side stays within what the image, SVG and PDF writers take
// as a size (and what viewers open); a PNG holds at most a quarter of a gibibyte of pixels, which
// bounds the time it takes (it is drawn in bands, so memory does not grow with it).
inline constexpr int MaxPictureSide = 32767;
inline constexpr qint64 MaxPicturePixels = qint64(1) << 28;

// Writes a picture of the frame's flow: SVG, PNG or PDF by the file's suffix (letter case
// ignored). `scale` multiplies the screen size (15 twips a pixel), from 0.05 to 20; PNG is drawn on
// white. Throws KorvelError with a message in the interface language, writing nothing, when the
// suffix is none of the three, the scale is out of range, the picture would be larger than
// MaxPictureSide or MaxPicturePixels allow, or the file cannot be written. `over` draws over the
// flow what changed since an older version (the diff from it to the frame: ComparisonLayer) or
// where a work order with these values goes (PathLayer).
using PictureOverlay = std::variant<std::monostate, FrameDiff, WalkValues>;
void WriteFramePicture(cWorder& frame, const QString& path, double scale = 1.0, const PictureOverlay& over = {});

// Draws a printed page of the frame with `painter` (a printer's, say) into `page`: `title` on one
// line at the top, a rule below it, and under that the same picture as large as fits into the rest,
// its proportions kept, centred. Returns where the picture went.
QRectF PaintFramePage(cWorder& frame, QPainter& painter, const QRectF& page, const QString& title);

} // namespace korvel
