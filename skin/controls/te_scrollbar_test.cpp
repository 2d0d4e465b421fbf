#include "skin/controls/te_scrollbar.h"

#include "framework/ui/forms.h"
#include "skin/engine/te_bitmap_win.h"
#include "skin/engine/te_theme.h"
#include "skin/engine/theme_flat.h"
#include "skin/engine/te_utils_win.h"
#include "skin/engine/te_winapi.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace dvr::skin {
namespace {

struct FormDeleter {
    void operator()(fw::TForm* f) const { f->Free(); }
};

struct ScrollLog : fw::TObject {
    std::vector<std::pair<int, int>> scrolls; // code, position offered
    int changes = 0;
    int override_track = -1; // a kscTrack handler that moves the position elsewhere
    void OnScroll(fw::TObject*, TTeScrollCode code, int& pos) {
        scrolls.push_back({int(code), pos});
        if (code == kscTrack && override_track >= 0) pos = override_track;
    }
    void OnChange(fw::TObject*) { ++changes; }
};

class ScrollBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        form.reset(new fw::TForm(nullptr));
        form->SetBounds(0, 0, 300, 200);
        form->HandleNeeded();
        bar = new TTeScrollBar(form.get());
        bar->SetParent(form.get());
        bar->SetBounds(10, 10, 200, bar->Height());
        bar->OnScroll = TTeScrollEvent(&log, &ScrollLog::OnScroll);
        bar->OnChange = fw::TNotifyEvent(&log, &ScrollLog::OnChange);
        t = ::GetSystemMetrics(SM_CYVTHUMB);
    }
    void TearDown() override { ::ReleaseCapture(); }
    intptr_t At(int x, int y) { return intptr_t(MAKELPARAM(x, y)); }
    void Move(int x, int y) { bar->Perform(WM_MOUSEMOVE, 0, At(x, y)); }
    void Down(int x, int y) { bar->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(x, y)); }
    void Up(int x, int y) { bar->Perform(WM_LBUTTONUP, 0, At(x, y)); }
    std::unique_ptr<fw::TForm, FormDeleter> form;
    TTeScrollBar* bar = nullptr;
    ScrollLog log;
    int t = 16;
};

TEST_F(ScrollBarTest, GeometryAndPositionMapping) {
    EXPECT_EQ(bar->Height(), t + 2);
    EXPECT_EQ(bar->GetMinButtonRect(), (TRect{1, 1, 1 + t, t + 1}));
    EXPECT_EQ(bar->GetMaxButtonRect(), (TRect{199 - t, 1, 199, t + 1}));
    TRect track = bar->GetTrackRect();
    EXPECT_EQ(track, (TRect{1 + t, 1, 199 - t, t + 1}));
    // No page: a fixed thumb running over Min .. Max.
    EXPECT_EQ(bar->GetThumbSize(), t);
    EXPECT_EQ(bar->PositionToPixel(), track.Left);
    bar->SetPosition(100);
    EXPECT_EQ(bar->PositionToPixel(), track.Right - t);
    EXPECT_EQ(bar->PixelToPosition(track.Right - t), 100);
    EXPECT_EQ(bar->PixelToPosition(track.Left), 0);

    // With a page of 10 every position from 91 up draws the thumb at the Max end.
    bar->SetPageSize(10);
    int end = track.Right - bar->GetThumbSize();
    for (int p : {91, 95, 100}) {
        bar->SetPosition(p);
        EXPECT_EQ(bar->PositionToPixel(), end) << p;
    }
    EXPECT_EQ(bar->PixelToPosition(end), 91);

    // Min = Max keeps the thumb at the start.
    bar->SetPageSize(0);
    bar->SetMax(0);
    EXPECT_EQ(bar->Position(), 0);
    EXPECT_EQ(bar->PositionToPixel(), track.Left);

    // A short bar: half-length buttons and no thumb.
    bar->SetMax(100);
    bar->SetWidth(t + 2);
    EXPECT_EQ(bar->GetButtonSize(), t / 2);
    EXPECT_EQ(bar->GetThumbSize(), 0);
    EXPECT_FALSE(bar->ThumbVisible());
    EXPECT_FALSE(bar->InThumb(t / 2, 5));
}

