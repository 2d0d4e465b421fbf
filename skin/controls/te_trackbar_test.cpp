#include "skin/controls/te_trackbar.h"

#include "skin/controls/te_bars_test_support.h"
#include "skin/engine/te_theme.h"
#include "skin/engine/theme_flat.h"

#include <gtest/gtest.h>

namespace dvr::skin {
namespace {

using namespace bartest;

struct Changes : fw::TObject {
    int count = 0;
    void Changed(fw::TObject*) { ++count; }
};

class TrackBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearCurrentTheme();
        form = MakeForm(300, 200, false);
        bar = new TTeTrackBar(form.get());
        bar->SetParent(form.get());
        bar->SetBounds(10, 10, 150, 45);
        bar->SetTransparent(false);
        bar->OnChange = fw::TNotifyEvent(&changes, &Changes::Changed);
    }
    void TearDown() override { ::ReleaseCapture(); }
    static intptr_t At(int x, int y) { return intptr_t(MAKELPARAM(x, y)); }
    FormPtr form;
    TTeTrackBar* bar = nullptr;
    Changes changes;
};

TEST_F(TrackBarTest, ValuesAndPixels) {
    EXPECT_EQ(bar->Position(), 3);
    EXPECT_EQ(bar->PositionToPixel(3), 50); // 4 + 9 + nearest(123 * 3 / 10)
    EXPECT_EQ(bar->ThumbRect(), (TRect{46, 7, 55, 27}));
    // The player's volume bar.
    bar->SetBounds(10, 10, 119, 45);
    bar->SetThumbHalfWidth(3);
    bar->SetMax(1000);
    EXPECT_EQ(bar->PositionToPixel(30), 15);
    // A span of exactly 100 pixels for 0..100: pixel = value + 13; snapping to 5.
    bar->SetBounds(10, 10, 127, 45);
    bar->SetThumbHalfWidth(4);
    bar->SetMax(100);
    bar->SetFrequency(5);
    struct {
        int value, want;
    } cases[] = {{7, 5}, {8, 10}, {0, 0}, {100, 100}, {2, 0}, {3, 5}};
    for (auto c : cases)
        EXPECT_EQ(bar->PixelToPosition(uint16_t(c.value + 13)), c.want) << c.value;
    EXPECT_EQ(bar->PixelToPosition(0), 0);     // clamped
    EXPECT_EQ(bar->PixelToPosition(500), 100); // clamped
    // Frequency 0 and a bar too short for a span do not divide by zero.
    bar->SetFrequency(0);
    EXPECT_EQ(bar->PixelToPosition(20), 7);
    bar->SetBounds(10, 10, 20, 45);
    EXPECT_EQ(bar->PositionToPixel(50), 13);
    EXPECT_EQ(bar->PixelToPosition(60), 0);
}

TEST_F(TrackBarTest, SettersHoldTheRangeAndReportChanges) {
    bar->SetMax(0); // equal to Min: ignored
    EXPECT_EQ(bar->Max(), 10);
    bar->SetMin(10);
    EXPECT_EQ(bar->Min(), 0);
    bar->SetMax(2); // below Position: Position follows and OnChange fires
    EXPECT_EQ(bar->Position(), 2);
    EXPECT_EQ(changes.count, 1);
    bar->SetPosition(50); // already at Max, still a change
    EXPECT_EQ(bar->Position(), 2);
    EXPECT_EQ(changes.count, 2);
    bar->SetPosition(2); // the same value: nothing
    EXPECT_EQ(changes.count, 2);
    bar->SetMin(1);
    bar->SetPosition(-7);
    EXPECT_EQ(bar->Position(), 1);
}

