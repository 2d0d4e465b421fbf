#include "skin/controls/te_form.h"

#include "skin/controls/te_form_test_support.h"
#include "skin/controls/te_mouse_test_support.h"
#include "skin/controls/te_statusbar.h"
#include "skin/engine/te_effect.h"
#include "skin/engine/te_winapi.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace dvr::skin {
namespace {

using testing::GrabScreen;
using testing::HookedForm;
using testing::NearColor;
using testing::PumpPending;
using testing::PumpUntil;
using testing::RgbOf;
using testing::ScreenPixel;
using testing::TCountingForm;

using Form = HookedForm<TCountingForm>;

TRect WindowRectOf(HWND Wnd) {
    RECT r{};
    ::GetWindowRect(Wnd, &r);
    return TRect{r.left, r.top, r.right, r.bottom};
}

TPoint Center(TRect R) {
    return TPoint{(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2};
}

TEST(SkinnedForm, NewHookTakesTheFormsCaptionAndDefaults) {
    Form f(TRect{100, 100, 400, 300});
    TCountingForm& h = *f.hook;
    EXPECT_EQ(h.Caption(), L"Skinned");
    EXPECT_EQ(h.BorderIcons().Mask(), 111u);
    EXPECT_EQ(h.BorderStyle(), TTeBorderStyle::kbsStandard);
    EXPECT_TRUE(h.MinimizeApplication());
    EXPECT_EQ(h.Gravitation()->Size(), 20);
    EXPECT_EQ(h.WindowState(), TTeWindowState::kwsNormal);
    // The form's own frame loses its system menu: the hook draws the frame.
    EXPECT_FALSE(f.form->BorderIcons().Contains(fw::TBorderIcon::biSystemMenu));
    EXPECT_EQ(h.FormWidth(), 300);
    EXPECT_EQ(h.FormHeight(), 200);
    // The client area is the frame margins: the window's frame is the hook's.
    TRect m = h.FrameMargins();
    RECT cr{};
    ::GetClientRect(f.Wnd(), &cr);
    EXPECT_EQ(cr.right, m.Right - m.Left);
    EXPECT_EQ(cr.bottom, m.Bottom - m.Top);
    POINT origin{0, 0};
    ::ClientToScreen(f.Wnd(), &origin);
    TRect wr = WindowRectOf(f.Wnd());
    EXPECT_EQ(origin.x - wr.Left, m.Left);
    EXPECT_EQ(origin.y - wr.Top, m.Top);

    h.SetCaption(L"MDI FORM");
    EXPECT_EQ(h.Caption(), L"Skinned");

    auto* menu = new fw::TPopupMenu(nullptr);
    h.SetTrayMenuLink(menu);
    h.SetSystemMenuLink(menu);
    menu->Free();
    EXPECT_EQ(h.TrayMenuLink(), nullptr);
    EXPECT_EQ(h.SystemMenuLink(), nullptr);
}

TEST(SkinnedForm, FrameGeometryAndHitTestingFollowBorderStyle) {
    const int F = FrameSize;
    struct Case {
        TTeBorderStyle style;
        int caption; // caption height above the client
        bool frame;
    };
    for (Case c :
         {Case{TTeBorderStyle::kbsNone, 0, false}, Case{TTeBorderStyle::kbsBorder, 0, false},
          Case{TTeBorderStyle::kbsStandard, CaptionHeight, true},
          Case{TTeBorderStyle::kbsDialog, CaptionHeight, true},
          Case{TTeBorderStyle::kbsToolWindow, SmallCaptionHeight, true}}) {
        SCOPED_TRACE(int(c.style));
        Form f(TRect{100, 100, 400, 300}, fw::clWhite,
               [&](TCountingForm& h) { h.SetBorderStyle(c.style); });
        f.Show();
        TRect m = f.hook->FrameMargins();
        if (!c.frame) {
            EXPECT_EQ(m, (TRect{0, 0, 300, 200}));
            for (TPoint p : {TPoint{1, 1}, TPoint{1, 100}, TPoint{150, 198}, TPoint{150, 100}})
                EXPECT_EQ(f.HitAt(p.X, p.Y), HTCLIENT);
            continue;
        }
        EXPECT_EQ(m, (TRect{F, F + c.caption, 300 - F, 200 - F}));
        struct Probe {
            int x, y;
            LRESULT hit;
        };
        const int top = F / 2, bottom = 199, right = 299, caption = F + c.caption / 2;
        for (Probe p : {Probe{150, top, HTTOP}, Probe{19, top, HTTOPLEFT}, Probe{20, top, HTTOP},
                        Probe{285, top, HTTOPRIGHT}, Probe{60, caption, HTCAPTION},
                        Probe{0, 100, HTLEFT}, Probe{0, 10, HTTOPLEFT}, Probe{0, 190, HTBOTTOMLEFT},
                        Probe{right, 100, HTRIGHT}, Probe{150, bottom, HTBOTTOM},
                        Probe{290, bottom, HTBOTTOMRIGHT}, Probe{150, 100, HTCLIENT}}) {
            SCOPED_TRACE(std::to_string(p.x) + "," + std::to_string(p.y));
            EXPECT_EQ(f.HitAt(p.x, p.y), p.hit);
        }
        // Neither sizing nor moving: borders and caption answer as client.
        f.hook->Dragging()->Sizeable = false;
        f.hook->Dragging()->Moveable = false;
        EXPECT_EQ(f.HitAt(0, 100), HTCLIENT);
        EXPECT_EQ(f.HitAt(60, caption), HTCLIENT);
    }
}

// The caption buttons of the plain look: classic buttons h - 2 wide and h - 4 high, the
// visual style's squares of h - 4 without roll-up and tray buttons.
void CheckCaptionButtonLayout(bool Classic) {
    using I = TTeBorderIcon;
    struct Case {
        TTeBorderIcons icons;
        TTeBorderStyle style;
    };
    for (Case c : {Case{DefaultFormBorderIcons(), TTeBorderStyle::kbsStandard},
                   Case{TTeBorderIcons{I::kbiClose}, TTeBorderStyle::kbsStandard},
                   Case{TTeBorderIcons{I::kbiClose, I::kbiHelp, I::kbiMinimize, I::kbiRollup},
                        TTeBorderStyle::kbsDialog},
                   Case{DefaultFormBorderIcons(), TTeBorderStyle::kbsToolWindow}}) {
        SCOPED_TRACE(c.icons.Mask());
        Form f(TRect{100, 100, 500, 300}, fw::clWhite, [&](TCountingForm& h) {
            h.SetBorderStyle(c.style);
            h.SetBorderIcons(c.icons);
        });
        f.Show();
        TCountingForm& h = *f.hook;
        TRect m = h.FrameMargins();
        const int band = m.Top - (FrameSize + 1);
        const bool tool = c.style == TTeBorderStyle::kbsToolWindow;
        struct Expect {
            TTeBorderIcon icon;
            LRESULT hit;
        };
        std::vector<TRect> seen;
        for (Expect e : {Expect{I::kbiClose, HTCLOSE}, Expect{I::kbiMaximize, HTMAXBUTTON},
                         Expect{I::kbiMinimize, HTMINBUTTON}, Expect{I::kbiRollup, HTBORDER},
                         Expect{I::kbiTray, HTBORDER}, Expect{I::kbiHelp, HTHELP},
                         Expect{I::kbiSystemMenu, HTSYSMENU}}) {
            TRect r = h.ButtonRect(e.icon);
            bool shown = c.icons.Contains(e.icon) && (!tool || e.icon == I::kbiClose) &&
                         (Classic || (e.icon != I::kbiRollup && e.icon != I::kbiTray));
            SCOPED_TRACE(int(e.icon));
            if (!shown) {
                EXPECT_FALSE(RectHasArea(r));
                continue;
            }
            ASSERT_TRUE(RectHasArea(r));
            if (e.icon == I::kbiSystemMenu) {
                EXPECT_EQ(r, (TRect{m.Left, FrameSize + 1, m.Left + band, FrameSize + 1 + band}));
            } else if (Classic) {
                EXPECT_EQ(r.Width(), band - 2);
                EXPECT_EQ(r.Height(), band - 4);
                EXPECT_EQ(r.Top, FrameSize + 3);
            } else {
                EXPECT_EQ(r.Width(), band - 4);
                EXPECT_EQ(r.Height(), band - 4);
            }
            if (e.icon == I::kbiClose) {
                EXPECT_EQ(r.Right, m.Right - (!Classic && tool ? 0 : 2));
            }
            for (TRect o : seen)
                EXPECT_FALSE(RectHasArea(IntersectRects(o, r)));
            seen.push_back(r);
            TPoint p = Center(r);
            EXPECT_EQ(f.HitAt(p.X, p.Y), e.hit);
        }
    }
}

TEST(SkinnedForm, CaptionButtonsAreLaidOutAndHitByIconSet) {
    {
        testing::ClassicLook classic;
        ASSERT_FALSE(IsSystemThemeActive());
        CheckCaptionButtonLayout(true);
    }
    if (IsSystemThemeActive()) CheckCaptionButtonLayout(false);
}

TEST(SkinnedForm, CaptionFollowsTheWindowText) {
    Form f(TRect{100, 100, 400, 300});
    f.Show();
    HWND wnd = f.Wnd();
    ::SetWindowTextW(wnd, L"\x76d1\x63a7 2");
    EXPECT_EQ(f.hook->Caption(), L"\x76d1\x63a7 2");
    // Windows draws no caption of its own meanwhile; the style comes back afterwards.
    EXPECT_EQ(::GetWindowLongW(wnd, GWL_STYLE) & WS_CAPTION, 0);
    PumpPending();
    EXPECT_EQ(::GetWindowLongW(wnd, GWL_STYLE) & WS_CAPTION, WS_CAPTION);
}

TEST(SkinnedForm, StateReadWhileLoadingIsAppliedAfterwards) {
    auto* form = new fw::TForm(nullptr);
    form->SetBounds(150, 120, 300, 200);
    auto* hook = new TCountingForm(form);
    hook->SetLoading(true);
    hook->SetWindowState(TTeWindowState::kwsMaximized);
    EXPECT_EQ(hook->WindowState(), TTeWindowState::kwsNormal);
    hook->Loaded();
    const TRect normal = hook->RestoreRect();
    EXPECT_EQ(normal.Width(), form->Width());
    EXPECT_EQ(form->Top(), ::GetSystemMetrics(SM_CYSCREEN)); // out of sight until applied
    form->Show();
    EXPECT_TRUE(PumpUntil([&] { return hook->WindowState() == TTeWindowState::kwsMaximized; }));
    TRect max;
    hook->GetMaximizedRect(max);
    EXPECT_EQ(form->BoundsRect(), max);
    EXPECT_EQ(hook->RestoreRect(), normal);
    hook->Restore();
    EXPECT_EQ(form->BoundsRect(), normal);
    form->Free();
}

TEST(SkinnedForm, StatusBarSizeGripSizesTheForm) {
    Form f(TRect{100, 100, 400, 300});
    auto* bar = new TTeStatusBar(f.form);
    bar->SetParent(f.form);
    bar->SetAlign(fw::TAlign::alBottom);
    bar->SetSizeGrip(true);
    f.Show();
    ASSERT_EQ(f.hook->FindStatusBar(), bar);
    TRect grip;
    bar->GetSizeGripRect(grip);
    POINT p{(grip.Left + grip.Right) / 2, (grip.Top + grip.Bottom) / 2};
    ::ClientToScreen(bar->Handle(), &p);
    EXPECT_EQ(::SendMessageW(f.Wnd(), WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)), HTBOTTOMRIGHT);
    POINT left{2, bar->Height() / 2};
    ::ClientToScreen(bar->Handle(), &left);
    EXPECT_EQ(::SendMessageW(f.Wnd(), WM_NCHITTEST, 0, MAKELPARAM(left.x, left.y)), HTCLIENT);
    bar->SetSizeGrip(false);
    EXPECT_EQ(f.hook->FindStatusBar(), nullptr);
    EXPECT_EQ(::SendMessageW(f.Wnd(), WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)), HTCLIENT);
}

