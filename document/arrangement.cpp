#include "document/arrangement.h"

#include "model/coordinates.h"

#include <algorithm>

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

} // namespace

StepPlaces AlignedLeft(const QList<StepBox>& steps)
{
    if (steps.size() < 2)
        return {};
    const double left = std::min_element(steps.cbegin(), steps.cend(), [](const StepBox& a, const StepBox& b) {
                            return a.left < b.left;
                        })->left;
    return Arranged(steps, [&](const StepBox& s) { return At(left, s.top); });
}

StepPlaces AlignedTop(const QList<StepBox>& steps)
{
    if (steps.size() < 2)
        return {};
    const double top = std::min_element(steps.cbegin(), steps.cend(), [](const StepBox& a, const StepBox& b) {
                           return a.top < b.top;
                       })->top;
    return Arranged(steps, [&](const StepBox& s) { return At(s.left, top); });
}

StepPlaces AlignedCentres(const QList<StepBox>& steps)
{
    if (steps.size() < 2)
        return {};
    double left = steps.constFirst().left;
    double right = left + steps.constFirst().width;
    for (const StepBox& step : steps) {
        left = std::min(left, step.left);
        right = std::max(right, step.left + step.width);
    }
    const double centre = (left + right) / 2;
    return Arranged(steps, [&](const StepBox& s) { return At(centre - s.width / 2, s.top); });
}

StepPlaces DistributedHorizontally(QList<StepBox> steps)
{
    if (steps.size() < 3)
        return {};
    std::stable_sort(steps.begin(), steps.end(), [](const StepBox& a, const StepBox& b) { return a.left < b.left; });
    const double first = steps.constFirst().left;
    const double gap = (steps.constLast().left - first) / static_cast<double>(steps.size() - 1);
    StepPlaces places;
    for (qsizetype i = 0; i < steps.size(); ++i)
        places.append({steps[i].id, At(first + gap * static_cast<double>(i), steps[i].top)});
    return places;
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
