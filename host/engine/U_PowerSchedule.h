// The timed power-off and restart of the other settings, counted in one-second ticks.
#pragma once

#include <cstdint>

namespace vantrel {

class TimedPowerActions {
public:
    enum Action { None = -1, PowerOff = 0, Restart = 1 };

    // Arms or disarms one action; the tick counter keeps running, so days count from start.
    void ArmPowerOff(bool on, int32_t days, double timeOfDay);
    void ArmRestart(bool on, int32_t days, double timeOfDay);

    // One second has passed and it is now `now` (OLE date). Returns the action that is due;
    // after an action is returned, every later tick returns None.
    Action Tick(double now);

    bool Stopped() const { return stopped_; }
    int64_t Seconds() const { return seconds_; }

private:
    struct Timed {
        bool armed = false;
        int32_t days = 0;
        double time = 0;
    };
    static bool Due(const Timed& t, int64_t days, double now);

    Timed powerOff_, restart_;
    int64_t seconds_ = 0;
    bool stopped_ = false;
};

} // namespace vantrel