TEST(SkinnedForm, MinimumAndMaximumTrackSizesLimitTheWindow) {
    Form f(TRect{100, 100, 400, 300});
    f.Show();
    TCountingForm& h = *f.hook;
    TPoint min, max;
    h.GetMinTrackSize(min);
    EXPECT_EQ(min, (TPoint{150, 40}));
    TRect maxr;
    h.GetMaximizedRect(maxr);
    h.GetMaxTrackSize(max);
    EXPECT_EQ(max, (TPoint{maxr.Width(), maxr.Height()}));
    f.form->SetBounds(100, 100, 50, 20);
    EXPECT_EQ(WindowRectOf(f.Wnd()).Width(), 150);
    EXPECT_EQ(WindowRectOf(f.Wnd()).Height(), 40);

    fw::TSizeConstraints c;
    c.MinWidth = 300;
    c.MaxHeight = 250;
    h.SetConstraints(&c);
    h.GetMinTrackSize(min);
    EXPECT_EQ(min, (TPoint{300, 40}));
    EXPECT_GE(WindowRectOf(f.Wnd()).Width(), 300); // grown to the new minimum
    f.form->SetBounds(100, 100, 320, 900);
    EXPECT_EQ(WindowRectOf(f.Wnd()).Height(), 250);
    EXPECT_EQ(h.FormHeight(), 250);
}

