#include "player/lib/play_timing.h"

#include <algorithm>

namespace dvr::strovid {
namespace {

constexpr double kSpeedFactors[] = {16, 8, 4, 2, 1, 0.5, 0.25, 0.15, 0.0625};
constexpr int kShowEvery[] = {1, 1, 1, 1, 1, 1, 4, 8, 16};
// A jump beyond these (ms) is a gap in the recording, not a picture interval.
constexpr int kGapLimit = 3000;
constexpr int kPackedGapLimit = 4000;

int Interval(PacingState& s, uint32_t timeStamp, int limit) {
    // Signed: a time stamp that went back gives a negative interval, caught as a gap.
    const int interval = static_cast<int32_t>(timeStamp - s.prevTimeStamp) / 90;
    if (interval > limit || interval < -limit) return s.lastInterval;
    s.lastInterval = interval;
    return interval;
}

} // namespace

int ClampSpeedStep(int step) {
    return std::clamp(step, kMinSpeedStep, kMaxSpeedStep);
}

double SpeedFactor(int step) {
    return kSpeedFactors[ClampSpeedStep(step) - kMinSpeedStep];
}

bool ShowAtSpeed(int step, int picture) {
    if (step <= 0) return true;
    return picture % kShowEvery[ClampSpeedStep(step) - kMinSpeedStep] == 0;
}

int PictureWait(PacingState& s, const PacedPicture& p) {
    if (p.picture == 1) return 0;
    const double factor = SpeedFactor(p.step);
    const int rest = s.drift - p.elapsed;
    int pictures = 1; // pictures of the record shown, sharing its interval
    if (p.kind == 6 && p.dropB == 0)
        pictures = 2;
    else if (p.kind == 7 && p.dropB < 2)
        pictures = 3 - p.dropB;
    const bool packed = p.kind == 6 || p.kind == 7;
    if (pictures == 1)
        return static_cast<int>(
                   Interval(s, p.timeStamp,
                            packed ? kPackedGapLimit : (p.gapLimit > 0 ? p.gapLimit : kGapLimit)) *
                   factor) +
               rest;
    // The record's first picture sets the share; its B pictures reuse it.
    if (p.pendingB == pictures - 1)
        s.heldWait =
            static_cast<int>(Interval(s, p.timeStamp, kPackedGapLimit) / pictures * factor);
    return s.heldWait + rest;
}

void CarryDrift(PacingState& s, int wait, int actual) {
    if (wait < 1) {
        s.drift = wait;
        return;
    }
    s.drift = wait - actual;
    if (s.drift > 1000 || s.drift < -1000) s.drift = 0;
}

} // namespace dvr::strovid
