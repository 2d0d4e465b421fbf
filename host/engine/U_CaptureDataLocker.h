// Locked recording days as kept in the registry value "DataLocker".
#pragma once

#include "host/engine/U_DataLockTable.h"

namespace vantrel {

constexpr const char* kDataLockerKey = "SOFTWARE\\VQS\\DataLocker";
constexpr const char* kDataLockerValue = "DataLocker";

class TCaptureDataLocker : public TDataLockTable {
public:
    // All entries free, then the stored ones over them.
    TCaptureDataLocker() { Load(); }

    void Load();
    // 0 when stored, -1 otherwise. AddLock and RemoveLock change memory only.
    int Save() const;
};

} // namespace vantrel
