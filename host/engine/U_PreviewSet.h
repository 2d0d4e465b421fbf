// Picture and on-screen-text settings of the 49 channels (registry value "Preview") and their
// transfer to the boards' video inputs.
#pragma once

#include "host/engine/U_HostServices.h"
#include "host/engine/U_SettingsRecords.h"

#include <array>

namespace vantrel {

class TPreviewSet {
public:
    // Loads at once. The browser control has no board: its build neither takes one nor
    // applies records to it.
#ifdef VANTREL_CONTROL_BUILD
    TPreviewSet();
#else
    explicit TPreviewSet(TVideoCardServices& card);
#endif

    // The live image of the stored value; the panes, the map tree and the remote information
    // reply read it in place.
    std::array<TPreviewSetRecord, kSettingsChannels> Records{};

    // Defaults, then the stored value over them; a shorter one leaves the later channels.
    void Load();
    // Writes channels 0..highChannel of `buffer`; 0 written, -1 otherwise.
    static int SaveRecords(const TPreviewSetRecord* buffer, int highChannel);
    static void SetDefaults(int channel, TPreviewSetRecord& record);
#ifndef VANTREL_CONTROL_BUILD
    // On-screen text, then the picture values, of every board channel in order; board failures
    // are ignored.
    void ApplyToBoard();

private:
    TVideoCardServices& card_;
#endif
};

} // namespace vantrel
