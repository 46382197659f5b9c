#include "model/coordinates.h"

#include <gtest/gtest.h>
#include <limits>

namespace korvel {
namespace {

// A move of several places by the keys: as far as the range lets the whole set go, each axis on
// its own, never pulling a place beyond an edge onto it nor pushing it further out.
TEST(BoundedShiftTest, MovesWithinTheRangeAndLeavesTheOtherAxisAlone)
{
    constexpr qint32 most = std::numeric_limits<qint32>::max(), least = std::numeric_limits<qint32>::min();
    const struct {
        QList<QPoint> places;
        QPoint delta, shift;
    } cases[] = {
        {{{100, 100}}, {0, 10}, {0, 10}},    {{{-500, 100}}, {0, 10}, {0, 10}},
        {{{-500, 100}}, {-10, 0}, {0, 0}},   {{{-500, 100}}, {10, 0}, {10, 0}},
        {{{0, 0}}, {-10, -10}, {0, 0}},      {{{5, 100}, {50, 3}}, {-10, -10}, {-5, -3}},
        {{{most, 0}}, {10, 10}, {0, 10}},    {{{CoordinateLimit - 3, 0}, {0, 0}}, {10, 0}, {3, 0}},
        {{}, {10, 10}, {0, 0}},              {{{least, least}}, {10, -10}, {10, 0}},
        {{{100, 100}}, {least, most}, {-100, CoordinateLimit - 100}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BoundedShift(c.places, c.delta), c.shift) << c.delta.x() << "," << c.delta.y();
}

} // namespace
} // namespace korvel
