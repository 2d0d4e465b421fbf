// The bars painted through a skin made for the test: every part in a colour of its own,
// so that reading a pixel tells which part of the skin painted it.
#include "skin/controls/te_bars_test_support.h"
#include "skin/controls/te_controlbar.h"
#include "skin/controls/te_statusbar.h"
#include "skin/controls/te_toolbar.h"
#include "skin/controls/te_trackbar.h"
#include "skin/engine/te_canvas_win.h"
#include "skin/controls/te_speedbutton.h"
#include "skin/engine/theme_flat.h"
#include "skin/engine/theme_se3.h"

#include <gtest/gtest.h>

namespace dvr::skin {
namespace {

using namespace bartest;

constexpr fw::TColor kTrackHorz = 0x000000FF, kTrack = 0x00008000, kThumbBottom = 0x00FF0000,
                     kThumb = 0x0000FF00, kBarFrame = 0x00FFFF00, kPanel = 0x0000FFFF,
                     kGripper = 0x00FF00FF, kBack = 0x00800000, kToolFrame = 0x00808000,
                     kGrabber = 0x00000080, kNamedFrame = 0x00404040;

TSeSkinObject* SkinPart(TSeSkinObject* owner, const char* name, int w, int h, fw::TColor c) {
    auto* o = new TSeSkinObject(owner);
    o->SetName(name);
    o->Color = c;
    o->SetBoundsDirect(TRect{0, 0, w, h});
    return o;
}

TTeSkinFile* MakeBarSkin() {
    InitSkinThemeUnit();
    TSeSkinSource src;
    auto* track = SkinPart(nullptr, "TrackBar", 0, 0, fw::clNone);
    SkinPart(track, "TrackHorz", 0, 0, kTrackHorz);
    SkinPart(track, "Track", 0, 0, kTrack);
    SkinPart(track, "ThumbHorzBottom", 9, 20, kThumbBottom);
    SkinPart(track, "Thumb", 5, 5, kThumb);
    src.AddObject(track);
    auto* status = SkinPart(nullptr, "StatusBar", 0, 0, fw::clNone);
    SkinPart(status, "Frame", 0, 0, kBarFrame);
    SkinPart(status, "Panel", 0, 0, kPanel)->TextMarginLeft = 20;
    SkinPart(status, "Gripper", 0, 0, kGripper);
    src.AddObject(status);
    auto* cbar = SkinPart(nullptr, "ControlBar", 0, 0, fw::clNone);
    SkinPart(cbar, "Back", 0, 0, kBack);
    SkinPart(cbar, "Frame", 0, 0, kToolFrame);
    SkinPart(cbar, "Grabber", 6, 6, kGrabber);
    src.AddObject(cbar);
    auto* named = SkinPart(nullptr, "MyBar", 0, 0, fw::clNone);
    SkinPart(named, "Frame", 0, 0, kNamedFrame);
    src.AddObject(named);
    fw::TMemoryStream s;
    src.SaveToStream(s);
    s.SetPosition(0);
    auto* skin = new TTeSkinFile();
    if (!skin->LoadFromStream(s)) {
        delete skin;
        return nullptr;
    }
    return skin;
}

class BarSkinTest : public ::testing::Test {
protected:
    void SetUp() override {
        TTeSkinFile* skin = MakeBarSkin();
        ASSERT_NE(skin, nullptr);
        SetCurrentTheme(skin);
        form = MakeForm(400, 300, false);
    }
    void TearDown() override { ClearCurrentTheme(); }
    FormPtr form;
};

TEST_F(BarSkinTest, EveryBarGroupIsStyled) {
    EXPECT_TRUE(CurrentThemeHasTrackBarStyle(0, "default"));
    EXPECT_TRUE(CurrentThemeHasTrackBarStyle(1, "default"));
    EXPECT_TRUE(CurrentThemeHasStatusBarStyle(0, "default"));
    EXPECT_TRUE(CurrentThemeHasControlBarStyle(0, "default"));
    EXPECT_TRUE(CurrentThemeHasControlBarStyle(1, "default"));
    EXPECT_TRUE(CurrentThemeHasControlBarStyle(7, "MyBar")); // a named object, any kind
    EXPECT_FALSE(CurrentThemeHasControlBarStyle(2, "default"));
    EXPECT_FALSE(CurrentThemeHasStatusBarStyle(1, "default"));
}

TEST_F(BarSkinTest, TrackBarPartsByOrientationAndTicks) {
    auto* t = new TTeTrackBar(form.get());
    t->SetParent(form.get());
    t->SetBounds(0, 0, 150, 45);
    Shot h(t);
    EXPECT_EQ(h.At(100, 16), Rgb(kTrackHorz));
    EXPECT_EQ(h.At(50, 15), Rgb(kThumbBottom)); // its own 9 x 20, centred on the thumb
    EXPECT_EQ(h.At(46, 7), Rgb(kThumbBottom));
    EXPECT_EQ(h.At(54, 26), Rgb(kThumbBottom));
    EXPECT_EQ(h.At(13, 30), 0u); // ticks stay the bar's own
    // Vertical: no "TrackVert" nor "ThumbVertRight" nor "ThumbVert": "Track" and "Thumb".
    t->SetOrientation(ktoVertical);
    t->SetBounds(0, 0, 45, 150);
    Shot v(t);
    EXPECT_EQ(v.At(16, 100), Rgb(kTrack));
    TRect r = t->ThumbRect();
    const int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
    EXPECT_EQ(v.At(cx, cy), Rgb(kThumb));
    EXPECT_NE(v.At(r.Left, r.Top), Rgb(kThumb)); // 5 x 5 only
}

TEST_F(BarSkinTest, StatusBarFramePanelsTextAndGrip) {
    auto* b = new TTeStatusBar(form.get());
    b->SetParent(form.get());
    b->SetAlign(fw::TAlign::alBottom);
    TTeStatusPanel* p = b->Panels()->Add();
    p->SetWidth(120);
    p->SetText(L"WWWW");
    ASSERT_TRUE(b->SizeGripShown());
    TRect cr = b->ContentRect();
    EXPECT_EQ(cr, (TRect{5, 2, b->Width() - 5, b->Height() - 2})); // the theme's content
    EXPECT_EQ(p->LayoutLeft, 5);
    Shot s(b);
    EXPECT_EQ(s.At(2, 10), Rgb(kBarFrame));
    EXPECT_EQ(s.At(200, 10), Rgb(kBarFrame));
    EXPECT_EQ(s.At(6, 3), Rgb(kPanel));
    // The text starts after the panel part's text margin.
    TRect text{5, 2, 5 + 22, b->Height() - 2};
    EXPECT_EQ(s.Count(text, Rgb(kPanel)), text.Width() * text.Height());
    TRect rest{27, 2, 125, b->Height() - 2};
    EXPECT_LT(s.Count(rest, Rgb(kPanel)), rest.Width() * rest.Height());
    TRect grip;
    b->GetSizeGripRect(grip);
    EXPECT_EQ(s.At(grip.Left + 2, grip.Top + 2), Rgb(kGripper));
}

TEST_F(BarSkinTest, ControlBarAndToolBarsShareOneFace) {
    auto* cb = new TTeControlBar(form.get());
    cb->SetParent(form.get());
    cb->SetBounds(0, 0, 300, 60);
    TTeToolBar* t[2];
    for (int i = 0; i < 2; ++i) {
        t[i] = new TTeToolBar(form.get());
        t[i]->SetBounds(11 + 140 * i, 2, 120, 26);
        t[i]->SetParent(cb);
    }
    // The tool bar's client area is the face inset by 2.
    EXPECT_EQ(t[0]->ClientRect(), (TRect{2, 2, 118, 24}));
    Shot s(cb);
    EXPECT_EQ(s.At(135, 10), Rgb(kBack)); // between the bands
    ControlBarBand* b0 = cb->FindBand(t[0]);
    ASSERT_NE(b0, nullptr);
    EXPECT_EQ(s.At(1, 10), Rgb(kToolFrame));     // the band's frame
    EXPECT_EQ(s.At(2 + 3, 10), Rgb(kGrabber));   // its grabber, 6 wide from left + 2
    EXPECT_EQ(s.At(2 + 6, 10), Rgb(kToolFrame)); // past it
    // Both tool bars paint the face from the control bar's rectangle: its frame and
    // grabber at the bar's origin lie outside them, so they show the frame colour only.
    for (auto* x : t) {
        Shot f(x);
        EXPECT_EQ(f.Count(TRect{0, 0, x->Width(), x->Height()}, Rgb(kToolFrame)),
                  x->Width() * x->Height());
    }
    // A named object paints the band frame with its own parts; a missing name falls back.
    TteTheme* th = CurrentTheme();
    TteBitmap bmp;
    bmp.SetSize(40, 20);
    fw::TCanvas c;
    c.SetHandle(BitmapDC(bmp));
    th->PaintToolBar(1, c, "MyBar", TRect{0, 0, 40, 20});
    ::GdiFlush();
    EXPECT_EQ(bmp.GetPixel(20, 10) & 0xFFFFFF, Rgb(kNamedFrame));
    th->PaintToolBar(1, c, "NoSuchBar", TRect{0, 0, 40, 20});
    ::GdiFlush();
    EXPECT_EQ(bmp.GetPixel(20, 10) & 0xFFFFFF, Rgb(kToolFrame));
    c.SetHandle(nullptr);
}

} // namespace
} // namespace dvr::skin

