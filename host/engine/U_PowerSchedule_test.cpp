#include "host/engine/U_PowerSchedule.h"

#include "host/engine/U_Conversions.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

double At(int h, int m, int s) {
    return OleDateFromParts(2026, 12, 10, h, m, s);
}

struct Timed {
    bool armed;
    int days;
    int h, m, s;
};

struct Case {
    const char* name;
    Timed powerOff, restart;
    int startH, startM, startS; // the time of the first tick
    int ticks;
    TimedPowerActions::Action want;
    int wantTick; // 1-based tick that fires, 0 when none
};

TEST(TimedPowerActions, FiresOnceAtTheRightSecond) {
    const Timed off{false, 0, 0, 0, 0};
    const Case cases[] = {
        {"power-off five seconds early",
         {true, 0, 23, 0, 0},
         off,
         22,
         59,
         50,
         60,
         TimedPowerActions::PowerOff,
         6},
        {"started inside the window",
         {true, 0, 23, 0, 0},
         off,
         23,
         0,
         7,
         60,
         TimedPowerActions::PowerOff,
         1},
        {"window ends ten seconds after",
         {true, 0, 23, 0, 0},
         off,
         23,
         0,
         11,
         3600,
         TimedPowerActions::None,
         0},
        {"across a minute boundary",
         {true, 0, 12, 0, 2},
         off,
         11,
         59,
         50,
         60,
         TimedPowerActions::PowerOff,
         8},
        {"across midnight",
         {true, 0, 0, 0, 3},
         off,
         23,
         59,
         50,
         60,
         TimedPowerActions::PowerOff,
         9},
        {"restart alone", off, {true, 0, 6, 30, 0}, 6, 29, 0, 120, TimedPowerActions::Restart, 56},
        {"both due: power-off wins",
         {true, 0, 8, 0, 0},
         {true, 0, 8, 0, 0},
         7,
         59,
         0,
         120,
         TimedPowerActions::PowerOff,
         56},
        {"power-off due outside its window, restart days not reached",
         {true, 0, 3, 0, 0},
         {true, 1, 8, 0, 0},
         7,
         59,
         0,
         600,
         TimedPowerActions::None,
         0},
        {"disarmed", {false, 0, 8, 0, 0}, off, 7, 59, 0, 600, TimedPowerActions::None, 0},
        {"one day: not before a day of running",
         {true, 1, 0, 0, 5},
         off,
         0,
         0,
         1,
         86400 + 60,
         TimedPowerActions::PowerOff,
         86400},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TimedPowerActions t;
        t.ArmPowerOff(c.powerOff.armed, c.powerOff.days,
                      At(c.powerOff.h, c.powerOff.m, c.powerOff.s));
        t.ArmRestart(c.restart.armed, c.restart.days, At(c.restart.h, c.restart.m, c.restart.s));
        const double start = At(c.startH, c.startM, c.startS);
        int fired = 0, firedAt = 0;
        TimedPowerActions::Action got = TimedPowerActions::None;
        for (int k = 1; k <= c.ticks; ++k) {
            const TimedPowerActions::Action a = t.Tick(start + (k - 1) / 86400.0);
            if (a != TimedPowerActions::None) {
                ++fired;
                if (fired == 1) got = a, firedAt = k;
            }
        }
        EXPECT_EQ(got, c.want);
        EXPECT_EQ(firedAt, c.wantTick);
        EXPECT_LE(fired, 1);
        EXPECT_EQ(t.Stopped(), c.want != TimedPowerActions::None);
    }
}

TEST(TimedPowerActions, ArmingAgainKeepsCountingDaysFromTheStart) {
    TimedPowerActions t;
    for (int k = 0; k < 86400; ++k)
        t.Tick(At(1, 0, 0));
    t.ArmPowerOff(true, 1, At(12, 0, 0));
    EXPECT_EQ(t.Tick(At(12, 0, 0)), TimedPowerActions::PowerOff);
}

} // namespace
} // namespace vantrel
