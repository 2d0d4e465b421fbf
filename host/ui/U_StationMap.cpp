#include "host/ui/U_StationMap.h"

#include <cstring>

namespace vantrel {

std::vector<StationRecord> ParseStations(std::string_view bytes) {
    std::vector<StationRecord> out(bytes.size() / sizeof(StationRecord));
    if (!out.empty()) std::memcpy(out.data(), bytes.data(), out.size() * sizeof(StationRecord));
    for (StationRecord& s : out) s.Label = 0;
    return out;
}

std::string StationBytes(const std::vector<StationRecord>& stations) {
    std::string out;
    for (StationRecord s : stations) {
        s.Label = 0;
        out.append(reinterpret_cast<const char*>(&s), sizeof s);
    }
    return out;
}

StationRecord NewStation() {
    StationRecord s{};
    s.Name.Clear();
    return s;
}

int FindStationGroup(const std::vector<TClientGroupRecord>& groups, std::string_view name) {
    for (size_t i = 0; i < groups.size(); ++i)
        if (groups[i].Name.View() == name) return int(i);
    return -1;
}

} // namespace vantrel
