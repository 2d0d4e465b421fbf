#include "host/engine/U_Auto.h"

#include "host/engine/U_Arithmetic.h"
#include "host/engine/U_Conversions.h"
#include "host/engine/U_Schedule.h"

#include <algorithm>

namespace vantrel {

TAuto::TAuto(const TAutoSet& autoSet, TCaptureServices& capture, TAlarmServices& alarm,
             int boardChannels)
    : Clock(CurrentOleDate), autoSet_(autoSet), capture_(capture), alarm_(alarm),
      boardChannels_(std::clamp(boardChannels, 0, kAutoSetChannels)),
      timer_(2000, [this] { Evaluate(); }) {
    statuses_.fill(std::string(kWorkTypes, '0'));
}

void TAuto::StartAutoWork() {
    timer_.SetEnabled(true);
    AutoMode = true;
    capture_.SetAutoMode();
    alarm_.SetAutoMode();
    Evaluate();
}

void TAuto::StopAutoWork() {
    timer_.SetEnabled(false);
    AutoMode = false;
    capture_.ClearAutoMode();
    alarm_.ClearAutoMode();
    for (int ch = 0; ch < boardChannels_; ++ch) {
        if (alarm_.Armed(ch)) alarm_.StopDetection(ch);
        if (capture_.CaptureRunning(ch) || capture_.FileOpen(ch)) capture_.StopChannel(ch, ')');
    }
}

void TAuto::Evaluate() {
    const double now = Clock();
    const int weekday = WeekdayMondayFirst(now);
    const int hhmmss = TimeToHHMMSS(now);
    for (int ch = 0; ch < boardChannels_; ++ch)
        EvaluateChannel(ch, weekday, hhmmss);
}

void TAuto::EvaluateChannel(int channel, int weekday, int hhmmss) {
    const std::string status = ScheduleStatus(autoSet_.Records[size_t(channel)], weekday, hhmmss);
    const ScheduleWish wish = WishFromStatus(status);
    std::string& previous = statuses_[size_t(channel)];

    const bool fileOpen = capture_.FileOpen(channel);
    if (wish.Record && !fileOpen) {
        capture_.StartChannel(channel, ')', 0);
    } else if (!wish.Record && fileOpen) {
        // With detection armed the file may be an alarm's: close only what the schedule opened.
        if (!alarm_.Armed(channel) || StatusRecords(previous)) capture_.StopChannel(channel, ')');
    }

    const bool armed = alarm_.Armed(channel);
    if (wish.Detect && !armed)
        alarm_.StartDetection(channel, wish.DetectionMode);
    else if (!wish.Detect && armed)
        alarm_.StopDetection(channel);

    previous = status;
}

} // namespace vantrel
