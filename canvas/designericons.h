#pragma once

#include <QIcon>
#include <QRectF>
#include <QString>

class QPainter;

namespace korvel {

// The designer's compiled-in images by key: toolbar buttons ("New", "Del", "Save", "Saveas",
// "Lock", "Unlock", "AddNode", "EditItem", "DelItem", "AddLink", "LinkTool", "Undo", "Redo", "Quit"), tree
// items ("DynOpen", "DynClose") and node pictures ("Return", "By", "Group"). Keys compare exactly; an unknown
// key gives a null icon.
QIcon DesignerIcon(const QString& key);

// Draws the image `key` scaled into `target`, sharp at any zoom; false for an unknown key. On screen
// (and into images) a rendering at the target's size in pixels is kept for the next call, so a
// picture is rendered once per size; other devices (printers, PDF, SVG) get the vector drawing, or
// its mark while PictureMarks live.
bool PaintDesignerPicture(QPainter& painter, const QString& key, const QRectF& target);

} // namespace korvel
