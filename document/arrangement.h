#pragma once

#include <QList>
#include <QPoint>
#include <QPointF>
#include <QString>
#include <utility>

namespace korvel {

// A step's box on the canvas, twips.
struct StepBox {
    QString id;
    double left = 0, top = 0, width = 0, height = 0;
};

// New top-left places of steps (twips), by step ID.
using StepPlaces = QList<std::pair<QString, QPoint>>;

// The arithmetic of arranging selected steps; Start and End are never among them. Align needs two
// steps, distribute three; fewer give no places.
StepPlaces AlignedLeft(const QList<StepBox>& steps);
StepPlaces AlignedTop(const QList<StepBox>& steps);
// The right edges line up on the rightmost one, the bottom edges on the lowest one.
StepPlaces AlignedRight(const QList<StepBox>& steps);
StepPlaces AlignedBottom(const QList<StepBox>& steps);
// The centres line up on the middle of the selection's width.
StepPlaces AlignedCentres(const QList<StepBox>& steps);
// The vertical centres line up on the middle of the selection's height.
StepPlaces AlignedMiddles(const QList<StepBox>& steps);
// The leftmost and rightmost stay; the others share the room between them evenly, in the order
// they stand.
StepPlaces DistributedHorizontally(const QList<StepBox>& steps);
// The same from the top one to the bottom one.
StepPlaces DistributedVertically(const QList<StepBox>& steps);
// Every step moved by `delta` as one block that stops at the canvas's top and left edges.
StepPlaces Nudged(const QList<StepBox>& steps, const QPointF& delta);

} // namespace korvel
