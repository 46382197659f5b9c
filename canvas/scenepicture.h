#pragma once

#include <QRectF>
#include <QSize>
#include <QString>

class QGraphicsScene;
class QIODevice;

namespace korvel {

// Pictures of the part `source` of a scene drawn into `size` pixels as QGraphicsScene::render
// draws it (aspect ratio kept, from the top left), written to a device. Each returns false when
// drawing or writing failed.

// The rows of a PNG band `width` pixels wide: about 8 MiB of pixels, at least one row.
int PngBandRows(int width);

// A PNG on white, drawn and written `bandRows` rows at a time: a tall picture never needs to be
// whole in memory.
bool WriteScenePng(QGraphicsScene& scene, const QRectF& source, QSize size, QIODevice& device, int bandRows);

// An SVG in which each distinct step picture is defined once (`<defs>`) and drawn by reference
// (`<use>`) wherever a step shows it: the generator would repeat the picture's paths for every
// step.
bool WriteSceneSvg(QGraphicsScene& scene, const QRectF& source, QSize size, const QString& title,
                   QIODevice& device);

} // namespace korvel
