// The days kept from the disk cycling: 31 fixed entries of 16 bytes, stored whole as one
// registry value by TCaptureDataLocker.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantrel {

#pragma pack(push, 1)
struct TDataLockEntry {
    uint8_t Used; // 1 = holds a locked day
    uint8_t Reserved[7];
    double Day; // OLE date
};
#pragma pack(pop)
static_assert(sizeof(TDataLockEntry) == 16);
static_assert(offsetof(TDataLockEntry, Used) == 0);
static_assert(offsetof(TDataLockEntry, Day) == 8);

constexpr int kDataLockEntries = 31;
constexpr int kDataLockBytes = kDataLockEntries * static_cast<int>(sizeof(TDataLockEntry));
static_assert(kDataLockBytes == 496);

class TDataLockTable {
public:
    TDataLockTable() { Clear(); }

    TDataLockEntry Entries[kDataLockEntries];

    void Clear();
    // The first free entry takes the day; nothing when all are used. Days may repeat.
    void AddLock(double day);
    // Frees the first used entry whose day is exactly this one.
    void RemoveLock(double day);
    bool IsLocked(double day) const;
};

} // namespace vantrel
