// Pacing of file playback: how long each shown picture stays, from the records' 90 kHz
// time stamps, the speed step and the time the picture took to decode and show.
// Portable; the play thread feeds it with the system millisecond tick count.
#pragma once

#include <cstdint>

namespace dvr::strovid {

inline constexpr int kMinSpeedStep = -4;
inline constexpr int kMaxSpeedStep = 4;

int ClampSpeedStep(int step);
// How much longer (above 1) or shorter each picture stays at `step`.
double SpeedFactor(int step);
// At high speed only every n-th picture is shown; the others are decoded for their
// references only.
bool ShowAtSpeed(int step, int picture);

// What the pacing keeps from picture to picture.
struct PacingState {
    int drift = 0;        // carried into the next wait; negative shortens it
    int lastInterval = 0; // last accepted interval, stands in for a gap
    int heldWait = 0;     // per-picture share of a packed record
    uint32_t prevTimeStamp = 0;
};

// One shown picture.
struct PacedPicture {
    int picture = 0;        // its number since playing started (1 for the first)
    int kind = 0;           // kind of the record it came from
    int dropB = 0;          // B pictures dropped from packed records
    int pendingB = 0;       // B pictures of the record still to come after it
    uint32_t timeStamp = 0; // of its record
    int step = 0;
    int elapsed = 0; // ms spent decoding and showing it
    // An unpacked record's interval beyond this (ms) is a gap; 0 takes the file rule.
    int gapLimit = 0;
};

// The wait in ms before the next picture (may be below 1: nothing to wait).
int PictureWait(PacingState& s, const PacedPicture& p);

// After the wait: a wait below 1 ms is carried whole; otherwise what the wait missed
// (`actual` = ms really gone since the picture was shown), dropped beyond a second.
void CarryDrift(PacingState& s, int wait, int actual);

} // namespace dvr::strovid
