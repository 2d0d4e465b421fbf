// Picture and on-screen-text settings of the 49 channels (registry value "Preview") and their
// transfer to the boards' video inputs.
#pragma once

#include "host/engine/U_HostServices.h"
#include "host/engine/U_SettingsRecords.h"

#include <array>

namespace vantrel {

class TPreviewSet {
public:
    // Loads at once.
    explicit TPreviewSet(TVideoCardServices& card);

    // The live image of the stored value; the panes, the map tree and the remote information
    // reply read it in place.
    std::array<TPreviewSetRecord, kSettingsChannels> Records{};

    // Defaults, then the stored value over them; a shorter one leaves the later channels.
    void Load();
    // Writes channels 0..highChannel of `buffer`; 0 written, -1 otherwise.
    static int SaveRecords(const TPreviewSetRecord* buffer, int highChannel);
    static void SetDefaults(int channel, TPreviewSetRecord& record);
    // On-screen text, then the picture values, of every board channel in order; board failures
    // are ignored.
    void ApplyToBoard();

private:
    TVideoCardServices& card_;
};

} // namespace vantrel