// A frame gesture sent as messages: button-down on the frame, moves while the window
// holds the capture, button-up.
void DragFrame(Form& f, TPoint From, TPoint To) {
    ::SendMessageW(f.Wnd(), WM_NCLBUTTONDOWN, HTCAPTION, f.ScreenParam(From.X, From.Y));
    TRect m = f.hook->FrameMargins();
    // Client coordinates stay fixed to the window's start position during the gesture
    // only when the window has not moved: compute them from the screen each time.
    auto client_param = [&](TPoint windowPoint, TRect startRect) {
        POINT screen{startRect.Left + windowPoint.X, startRect.Top + windowPoint.Y};
        ::ScreenToClient(f.Wnd(), &screen);
        return MAKELPARAM(screen.x, screen.y);
    };
    TRect start = WindowRectOf(f.Wnd());
    ::SendMessageW(f.Wnd(), WM_MOUSEMOVE, MK_LBUTTON, client_param(To, start));
    ::SendMessageW(f.Wnd(), WM_LBUTTONUP, 0, client_param(To, start));
    (void)m;
    PumpPending();
}

TEST(SkinnedForm, DraggingTheCaptionMovesAndSnapsToTheWorkArea) {
    Form f(TRect{200, 200, 500, 400});
    f.Show();
    TCountingForm& h = *f.hook;
    TRect area;
    h.GetWorkArea(area);
    const int cy = FrameSize + CaptionHeight / 2;
    DragFrame(f, TPoint{100, cy}, TPoint{140, cy + 25});
    EXPECT_EQ(f.form->Left(), 240);
    EXPECT_EQ(f.form->Top(), 225);
    EXPECT_FALSE(h.Tracking());
    EXPECT_EQ(h.PressedPart(), 0);

    // 19 pixels from the work area's left edge snaps there; 20 does not.
    struct Case {
        int distance;
        int left;
    };
    for (Case c : {Case{19, area.Left}, Case{20, area.Left + 20}, Case{-10, area.Left}}) {
        f.form->SetBounds(300, 300, 300, 200);
        int dx = area.Left + c.distance - 300;
        DragFrame(f, TPoint{100, cy}, TPoint{100 + dx, cy});
        EXPECT_EQ(f.form->Left(), c.left) << c.distance;
    }
    // The right edge snaps as well, measured without the shadow.
    f.form->SetBounds(300, 300, 300, 200);
    int dx = area.Right - 5 - 600;
    DragFrame(f, TPoint{100, cy}, TPoint{100 + dx, cy});
    EXPECT_EQ(f.form->Left() + 300, area.Right);

    h.Gravitation()->SetEnabled(false);
    f.form->SetBounds(300, 300, 300, 200);
    dx = area.Left + 5 - 300;
    DragFrame(f, TPoint{100, cy}, TPoint{100 + dx, cy});
    EXPECT_EQ(f.form->Left(), area.Left + 5);

    // Without Moveable the caption holds still.
    h.Dragging()->Moveable = false;
    f.form->SetBounds(300, 300, 300, 200);
    DragFrame(f, TPoint{100, cy}, TPoint{160, cy});
    EXPECT_EQ(f.form->Left(), 300);
}

