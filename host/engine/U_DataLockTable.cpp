#include "host/engine/U_DataLockTable.h"

#include <cstring>

namespace vantrel {

void TDataLockTable::Clear() {
    std::memset(Entries, 0, sizeof Entries);
}

void TDataLockTable::AddLock(double day) {
    for (TDataLockEntry& e : Entries)
        if (e.Used != 1) {
            e.Used = 1;
            e.Day = day;
            return;
        }
}

void TDataLockTable::RemoveLock(double day) {
    for (TDataLockEntry& e : Entries)
        if (e.Used == 1 && e.Day == day) {
            e.Used = 0;
            return;
        }
}

bool TDataLockTable::IsLocked(double day) const {
    for (const TDataLockEntry& e : Entries)
        if (e.Used == 1 && e.Day == day) return true;
    return false;
}

} // namespace vantrel