namespace dvr::skin {
namespace {

using namespace bartest;

// With the visual style active (as Wine's prefix may have it), each bar draws its style's
// parts rather than the plain look.
TEST(BarVisualStyle, EachBarDrawsItsStyleWhenActive) {
    ClearCurrentTheme();
    if (!IsSystemThemeActive()) GTEST_SKIP() << "no visual style is active";
    FormPtr form = MakeForm(400, 300, false);
    auto* track = new TTeTrackBar(form.get());
    track->SetParent(form.get());
    track->SetTransparent(false);
    auto* status = new TTeStatusBar(form.get());
    status->SetParent(form.get());
    status->SetBounds(0, 100, 300, 22);
    status->Panels()->Add()->SetWidth(100);
    auto* cb = new TTeControlBar(form.get());
    cb->SetParent(form.get());
    cb->SetBounds(0, 150, 300, 40);
    auto* tool = new TTeToolBar(form.get());
    tool->SetBounds(11, 2, 100, 26);
    tool->SetParent(cb);
    for (fw::TWinControl* c : std::initializer_list<fw::TWinControl*>{track, status, cb, tool}) {
        SCOPED_TRACE(c->ClassName());
        Shot styled(c);
        std::unique_ptr<Shot> plain;
        {
            PlainLook p;
            plain = std::make_unique<Shot>(c);
        }
        int differ = 0;
        for (int y = 0; y < c->Height(); ++y)
            for (int x = 0; x < c->Width(); ++x)
                differ += styled.At(x, y) != plain->At(x, y);
        EXPECT_GT(differ, 0);
    }
}

} // namespace
} // namespace dvr::skin