TEST(SkinnedForm, DraggingBordersSizesDownToTheMinimumTrackWidth) {
    Form f(TRect{200, 200, 500, 400});
    f.Show();
    // Left edge to the right: the width stops at 150.
    DragFrame(f, TPoint{0, 100}, TPoint{250, 100});
    EXPECT_EQ(f.form->Width(), 150);
    EXPECT_EQ(f.form->Left() + f.form->Width(), 500);
    // Bottom-right corner outwards.
    f.form->SetBounds(200, 200, 300, 200);
    DragFrame(f, TPoint{295, 199}, TPoint{335, 229});
    EXPECT_EQ(f.form->Width(), 340);
    EXPECT_EQ(f.form->Height(), 230);
    // Outline mode: the window follows only at button-up, by the whole gesture.
    f.hook->Dragging()->DragMode = TTeFormDragMode::kfdmBorder;
    f.form->SetBounds(200, 200, 300, 200);
    ::SendMessageW(f.Wnd(), WM_NCLBUTTONDOWN, HTRIGHT, f.ScreenParam(299, 100));
    EXPECT_FALSE(f.hook->PaintEnabled());
    POINT p{200 + 339, 300};
    ::ScreenToClient(f.Wnd(), &p);
    ::SendMessageW(f.Wnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    EXPECT_EQ(f.form->Width(), 300);
    EXPECT_TRUE(RectHasArea(f.hook->DragOutline()));
    ::SendMessageW(f.Wnd(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    EXPECT_EQ(f.form->Width(), 340);
    EXPECT_TRUE(f.hook->PaintEnabled());
    EXPECT_FALSE(RectHasArea(f.hook->DragOutline()));
    EXPECT_EQ(f.hook->Dragging()->DragMode, TTeFormDragMode::kfdmBorder);
    // A double-click on the caption ends the gesture it started, also in outline mode.
    ::SendMessageW(f.Wnd(), WM_NCLBUTTONDBLCLK, HTCAPTION,
                   f.ScreenParam(100, FrameSize + CaptionHeight / 2));
    EXPECT_EQ(f.hook->WindowState(), TTeWindowState::kwsMaximized);
    EXPECT_TRUE(f.hook->PaintEnabled());
    EXPECT_FALSE(f.hook->Tracking());
}

void SendMouse(DWORD Flags, int X = 0, int Y = 0) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = Flags;
    if (Flags & MOUSEEVENTF_ABSOLUTE) {
        in.mi.dx = AbsoluteMouseX(X);
        in.mi.dy = AbsoluteMouseY(Y);
    }
    ::SendInput(1, &in, sizeof(in));
}

TEST(SkinnedForm, RealMouseDragsTheCaptionAndHoversTheButtons) {
    testing::ClassicLook classic; // with its roll-up button
    Form f(TRect{200, 200, 500, 400});
    f.Show();
    TCountingForm& h = *f.hook;
    TRect wr = WindowRectOf(f.Wnd());
    const int cy = wr.Top + FrameSize + CaptionHeight / 2;
    // Hovering the close button makes it the hot part.
    TPoint close = Center(h.ButtonRect(TTeBorderIcon::kbiClose));
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, wr.Left + close.X, wr.Top + close.Y);
    EXPECT_TRUE(PumpUntil([&] { return h.HotPart() == kfhClose; }));
    // Down on the caption, move, up: the window follows the mouse.
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, wr.Left + 80, cy);
    EXPECT_TRUE(PumpUntil([&] { return h.HotPart() == kfhCaption; }));
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    EXPECT_TRUE(PumpUntil([&] { return h.Tracking(); }));
    for (int step = 1; step <= 4; ++step) {
        SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, wr.Left + 80 + 10 * step, cy + 5 * step);
        int want = wr.Left + 10 * step;
        EXPECT_TRUE(PumpUntil([&] { return f.form->Left() == want; })) << step;
    }
    SendMouse(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(PumpUntil([&] { return !h.Tracking(); }));
    EXPECT_EQ(f.form->Left(), wr.Left + 40);
    EXPECT_EQ(f.form->Top(), wr.Top + 20);
    // Clicking the roll-up button rolls the form up.
    {
        wr = WindowRectOf(f.Wnd());
        TPoint roll = Center(h.ButtonRect(TTeBorderIcon::kbiRollup));
        SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, wr.Left + roll.X, wr.Top + roll.Y);
        EXPECT_TRUE(PumpUntil([&] { return h.HotPart() == kfhRollup; }));
        SendMouse(MOUSEEVENTF_LEFTDOWN);
        SendMouse(MOUSEEVENTF_LEFTUP);
        EXPECT_TRUE(PumpUntil([&] { return h.WindowState() == TTeWindowState::kwsRollup; }));
    }
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 5, 5);
    PumpPending();
}

