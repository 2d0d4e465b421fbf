#include "host/engine/U_CaptureDataLocker.h"

#include "host/engine/U_Arithmetic.h"

namespace vantrel {

void TCaptureDataLocker::Load() {
    TArithmetic::ReadRegBinary(HKEY_LOCAL_MACHINE, kDataLockerKey, kDataLockerValue, Entries,
                               kDataLockBytes);
}

int TCaptureDataLocker::Save() const {
    return TArithmetic::WriteRegBinary(HKEY_LOCAL_MACHINE, kDataLockerKey, kDataLockerValue,
                                       Entries, kDataLockBytes);
}

} // namespace vantrel
