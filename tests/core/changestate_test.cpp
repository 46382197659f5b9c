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

// The life of one object: an edit after creation keeps it new, deletion drops it, and nothing
// brings it back; a loaded object that is edited and then deleted ends deleted for good.
TEST(ChangeStateTest, Sequences)
{
    qint32 created = StateNew;
    ChangeState(created, StateModified);
    EXPECT_EQ(created, StateNew);
    ChangeState(created, StateDeleted);
    EXPECT_EQ(created, StateDropped);
    ChangeState(created, StateModified);
    EXPECT_EQ(created, StateDropped);

    qint32 loaded = StateUnchanged;
    ChangeState(loaded, StateModified);
    EXPECT_EQ(loaded, StateModified);
    ChangeState(loaded, StateDeleted);
    EXPECT_EQ(loaded, StateDeleted);
    ChangeState(loaded, StateModified);
    EXPECT_EQ(loaded, StateDeleted);
}

} // namespace
} // namespace korvel
