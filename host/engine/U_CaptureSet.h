// Recording parameters of the 49 channels (registry value "CAPTURE") and their transfer to the
// board encoders.
#pragma once

#include "host/engine/U_HostServices.h"
#include "host/engine/U_SettingsRecords.h"

#include <array>

namespace vantrel {

class TCaptureSet {
public:
    // Loads at once. The browser control has no board: its build neither takes one nor
    // applies records to it.
#ifdef VANTREL_CONTROL_BUILD
    TCaptureSet();
#else
    explicit TCaptureSet(TVideoCardServices& card);
#endif

    // Read in place by the recording engine, the drive choice and the live fan-out.
    std::array<TCaptureSetRecord, kSettingsChannels> Records{};

    // Defaults, then the stored value over them; a shorter one leaves the later channels.
    void Load();
    // Writes channels 0..highChannel of `buffer`; 0 written, -1 otherwise. Records in memory
    // follow at the next Load.
    static int SaveRecords(const TCaptureSetRecord* buffer, int highChannel);
    static void SetDefaults(TCaptureSetRecord& record);
#ifndef VANTREL_CONTROL_BUILD
    // Sends the channel's parameters to its encoder; board failures are ignored. 0, or -1 for
    // a channel that has no record.
    int ApplyChannel(int channel);
    // Every board channel, 50 ms apart.
    void ApplyAll();

private:
    TVideoCardServices& card_;
#endif
};

} // namespace vantrel
