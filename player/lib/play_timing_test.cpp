#include "player/lib/play_timing.h"

#include <gtest/gtest.h>

namespace dvr::strovid {
namespace {

constexpr uint32_t kT0 = 324000000;
constexpr uint32_t kTicks40ms = 3600;

TEST(PlayTiming, SpeedStepsClampAndScale) {
    struct Case {
        int step;
        int clamped;
        double factor;
    };
    const Case cases[] = {{-9, -4, 16}, {-4, -4, 16}, {-1, -1, 2},    {0, 0, 1},
                          {2, 2, 0.25}, {3, 3, 0.15}, {4, 4, 0.0625}, {7, 4, 0.0625}};
    for (const Case& c : cases) {
        EXPECT_EQ(ClampSpeedStep(c.step), c.clamped) << c.step;
        EXPECT_DOUBLE_EQ(SpeedFactor(c.step), c.factor) << c.step;
    }
}

TEST(PlayTiming, HighSpeedShowsEveryNthPicture) {
    struct Case {
        int step;
        int every;
    };
    for (const Case& c :
         {Case{-3, 1}, Case{0, 1}, Case{1, 1}, Case{2, 4}, Case{3, 8}, Case{4, 16}}) {
        int shown = 0;
        for (int picture = 1; picture <= 64; ++picture)
            if (ShowAtSpeed(c.step, picture)) {
                ++shown;
                EXPECT_EQ(picture % c.every, 0) << "step " << c.step;
            }
        EXPECT_EQ(shown, 64 / c.every) << "step " << c.step;
    }
}

// Feeds unpacked records 40 ms apart, no time lost in decoding, and returns the wait
// of the last one.
int SteadyWait(int step) {
    PacingState s;
    s.prevTimeStamp = kT0;
    int wait = 0;
    for (int picture = 1; picture <= 3; ++picture) {
        const uint32_t ts = kT0 + picture * kTicks40ms;
        wait = PictureWait(s, {picture, 4, 0, 0, ts, step, 0});
        s.prevTimeStamp = ts;
    }
    return wait;
}

TEST(PlayTiming, UnpackedRecordWaitFollowsSpeed) {
    EXPECT_EQ(SteadyWait(0), 40);
    EXPECT_EQ(SteadyWait(-1), 80);
    EXPECT_EQ(SteadyWait(-4), 640);
    EXPECT_EQ(SteadyWait(1), 20);
    EXPECT_EQ(SteadyWait(3), 6); // 40 * 0.15
}

TEST(PlayTiming, FirstPictureDoesNotWait) {
    PacingState s;
    s.prevTimeStamp = kT0 - 900000; // far away: would be a long wait
    EXPECT_EQ(PictureWait(s, {1, 3, 0, 0, kT0, 0, 0}), 0);
}

TEST(PlayTiming, DecodeTimeAndDriftShortenTheWait) {
    PacingState s;
    s.prevTimeStamp = kT0;
    s.drift = -5;
    EXPECT_EQ(PictureWait(s, {2, 4, 0, 0, kT0 + kTicks40ms, 0, 12}), 40 - 5 - 12);
}

TEST(PlayTiming, GapInRecordingUsesLastInterval) {
    PacingState s;
    s.prevTimeStamp = kT0;
    EXPECT_EQ(PictureWait(s, {2, 4, 0, 0, kT0 + kTicks40ms, 0, 0}), 40);
    s.prevTimeStamp = kT0 + kTicks40ms;
    // Ten minutes later, and then a clock that went back.
    EXPECT_EQ(PictureWait(s, {3, 4, 0, 0, kT0 + kTicks40ms + 54000000, 0, 0}), 40);
    EXPECT_EQ(PictureWait(s, {4, 4, 0, 0, kT0 - 54000000, 0, 0}), 40);
    // 3.5 s is a gap for an unpacked record but not for a packed one.
    PacingState packed;
    packed.prevTimeStamp = kT0;
    packed.lastInterval = 40;
    EXPECT_EQ(PictureWait(packed, {2, 6, 1, 0, kT0 + 3500 * 90, 0, 0}), 3500);
    PacingState plain;
    plain.prevTimeStamp = kT0;
    plain.lastInterval = 40;
    EXPECT_EQ(PictureWait(plain, {2, 4, 0, 0, kT0 + 3500 * 90, 0, 0}), 40);
}

// The pictures of packed records share the record's interval.
TEST(PlayTiming, PackedRecordsSplitTheirInterval) {
    struct Case {
        int kind;
        int dropB;
        int pictures;
        int each; // ms at normal speed for a 120 ms record
    };
    const Case cases[] = {
        {6, 0, 2, 60}, {6, 1, 1, 120}, {7, 0, 3, 40}, {7, 1, 2, 60}, {7, 2, 1, 120}};
    for (const Case& c : cases) {
        PacingState s;
        s.prevTimeStamp = kT0;
        const uint32_t ts = kT0 + 120 * 90;
        for (int i = 0; i < c.pictures; ++i) {
            const int pending = c.pictures - 1 - i;
            EXPECT_EQ(PictureWait(s, {2 + i, c.kind, c.dropB, pending, ts, 0, 0}), c.each)
                << "kind " << c.kind << " drop " << c.dropB << " picture " << i;
        }
        // Half speed doubles each share.
        PacingState slow;
        slow.prevTimeStamp = kT0;
        EXPECT_EQ(PictureWait(slow, {2, c.kind, c.dropB, c.pictures - 1, ts, -1, 0}), 2 * c.each);
    }
}

TEST(PlayTiming, DriftCarriesMissAndForgetsLargeOnes) {
    struct Case {
        int wait;
        int actual;
        int drift;
    };
    const Case cases[] = {{40, 43, -3}, {40, 38, 2},   {-7, 0, -7},
                          {0, 25, 0},   {40, 1100, 0}, {1500, 100, 0}};
    for (const Case& c : cases) {
        PacingState s;
        s.drift = 99;
        CarryDrift(s, c.wait, c.actual);
        EXPECT_EQ(s.drift, c.drift) << c.wait << " " << c.actual;
    }
}

} // namespace
} // namespace dvr::strovid
