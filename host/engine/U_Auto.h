// Automatic work: while on, every 2 s the weekly timetable starts and stops recording and
// detection on the board channels.
#pragma once

#include "host/engine/U_AutoSet.h"
#include "host/engine/U_HostServices.h"
#include "host/engine/U_WindowTimer.h"

#include <array>
#include <functional>
#include <string>

namespace vantrel {

class TAuto {
public:
    // boardChannels: the channels of the capture boards (network channels are never driven).
    TAuto(const TAutoSet& autoSet, TCaptureServices& capture, TAlarmServices& alarm,
          int boardChannels);

    bool AutoMode = false;
    // The current time as an OLE date; the local clock unless replaced.
    std::function<double()> Clock;

    void StartAutoWork();
    void StopAutoWork();
    // One pass over the board channels at the current time (the timer's tick).
    void Evaluate();

    bool TimerEnabled() const { return timer_.Enabled(); }
    // The status of the last evaluation of a channel: 13 characters "0"/"1".
    const std::string& LastStatus(int channel) const { return statuses_.at(size_t(channel)); }

private:
    void EvaluateChannel(int channel, int weekday, int hhmmss);

    const TAutoSet& autoSet_;
    TCaptureServices& capture_;
    TAlarmServices& alarm_;
    int boardChannels_;
    std::array<std::string, kAutoSetChannels> statuses_;
    TWindowTimer timer_;
};

} // namespace vantrel
