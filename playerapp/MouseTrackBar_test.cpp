#include "playerapp/MouseTrackBar.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace playerqz {
namespace {

class Probe : public TObject {
public:
    void Change(TObject*) { ++changes; }
    void Down(TObject*, TMouseButton, TShiftState, int x, int) {
        ++downs;
        downX = x;
    }
    void Up(TObject*, TMouseButton, TShiftState, int, int) { ++ups; }
    int changes = 0, downs = 0, ups = 0, downX = -1;
};

class MouseTrackBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        host = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                 400, 100, nullptr, nullptr, nullptr, nullptr);
        bar = new TMouseTrackBar(nullptr);
        bar->SetParentWindow(host);
        bar->OnChange = TNotifyEvent(&probe, &Probe::Change);
    }
    void TearDown() override {
        delete bar;
        ::DestroyWindow(host);
    }
    LRESULT Ask(UINT msg) { return ::SendMessageW(bar->Handle(), msg, 0, 0); }
    LONG Style() { return ::GetWindowLongW(bar->Handle(), GWL_STYLE); }

    HWND host = nullptr;
    TMouseTrackBar* bar = nullptr;
    Probe probe;
};

TEST_F(MouseTrackBarTest, ConstructionDefaultsReachTheWindow) {
    EXPECT_EQ(bar->Width(), 150);
    EXPECT_EQ(bar->Height(), 45);
    EXPECT_TRUE(bar->TabStop());
    EXPECT_FALSE(bar->ControlStyle().Contains(TControlStyleItem::csDoubleClicks));
    bar->SetMax(1000);
    bar->SetPageSize(10);
    bar->SetPosition(250);
    ASSERT_NE(bar->Handle(), nullptr);
    EXPECT_EQ(::GetClassLongW(bar->Handle(), GCL_STYLE) & (CS_HREDRAW | CS_VREDRAW), 0u);
    EXPECT_EQ(Ask(TBM_GETRANGEMAX), 1000);
    EXPECT_EQ(Ask(TBM_GETPOS), 250);
    EXPECT_EQ(Ask(TBM_GETPAGESIZE), 10);
    EXPECT_EQ(Ask(TBM_GETLINESIZE), 1);
    EXPECT_EQ(bar->ThumbLength(), 20);
    const LONG s = Style();
    EXPECT_TRUE(s & TBS_AUTOTICKS);
    EXPECT_TRUE(s & TBS_FIXEDLENGTH);
    EXPECT_TRUE(s & TBS_ENABLESELRANGE);
    EXPECT_FALSE(s & (TBS_VERT | TBS_TOP | TBS_BOTH | TBS_NOTHUMB | TBS_NOTICKS));
}

TEST_F(MouseTrackBarTest, RangeChangesKeepThePositionInside) {
    bar->Handle();
    bar->SetMax(2000);
    bar->SetPosition(1200);
    probe.changes = 0;
    bar->SetMax(1000);
    EXPECT_EQ(bar->Position(), 1000);
    EXPECT_EQ(probe.changes, 1);
    EXPECT_EQ(Ask(TBM_GETPOS), 1000);
    EXPECT_EQ(Ask(TBM_GETRANGEMAX), 1000);

    // A Max below Min, or a Min above Max, changes nothing.
    bar->SetMin(100);
    EXPECT_EQ(Ask(TBM_GETRANGEMIN), 100);
    bar->SetMax(50);
    bar->SetMin(1500);
    EXPECT_EQ(bar->Max(), 1000);
    EXPECT_EQ(bar->Min(), 100);
    bar->SetPosition(-5);
    EXPECT_EQ(bar->Position(), 100);
    bar->SetPosition(100); // unchanged: no event
    EXPECT_EQ(probe.changes, 2);
}

TEST_F(MouseTrackBarTest, SelectionShownOrCleared) {
    bar->SetMax(1000);
    bar->Handle();
    bar->SetSelStart(200);
    bar->SetSelEnd(800);
    EXPECT_EQ(Ask(TBM_GETSELSTART), 200);
    EXPECT_EQ(Ask(TBM_GETSELEND), 800);
    bar->SetSelStart(0);
    bar->SetSelEnd(0);
    EXPECT_EQ(Ask(TBM_GETSELSTART), Ask(TBM_GETSELEND));
    EXPECT_NE(Ask(TBM_GETSELEND), 800);
}

TEST_F(MouseTrackBarTest, StyleChangesRemakeTheWindowWithItsState) {
    bar->SetMax(1000);
    bar->SetPosition(400);
    bar->Handle();
    bar->SetTickStyle(TTickStyle::tsManual);
    bar->SetTickMarks(TTickMark::tmBoth);
    bar->SetSliderVisible(false);
    LONG s = Style();
    EXPECT_FALSE(s & TBS_AUTOTICKS);
    EXPECT_TRUE(s & TBS_BOTH);
    EXPECT_TRUE(s & TBS_NOTHUMB);
    EXPECT_EQ(Ask(TBM_GETPOS), 400);
    EXPECT_EQ(Ask(TBM_GETRANGEMAX), 1000);

    bar->SetOrientation(TTrackBarOrientation::trVertical);
    EXPECT_EQ(bar->Width(), 45);
    EXPECT_EQ(bar->Height(), 150);
    EXPECT_TRUE(Style() & TBS_VERT);
    bar->SetTickStyle(TTickStyle::tsNone);
    EXPECT_TRUE(Style() & TBS_NOTICKS);
}

TEST_F(MouseTrackBarTest, ScrollNoticeTakesTheWindowsPositionAndMouseEventsPassOn) {
    bar->SetMax(1000);
    bar->OnMouseDown = TMouseEvent(&probe, &Probe::Down);
    bar->OnMouseUp = TMouseEvent(&probe, &Probe::Up);
    HWND h = bar->Handle();
    ::SendMessageW(h, TBM_SETPOS, TRUE, 640);
    probe.changes = 0;
    EXPECT_EQ(bar->Perform(CN_BASE + WM_HSCROLL, TB_THUMBPOSITION, LPARAM(h)), 0);
    EXPECT_EQ(bar->Position(), 640);
    EXPECT_EQ(probe.changes, 1);

    ::SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 10));
    ::SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(30, 10));
    EXPECT_EQ(probe.downs, 1);
    EXPECT_EQ(probe.downX, 30);
    EXPECT_EQ(probe.ups, 1);
}

} // namespace
} // namespace playerqz