TEST_F(ScrollBarTest, SettersClamp) {
    bar->SetPosition(150);
    EXPECT_EQ(bar->Position(), 100);
    EXPECT_EQ(log.changes, 1);
    bar->SetPosition(150); // compared with the request: fires again
    EXPECT_EQ(log.changes, 2);
    bar->SetMax(50);
    EXPECT_EQ(bar->Position(), 50);
    bar->SetMin(80);
    EXPECT_EQ(bar->Min(), 50);
    bar->SetMin(0);
    bar->SetPageSize(-3);
    EXPECT_EQ(bar->PageSize(), 0);
    bar->SetPageSize(500);
    EXPECT_EQ(bar->PageSize(), 51);
}

TEST_F(ScrollBarTest, KeysStepAndClampWithTheirCodes) {
    bar->SetLargeChange(30);
    struct Case {
        uint16_t key;
        int from, want, code;
    } cases[] = {
        {VK_RIGHT, 0, 1, kscLineDown}, {VK_DOWN, 100, 100, kscLineDown},
        {VK_LEFT, 0, 0, kscLineUp},    {VK_NEXT, 50, 80, kscPageDown},
        {VK_PRIOR, 10, 0, kscPageUp},  {VK_END, 3, 100, kscBottom},
        {VK_HOME, 70, 0, kscTop},
    };
    for (const Case& k : cases) {
        bar->SetPosition(k.from);
        log.scrolls.clear();
        uint16_t key = k.key;
        bar->ScrollKey(key, {});
        EXPECT_EQ(bar->Position(), k.want) << k.key;
        ASSERT_EQ(log.scrolls.size(), 1u);
        EXPECT_EQ(log.scrolls[0], std::make_pair(k.code, k.want));
    }
    uint16_t other = 'A';
    log.scrolls.clear();
    bar->ScrollKey(other, {});
    EXPECT_TRUE(log.scrolls.empty());

    // Automatic scrolling stops once the end is reached.
    bar->SetPosition(2);
    bar->SetAutoScrollMin(true);
    ASSERT_NE(bar->RepeatTimer(), nullptr);
    EXPECT_TRUE(bar->RepeatTimer()->Enabled());
    EXPECT_EQ(bar->Position(), 2); // no step at once
    bar->RepeatTimerTick(nullptr);
    bar->RepeatTimerTick(nullptr);
    EXPECT_EQ(bar->Position(), 0);
    EXPECT_FALSE(bar->AutoScrollMin());
    EXPECT_FALSE(bar->RepeatTimer()->Enabled());
}

TEST_F(ScrollBarTest, DraggingTheThumbReportsTrackPositionAndEnd) {
    TRect th = bar->GetThumbRect();
    Move(th.Left + 2, 5);
    Down(th.Left + 2, 5);
    EXPECT_TRUE(bar->Dragging());
    Move(500, 5); // beyond the track: held at the end
    EXPECT_EQ(bar->Position(), 100);
    log.override_track = 40; // the handler's value is what is applied
    Move(th.Left + 30, 5);
    EXPECT_EQ(bar->Position(), 40);
    log.scrolls.clear();
    Up(th.Left + 30, 5);
    EXPECT_FALSE(bar->Dragging());
    EXPECT_EQ(log.scrolls,
              (std::vector<std::pair<int, int>>{{kscPosition, 40}, {kscEndScroll, 40}}));
}

TEST_F(ScrollBarTest, ButtonsRepeatOnlyWhenHotAndStopOnRelease) {
    TRect maxb = bar->GetMaxButtonRect();
    int x = maxb.Left + 2;
    // Pressed without a move over it first: pressed but not active, nothing happens.
    Down(x, 5);
    EXPECT_EQ(bar->Position(), 0);
    EXPECT_EQ(bar->RepeatTimer(), nullptr);
    Up(x, 5);
    log.scrolls.clear();

    Move(x, 5);
    Down(x, 5);
    EXPECT_EQ(bar->Position(), 1); // one step at once
    ASSERT_NE(bar->RepeatTimer(), nullptr);
    EXPECT_TRUE(bar->RepeatTimer()->Enabled());
    EXPECT_EQ(bar->RepeatTimer()->Interval(), uint32_t(GetKeyboardDelayMs()));
    bar->RepeatTimerTick(nullptr);
    EXPECT_EQ(bar->Position(), 2);
    EXPECT_EQ(bar->RepeatTimer()->Interval(), uint32_t(GetKeyboardRepeatMs()));
    Up(x, 5);
    EXPECT_FALSE(bar->RepeatTimer()->Enabled());
    EXPECT_EQ(log.scrolls.back().first, kscEndScroll);

    // The timer itself drives the steps between messages.
    Move(x, 5);
    Down(x, 5);
    int before = bar->Position();
    DWORD until = ::GetTickCount() + 3000;
    MSG m;
    while (bar->Position() < before + 2 && ::GetTickCount() < until) {
        while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&m);
        ::Sleep(5);
    }
    EXPECT_GE(bar->Position(), before + 2);
    Up(x, 5);
}

