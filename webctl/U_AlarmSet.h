// The control's alarm settings: 49 records of the control's shorter layout (value ALARM under
// the control's root). Network channels detect nothing until told to.
#pragma once

#include "host/engine/U_SettingsRecords.h"

#include <array>

namespace vantrel::webctl {

static_assert(sizeof(TAlarmSetRecord) == 3552, "the control keeps the older alarm record");
constexpr int kAlarmValueSize = kSettingsChannels * int(sizeof(TAlarmSetRecord)); // 174048

class TAlarmSet {
public:
    // Loads at once.
    TAlarmSet();

    std::array<TAlarmSetRecord, kSettingsChannels> Records{};

    // Defaults with every channel linked to itself, then the stored value over them.
    void Load();
    // The stored value over the records; a missing value changes nothing.
    void LoadRecords();
    // Writes channels 0..highChannel of `buffer`; 0 written, -1 otherwise.
    static int SaveRecords(const TAlarmSetRecord* buffer, int highChannel);
    static void SetDefaults(TAlarmSetRecord& record);
};

} // namespace vantrel::webctl
