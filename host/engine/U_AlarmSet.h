// Alarm detection and linked actions of the 49 channels (registry value "ALARM"). The detection,
// the dispatcher, the alarm boxes, the SMS sender and the UDP services read the records in place.
#pragma once

#include "host/engine/U_SettingsRecords.h"

#include <array>

namespace vantrel {

class TAlarmSet {
public:
    // Loads at once; boardChannels decides which channels detect by default.
    explicit TAlarmSet(int boardChannels);

    std::array<TAlarmSetRecord, kSettingsChannels> Records{};

    // Defaults with every channel linked to itself, then the stored value over them.
    void Load();
    // The stored value over the records; a shorter one fills only the leading records, a
    // missing or longer one changes nothing.
    void ReadRecords();
    // Writes channels 0..highChannel of `buffer`; 0 written, -1 otherwise.
    static int SaveRecords(const TAlarmSetRecord* buffer, int highChannel);
    // Fields the defaults do not name keep what the record held.
    void SetDefaults(TAlarmSetRecord& record, int channel) const;

private:
    int boardChannels_;
};

} // namespace vantrel
