#include "core/changestate.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

// Every current state (the five and one unknown value) against every requested change, written out
// as the rule reads: new stays new unless deleted (then dropped); unchanged and modified take the
// request; deleted, dropped and unknown never move.
TEST(ChangeStateTest, WholeTable)
{
    constexpr qint32 kUnknown = 7;
    const qint32 current[] = {StateUnchanged, StateNew, StateDeleted, StateModified, StateDropped, kUnknown};
    const qint32 requested[] = {StateUnchanged, StateNew, StateDeleted, StateModified, StateDropped};
    // expected[row = current][column = requested]
    const qint32 expected[6][5] = {
        /* Unchanged */ {StateUnchanged, StateNew, StateDeleted, StateModified, StateDropped},
        /* New       */ {StateNew, StateNew, StateDropped, StateNew, StateNew},
        /* Deleted   */ {StateDeleted, StateDeleted, StateDeleted, StateDeleted, StateDeleted},
        /* Modified  */ {StateUnchanged, StateNew, StateDeleted, StateModified, StateDropped},
        /* Dropped   */ {StateDropped, StateDropped, StateDropped, StateDropped, StateDropped},
        /* unknown   */ {kUnknown, kUnknown, kUnknown, kUnknown, kUnknown},
    };
    for (int row = 0; row < 6; ++row)
        for (int column = 0; column < 5; ++column) {
            qint32 state = current[row];
            ChangeState(state, requested[column]);
            EXPECT_EQ(state, expected[row][column])
                << "current " << current[row] << ", requested " << requested[column];
        }
}

} // namespace
} // namespace korvel
