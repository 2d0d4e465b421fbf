// The plain look of the skinned form: frame, caption and caption buttons drawn with the
// Windows visual style when one is active, else with classic 3-D drawing.
#include "skin/controls/te_form.h"

#include "skin/engine/te_utils_win.h"
#include "skin/engine/te_winapi.h"

#include <vssym32.h>

namespace dvr::skin {

namespace {

// An opened "Window" theme for one paint, closed again at the end.
struct PlainFormWindowTheme {
    explicit PlainFormWindowTheme(HWND Wnd) {
        const TThemeFunctions& tf = ThemeFunctions();
        if (IsSystemThemeActive() && tf.OpenThemeData) theme = tf.OpenThemeData(Wnd, L"Window");
    }
    ~PlainFormWindowTheme() {
        if (theme && ThemeFunctions().CloseThemeData) ThemeFunctions().CloseThemeData(theme);
    }
    void Draw(HDC DC, int Part, int State, TRect R) const {
        RECT r{R.Left, R.Top, R.Right, R.Bottom};
        if (theme && ThemeFunctions().DrawThemeBackground)
            ThemeFunctions().DrawThemeBackground(theme, DC, Part, State, &r, nullptr);
    }
    HTHEME theme = nullptr;
};

bool PlainFormUsesVisualStyle() {
    return IsSystemThemeActive() && ThemeFunctions().DrawThemeBackground;
}

} // namespace

void TTeDefaultForm::PaintNonClient(fw::TCanvas& Canvas) {
    if (border_style_ == TTeBorderStyle::kbsNone && !shadow_->Enabled()) return;
    const int W = form_width_, H = form_height_;
    TRect m;
    GetFrameMargins(m);
    HDC dc = Canvas.Handle();
    if (!PlainFormUsesVisualStyle()) {
        RECT r{0, 0, W, H};
        ::DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
        TRect R{2, 2, W - 2, H - 2};
        fw::TColor face = ColorToRGB(fw::clBtnFace);
        FillRectColor(dc, TRect{R.Left, m.Top, m.Left, R.Bottom}, face);
        FillRectColor(dc, TRect{m.Right, m.Top, R.Right, R.Bottom}, face);
        FillRectColor(dc, TRect{R.Left, m.Bottom, R.Right, R.Bottom}, face);
        FillRectColor(dc, TRect{R.Left, R.Top, R.Right, m.Top}, face);
        PaintCaptionStrip(Canvas, TRect{0, 0, W, m.Top}, false);
        return;
    }
    PlainFormWindowTheme theme(GetHandle());
    int state = is_active_ ? FS_ACTIVE : FS_INACTIVE;
    if (border_style_ == TTeBorderStyle::kbsStandard ||
        border_style_ == TTeBorderStyle::kbsDialog) {
        theme.Draw(dc, WP_FRAMELEFT, state, TRect{0, m.Top, m.Left, m.Bottom});
        theme.Draw(dc, WP_FRAMERIGHT, state, TRect{m.Right, m.Top, W, m.Bottom});
        theme.Draw(dc, WP_FRAMEBOTTOM, state, TRect{0, m.Bottom, W, H});
    } else if (border_style_ == TTeBorderStyle::kbsToolWindow) {
        theme.Draw(dc, WP_SMALLFRAMELEFT, state, TRect{0, m.Top, m.Left, m.Bottom});
        theme.Draw(dc, WP_SMALLFRAMERIGHT, state, TRect{m.Right, m.Top, W, m.Bottom});
        theme.Draw(dc, WP_SMALLFRAMEBOTTOM, state, TRect{0, m.Bottom, W, H});
    }
    PaintCaptionStrip(Canvas, TRect{0, 0, W, m.Top}, true);
}

// The caption strip goes straight onto a buffered canvas; without a buffer it is drawn
// into a bitmap first so that the caption does not flicker.
void TTeDefaultForm::PaintCaptionStrip(fw::TCanvas& Canvas, TRect Strip, bool VisualStyle) {
    if (Strip.Height() <= 0 || Strip.Width() <= 0) return;
    auto paint = [&](fw::TCanvas& Target) {
        if (VisualStyle && border_style_ != TTeBorderStyle::kbsBorder) {
            PlainFormWindowTheme theme(GetHandle());
            int part =
                border_style_ == TTeBorderStyle::kbsToolWindow ? WP_SMALLCAPTION : WP_CAPTION;
            theme.Draw(Target.Handle(), part, is_active_ ? FS_ACTIVE : FS_INACTIVE, Strip);
        }
        PaintCaption(Target);
    };
    if (performance_ != TTeFormPerformance::kfpNoBuffer) {
        paint(Canvas);
        return;
    }
    fw::TBitmap strip;
    strip.SetSize(Strip.Width(), Strip.Height());
    fw::TCanvas* sc = strip.Canvas();
    ::BitBlt(sc->Handle(), 0, 0, Strip.Width(), Strip.Height(), Canvas.Handle(), Strip.Left,
             Strip.Top, SRCCOPY);
    paint(*sc);
    Canvas.CopyRect(Strip, sc, TRect{0, 0, Strip.Width(), Strip.Height()});
}

void TTeDefaultForm::PaintCaption(fw::TCanvas& Canvas) {
    const int W = form_width_;
    TRect m;
    GetFrameMargins(m);
    TRect cr{m.Left, FrameSize, m.Right, m.Top};
    if (cr.Height() <= 0) return;
    HDC dc = Canvas.Handle();
    bool tool = border_style_ == TTeBorderStyle::kbsToolWindow;
    fw::TFont* font = tool ? SmallCaptionFont() : CaptionFont();
    int room;
    if (tool) {
        room = W - m.Left - 2 * SmallCaptionHeight;
    } else {
        int n = 1;
        for (TTeBorderIcon i :
             {TTeBorderIcon::kbiClose, TTeBorderIcon::kbiMaximize, TTeBorderIcon::kbiMinimize,
              TTeBorderIcon::kbiHelp, TTeBorderIcon::kbiRollup, TTeBorderIcon::kbiTray})
            if (border_icons_.Contains(i)) ++n;
        room = W - m.Left - n * CaptionButtonSize;
    }
    HGDIOBJ old_font = ::SelectObject(dc, font->Handle());
    std::wstring text;
    FitTextWithEllipsis(dc, caption_, room, text);
    TRect tr = cr;
    if (border_icons_.Contains(TTeBorderIcon::kbiSystemMenu) && !tool) {
        tr.Left += cr.Height();
        tr.Right += cr.Height();
    }
    tr.Left += 2;
    tr.Right -= 2;
    const UINT flags = DT_VCENTER | DT_SINGLELINE;
    ::SetBkMode(dc, TRANSPARENT);
    if (PlainFormUsesVisualStyle()) {
        PlainFormWindowTheme theme(GetHandle());
        COLORREF color = ColorToRGB(fw::clCaptionText);
        if (!is_active_ && theme.theme && ThemeFunctions().GetThemeColor)
            ThemeFunctions().GetThemeColor(theme.theme, WP_CAPTION, CS_INACTIVE, TMT_TEXTCOLOR,
                                           &color);
        ::SetTextColor(dc, color);
        if (theme.theme && ThemeFunctions().DrawThemeText) {
            RECT r{tr.Left, tr.Top, tr.Right, tr.Bottom};
            ThemeFunctions().DrawThemeText(theme.theme, dc, WP_CAPTION, is_active_ ? 1 : 2,
                                           text.c_str(), -1, flags, 0, &r);
        }
        DrawWideText(dc, text, tr, flags);
    } else {
        FillGradientRect(
            dc, cr,
            fw::TColor(::GetSysColor(is_active_ ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION)),
            fw::TColor(::GetSysColor(is_active_ ? COLOR_GRADIENTACTIVECAPTION
                                                : COLOR_GRADIENTINACTIVECAPTION)),
            false);
        ::SetTextColor(dc, ColorToRGB(is_active_ ? fw::clCaptionText : fw::clInactiveCaptionText));
        DrawWideText(dc, text, tr, flags);
    }
    ::SelectObject(dc, old_font);

    auto button = [&](TTeBorderIcon icon, uint8_t code) {
        if (!border_icons_.Contains(icon)) return;
        TRect r;
        GetButtonRect(icon, r);
        bool pressed = (mouse_buttons_ & 8) && pressed_part_ == code && hot_part_ == code;
        bool hot = hot_part_ == code && !tracking_;
        PaintCaptionButton(Canvas, r, hot, pressed, icon);
    };
    button(TTeBorderIcon::kbiClose, kfhClose);
    if (tool) return;
    if (border_icons_.Contains(TTeBorderIcon::kbiSystemMenu)) {
        TRect r;
        GetButtonRect(TTeBorderIcon::kbiSystemMenu, r);
        PaintCaptionButton(Canvas, r, false, false, TTeBorderIcon::kbiSystemMenu);
    }
    button(TTeBorderIcon::kbiMinimize, kfhMinimize);
    button(TTeBorderIcon::kbiMaximize, kfhMaximize);
    button(TTeBorderIcon::kbiRollup, kfhRollup);
    button(TTeBorderIcon::kbiTray, kfhTray);
    button(TTeBorderIcon::kbiHelp, kfhHelp);
}

void TTeDefaultForm::GetButtonRect(TTeBorderIcon Button, TRect& Rect) {
    Rect = TRect{};
    if (!border_icons_.Contains(Button)) return;
    TRect m;
    GetFrameMargins(m);
    TRect B{m.Left, FrameSize + 1, m.Right, m.Top};
    const int h = B.Height();
    if (h <= 0) return;
    if (Button == TTeBorderIcon::kbiSystemMenu) {
        if (border_style_ == TTeBorderStyle::kbsToolWindow) return;
        Rect = TRect{B.Left, B.Top, B.Left + h, B.Top + h};
        return;
    }
    const bool style = PlainFormUsesVisualStyle();
    const bool tool = border_style_ == TTeBorderStyle::kbsToolWindow;
    const bool minimized = window_state_ == TTeWindowState::kwsMinimized;
    const bool rolled = window_state_ == TTeWindowState::kwsRollup;
    const int bw = style ? h - 4 : h - 2, bh = h - 4;
    // Right edge of the next button to place.
    int right = style ? B.Right - 2 + (tool ? 2 : 0) : B.Right - h + bw;
    const int top = style ? B.Top + 2 - 1 : B.Top + 2;
    auto place = [&](TTeBorderIcon icon, bool shown, int gap_after) -> bool {
        if (!border_icons_.Contains(icon) || !shown) return false;
        TRect r{right - bw, top, right, top + bh};
        right = r.Left - gap_after;
        if (icon == Button) {
            Rect = r;
            return true;
        }
        return false;
    };
    int gap = style ? 2 : 0;
    if (place(TTeBorderIcon::kbiClose, true, 2)) return;
    if (tool) return;
    if (place(TTeBorderIcon::kbiMaximize, !minimized, gap)) return;
    if (place(TTeBorderIcon::kbiMinimize, true, gap)) return;
    if (!style) {
        right -= 2;
        if (place(TTeBorderIcon::kbiRollup, !minimized, 0)) return;
        if (place(TTeBorderIcon::kbiTray, !minimized, 0)) return;
    }
    right -= 2;
    place(TTeBorderIcon::kbiHelp, !minimized && !rolled, gap);
}

void TTeDefaultForm::PaintCaptionButton(fw::TCanvas& Canvas, TRect Rect, bool Hot, bool Pressed,
                                        TTeBorderIcon Button) {
    if (!RectHasArea(Rect) || IsMaximizedMDIChild()) return;
    HDC dc = Canvas.Handle();
    if (Button == TTeBorderIcon::kbiSystemMenu) {
        DrawIconCenteredDC(dc, Rect, GetSmallIcon());
        return;
    }
    const bool minimized = window_state_ == TTeWindowState::kwsMinimized;
    const bool maximized = window_state_ == TTeWindowState::kwsMaximized;
    if (PlainFormUsesVisualStyle()) {
        int state = !is_active_ ? 5 : Pressed ? 3 : Hot ? 2 : 1;
        int part = 0;
        switch (Button) {
        case TTeBorderIcon::kbiClose:
            part = WP_CLOSEBUTTON;
            break;
        case TTeBorderIcon::kbiMinimize:
            part = minimized ? WP_RESTOREBUTTON : WP_MINBUTTON;
            break;
        case TTeBorderIcon::kbiMaximize:
            part = maximized ? WP_RESTOREBUTTON : WP_MAXBUTTON;
            break;
        case TTeBorderIcon::kbiHelp:
            part = WP_HELPBUTTON;
            break;
        default:
            return;
        }
        PlainFormWindowTheme(GetHandle()).Draw(dc, part, state, Rect);
        return;
    }
    RECT r{Rect.Left, Rect.Top, Rect.Right, Rect.Bottom};
    const UINT pushed = Pressed ? DFCS_PUSHED : 0;
    switch (Button) {
    case TTeBorderIcon::kbiClose:
        DrawCaptionFrameControl(dc, Rect, DFCS_CAPTIONCLOSE | pushed);
        break;
    case TTeBorderIcon::kbiMinimize:
        DrawCaptionFrameControl(dc, Rect,
                                (minimized ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMIN) | pushed);
        break;
    case TTeBorderIcon::kbiMaximize:
        DrawCaptionFrameControl(dc, Rect,
                                (maximized ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMAX) | pushed);
        break;
    case TTeBorderIcon::kbiHelp:
        DrawCaptionFrameControl(dc, Rect, DFCS_CAPTIONHELP | pushed);
        break;
    case TTeBorderIcon::kbiRollup: {
        ::DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | pushed);
        TRect g{Rect.Left + 4, Rect.Top + 5, Rect.Right - 4, Rect.Bottom - 5};
        if (!Pressed) g = TRect{g.Left - 1, g.Top - 1, g.Right - 1, g.Bottom - 1};
        int mid = (g.Left + g.Right) / 2;
        std::vector<TPoint> tri;
        if (window_state_ == TTeWindowState::kwsRollup)
            tri = {{g.Left, g.Top}, {g.Right, g.Top}, {mid, g.Bottom}};
        else
            tri = {{g.Left, g.Bottom}, {g.Right, g.Bottom}, {mid, g.Top}};
        FillPolygonColor(dc, tri, fw::clBlack);
        break;
    }
    case TTeBorderIcon::kbiTray: {
        ::DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | pushed);
        TRect e{Rect.Left + 5, Rect.Top + 5 + 2, Rect.Right - 5, Rect.Bottom - 5 + 2};
        if (Pressed) e = TRect{e.Left + 1, e.Top + 1, e.Right + 1, e.Bottom + 1};
        HGDIOBJ ob = ::SelectObject(dc, ::GetStockObject(BLACK_BRUSH));
        HGDIOBJ op = ::SelectObject(dc, ::GetStockObject(BLACK_PEN));
        ::Ellipse(dc, e.Left, e.Top, e.Right, e.Bottom);
        ::SelectObject(dc, op);
        ::SelectObject(dc, ob);
        break;
    }
    default:
        break;
    }
}

void TTeDefaultForm::PaintClientBackground() {
    TRect r;
    GetClientAreaRect(r);
    fw::TColor color = fw::clBtnFace;
    if (fw::TWinControl* c = GetControl()) color = c->Color();
    FillRectColor(canvas_->Handle(), r, ColorToRGB(color));
}

void TTeDefaultForm::PaintSizeGrip(fw::TCanvas& Canvas) {
    TRect r;
    GetSizeGripRect(r);
    if (RectHasArea(r)) FillRectColor(Canvas.Handle(), r, ColorToRGB(fw::clBtnFace));
}

} // namespace dvr::skin