TEST_F(ScrollBarTest, PagingStopsWhenTheThumbReachesTheMouse) {
    bar->SetPageSize(10);
    TRect track = bar->GetTrackRect();
    int x = track.Right - 3;
    Move(x, 5);
    Down(x, 5);
    for (int i = 0; i < 20; ++i)
        bar->RepeatTimerTick(nullptr);
    EXPECT_TRUE(bar->InThumb(x, 5));
    int stopped = bar->Position();
    EXPECT_GT(stopped, 80);
    bar->RepeatTimerTick(nullptr);
    EXPECT_EQ(bar->Position(), stopped);
    Up(x, 5);
}

TEST_F(ScrollBarTest, PlainPaintingShowsPressedAndDisabledButtons) {
    if (IsSystemThemeActive()) GTEST_SKIP() << "the visual style draws the parts";
    TteBitmap s;
    s.SetSize(200, bar->Height());
    auto paint = [&] {
        s.FillColor(0xFF00FF00);
        bar->Perform(WM_PAINT, uintptr_t(BitmapDC(s)), 0);
        ::GdiFlush();
    };
    TRect minb = bar->GetMinButtonRect();
    auto button = [&] {
        std::vector<uint32_t> px;
        for (int y = minb.Top; y < minb.Bottom; ++y)
            for (int x = minb.Left; x < minb.Right; ++x)
                px.push_back(s.GetPixel(x, y) & 0xFFFFFF);
        return px;
    };
    paint();
    auto normal = button();
    EXPECT_EQ(s.GetPixel(0, 5) & 0xFFFFFF, [] {
        COLORREF c = ::GetSysColor(COLOR_BTNSHADOW);
        return uint32_t(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c));
    }());
    bar->SetPosition(50);
    Move(minb.Left + 2, 5);
    Down(minb.Left + 2, 5);
    paint();
    auto pressed = button();
    EXPECT_NE(pressed, normal);
    Up(minb.Left + 2, 5);
    bar->SetEnabled(false);
    paint();
    EXPECT_NE(button(), normal);
    EXPECT_FALSE(bar->ThumbVisible());
}

TEST_F(ScrollBarTest, ThemePaintsThePartsWhenItStylesTheBar) {
    SetCurrentTheme(new TTeFlatTheme());
    ASSERT_TRUE(CurrentThemeHasScrollBarStyle(0, "default"));
    TteBitmap plain, themed;
    auto paint = [&](TteBitmap& s) {
        s.SetSize(200, bar->Height());
        s.FillColor(0xFF00FF00);
        bar->Perform(WM_PAINT, uintptr_t(BitmapDC(s)), 0);
        ::GdiFlush();
    };
    paint(themed);
    TRect maxb = bar->GetMaxButtonRect();
    Move(maxb.Left + 2, 5);
    Down(maxb.Left + 2, 5);
    TteBitmap pressed;
    paint(pressed);
    Up(maxb.Left + 2, 5);
    ClearCurrentTheme();
    Move(0, 100);
    paint(plain);
    int differ_theme = 0, differ_press = 0;
    for (int y = maxb.Top; y < maxb.Bottom; ++y)
        for (int x = maxb.Left; x < maxb.Right; ++x) {
            differ_theme += (themed.GetPixel(x, y) & 0xFFFFFF) != (plain.GetPixel(x, y) & 0xFFFFFF);
            differ_press +=
                (themed.GetPixel(x, y) & 0xFFFFFF) != (pressed.GetPixel(x, y) & 0xFFFFFF);
        }
    EXPECT_GT(differ_theme, 0);
    EXPECT_GT(differ_press, 0);
}

} // namespace
} // namespace dvr::skin
