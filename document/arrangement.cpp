#include "document/arrangement.h"

#include "model/coordinates.h"

#include <algorithm>
#include <utility>

namespace korvel {
namespace {

template <typename Place>
StepPlaces Arranged(const QList<StepBox>& steps, Place place)
{
    StepPlaces places;
    places.reserve(steps.size());
    for (const StepBox& step : steps)
        places.append({step.id, place(step)});
    return places;
}

QPoint At(double left, double top)
{
    return {ClampedCoordinate(left), ClampedCoordinate(top)};
}


// The extent of the steps along one axis: the least start and the greatest end.
std::pair<double, double> Span(const QList<StepBox>& steps, bool vertical)
{
    double low = vertical ? steps.constFirst().top : steps.constFirst().left;
    double high = low;
    for (const StepBox& step : steps) {
        const double start = vertical ? step.top : step.left;
        low = std::min(low, start);
        high = std::max(high, start + (vertical ? step.height : step.width));
    }
    return {low, high};
}

// Every step moved along one axis so that the point `share` of its length (0 its start, 1/2 its
// middle, 1 its end) lies where that point of the selection's extent lies.
StepPlaces Aligned(const QList<StepBox>& steps, bool vertical, double share)
{
    if (steps.size() < 2)
        return {};
    const auto [low, high] = Span(steps, vertical);
    const double line = low + (high - low) * share;
    return Arranged(steps, [&](const StepBox& s) {
        return vertical ? At(s.left, line - s.height * share) : At(line - s.width * share, s.top);
    });
}

// The first and last along one axis stay; the others share the room between them evenly, in the
// order they stand.
StepPlaces Distributed(QList<StepBox> steps, bool vertical)
{
    if (steps.size() < 3)
        return {};
    const auto start = [vertical](const StepBox& s) { return vertical ? s.top : s.left; };
    std::stable_sort(steps.begin(), steps.end(),
                     [&](const StepBox& a, const StepBox& b) { return start(a) < start(b); });
    const double first = start(steps.constFirst());
    const double gap = (start(steps.constLast()) - first) / static_cast<double>(steps.size() - 1);
    StepPlaces places;
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const double at = first + gap * static_cast<double>(i);
        places.append({steps[i].id, vertical ? At(steps[i].left, at) : At(at, steps[i].top)});
    }
    return places;
}

} // namespace

StepPlaces AlignedLeft(const QList<StepBox>& steps)
{
    return Aligned(steps, false, 0);
}

StepPlaces AlignedTop(const QList<StepBox>& steps)
{
    return Aligned(steps, true, 0);
}

StepPlaces AlignedRight(const QList<StepBox>& steps)
{
    return Aligned(steps, false, 1);
}

StepPlaces AlignedBottom(const QList<StepBox>& steps)
{
    return Aligned(steps, true, 1);
}

StepPlaces AlignedCentres(const QList<StepBox>& steps)
{
    return Aligned(steps, false, 0.5);
}

StepPlaces AlignedMiddles(const QList<StepBox>& steps)
{
    return Aligned(steps, true, 0.5);
}

StepPlaces DistributedHorizontally(const QList<StepBox>& steps)
{
    return Distributed(steps, false);
}

StepPlaces DistributedVertically(const QList<StepBox>& steps)
{
    return Distributed(steps, true);
}

StepPlaces Nudged(const QList<StepBox>& steps, const QPointF& delta)
{
    QList<QPoint> places;
    places.reserve(steps.size());
    for (const StepBox& step : steps)
        places.append(At(step.left, step.top));
    const QPoint by = BoundedShift(places, QPoint(ClampedCoordinate(delta.x()), ClampedCoordinate(delta.y())));
    StepPlaces moved;
    moved.reserve(steps.size());
    for (qsizetype i = 0; i < steps.size(); ++i)
        moved.append({steps[i].id, places[i] + by});
    return moved;
}

} // namespace korvel
