// What the host was doing (previews, recordings, detection, automatic mode), saved every
// minute and at shutdown and resumed once when the main window is first shown.
#pragma once

#include "host/engine/U_Auto.h"
#include "host/engine/U_HostRecords.h"
#include "host/engine/U_HostServices.h"
#include "host/engine/U_WindowTimer.h"

#include <functional>

namespace vantrel {

class TWorkState {
public:
    struct Parts {
        TMainFormServices& MainForm;
        std::function<int()> ChannelCount; // TSystemInfo.ChannelCount
        const TAuto& Auto;
        TCaptureServices& Capture;
        TAlarmServices& Alarm;
        TPreviewServices& Preview;
        int BoardChannels; // 0 on a host without a board
    };

    // Defaults, then the stored record over them; the one-minute timer runs.
    explicit TWorkState(const Parts& parts);

    WorkStateRecord Record{};

    // Fills the record from the live objects.
    void CaptureState();
    // CaptureState, then stores the record; 0 on success, else -1.
    int Save();
    // Resumes previews, then automatic mode or each channel's detection or recording.
    void Restore();
    // The timer's minute: saves only on a host with a board whose main window is visible.
    void OnTimer();

    bool TimerEnabled() const { return timer_.Enabled(); }

private:
    Parts parts_;
    int boardChannels_;
    TWindowTimer timer_;
};

} // namespace vantrel
