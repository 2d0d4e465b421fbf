// Recording parameters of the 49 channels (registry value "CAPTURE") and their transfer to the
// board encoders.
#pragma once

#include "host/engine/U_HostServices.h"
#include "host/engine/U_SettingsRecords.h"

#include <array>

namespace vantrel {

class TCaptureSet {
public:
    // Loads at once.
    explicit TCaptureSet(TVideoCardServices& card);

    // Read in place by the recording engine, the drive choice and the live fan-out.
    std::array<TCaptureSetRecord, kSettingsChannels> Records{};

    // Defaults, then the stored value over them; a shorter one leaves the later channels.
    void Load();
    // Writes channels 0..highChannel of `buffer`; 0 written, -1 otherwise. Records in memory
    // follow at the next Load.
    static int SaveRecords(const TCaptureSetRecord* buffer, int highChannel);
    static void SetDefaults(TCaptureSetRecord& record);
    // Sends the channel's parameters to its encoder; board failures are ignored. 0, or -1 for
    // a channel that has no record.
    int ApplyChannel(int channel);
    // Every board channel, 50 ms apart.
    void ApplyAll();

private:
    TVideoCardServices& card_;
};

} // namespace vantrel
