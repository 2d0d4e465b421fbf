#include "host/engine/U_DataLockTable.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(DataLockTable, ThirtyTwoLocksKeepTheFirstThirtyOne) {
    TDataLockTable t;
    for (int i = 0; i < 32; ++i)
        t.AddLock(40000 + i);
    for (int i = 0; i < 31; ++i)
        EXPECT_TRUE(t.IsLocked(40000 + i)) << i;
    EXPECT_FALSE(t.IsLocked(40031));
    // A freed entry takes the next lock.
    t.RemoveLock(40005);
    t.AddLock(40031);
    EXPECT_TRUE(t.IsLocked(40031));
    EXPECT_FALSE(t.IsLocked(40005));
}

TEST(DataLockTable, TwiceLockedOnceUnlockedStaysLocked) {
    TDataLockTable t;
    t.AddLock(38061);
    t.AddLock(38061);
    t.RemoveLock(38061);
    EXPECT_TRUE(t.IsLocked(38061));
    t.RemoveLock(38061);
    EXPECT_FALSE(t.IsLocked(38061));
}

TEST(DataLockTable, DaysMatchOnlyExactly) {
    TDataLockTable t;
    t.AddLock(38061);
    EXPECT_FALSE(t.IsLocked(38061.5));
    EXPECT_FALSE(t.IsLocked(38061 + 1e-9));
    t.RemoveLock(38061.0000001);
    EXPECT_TRUE(t.IsLocked(38061));
    EXPECT_FALSE(t.IsLocked(0)); // free entries hold day 0 but do not lock it
}

} // namespace
} // namespace vantrel
