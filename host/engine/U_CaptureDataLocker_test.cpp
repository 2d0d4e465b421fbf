#include "host/engine/U_CaptureDataLocker.h"

#include "host/engine/U_Arithmetic.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(CaptureDataLocker, LocksLastInTheRegistryOnlyOnceSaved) {
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kDataLockerKey);
    TCaptureDataLocker first;
    EXPECT_FALSE(first.IsLocked(0));
    first.AddLock(38061);
    first.AddLock(38062);
    TCaptureDataLocker unsaved;
    EXPECT_FALSE(unsaved.IsLocked(38061));
    first.RemoveLock(38062);
    ASSERT_EQ(first.Save(), 0);
    EXPECT_EQ(TArithmetic::GetRegDataSize(HKEY_LOCAL_MACHINE, kDataLockerKey, kDataLockerValue),
              496);
    TCaptureDataLocker second;
    EXPECT_TRUE(second.IsLocked(38061));
    EXPECT_FALSE(second.IsLocked(38062));
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kDataLockerKey);
}

} // namespace
} // namespace vantrel
