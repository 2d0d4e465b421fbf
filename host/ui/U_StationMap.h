// The station map's stations and their file. No Win32 here: both trees build it.
#pragma once

#include "host/engine/U_HostRecords.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

#pragma pack(push, 1)
struct StationRecord {
    PString<20> Name; // a client group's name
    int32_t Left, Top; // the label's position on the picture panel
    uint8_t Pad29[3];
    uint32_t Label; // in memory only; the stored value means nothing
};
#pragma pack(pop)
static_assert(sizeof(StationRecord) == 36);
static_assert(offsetof(StationRecord, Name) == 0);
static_assert(offsetof(StationRecord, Left) == 21);
static_assert(offsetof(StationRecord, Top) == 25);
static_assert(offsetof(StationRecord, Pad29) == 29);
static_assert(offsetof(StationRecord, Label) == 32);

// The stations a file holds: size div 36 records; a cut last record is left out.
std::vector<StationRecord> ParseStations(std::string_view bytes);
std::string StationBytes(const std::vector<StationRecord>& stations);
StationRecord NewStation();

// The first group whose name is exactly `name`; -1 when there is none.
int FindStationGroup(const std::vector<TClientGroupRecord>& groups, std::string_view name);

} // namespace vantrel