TEST(SkinnedForm, WindowStatesGoAndComeBack) {
    Form f(TRect{200, 150, 500, 350});
    f.Show();
    TCountingForm& h = *f.hook;
    const TRect normal = f.form->BoundsRect();
    TRect m = h.FrameMargins();
    const int frame_only = 200 - (m.Bottom - m.Top);

    h.Maximize();
    TRect max;
    h.GetMaximizedRect(max);
    EXPECT_EQ(h.WindowState(), TTeWindowState::kwsMaximized);
    EXPECT_EQ(f.form->BoundsRect(), max);
    EXPECT_EQ(h.RestoreRect(), normal);
    // A maximized form has no border parts.
    EXPECT_EQ(f.HitAt(0, 300), HTCLIENT);
    h.Maximize(); // again: restores
    EXPECT_EQ(h.WindowState(), TTeWindowState::kwsNormal);
    EXPECT_EQ(f.form->BoundsRect(), normal);

    h.Rollup();
    EXPECT_EQ(h.WindowState(), TTeWindowState::kwsRollup);
    EXPECT_EQ(f.form->Height(), frame_only);
    EXPECT_EQ(f.form->Width(), 300);
    h.Rollup();
    EXPECT_EQ(f.form->BoundsRect(), normal);

    // Minimizing a window without owner goes through Windows.
    h.Minimize();
    EXPECT_EQ(h.WindowState(), TTeWindowState::kwsMinimized);
    EXPECT_TRUE(PumpUntil([&] { return ::IsIconic(f.Wnd()) != FALSE; }));
    EXPECT_EQ(h.WindowState(), TTeWindowState::kwsMinimized);
    h.Restore();
    EXPECT_FALSE(::IsIconic(f.Wnd()));
    EXPECT_EQ(h.WindowState(), TTeWindowState::kwsNormal);
    EXPECT_EQ(f.form->BoundsRect(), normal);

    // Maximized, minimized, restored: maximized again.
    h.Maximize();
    h.Minimize();
    EXPECT_TRUE(PumpUntil([&] { return ::IsIconic(f.Wnd()) != FALSE; }));
    h.Restore();
    EXPECT_EQ(h.WindowState(), TTeWindowState::kwsMaximized);
    EXPECT_EQ(f.form->BoundsRect(), max);
    h.Restore();
    EXPECT_EQ(f.form->BoundsRect(), normal);

    // Rolled up, minimized from the task bar, restored from it: rolled up again.
    h.Rollup();
    ::SendMessageW(f.Wnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(PumpUntil([&] { return ::IsIconic(f.Wnd()) != FALSE; }));
    EXPECT_EQ(h.WindowState(), TTeWindowState::kwsMinimized);
    ::SendMessageW(f.Wnd(), WM_SYSCOMMAND, SC_RESTORE, 0);
    PumpPending();
    EXPECT_FALSE(::IsIconic(f.Wnd()));
    EXPECT_EQ(h.WindowState(), TTeWindowState::kwsRollup);
    EXPECT_EQ(f.form->Height(), frame_only);
    h.Restore();
    EXPECT_EQ(f.form->BoundsRect(), normal);

    // The property goes through the same operations.
    h.SetWindowState(TTeWindowState::kwsMaximized);
    EXPECT_EQ(f.form->BoundsRect(), max);
    h.SetWindowState(TTeWindowState::kwsNormal);
    EXPECT_EQ(f.form->BoundsRect(), normal);
}

class CancelHandler : public fw::TObject {
public:
    int Calls = 0;
    void Cancel(fw::TObject*, bool& CallDefault) {
        ++Calls;
        CallDefault = false;
    }
};

TEST(SkinnedForm, ActionHandlersCancelAndOwnedFormsMinimizeToABar) {
    Form f(TRect{200, 150, 500, 350});
    f.Show();
    TCountingForm& h = *f.hook;
    CancelHandler cancel;
    h.OnMinimize = TTeFormActionEvent(&cancel, &CancelHandler::Cancel);
    h.OnMaximize = TTeFormActionEvent(&cancel, &CancelHandler::Cancel);
    h.Minimize();
    h.Maximize();
    EXPECT_EQ(cancel.Calls, 2);
    EXPECT_EQ(h.WindowState(), TTeWindowState::kwsNormal);
    EXPECT_FALSE(::IsIconic(f.Wnd()));
    h.OnMinimize = nullptr;

    // An owned form without MinimizeApplication becomes a frame-only bar at the bottom
    // left of its work area.
    Form owned(TRect{250, 200, 550, 400});
    ::SetWindowLongPtrW(owned.Wnd(), GWLP_HWNDPARENT, LONG_PTR(f.Wnd()));
    owned.Show();
    owned.hook->SetMinimizeApplication(false);
    TRect m = owned.hook->FrameMargins();
    owned.hook->Minimize();
    TRect area;
    owned.hook->GetWorkArea(area);
    EXPECT_EQ(owned.form->Left(), 0);
    EXPECT_EQ(owned.form->Top() + owned.form->Height(), area.Bottom);
    EXPECT_EQ(owned.form->Height(), 200 - (m.Bottom - m.Top));
    EXPECT_EQ(owned.form->Width(), ::GetSystemMetrics(SM_CXMINIMIZED));
    owned.hook->Restore();
    EXPECT_EQ(owned.form->BoundsRect(), (TRect{250, 200, 550, 400}));
}

TEST(SkinnedForm, CloseButtonClosesUnlessTheHandlerRefuses) {
    Form f(TRect{200, 150, 500, 350});
    f.Show();
    TCountingForm& h = *f.hook;
    const TPoint c = Center(h.ButtonRect(TTeBorderIcon::kbiClose));
    auto click_close = [&] {
        ::SendMessageW(f.Wnd(), WM_NCLBUTTONDOWN, HTCLOSE, f.ScreenParam(c.X, c.Y));
        ::SendMessageW(f.Wnd(), WM_NCLBUTTONUP, HTCLOSE, f.ScreenParam(c.X, c.Y));
        PumpPending();
    };
    CancelHandler cancel;
    h.OnClose = TTeFormActionEvent(&cancel, &CancelHandler::Cancel);
    click_close();
    EXPECT_EQ(cancel.Calls, 1);
    EXPECT_TRUE(::IsWindowVisible(f.Wnd()));
    h.OnClose = nullptr;
    click_close();
    EXPECT_FALSE(::IsWindowVisible(f.Wnd()));
    EXPECT_FALSE(f.form->Visible());
}

TEST(SkinnedForm, TrayIconTakesTheFormAndGivesItBack) {
    Form f(TRect{200, 150, 500, 350});
    f.Show();
    TCountingForm& h = *f.hook;
    h.SetMinimizeApplication(false);
    h.SetCaption(std::wstring(80, L'x'));
    h.Maximize();
    h.MinimizeToTray();
    EXPECT_EQ(h.WindowState(), TTeWindowState::kwsTray);
    EXPECT_FALSE(::IsWindowVisible(f.Wnd()));
    EXPECT_EQ(std::wstring(h.TrayIconData().szTip), std::wstring(63, L'x'));
    EXPECT_EQ(h.TrayIconData().uCallbackMessage, TM_TRAYICON);
    EXPECT_EQ(h.TrayIconData().hWnd, h.TrayWindow());
    // The icon is there while the form is in the tray (a modify of it succeeds).
    NOTIFYICONDATAW probe = h.TrayIconData();
    EXPECT_TRUE(::Shell_NotifyIconW(NIM_MODIFY, &probe));

    // A right click on the icon shows the system (tray) menu; a double click restores
    // the state the form had.
    ::SendMessageW(h.TrayWindow(), TM_TRAYICON, 0, WM_RBUTTONUP);
    EXPECT_EQ(h.SystemMenuShown, 1);
    ::SendMessageW(h.TrayWindow(), TM_TRAYICON, 0, WM_LBUTTONDBLCLK);
    PumpPending();
    EXPECT_TRUE(::IsWindowVisible(f.Wnd()));
    EXPECT_EQ(h.WindowState(), TTeWindowState::kwsMaximized);
    EXPECT_FALSE(::Shell_NotifyIconW(NIM_MODIFY, &probe)); // and gone again
    h.Restore();
    EXPECT_EQ(f.form->BoundsRect(), (TRect{200, 150, 500, 350}));
    EXPECT_EQ(::SendMessageW(h.TrayWindow(), WM_QUERYENDSESSION, 0, 0), 1);

    // With MinimizeApplication the tip is the application's title.
    h.SetMinimizeApplication(true);
    std::string title = fw::Application->Title();
    fw::Application->SetTitle(std::string(70, 'A'));
    h.MinimizeToTray();
    EXPECT_EQ(std::wstring(h.TrayIconData().szTip), std::wstring(63, L'A'));
    EXPECT_FALSE(::IsWindowVisible(f.Wnd()));
    h.Restore();
    fw::Application->SetTitle(title);
    EXPECT_TRUE(::IsWindowVisible(f.Wnd()));
    EXPECT_EQ(h.WindowState(), TTeWindowState::kwsNormal);
}

TEST(SkinnedForm, CaptionButtonStatesPaintInThePlainLook) {
    testing::ClassicLook classic;
    Form f(TRect{200, 150, 500, 350});
    f.Show();
    TCountingForm& h = *f.hook;
    TRect close = h.ButtonRect(TTeBorderIcon::kbiClose);
    TRect wr = WindowRectOf(f.Wnd());
    auto at = [&](int x, int y) { return ScreenPixel(wr.Left + x, wr.Top + y); };
    ::SendMessageW(f.Wnd(), WM_NCACTIVATE, TRUE, 0);
    PumpPending();
    ASSERT_TRUE(h.IsActive());
    const TteColor normal_edge = at(close.Left, close.Top);
    const int cx = 40, cy = FrameSize + CaptionHeight / 2;
    EXPECT_TRUE(NearColor(at(FrameSize + 1, cy),
                          RgbOf(fw::TColor(::GetSysColor(COLOR_ACTIVECAPTION))), 16));
    // Hot: the hook tracks the part under the mouse (the classic look draws it alike).
    ::SendMessageW(f.Wnd(), WM_NCMOUSEMOVE, HTCLOSE,
                   f.ScreenParam(Center(close).X, Center(close).Y));
    EXPECT_EQ(h.HotPart(), kfhClose);
    // Pressed: the button is drawn pushed in (dark top-left edge).
    ::SendMessageW(f.Wnd(), WM_NCLBUTTONDOWN, HTCLOSE,
                   f.ScreenParam(Center(close).X, Center(close).Y));
    EXPECT_EQ(h.PressedPart(), kfhClose);
    const TteColor pressed_edge = at(close.Left, close.Top);
    EXPECT_LT(testing::Brightness(pressed_edge), testing::Brightness(normal_edge));
    // Released elsewhere: nothing happens, the button comes back up.
    ::SendMessageW(f.Wnd(), WM_NCLBUTTONUP, HTCAPTION, f.ScreenParam(cx, cy));
    EXPECT_TRUE(::IsWindowVisible(f.Wnd()));
    EXPECT_TRUE(NearColor(at(close.Left, close.Top), normal_edge, 4));
    // Inactive: the caption takes the inactive colours.
    ::SendMessageW(f.Wnd(), WM_NCACTIVATE, FALSE, 0);
    EXPECT_FALSE(h.IsActive());
    EXPECT_TRUE(NearColor(at(FrameSize + 1, cy),
                          RgbOf(fw::TColor(::GetSysColor(COLOR_INACTIVECAPTION))), 16));
    // The roll-up and tray glyphs are black on the button face.
    TRect roll = h.ButtonRect(TTeBorderIcon::kbiRollup);
    TRect tray = h.ButtonRect(TTeBorderIcon::kbiTray);
    EXPECT_TRUE(NearColor(at(Center(roll).X - 1, Center(roll).Y - 1), 0));
    EXPECT_TRUE(NearColor(at(Center(tray).X, Center(tray).Y + 1), 0));
    // A long caption is cut (with an ellipsis) within the room the buttons leave: the
    // caption before the left-most button stays as it was with a short text.
    ::SendMessageW(f.Wnd(), WM_NCACTIVATE, TRUE, 0);
    const TteColor before = at(tray.Left - 3, cy);
    h.SetCaption(std::wstring(200, L'W'));
    ::SendMessageW(f.Wnd(), WM_NCACTIVATE, TRUE, 0);
    EXPECT_TRUE(NearColor(at(tray.Left - 3, cy), before, 4));
}

TEST(SkinnedForm, CaptionButtonStatesPaintThroughTheVisualStyle) {
    if (!IsSystemThemeActive()) GTEST_SKIP() << "no visual style on this system";
    Form f(TRect{200, 150, 500, 350});
    f.Show();
    TCountingForm& h = *f.hook;
    TRect close = h.ButtonRect(TTeBorderIcon::kbiClose);
    TRect wr = WindowRectOf(f.Wnd());
    auto picture = [&] {
        TteBitmap b;
        GrabScreen(b, TRect{wr.Left + close.Left, wr.Top + close.Top, wr.Left + close.Right,
                            wr.Top + close.Bottom});
        std::vector<TteColor> px;
        for (int y = 0; y < b.Height; ++y)
            for (int x = 0; x < b.Width; ++x)
                px.push_back(b.GetPixel(x, y) & 0xFFFFFF);
        return px;
    };
    ::SendMessageW(f.Wnd(), WM_NCACTIVATE, TRUE, 0);
    const auto normal = picture();
    const TPoint c = Center(close);
    ::SendMessageW(f.Wnd(), WM_NCMOUSEMOVE, HTCLOSE, f.ScreenParam(c.X, c.Y));
    const auto hot = picture();
    ::SendMessageW(f.Wnd(), WM_NCLBUTTONDOWN, HTCLOSE, f.ScreenParam(c.X, c.Y));
    const auto pressed = picture();
    ::SendMessageW(f.Wnd(), WM_NCLBUTTONUP, HTCAPTION, f.ScreenParam(60, 10));
    ::SendMessageW(f.Wnd(), WM_NCMOUSEMOVE, HTCAPTION, f.ScreenParam(60, 10));
    EXPECT_EQ(picture(), normal);
    EXPECT_NE(hot, normal);
    EXPECT_NE(pressed, normal);
    EXPECT_NE(pressed, hot);
    // The inactive state (5) is asked for as well, but Wine's own style draws it like
    // the normal button; the classic test reads the inactive look back.
}

TEST(SkinnedForm, PaintFormDrawsTheWholeFormIntoAForeignContext) {
    Form f(TRect{200, 150, 500, 350}, fw::clLime);
    f.Show();
    TteBitmap target;
    target.SetSize(320, 220);
    target.FillColor(0xFF0000FF);
    EXPECT_EQ(::SendMessageW(f.Wnd(), TM_PAINTFORM, 0, 0), 0);
    EXPECT_EQ(::SendMessageW(f.Wnd(), TM_PAINTFORM, MAKEWPARAM(10, 10), LPARAM(BitmapDC(target))),
              1);
    ::GdiFlush();
    TRect m = f.hook->FrameMargins();
    EXPECT_TRUE(NearColor(target.GetPixel(10 + 150, 10 + 100) & 0xFFFFFF, RgbOf(fw::clLime), 0));
    EXPECT_TRUE(NearColor(target.GetPixel(5, 5) & 0xFFFFFF, 0x0000FF, 0));
    EXPECT_FALSE(
        NearColor(target.GetPixel(10 + 60, 10 + m.Top - 3) & 0xFFFFFF, RgbOf(fw::clLime), 0));
}

TEST(SkinnedForm, PaintingOffLeavesFrameAndBackgroundAlone) {
    Form f(TRect{200, 150, 500, 350}, fw::clLime);
    f.Show();
    TRect wr = WindowRectOf(f.Wnd());
    TRect m = f.hook->FrameMargins();
    f.hook->DisablePainting();
    f.form->SetColor(fw::clRed);
    EXPECT_EQ(::SendMessageW(f.Wnd(), WM_ERASEBKGND, 0, 0), 1);
    EXPECT_TRUE(
        NearColor(ScreenPixel(wr.Left + m.Left + 20, wr.Top + m.Top + 20), RgbOf(fw::clLime)));
    f.hook->EnablePainting();
    EXPECT_EQ(::SendMessageW(f.Wnd(), WM_ERASEBKGND, 0, 0), 1);
    EXPECT_TRUE(
        NearColor(ScreenPixel(wr.Left + m.Left + 20, wr.Top + m.Top + 20), RgbOf(fw::clRed)));
}

TEST(SkinnedForm, TransparentChildrenGetTheFormBackground) {
    Form hooked(TRect{100, 100, 400, 300}, fw::clLime);
    auto* plain = new fw::TForm(nullptr);
    plain->SetColor(fw::clRed);
    TteBitmap surface;
    surface.SetSize(40, 40);
    surface.FillColor(0xFF0000FF);
    fw::TCanvas canvas;
    canvas.SetHandle(BitmapDC(surface));
    TteBackgroundInfo info;
    info.Bounds = TRect{5, 5, 25, 25};
    info.Parent = plain;
    // Without a form hook: the form's colour.
    EXPECT_TRUE(FormBackgroundPainter(canvas, info));
    ::GdiFlush();
    EXPECT_TRUE(NearColor(surface.GetPixel(10, 10) & 0xFFFFFF, RgbOf(fw::clRed), 0));
    EXPECT_TRUE(NearColor(surface.GetPixel(30, 30) & 0xFFFFFF, 0x0000FF, 0));
    // With one: the hook's client background.
    info.Parent = hooked.form;
    EXPECT_EQ(FindTeForm(hooked.form), hooked.hook);
    EXPECT_TRUE(FormBackgroundPainter(canvas, info));
    ::GdiFlush();
    EXPECT_TRUE(NearColor(surface.GetPixel(10, 10) & 0xFFFFFF, RgbOf(fw::clLime), 0));
    canvas.SetHandle(nullptr);
    plain->Free();
}

// A plain window of one colour behind the forms, so that shadow and blending have a
// known background.
struct Backdrop {
    explicit Backdrop(fw::TColor Color) {
        form = new fw::TForm(nullptr);
        form->SetBorderStyle(fw::TFormBorderStyle::bsNone);
        form->SetColor(Color);
        form->SetBounds(0, 0, 1024, 768);
        form->Show();
        PumpUntil([&] { return ::IsWindowVisible(form->WindowHandle()) != FALSE; });
        ::UpdateWindow(form->WindowHandle());
        PumpPending();
    }
    ~Backdrop() { form->Free(); }
    // Shows the backdrop again where windows were, before the next capture of the screen.
    void Refresh() {
        ::RedrawWindow(form->WindowHandle(), nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        PumpPending();
    }
    fw::TForm* form;
};

TEST(SkinnedForm, ShadowAndBlendingAreSetAndCleared) {
    // The effects compose against the screen captured before the window shows: they are
    // switched on before showing, over a backdrop of one colour.
    Backdrop back(fw::clYellow);
    const int yellow = testing::Brightness(RgbOf(fw::clYellow));
    for (auto performance :
         {TTeFormPerformance::kfpNoBuffer, TTeFormPerformance::kfpSharedBuffer,
          TTeFormPerformance::kfpPersistentBuffer, TTeFormPerformance::kfpDoubleBuffer}) {
        SCOPED_TRACE(int(performance));
        back.Refresh();
        Form f(TRect{200, 150, 506, 356}, fw::clWhite, [&](TCountingForm& h) {
            h.SetPerformance(performance);
            h.Shadow()->SetSize(6);
            h.Shadow()->SetEnabled(true);
        });
        f.Show();
        TCountingForm& h = *f.hook;
        EXPECT_EQ(h.WindowWidth(), 306);
        EXPECT_EQ(h.FormWidth(), 300);
        RECT box{};
        HRGN rgn = ::CreateRectRgn(0, 0, 0, 0);
        ASSERT_NE(::GetWindowRgn(f.Wnd(), rgn), ERROR);
        ::GetRgnBox(rgn, &box);
        EXPECT_EQ(box.right, 306);
        EXPECT_EQ(box.bottom, 206);
        EXPECT_TRUE(::PtInRegion(rgn, 303, 100));
        EXPECT_FALSE(::PtInRegion(rgn, 303, 2)); // the square above the shadow is cut away
        // Inside the shadow the yellow backdrop is darkened; its outermost line hardly.
        TteColor inner = ScreenPixel(200 + 302, 150 + 100);
        TteColor outer = ScreenPixel(200 + 305, 150 + 100);
        EXPECT_LT(testing::Brightness(inner), yellow - 150);
        EXPECT_GT(testing::Brightness(outer), yellow - 60);
        EXPECT_TRUE(NearColor(ScreenPixel(200 + 150, 150 + 100), 0xFFFFFF));

        // Cleared: the window is the form alone again.
        h.Shadow()->SetEnabled(false);
        f.form->SetBounds(200, 150, 300, 200);
        PumpPending();
        ::GetWindowRgn(f.Wnd(), rgn);
        ::GetRgnBox(rgn, &box);
        EXPECT_EQ(box.right, 300);
        EXPECT_EQ(h.FormWidth(), h.WindowWidth());
        ::DeleteObject(rgn);
    }
    for (auto performance :
         {TTeFormPerformance::kfpNoBuffer, TTeFormPerformance::kfpDoubleBuffer}) {
        SCOPED_TRACE(int(performance));
        back.Refresh();
        Form f(TRect{200, 150, 500, 350}, fw::clWhite, [&](TCountingForm& h) {
            h.SetPerformance(performance);
            h.Blending()->SetValue(128);
            h.Blending()->SetEnabled(true);
        });
        f.Show();
        TCountingForm& h = *f.hook;
        // Frame and client show the backdrop in the proportion 1 - Value / 255: yellow has
        // no blue, so the blue of white and of the button face is halved.
        TRect m = h.FrameMargins();
        TteColor frame = ScreenPixel(200 + 150, 150 + m.Top / 2);
        TteColor client = ScreenPixel(200 + 150, 150 + 100);
        EXPECT_NEAR(PixelB(client), 255 / 2, 16);
        EXPECT_GT(PixelR(client), 240);
        EXPECT_LT(PixelB(frame), 160);
        EXPECT_GT(PixelR(frame), 180);
        h.Blending()->SetEnabled(false);
        ::RedrawWindow(f.Wnd(), nullptr, nullptr,
                       RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        EXPECT_TRUE(NearColor(ScreenPixel(200 + 150, 150 + 100), 0xFFFFFF));
    }
}

TEST(SkinnedForm, ShowAnimationEndsOnTheFinalPicture) {
    Backdrop back(fw::clNavy);
    Form f(TRect{200, 150, 500, 350}, fw::clLime, [](TCountingForm& h) {
        h.Animation()->SetEnabled(true);
        h.Animation()->SetTime(200);
        h.Animation()->SetEffectKind("Fade");
    });
    f.form->Show();
    EXPECT_FALSE(AnyAnimationActive());
    EXPECT_FALSE(f.hook->Animating());
    TRect m = f.hook->FrameMargins();
    // The last frame on the screen is the window itself: client and caption.
    EXPECT_TRUE(NearColor(ScreenPixel(200 + 150, 150 + 100), RgbOf(fw::clLime)));
    EXPECT_FALSE(NearColor(ScreenPixel(200 + 60, 150 + m.Top - 4), RgbOf(fw::clNavy)));
}

class DestroyWatch : public fw::TComponent {
public:
    explicit DestroyWatch(fw::TComponent* Owner, bool& Flag) : fw::TComponent(Owner), flag_(Flag) {}
    ~DestroyWatch() override { flag_ = true; }

private:
    bool& flag_;
};

TEST(SkinnedForm, FormReleasedWhileItsShowAnimationRuns) {
    auto* form = new fw::TForm(nullptr);
    form->SetBounds(200, 150, 300, 200);
    auto* hook = new TCountingForm(form);
    hook->Animation()->SetEnabled(true);
    hook->Animation()->SetTime(300);
    hook->Animation()->SetEffectKind("Fade");
    hook->Loaded();
    bool freed = false;
    new DestroyWatch(form, freed);
    // The release arrives inside the animation's message loop; the form goes once the
    // animation is over, not under the show call.
    form->Release();
    form->Show();
    EXPECT_FALSE(freed);
    EXPECT_FALSE(AnyAnimationActive());
    EXPECT_TRUE(PumpUntil([&] { return freed; }));
}

TEST(SkinnedForm, DemonstrationScreenshot) {
    Backdrop back(fw::clTeal);
    Form plain(TRect{20, 20, 340, 220}, fw::clWhite);
    plain.form->SetText("Plain form");
    plain.Show();
    Form shadowed(TRect{360, 20, 686, 246}, fw::clSilver, [](TCountingForm& h) {
        h.Shadow()->SetEnabled(true);
        h.Shadow()->SetSize(6);
        h.SetPerformance(TTeFormPerformance::kfpSharedBuffer);
    });
    shadowed.form->SetText("Shadow");
    shadowed.Show();
    Form blended(TRect{20, 260, 340, 460}, fw::clWhite, [](TCountingForm& h) {
        h.Blending()->SetEnabled(true);
        h.Blending()->SetValue(170);
        h.SetPerformance(TTeFormPerformance::kfpDoubleBuffer);
    });
    blended.form->SetText("Blending");
    blended.Show();
    Form tool(TRect{360, 280, 620, 420}, fw::clWhite,
              [](TCountingForm& h) { h.SetBorderStyle(TTeBorderStyle::kbsToolWindow); });
    tool.form->SetText("Tool window");
    tool.Show();
    Form rolled(TRect{640, 280, 960, 480}, fw::clWhite);
    rolled.form->SetText("Rolled up");
    rolled.Show();
    rolled.hook->Rollup();
    for (HWND w : {plain.Wnd(), shadowed.Wnd(), blended.Wnd(), tool.Wnd(), rolled.Wnd()})
        ::RedrawWindow(w, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    PumpPending();
    TteBitmap shot;
    GrabScreen(shot, TRect{0, 0, 1000, 500});
    EXPECT_TRUE(
        testing::SaveBitmapFile(shot, testing::TestOutputFolder() + "/skin_form_plain.bmp"));
}

TEST(SkinnedForm, DemonstrationScreenshotOfTheClassicLook) {
    testing::ClassicLook classic;
    Backdrop back(fw::clTeal);
    Form active(TRect{20, 20, 340, 220}, fw::clWhite);
    active.form->SetText("Classic look");
    active.Show();
    Form inactive(TRect{360, 20, 680, 220}, fw::clWhite);
    inactive.form->SetText("Classic look, inactive, with a caption too long for its room");
    inactive.Show();
    Form tool(TRect{20, 240, 340, 400}, fw::clWhite,
              [](TCountingForm& h) { h.SetBorderStyle(TTeBorderStyle::kbsToolWindow); });
    tool.form->SetText("Classic tool window");
    tool.Show();
    ::SendMessageW(active.Wnd(), WM_NCACTIVATE, TRUE, 0);
    ::SendMessageW(inactive.Wnd(), WM_NCACTIVATE, FALSE, 0);
    ::SendMessageW(tool.Wnd(), WM_NCACTIVATE, TRUE, 0);
    TRect close = active.hook->ButtonRect(TTeBorderIcon::kbiClose);
    ::SendMessageW(active.Wnd(), WM_NCLBUTTONDOWN, HTCLOSE,
                   active.ScreenParam(Center(close).X, Center(close).Y));
    TteBitmap shot;
    GrabScreen(shot, TRect{0, 0, 700, 420});
    EXPECT_TRUE(
        testing::SaveBitmapFile(shot, testing::TestOutputFolder() + "/skin_form_classic.bmp"));
    ::SendMessageW(active.Wnd(), WM_NCLBUTTONUP, HTCAPTION, active.ScreenParam(60, 10));
}

} // namespace
} // namespace dvr::skin