TEST_F(TrackBarTest, MouseAndKeysThroughMessages) {
    bar->SetMax(100);
    bar->SetPageSize(10);
    bar->SetPosition(50);
    changes.count = 0;
    const TRect thumb = bar->ThumbRect();
    // A press on the track beside the thumb moves one page toward it, however close.
    bar->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(thumb.Right + 3, 15));
    bar->Perform(WM_LBUTTONUP, 0, At(thumb.Right + 3, 15));
    EXPECT_EQ(bar->Position(), 60);
    bar->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(12, 15));
    bar->Perform(WM_LBUTTONUP, 0, At(12, 15));
    EXPECT_EQ(bar->Position(), 50);
    EXPECT_EQ(changes.count, 2);
    // Dragging the thumb follows the mouse; the hot state follows it too.
    TRect t = bar->ThumbRect();
    bar->Perform(WM_MOUSEMOVE, 0, At(t.Left + 4, t.Top + 3));
    EXPECT_TRUE(bar->ThumbHot());
    bar->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(t.Left + 4, t.Top + 3));
    EXPECT_TRUE(bar->Dragging());
    bar->Perform(WM_MOUSEMOVE, MK_LBUTTON, At(bar->PositionToPixel(80), 15));
    EXPECT_EQ(bar->Position(), 80);
    bar->Perform(WM_MOUSEMOVE, MK_LBUTTON, At(1000, 15)); // clamped to the bar
    EXPECT_EQ(bar->Position(), 100);
    bar->Perform(WM_LBUTTONUP, 0, At(1000, 15));
    EXPECT_FALSE(bar->Dragging());
    bar->Perform(fw::CM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(bar->ThumbHot());

    EXPECT_EQ(bar->Perform(WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
    struct {
        WPARAM key;
        int want;
    } keys[] = {{VK_HOME, 0}, {VK_RIGHT, 1}, {VK_DOWN, 2},  {VK_NEXT, 12}, {VK_LEFT, 11},
                {VK_UP, 10},  {VK_PRIOR, 0}, {VK_END, 100}, {'A', 100}};
    for (auto k : keys) {
        bar->Perform(WM_KEYDOWN, k.key, 0);
        EXPECT_EQ(bar->Position(), k.want) << k.key;
    }
}

TEST_F(TrackBarTest, RealMouseAndKeyboardOnTheDisplay) {
    FormPtr shown = MakeForm(300, 200, true);
    auto* b = new TTeTrackBar(shown.get());
    b->SetParent(shown.get());
    b->SetBounds(20, 20, 200, 45);
    b->SetMax(100);
    b->SetPageSize(25);
    b->SetPosition(40);
    PumpAll();
    // A click right of the thumb: one page.
    MouseTo(b, b->ThumbRect().Right + 20, 16);
    MouseButton(true);
    ASSERT_TRUE(PumpUntil([&] { return b->Position() == 65; })) << b->Position();
    MouseButton(false);
    ASSERT_TRUE(PumpUntil([&] { return ::GetCapture() == nullptr; }));
    EXPECT_TRUE(b->Focused());
    // Dragging the thumb to the far left.
    TRect t = b->ThumbRect();
    MouseTo(b, t.Left + 4, t.Top + 4);
    MouseButton(true);
    ASSERT_TRUE(PumpUntil([&] { return b->Dragging(); }));
    MouseTo(b, 2, 16);
    ASSERT_TRUE(PumpUntil([&] { return b->Position() == 0; })) << b->Position();
    MouseButton(false);
    ASSERT_TRUE(PumpUntil([&] { return !b->Dragging(); }));
    // The arrow keys reach the focused bar.
    KeyPress(VK_RIGHT);
    ASSERT_TRUE(PumpUntil([&] { return b->Position() == 1; }));
    KeyPress(VK_END);
    ASSERT_TRUE(PumpUntil([&] { return b->Position() == 100; }));
    SaveWindowShot(shown.get(), "trackbar");
}

TEST_F(TrackBarTest, PlainPaintingDrawsTrackTicksAndThumb) {
    PlainLook plain_look;
    Shot s(bar);
    const uint32_t light = Rgb(fw::clBtnHighlight), face = Rgb(fw::clBtnFace);
    // The track's well: 9..141 along, 9..23 across, two sunken lines.
    EXPECT_EQ(s.At(9, 9), Rgb(fw::clBtnShadow));
    EXPECT_EQ(s.At(10, 10), Rgb(fw::cl3DDkShadow));
    EXPECT_EQ(s.At(100, 16), light);
    EXPECT_EQ(s.At(140, 22), light);
    EXPECT_EQ(s.At(139, 21), Rgb(fw::cl3DLight));
    // Ticks below: value 0 (long) at pixel 13, 7 pixels... from 29 down to 33.
    const int s0 = 20 + 7 + 2;
    for (int y = s0; y < s0 + 4; ++y)
        EXPECT_EQ(s.At(13, y), 0u) << y;
    EXPECT_NE(s.At(13, s0 + 4), 0u);
    const int p5 = bar->PositionToPixel(5);
    EXPECT_EQ(s.At(p5, s0 + 2), 0u);
    EXPECT_NE(s.At(p5, s0 + 3), 0u); // a short tick
    // The thumb (pixel 50, outline 46..54 x 7..26) has a face and a tip at the bottom.
    EXPECT_EQ(s.At(50, 15), face);
    EXPECT_EQ(s.At(46, 10), light);
    EXPECT_EQ(s.At(54, 10), Rgb(fw::cl3DDkShadow));
    EXPECT_EQ(s.At(46, 25), Rgb(bar->Color())); // beside the tip: the bar's own colour
    // No ticks: none of the tick rows is black.
    bar->SetShowTicks(false);
    Shot n(bar);
    EXPECT_EQ(n.Count(TRect{0, s0, 150, s0 + 4}, 0), 0);
    // Ticks on both sides move the thumb down by 5.
    bar->SetShowTicks(true);
    bar->SetTickMarks(ktbmBoth);
    EXPECT_EQ(bar->ThumbRect(), (TRect{46, 12, 55, 32}));
    Shot both(bar);
    EXPECT_EQ(both.At(13, 10), 0u); // a long tick above
    EXPECT_EQ(both.At(13, 7), 0u);
    EXPECT_NE(both.At(13, 6), 0u); // the end point is not drawn
    // The interval from the low end to the thumb in the highlight colour.
    bar->SetTickMarks(ktbmBottomRight);
    bar->SetIntervalHighlightType(htLowInterval);
    Shot hi(bar);
    EXPECT_EQ(hi.At(30, 16), Rgb(fw::clHighlight));
    EXPECT_EQ(hi.At(100, 16), light);
}

TEST_F(TrackBarTest, AVerticalBarAndTheFlatTheme) {
    PlainLook plain_look;
    bar->SetOrientation(ktoVertical);
    bar->SetBounds(10, 10, 45, 150);
    EXPECT_EQ(bar->ThumbRect(), (TRect{7, 46, 27, 55}));
    Shot plain(bar);
    EXPECT_EQ(plain.At(16, 100), Rgb(fw::clBtnHighlight));
    SetCurrentTheme(new TTeFlatTheme());
    ASSERT_TRUE(CurrentThemeHasTrackBarStyle(0, "default"));
    Shot themed(bar);
    int differ = 0;
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 45; ++x)
            differ += plain.At(x, y) != themed.At(x, y);
    EXPECT_GT(differ, 50);
    ClearCurrentTheme();
}

} // namespace
} // namespace dvr::skin
