#pragma once

#include <QIcon>
#include <QRectF>
#include <QString>

class QPainter;

namespace korvel {

// The designer's compiled-in images by key: toolbar buttons ("New", "Del", "Save", "Saveas",
// "Lock", "Unlock", "Quit"), tree items ("DynOpen", "DynClose") and node pictures ("Return", "By",
// "Group"). Keys compare exactly; an unknown key gives a null icon.
QIcon DesignerIcon(const QString& key);

// Draws the image `key` scaled into `target` (vector, sharp at any zoom); false for an unknown key.
bool PaintDesignerPicture(QPainter& painter, const QString& key, const QRectF& target);

} // namespace korvel
