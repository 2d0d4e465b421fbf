#include "host/engine/U_PowerSchedule.h"

#include "host/engine/U_Conversions.h"

namespace vantrel {

void TimedPowerActions::ArmPowerOff(bool on, int32_t days, double timeOfDay) {
    powerOff_.armed = on;
    if (on) powerOff_.days = days, powerOff_.time = timeOfDay;
}

void TimedPowerActions::ArmRestart(bool on, int32_t days, double timeOfDay) {
    restart_.armed = on;
    if (on) restart_.days = days, restart_.time = timeOfDay;
}

// The window is 5 s before to 10 s after the set time, in real seconds, also across midnight.
bool TimedPowerActions::Due(const Timed& t, int64_t days, double now) {
    if (!t.armed || days < t.days) return false;
    int d = SecondsOfDay(now) - SecondsOfDay(t.time);
    if (d > 43200) d -= 86400;
    if (d < -43200) d += 86400;
    return d >= -5 && d <= 10;
}

TimedPowerActions::Action TimedPowerActions::Tick(double now) {
    if (stopped_) return None;
    ++seconds_;
    const int64_t days = seconds_ / 86400;
    Action a = None;
    if (Due(powerOff_, days, now))
        a = PowerOff;
    else if (Due(restart_, days, now))
        a = Restart;
    if (a != None) stopped_ = true;
    return a;
}

} // namespace vantrel
