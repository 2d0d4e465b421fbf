// The weekly timetable of all 49 channels, as stored in the registry value "AUTO".
#pragma once

#include "host/engine/U_HostRecords.h"

#include <array>

namespace vantrel {

constexpr int kAutoSetChannels = 49;

class TAutoSet {
public:
    // Defaults for every channel, then the stored value over them.
    TAutoSet();

    std::array<TAutoSetRecord, kAutoSetChannels> Records{};

    // Defaults, then the stored value; a shorter one leaves the later channels at defaults.
    void Load();
    // Writes channels 0..highChannel of `records` as the stored value; 0 on success, else -1.
    static int SaveRecords(const TAutoSetRecord* records, int highChannel);
    static void SetDefaults(TAutoSetRecord& record);
};

} // namespace vantrel
