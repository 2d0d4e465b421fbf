#include "skin/controls/te_speedbutton.h"

#include "framework/ui/forms.h"
#include "skin/engine/te_bitmap_win.h"
#include "skin/engine/te_theme.h"
#include "skin/engine/theme_flat.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace dvr::skin {
namespace {

struct FormDeleter {
    void operator()(fw::TForm* f) const { f->Free(); }
};

struct Clicks : fw::TObject {
    int clicks = 0, chevrons = 0;
    void Click(fw::TObject*) { ++clicks; }
    void Chevron(fw::TObject*) { ++chevrons; }
};

class SpeedButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        form.reset(new fw::TForm(nullptr));
        form->SetBounds(0, 0, 300, 200);
        form->HandleNeeded();
    }
    void TearDown() override { ::ReleaseCapture(); }
    TTeSpeedButton* NewButton(int left, int group = 0) {
        auto* b = new TTeSpeedButton(form.get());
        b->SetParent(form.get());
        b->SetBounds(left, 10, 29, 29);
        b->SetGroupIndex(group);
        b->OnClick = fw::TNotifyEvent(&clicks, &Clicks::Click);
        b->OnChevronClick = fw::TNotifyEvent(&clicks, &Clicks::Chevron);
        return b;
    }
    static intptr_t At(int x, int y) { return intptr_t(MAKELPARAM(x, y)); }
    static void Press(TTeSpeedButton* b, int x, int y) {
        b->Perform(fw::CM_MOUSEENTER, 0, 0);
        b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
    }
    static void Release(TTeSpeedButton* b, int x, int y) { b->Perform(WM_LBUTTONUP, 0, At(x, y)); }
    static void ClickAt(TTeSpeedButton* b, int x = 5, int y = 5) {
        Press(b, x, y);
        Release(b, x, y);
    }
    std::unique_ptr<fw::TForm, FormDeleter> form;
    Clicks clicks;
};

TEST_F(SpeedButtonTest, AGroupKeepsOneButtonDown) {
    TTeSpeedButton* a = NewButton(0, 1);
    TTeSpeedButton* b = NewButton(40, 1);
    TTeSpeedButton* other = NewButton(80, 2);
    ClickAt(a);
    EXPECT_TRUE(a->Down());
    EXPECT_EQ(a->State(), TTeButtonState::bsExclusive);
    ClickAt(other);
    EXPECT_TRUE(a->Down()); // another group is left alone
    ClickAt(b);
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    EXPECT_EQ(a->State(), TTeButtonState::bsUp);
    ClickAt(b); // latched: a release does not unlatch without AllowAllUp
    EXPECT_TRUE(b->Down());
    EXPECT_EQ(clicks.clicks, 4);

    a->SetAllowAllUp(true); // the whole group takes it
    EXPECT_TRUE(b->AllowAllUp());
    ClickAt(b);
    EXPECT_FALSE(b->Down());
    EXPECT_FALSE(a->Down());

    a->SetDown(true);
    b->SetDown(true);
    EXPECT_FALSE(a->Down());
}

TEST_F(SpeedButtonTest, ReleaseEdgesAndChevron) {
    TTeSpeedButton* a = NewButton(0, 1);
    Press(a, 5, 5);
    Release(a, 5, 29); // the bottom edge row still counts
    EXPECT_TRUE(a->Down());
    TTeSpeedButton* b = NewButton(40, 3);
    Press(b, 5, 5);
    Release(b, 29, 5); // the right edge column does not
    EXPECT_FALSE(b->Down());

    TTeSpeedButton* c = NewButton(100);
    c->SetShowChevron(true);
    EXPECT_EQ(c->Width(), 29 + 14);
    EXPECT_EQ(c->GetChevronRect().Left, 29);
    int before = clicks.clicks;
    Press(c, 35, 5);
    EXPECT_EQ(clicks.chevrons, 1); // at once on the press
    EXPECT_EQ(c->State(), TTeButtonState::bsChevronPressed);
    Release(c, 35, 5);
    EXPECT_EQ(clicks.clicks, before); // no click
    EXPECT_EQ(c->State(), TTeButtonState::bsUp);
}

TEST_F(SpeedButtonTest, HeldButtonRepeatsClicksOnItsTimer) {
    TTeSpeedButton* a = NewButton(0);
    a->SetAllowTimer(true);
    Press(a, 5, 5);
    ASSERT_NE(a->ClickTimer(), nullptr);
    EXPECT_TRUE(a->ClickTimer()->Enabled());
    EXPECT_EQ(a->ClickTimer()->Interval(), 400u);
    ASSERT_TRUE(a->MouseCapture());
    a->ClickTimerTick(nullptr);
    EXPECT_EQ(a->ClickTimer()->Interval(), 100u);
    EXPECT_EQ(clicks.clicks, 1);

    // Left to the timer for a while: more clicks arrive between messages.
    DWORD until = ::GetTickCount() + 3000;
    MSG m;
    while (clicks.clicks < 3 && ::GetTickCount() < until) {
        while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&m);
        ::Sleep(5);
    }
    EXPECT_GE(clicks.clicks, 3);
    int held = clicks.clicks;
    Release(a, 5, 5);
    EXPECT_EQ(clicks.clicks, held + 1); // the release's own click
    EXPECT_FALSE(a->ClickTimer()->Enabled());
}

TEST_F(SpeedButtonTest, PaintsStatesPlainAndThemedAndRepaintsOnThemeChange) {
    TTeSpeedButton* a = NewButton(0);
    a->SetWideCaption(L"Go");
    auto paint = [&] {
        TteBitmap s;
        s.SetSize(29, 29);
        s.FillColor(0xFF00FF00);
        a->Perform(WM_PAINT, uintptr_t(BitmapDC(s)), 0);
        ::GdiFlush();
        std::vector<uint32_t> px;
        for (int y = 0; y < 29; ++y)
            for (int x = 0; x < 29; ++x)
                px.push_back(s.GetPixel(x, y) & 0xFFFFFF);
        return px;
    };
    auto normal = paint();
    Press(a, 5, 5);
    auto pressed = paint();
    Release(a, 5, 5);
    EXPECT_NE(pressed, normal);
    a->SetEnabled(false);
    auto disabled = paint();
    EXPECT_NE(disabled, normal);
    a->SetEnabled(true);

    // The theme's flat button lights up while hot.
    SetCurrentTheme(new TTeFlatTheme());
    a->SetFlat(true);
    a->Perform(fw::CM_MOUSELEAVE, 0, 0);
    auto themed = paint();
    a->Perform(fw::CM_MOUSEENTER, 0, 0);
    auto themed_hot = paint();
    ClearCurrentTheme();
    EXPECT_NE(themed, normal);
    EXPECT_NE(themed_hot, themed);
}

class TCountingButton : public TTeSpeedButton {
    FW_CLASS(TCountingButton, TTeSpeedButton)
public:
    using TTeSpeedButton::TTeSpeedButton;
    int invalidations = 0;
    void Invalidate() override {
        ++invalidations;
        TTeSpeedButton::Invalidate();
    }
};

TEST_F(SpeedButtonTest, ThemeChangeCodesThatRepaint) {
    auto* b = new TCountingButton(form.get());
    b->SetParent(form.get());
    for (int code = 0; code <= 5; ++code) {
        b->invalidations = 0;
        b->Perform(0x800, uintptr_t(code), 0);
        EXPECT_EQ(b->invalidations, code == 0 || code >= 3 ? 1 : 0) << code;
    }
}

} // namespace
} // namespace dvr::skin