namespace dvr::skin {
namespace {

using namespace bartest;

// The colour Paint leaves at (X, Y) of a scratch bitmap of W x H.
template <class Paint> uint32_t ThemePixel(int W, int H, int X, int Y, Paint paint) {
    TteBitmap b;
    b.SetSize(W, H);
    b.FillColor(0xFF00FF00);
    fw::TCanvas c;
    c.SetHandle(BitmapDC(b));
    paint(c);
    ::GdiFlush();
    c.SetHandle(nullptr);
    return b.GetPixel(X, Y) & 0xFFFFFF;
}

TEST(BarFlatTheme, TheBarsPaintWhatTheThemePaintsForTheirParts) {
    SetCurrentTheme(new TTeFlatTheme());
    TteTheme* th = CurrentTheme();
    FormPtr form = MakeForm(400, 300, true);
    auto* cb = new TTeControlBar(form.get());
    cb->SetParent(form.get());
    cb->SetBounds(0, 0, 380, 40);
    TTeToolBar* tools[2];
    for (int i = 0; i < 2; ++i) {
        tools[i] = new TTeToolBar(form.get());
        tools[i]->SetBounds(11 + 170 * i, 2, 150, 29);
        tools[i]->SetParent(cb);
        for (int k = 0; k < 3; ++k) {
            auto* b = new TTeSpeedButton(form.get());
            b->SetBounds(k * 30, 0, 29, 29);
            b->SetWideCaption(std::wstring(1, wchar_t(L'1' + k)));
            b->SetParent(tools[i]);
        }
    }
    auto* track = new TTeTrackBar(form.get());
    track->SetParent(form.get());
    track->SetBounds(10, 60, 150, 45);
    auto* status = new TTeStatusBar(form.get());
    status->SetParent(form.get());
    status->SetAlign(fw::TAlign::alBottom);
    status->Panels()->Add()->SetText(L"Flat");
    status->Panels()->GetItem(0)->SetWidth(120);
    PumpAll();
    SaveWindowShot(form.get(), "flat_bars");

    // Control bar: the back between the bands.
    Shot c(cb);
    const int cw = cb->Width(), ch = cb->Height();
    EXPECT_EQ(c.At(165, 5), ThemePixel(cw, ch, 165, 5, [&](fw::TCanvas& x) {
                  th->PaintControlBar(1, x, "default", TRect{0, 0, cw, ch});
              }));
    // Tool bar: the theme's content rectangle and its face in the control bar's frame.
    EXPECT_EQ(tools[0]->ClientRect(), (TRect{5, 1, 149, 28}));
    EXPECT_EQ(tools[0]->Controls(0)->Left(), 5);
    Shot t(tools[1]);
    EXPECT_EQ(t.At(140, 20), ThemePixel(cw, ch, 181 + 140, 2 + 20, [&](fw::TCanvas& x) {
                  th->PaintToolBar(1, x, "default", TRect{0, 0, cw, ch});
              }));
    // Status bar: the frame outside the content and the panel's face.
    Shot s(status);
    const int sw = status->Width(), sh = status->Height();
    EXPECT_EQ(s.At(2, 10), ThemePixel(sw, sh, 2, 10, [&](fw::TCanvas& x) {
                  th->PaintStatusBar(0, x, "default", TRect{0, 0, sw, sh});
              }));
    TRect panel;
    status->GetPanelRect(0, panel);
    EXPECT_EQ(s.At(panel.Left, panel.Top + 2),
              ThemePixel(sw, sh, panel.Left, panel.Top + 2, [&](fw::TCanvas& x) {
                  th->PaintStatusPanel(0, x, "default", panel, TRect{0, 0, sw, sh});
              }));
    // Track bar: the thumb's face.
    Shot k(track);
    TRect thumb = track->ThumbRect();
    EXPECT_EQ(k.At(thumb.Left + 3, thumb.Top + 5),
              ThemePixel(150, 45, thumb.Left + 3, thumb.Top + 5, [&](fw::TCanvas& x) {
                  th->PaintTrackBarThumb(0, x, "default", MakeTrackBarThumbInfo(thumb, 0),
                                         MakeTrackBarInfo(TRect{-1, -1, -1, -1}, 0, 1));
              }));
    form.reset();
    ClearCurrentTheme();
}

TEST_F(BarSkinTest, APlayerLikeWindowInTheSkin) {
    form->Show();
    auto* cb = new TTeControlBar(form.get());
    cb->SetParent(form.get());
    cb->SetAlign(fw::TAlign::alTop);
    auto* tools = new TTeToolBar(form.get());
    tools->SetBounds(11, 2, 200, 29);
    tools->SetParent(cb);
    for (int k = 0; k < 4; ++k) {
        auto* b = new TTeSpeedButton(form.get());
        b->SetBounds(k * 30, 0, 29, 29);
        b->SetWideCaption(std::wstring(1, wchar_t(L'A' + k)));
        b->SetParent(tools);
    }
    auto* track = new TTeTrackBar(form.get());
    track->SetParent(form.get());
    track->SetBounds(10, 80, 150, 45);
    auto* status = new TTeStatusBar(form.get());
    status->SetParent(form.get());
    status->SetAlign(fw::TAlign::alBottom);
    status->Panels()->Add()->SetText(L"Skin");
    status->Panels()->GetItem(0)->SetWidth(120);
    PumpAll();
    ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(status->Handle()) != 0; }));
    SaveWindowShot(form.get(), "skin_bars");
    EXPECT_EQ(tools->Controls(0)->BoundsRect(), (TRect{2, 2, 27, 27}));
}

} // namespace
} // namespace dvr::skin
