#include "skin/controls/te_form_theme.h"

#include "skin/controls/te_form_test_support.h"
#include "skin/engine/theme_se3.h"
#include "skin/engine/theme_se3objects.h"
#include "skin/engine/theme_se3source.h"

#include <gtest/gtest.h>

namespace dvr::skin {
namespace {

using testing::HookedForm;
using testing::NearColor;
using testing::PumpPending;
using testing::RgbOf;
using testing::ScreenPixel;

TteColor Px(TColor c) {
    return ColorToPixel(c, 255);
}

template <class T>
T* SkinPart(TSeSkinObject* owner, const char* name, TSeAlign a, int w, int h, TSeKind k, TColor c) {
    auto* o = new T(owner);
    o->SetName(name);
    o->Align = a;
    o->Kind = k;
    o->Color = c;
    o->SetBoundsDirect(TRect{0, 0, w, h});
    return o;
}

void LinkTo(TteBitmapLink& Link, int Block) {
    Link.Name = "img";
    Link.Rect = TRect{Block * 4, 0, Block * 4 + 4, 4};
}

// A skin whose form has a red caption, blue 4-pixel borders, a white client and a close
// button 16 pixels wide: lime when active, yellow hot, blue pressed, grey inactive.
TteTheme* LoadFormSkin() {
    InitSkinThemeUnit();
    TSeSkinSource src;
    auto* img = new TteBitmap();
    img->Name = "img";
    img->SetSize(16, 4);
    img->FillRect(TRect{0, 0, 4, 4}, Px(fw::clLime));
    img->FillRect(TRect{4, 0, 8, 4}, Px(fw::clYellow));
    img->FillRect(TRect{8, 0, 12, 4}, Px(fw::clBlue));
    img->FillRect(TRect{12, 0, 16, 4}, Px(fw::clGray));
    src.Images.Add(img);
    auto* form = SkinPart<TSeSkinObject>(nullptr, "Form", TSeAlign::saNone, 0, 0, TSeKind::skForm,
                                         fw::clNone);
    auto* cap = SkinPart<TSeSkinObject>(form, "Caption", TSeAlign::saTop, 0, 20, TSeKind::skCaption,
                                        fw::clRed);
    auto* close = SkinPart<TSeSystemButton>(cap, "Close", TSeAlign::saRight, 16, 0,
                                            TSeKind::skSysButton, fw::clWhite);
    close->Action = TSeAction::sbaClose;
    LinkTo(*close->ActiveBitmap, 0);
    LinkTo(*close->BitmapHot, 1);
    LinkTo(*close->BitmapPressed, 2);
    LinkTo(*close->Bitmap, 3);
    SkinPart<TSeSkinObject>(cap, "Title", TSeAlign::saClient, 0, 0, TSeKind::skTitle, fw::clRed);
    SkinPart<TSeSkinObject>(form, "Left", TSeAlign::saLeft, 4, 0, TSeKind::skLeft, fw::clBlue);
    SkinPart<TSeSkinObject>(form, "Right", TSeAlign::saRight, 4, 0, TSeKind::skRight, fw::clBlue);
    SkinPart<TSeSkinObject>(form, "Bottom", TSeAlign::saBottom, 0, 4, TSeKind::skBottom,
                            fw::clBlue);
    SkinPart<TSeSkinObject>(form, "Client", TSeAlign::saClient, 0, 0, TSeKind::skClient,
                            fw::clWhite);
    src.AddObject(form);
    fw::TMemoryStream s;
    src.SaveToStream(s);
    s.SetPosition(0);
    return LoadThemeFromStream(s);
}

using ThemedForm = HookedForm<TTeForm>;

TEST(ThemeDrawnForm, WithoutAThemeItBehavesAsThePlainForm) {
    ClearCurrentTheme();
    ThemedForm themed(TRect{100, 100, 400, 300});
    HookedForm<TTeDefaultForm> plain(TRect{100, 100, 400, 300});
    EXPECT_EQ(themed.hook->ThemeObject(), "default");
    EXPECT_EQ(themed.hook->FrameMargins(), plain.hook->FrameMargins());
    for (auto b : {TTeBorderIcon::kbiClose, TTeBorderIcon::kbiMinimize, TTeBorderIcon::kbiTray})
        EXPECT_EQ(themed.hook->ButtonRect(b), plain.hook->ButtonRect(b));
    TPoint a, b;
    themed.hook->GetMinTrackSize(a);
    plain.hook->GetMinTrackSize(b);
    EXPECT_EQ(a, b);
    for (TPoint p : {TPoint{1, 100}, TPoint{150, 10}, TPoint{150, 100}, TPoint{290, 195}})
        EXPECT_EQ(themed.hook->HitTest(p.X, p.Y), plain.hook->HitTest(p.X, p.Y));
}

TEST(ThemeDrawnForm, ButtonSetAndKindsFollowIconsAndState) {
    ClearCurrentTheme();
    ThemedForm f(TRect{100, 100, 400, 300});
    TTeForm& h = *f.hook;
    EXPECT_EQ(h.ThemeButtonSet(), 0x1FFF & ~((1 << 2) | (1 << 4) | (1 << 6) | (1 << 8)));
    h.SetBorderStyle(TTeBorderStyle::kbsBorder);
    EXPECT_EQ(h.ThemeButtonSet(), 0);
    h.SetBorderStyle(TTeBorderStyle::kbsNone);
    EXPECT_EQ(h.ThemeButtonSet(), 0);
    h.SetBorderStyle(TTeBorderStyle::kbsStandard);
    h.SetBorderIcons(TTeBorderIcons{TTeBorderIcon::kbiClose});
    EXPECT_EQ(h.ThemeButtonSet(), (1 << 1) | (1 << 10) | (1 << 11) | (1 << 12));
    h.SetBorderIcons(DefaultFormBorderIcons());
    f.Show();
    h.Maximize();
    EXPECT_EQ(h.ThemeButtonKind(TTeBorderIcon::kbiMaximize), 6);
    EXPECT_EQ(h.ThemeButtonSet() & (1 << 5), 0);
    EXPECT_NE(h.ThemeButtonSet() & (1 << 6), 0);
    h.Restore();
    h.Rollup();
    EXPECT_EQ(h.ThemeButtonKind(TTeBorderIcon::kbiRollup), 8);
    h.Restore();
    EXPECT_EQ(h.ThemeButtonKind(TTeBorderIcon::kbiTop), -1);
    EXPECT_EQ(FormKindOf(TTeBorderStyle::kbsToolWindow), 4);
    EXPECT_EQ(FormKindOf(TTeBorderStyle::kbsDialog), 1);
}

TEST(ThemeDrawnForm, SkinThemePaintsFrameAndButtonStates) {
    TteTheme* theme = LoadFormSkin();
    ASSERT_NE(theme, nullptr);
    SetCurrentTheme(theme);
    {
        ThemedForm f(TRect{200, 150, 500, 350});
        f.Show();
        TTeForm& h = *f.hook;
        ASSERT_TRUE(h.HasStyle());
        EXPECT_EQ(h.FrameMargins(), (TRect{4, 20, 296, 196}));
        TRect close = h.ButtonRect(TTeBorderIcon::kbiClose);
        EXPECT_EQ(close, (TRect{284, 0, 300, 20}));
        // The theme's minimum: 100 wide, the frame high.
        TPoint min;
        h.GetMinTrackSize(min);
        EXPECT_EQ(min, (TPoint{100, 24}));
        EXPECT_EQ(f.HitAt(150, 10), HTCAPTION);
        EXPECT_EQ(f.HitAt(292, 10), HTCLOSE);
        RECT cr{};
        ::GetClientRect(f.Wnd(), &cr);
        EXPECT_EQ(cr.right, 292);
        EXPECT_EQ(cr.bottom, 176);

        auto at = [&](int x, int y) { return ScreenPixel(200 + x, 150 + y); };
        ::SendMessageW(f.Wnd(), WM_NCACTIVATE, TRUE, 0);
        PumpPending();
        EXPECT_TRUE(NearColor(at(100, 10), RgbOf(fw::clRed)));
        EXPECT_TRUE(NearColor(at(1, 100), RgbOf(fw::clBlue)));
        EXPECT_TRUE(NearColor(at(150, 100), RgbOf(fw::clWhite)));
        EXPECT_TRUE(NearColor(at(292, 10), RgbOf(fw::clLime)));
        // Hot, pressed, released elsewhere, inactive.
        ::SendMessageW(f.Wnd(), WM_NCMOUSEMOVE, HTCLOSE, f.ScreenParam(292, 10));
        EXPECT_EQ(h.ThemeButtonState(kfhClose), 1);
        EXPECT_TRUE(NearColor(at(292, 10), RgbOf(fw::clYellow)));
        ::SendMessageW(f.Wnd(), WM_NCLBUTTONDOWN, HTCLOSE, f.ScreenParam(292, 10));
        EXPECT_EQ(h.ThemeButtonState(kfhClose), 2);
        EXPECT_TRUE(NearColor(at(292, 10), RgbOf(fw::clBlue)));
        ::SendMessageW(f.Wnd(), WM_NCLBUTTONUP, HTCAPTION, f.ScreenParam(100, 10));
        EXPECT_TRUE(::IsWindowVisible(f.Wnd()));
        ::SendMessageW(f.Wnd(), WM_NCMOUSEMOVE, HTCAPTION, f.ScreenParam(100, 10));
        EXPECT_TRUE(NearColor(at(292, 10), RgbOf(fw::clLime)));
        ::SendMessageW(f.Wnd(), WM_NCACTIVATE, FALSE, 0);
        EXPECT_TRUE(NearColor(at(292, 10), RgbOf(fw::clGray)));
        for (auto performance :
             {TTeFormPerformance::kfpSharedBuffer, TTeFormPerformance::kfpDoubleBuffer}) {
            h.SetPerformance(performance);
            ::SendMessageW(f.Wnd(), WM_NCACTIVATE, TRUE, 0);
            EXPECT_TRUE(NearColor(at(292, 10), RgbOf(fw::clLime)));
            EXPECT_TRUE(NearColor(at(1, 100), RgbOf(fw::clBlue)));
        }
        // The same object name compares equal: nothing to repaint; a missing object
        // falls back to the plain look.
        h.SetThemeObject("default");
        h.SetThemeObject("nothing here");
        EXPECT_FALSE(h.HasStyle());
        h.SetThemeObject("default");

        // Maximized, the form fills the monitor's work area, not enlarged by the frame.
        h.Maximize();
        RECT work{};
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        EXPECT_EQ(f.form->BoundsRect(), (TRect{work.left, work.top, work.right, work.bottom}));
        h.Restore();
        EXPECT_EQ(f.form->BoundsRect(), (TRect{200, 150, 500, 350}));

        // A theme cleared while the form is up: the plain frame comes back.
        ClearCurrentTheme();
        PumpPending();
        EXPECT_FALSE(h.HasStyle());
        EXPECT_EQ(h.FrameMargins().Top, FrameSize + CaptionHeight);
        ::GetClientRect(f.Wnd(), &cr);
        EXPECT_EQ(cr.bottom, 176); // the client keeps its size
    }
    ClearCurrentTheme();
}

TEST(ThemeDrawnForm, DemonstrationScreenshot) {
    TteTheme* theme = LoadFormSkin();
    ASSERT_NE(theme, nullptr);
    SetCurrentTheme(theme);
    {
        ThemedForm skinned(TRect{20, 20, 340, 220});
        skinned.form->SetText("Skin theme");
        skinned.Show();
        ThemedForm shadowed(TRect{360, 20, 686, 246}, fw::clWhite, [](TTeForm& h) {
            h.Shadow()->SetEnabled(true);
            h.Shadow()->SetSize(6);
        });
        shadowed.form->SetText("Skin theme with shadow");
        shadowed.Show();
        for (HWND w : {skinned.Wnd(), shadowed.Wnd()})
            ::RedrawWindow(w, nullptr, nullptr,
                           RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        PumpPending();
        TteBitmap shot;
        testing::GrabScreen(shot, TRect{0, 0, 720, 280});
        EXPECT_TRUE(
            testing::SaveBitmapFile(shot, testing::TestOutputFolder() + "/skin_form_theme.bmp"));
    }
    ClearCurrentTheme();
}

} // namespace
} // namespace dvr::skin
