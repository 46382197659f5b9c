#include "document/arrangement.h"

#include "model/coordinates.h"

#include <algorithm>
#include <cmath>

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

// How far a block whose edges lie at `low` and `high` may move by `wanted` on one axis: not past 0
// towards the top or left, not past the range's far edge, and never back across an edge it lies
// beyond already. A move along the other axis leaves this one alone.
double Allowed(double wanted, double low, double high)
{
    if (wanted < 0)
        return std::min(0.0, std::max(wanted, -low));
    if (wanted > 0)
        return std::max(0.0, std::min(wanted, CoordinateLimit - high));
    return 0;
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
    if (steps.isEmpty())
        return {};
    double minLeft = steps.constFirst().left, maxLeft = minLeft;
    double minTop = steps.constFirst().top, maxTop = minTop;
    for (const StepBox& step : steps) {
        minLeft = std::min(minLeft, step.left);
        maxLeft = std::max(maxLeft, step.left);
        minTop = std::min(minTop, step.top);
        maxTop = std::max(maxTop, step.top);
    }
    const double dx = Allowed(delta.x(), minLeft, maxLeft);
    const double dy = Allowed(delta.y(), minTop, maxTop);
    return Arranged(steps, [&](const StepBox& s) {
        return QPoint(dx == 0 ? static_cast<int>(std::lround(s.left)) : ClampedCoordinate(s.left + dx),
                      dy == 0 ? static_cast<int>(std::lround(s.top)) : ClampedCoordinate(s.top + dy));
    });
}

} // namespace korvel
