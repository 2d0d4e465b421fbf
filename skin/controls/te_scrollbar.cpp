#include "skin/controls/te_scrollbar.h"

#include "skin/engine/te_canvas_win.h"
#include "skin/engine/te_pixels.h"
#include "skin/engine/te_theme.h"
#include "skin/engine/te_utils_win.h"
#include "skin/engine/te_winapi.h"

#include <algorithm>

namespace dvr::skin {

using fw::TMessage;

namespace {

int ThumbMetric() {
    return ::GetSystemMetrics(SM_CYVTHUMB);
}

void DrawVisualStyle(HDC DC, const TRect& R, int Part, int State) {
    const TThemeFunctions& f = ThemeFunctions();
    if (!f.OpenThemeData || !f.DrawThemeBackground || !f.CloseThemeData) return;
    HTHEME theme = f.OpenThemeData(nullptr, L"ScrollBar");
    if (!theme) return;
    RECT rc{R.Left, R.Top, R.Right, R.Bottom};
    f.DrawThemeBackground(theme, DC, Part, State, &rc, nullptr);
    f.CloseThemeData(theme);
}

} // namespace

TTeScrollBar::TTeScrollBar(fw::TComponent* AOwner) : TTeGraphicControl(AOwner) {
    control_style_.Include(fw::TControlStyleItem::csCaptureMouse);
    SetBounds(Left(), Top(), 121, ThumbMetric() + 2 * border_width_);
    performance_ = TTePerformance::kpDoubleBuffer;
    AddThemeNotification(this);
}

TTeScrollBar::~TTeScrollBar() {
    RemoveThemeNotification(this);
    delete timer_;
    timer_ = nullptr;
}

void TTeScrollBar::SetPosition(int Value) {
    if (Value == position_) return;
    position_ = std::clamp(Value, min_, std::max(min_, max_));
    Invalidate();
    Change();
}

void TTeScrollBar::SetMin(int Value) {
    if (Value == min_) return;
    min_ = std::min(Value, max_);
    if (position_ < min_) SetPosition(min_);
    page_size_ = std::min(page_size_, max_ - min_ + 1);
    Invalidate();
}

void TTeScrollBar::SetMax(int Value) {
    if (Value == max_) return;
    max_ = std::max(Value, min_);
    if (position_ > max_) SetPosition(max_);
    page_size_ = std::min(page_size_, max_ - min_ + 1);
    Invalidate();
}

void TTeScrollBar::SetPageSize(int Value) {
    if (Value == page_size_ || Value < 0) return;
    page_size_ = std::min(Value, max_ - min_ + 1);
    Invalidate();
}

void TTeScrollBar::SetOrientation(TteScrollOrientation Value) {
    orientation_ = Value;
    Invalidate();
}

void TTeScrollBar::SetShowButtons(bool Value) {
    if (Value == show_buttons_) return;
    show_buttons_ = Value;
    Invalidate();
}

void TTeScrollBar::SetBorderWidth(int Value) {
    if (Value == border_width_) return;
    border_width_ = Value;
    Invalidate();
}

void TTeScrollBar::AdjustThickness() {
    int t = ThumbMetric() + 2 * border_width_;
    if (Vertical())
        SetWidth(t);
    else
        SetHeight(t);
}

void TTeScrollBar::Change() {
    if (OnChange) OnChange(this);
}

void TTeScrollBar::Scroll(TTeScrollCode ScrollCode, int& ScrollPos) {
    if (OnScroll) OnScroll(this, ScrollCode, ScrollPos);
}

// ---- geometry ----

int TTeScrollBar::GetButtonSize() {
    int l = (Vertical() ? Height() : Width()) - 2 * border_width_;
    int s = ThumbMetric();
    return l < 2 * s ? l / 2 : s;
}

TRect TTeScrollBar::GetMinButtonRect() {
    int b = border_width_, s = GetButtonSize();
    return Vertical() ? TRect{b, b, Width() - b, b + s} : TRect{b, b, b + s, Height() - b};
}

TRect TTeScrollBar::GetMaxButtonRect() {
    int b = border_width_, s = GetButtonSize();
    return Vertical() ? TRect{b, Height() - b - s, Width() - b, Height() - b}
                      : TRect{Width() - b - s, b, Width() - b, Height() - b};
}

TRect TTeScrollBar::GetTrackRect() {
    int b = border_width_;
    TRect r{b, b, Width() - b, Height() - b};
    if (show_buttons_) {
        int s = GetButtonSize();
        if (Vertical()) {
            r.Top += s;
            r.Bottom -= s;
        } else {
            r.Left += s;
            r.Right -= s;
        }
    }
    return r;
}

int TTeScrollBar::CalcThumbSize(int TrackLength) {
    int t = RoundEven(double(TrackLength) * page_size_ / double(max_ - min_ + 1));
    return std::max(t, (ThumbMetric() / 3) * 2);
}

int TTeScrollBar::GetThumbSize() {
    TRect tr = GetTrackRect();
    int len = Vertical() ? tr.Height() : tr.Width();
    int t = page_size_ > 0 ? CalcThumbSize(len) : ThumbMetric();
    return len > t ? t : 0;
}

int TTeScrollBar::PositionToPixel() {
    TRect t = GetTrackRect();
    int start = Vertical() ? t.Top : t.Left;
    int len = Vertical() ? t.Height() : t.Width();
    int free = len - GetThumbSize();
    int r = max_ - min_ - page_size_ + (page_size_ != 0 ? 1 : 0);
    if (max_ - min_ - page_size_ + 1 <= 0 || r <= 0) return uint16_t(start);
    if (position_ > max_ - page_size_ + 1) return uint16_t(start + free);
    return uint16_t(start + RoundEven(double(position_ - min_) * free / r));
}

int TTeScrollBar::PixelToPosition(int P) {
    P = uint16_t(P);
    TRect t = GetTrackRect();
    int start = Vertical() ? t.Top : t.Left;
    int len = Vertical() ? t.Height() : t.Width();
    int free = len - GetThumbSize();
    int r = max_ - min_ - page_size_ + (page_size_ != 0 ? 1 : 0);
    if (free == 0 || r <= 0) return 0;
    int pos = RoundEven(double(P - start) * r / free + min_);
    int hi = max_ - page_size_ + 1;
    return std::max(min_, std::min(pos, hi));
}

TRect TTeScrollBar::GetThumbRect() {
    TRect t = GetTrackRect();
    int p = PositionToPixel(), s = GetThumbSize();
    return Vertical() ? TRect{t.Left, p, t.Right, p + s} : TRect{p, t.Top, p + s, t.Bottom};
}

TRect TTeScrollBar::GetMinPageRect() {
    TRect t = GetTrackRect();
    int p = PositionToPixel();
    if (Vertical())
        t.Bottom = p;
    else
        t.Right = p;
    return t;
}

TRect TTeScrollBar::GetMaxPageRect() {
    TRect t = GetTrackRect();
    int e = PositionToPixel() + GetThumbSize();
    if (Vertical())
        t.Top = e;
    else
        t.Left = e;
    return t;
}

bool TTeScrollBar::ThumbVisible() {
    TRect r = GetThumbRect();
    return Enabled() && r.Width() > 0 && r.Height() > 0;
}

// ---- keys and repeats ----

void TTeScrollBar::ScrollKey(uint16_t& Key, fw::TShiftState /*Shift*/) {
    int step = page_size_ < 1 ? large_change_ : page_size_;
    int pos;
    TTeScrollCode code;
    switch (Key) {
    case VK_PRIOR:
        pos = position_ - step;
        code = kscPageUp;
        break;
    case VK_NEXT:
        pos = position_ + step;
        code = kscPageDown;
        break;
    case VK_END:
        pos = max_;
        code = kscBottom;
        break;
    case VK_HOME:
        pos = min_;
        code = kscTop;
        break;
    case VK_LEFT:
    case VK_UP:
        pos = position_ - small_change_;
        code = kscLineUp;
        break;
    case VK_RIGHT:
    case VK_DOWN:
        pos = position_ + small_change_;
        code = kscLineDown;
        break;
    default:
        return;
    }
    pos = std::clamp(pos, min_, std::max(min_, max_));
    Scroll(code, pos);
    SetPosition(pos);
    if (code == kscLineUp && position_ <= min_ && auto_scroll_min_) SetAutoScrollMin(false);
    if (code == kscLineDown && position_ >= max_ && auto_scroll_max_) SetAutoScrollMax(false);
}

void TTeScrollBar::SetAutoScrollMin(bool Value) {
    if (Value == auto_scroll_min_) return;
    auto_scroll_min_ = Value;
    if (Value) {
        auto_scroll_max_ = false;
        StartRepeat(false);
    } else if (timer_) {
        timer_->SetEnabled(false);
    }
}

void TTeScrollBar::SetAutoScrollMax(bool Value) {
    if (Value == auto_scroll_max_) return;
    auto_scroll_max_ = Value;
    if (Value) {
        auto_scroll_min_ = false;
        StartRepeat(false);
    } else if (timer_) {
        timer_->SetEnabled(false);
    }
}

void TTeScrollBar::StartRepeat(bool Immediate) {
    if (!timer_) {
        timer_ = new fw::TTimer(nullptr);
        timer_->SetEnabled(false);
        timer_->SetOnTimer(fw::TNotifyEvent(this, &TTeScrollBar::RepeatTimerTick));
    }
    if (Immediate) {
        RepeatTimerTick(timer_);
        timer_->SetInterval(uint32_t(GetKeyboardDelayMs()));
    } else {
        timer_->SetInterval(uint32_t(GetKeyboardRepeatMs()));
    }
    timer_->SetEnabled(true);
}

void TTeScrollBar::RepeatTimerTick(fw::TObject* /*Sender*/) {
    try {
        if (timer_) timer_->SetInterval(uint32_t(GetKeyboardRepeatMs()));
        uint16_t key = 0;
        if (MinButtonActive() || auto_scroll_min_) {
            key = VK_LEFT;
            ScrollKey(key, {});
            return;
        }
        if (MaxButtonActive() || auto_scroll_max_) {
            key = VK_RIGHT;
            ScrollKey(key, {});
            return;
        }
        bool old_min = hot_min_page_, old_max = hot_max_page_;
        hot_min_page_ = InMinPage(last_x_, last_y_);
        if (MinPageActive()) {
            key = VK_PRIOR;
            ScrollKey(key, {});
            return;
        }
        hot_max_page_ = InMaxPage(last_x_, last_y_);
        if (MaxPageActive()) {
            key = VK_NEXT;
            ScrollKey(key, {});
        }
        if (old_min != hot_min_page_ || old_max != hot_max_page_) Invalidate();
    } catch (...) {
        // A failing handler must not keep firing.
        if (timer_) timer_->SetEnabled(false);
    }
}

// ---- mouse ----

void TTeScrollBar::MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) {
    TTeGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button != fw::TMouseButton::mbLeft) return;
    if (InThumb(X, Y)) {
        TRect th = GetThumbRect();
        drag_offset_ = Vertical() ? Y - th.Top : X - th.Left;
        int pos = position_;
        Scroll(kscTrack, pos);
        SetPosition(pos);
        Invalidate();
    }
    bool was[4] = {MinButtonActive(), MaxButtonActive(), MinPageActive(), MaxPageActive()};
    if (InMinButton(X, Y)) pressed_min_button_ = true;
    if (InMaxButton(X, Y)) pressed_max_button_ = true;
    if (InMinPage(X, Y)) pressed_min_page_ = true;
    if (InMaxPage(X, Y)) pressed_max_page_ = true;
    bool now[4] = {MinButtonActive(), MaxButtonActive(), MinPageActive(), MaxPageActive()};
    for (int i = 0; i < 4; ++i)
        if (!was[i] && now[i]) {
            Invalidate();
            StartRepeat(true);
            break;
        }
}

void TTeScrollBar::MouseMove(fw::TShiftState Shift, int X, int Y) {
    TTeGraphicControl::MouseMove(Shift, X, Y);
    last_x_ = X;
    last_y_ = Y;
    if (Dragging()) {
        TRect t = GetTrackRect();
        int q = Vertical() ? std::clamp(Y - drag_offset_, t.Top, t.Bottom)
                           : std::clamp(X - drag_offset_, t.Left, t.Right);
        int pos = PixelToPosition(q);
        Scroll(kscTrack, pos);
        SetPosition(pos);
    }
    bool h[5] = {InThumb(X, Y), InMinButton(X, Y) && show_buttons_,
                 InMaxButton(X, Y) && show_buttons_, InMinPage(X, Y), InMaxPage(X, Y)};
    bool* f[5] = {&hot_thumb_, &hot_min_button_, &hot_max_button_, &hot_min_page_, &hot_max_page_};
    bool changed = false;
    for (int i = 0; i < 5; ++i)
        if (*f[i] != h[i]) {
            *f[i] = h[i];
            changed = true;
        }
    if (changed) Invalidate();
}

void TTeScrollBar::MouseUp(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) {
    TTeGraphicControl::MouseUp(Button, Shift, X, Y);
    if (Button != fw::TMouseButton::mbLeft) return;
    int pos;
    if (Dragging()) {
        pos = position_;
        Scroll(kscPosition, pos);
        SetPosition(pos);
    }
    drag_offset_ = -1;
    pressed_min_button_ = pressed_max_button_ = pressed_min_page_ = pressed_max_page_ = false;
    if (timer_) timer_->SetEnabled(false);
    pos = position_;
    Scroll(kscEndScroll, pos);
    SetPosition(pos);
    Invalidate();
}

void TTeScrollBar::MouseLeave() {
    if (hot_thumb_ || hot_min_button_ || hot_max_button_ || hot_min_page_ || hot_max_page_) {
        hot_thumb_ = hot_min_button_ = hot_max_button_ = hot_min_page_ = hot_max_page_ = false;
        Invalidate();
    }
}

void TTeScrollBar::CMEnabledChanged(TMessage& M) {
    FW_INHERITED(M);
    Invalidate();
}

void TTeScrollBar::WMGetDlgCode(TMessage& M) {
    FW_INHERITED(M);
    M.Result = DLGC_WANTARROWS;
}

// ---- painting ----

bool TTeScrollBar::ThemeStyled() {
    return CurrentThemeHasScrollBarStyle(0, theme_object_);
}

void TTeScrollBar::PaintBackground() {
    bool themed = ThemeStyled();
    if (themed && CurrentTheme()->IsScrollBarTransparent(0, theme_object_))
        DrawParentBackground(this, Canvas()->Handle());
    if (!themed) PaintFrame();
    PaintTrackBackground();
    if (show_buttons_) {
        PaintMinButton();
        PaintMaxButton();
    }
    if (themed) PaintTrack();
    if (ThumbVisible()) PaintThumb();
}

void TTeScrollBar::PaintFrame() {
    if (border_width_ <= 0) return;
    DrawBevelFrame(*Canvas(), TRect{0, 0, Width(), Height()}, fw::clBtnShadow, fw::clBtnHighlight);
}

void TTeScrollBar::PaintTrackBackground() {
    if (ThemeStyled()) return;
    TRect t = GetTrackRect();
    if (IsSystemThemeActive())
        DrawVisualStyle(Canvas()->Handle(), t, Vertical() ? 6 : 4, 3);
    else
        FillCheckerRect(*Canvas(), t, fw::clScrollBar, fw::clBtnHighlight);
}

void TTeScrollBar::PaintTrack() {
    TRect t = GetTrackRect();
    if (ThemeStyled()) {
        TteRectStateInfo track = MakeScrollBarInfo(t, 1);
        CurrentTheme()->PaintScrollBarTrack(0, *Canvas(), theme_object_, track);
    } else if (IsSystemThemeActive()) {
        DrawVisualStyle(Canvas()->Handle(), t, Vertical() ? 6 : 4, 3);
    } else {
        Canvas()->Brush()->SetStyle(fw::TBrushStyle::bsSolid);
        Canvas()->Brush()->SetColor(fw::cl3DDkShadow);
        Canvas()->FillRect(t);
    }
}

void TTeScrollBar::PaintPart(const TRect& R, bool Active, bool Hot, int ThemePart, int VsPart,
                             const int (&VsStates)[4], UINT Dfc) {
    // States by precedence: disabled, pressed, hot, normal.
    int s = !Enabled() ? 3 : Active ? 1 : Hot ? 2 : 0;
    if (ThemeStyled()) {
        TteTwoByteInfo part = MakeScrollBarButtonInfo(R, uint8_t(s), uint8_t(ThemePart));
        TteRectStateInfo bar = MakeScrollBarInfo(TRect{-1, -1, -1, -1}, uint8_t(orientation_));
        CurrentTheme()->PaintScrollBarButton(0, *Canvas(), theme_object_, part, bar);
    } else if (IsSystemThemeActive()) {
        // Visual-style states run normal, hot, pressed, disabled.
        int vs = !Enabled() ? VsStates[3] : Active ? VsStates[2] : Hot ? VsStates[1] : VsStates[0];
        DrawVisualStyle(Canvas()->Handle(), R, VsPart, vs);
    } else {
        RECT rc{R.Left, R.Top, R.Right, R.Bottom};
        UINT flags = Dfc;
        if (Active) flags |= DFCS_PUSHED | DFCS_FLAT;
        if (!Enabled()) flags |= DFCS_INACTIVE;
        ::DrawFrameControl(Canvas()->Handle(), &rc, DFC_SCROLL, flags);
    }
}

void TTeScrollBar::PaintMinButton() {
    static const int h[4] = {9, 10, 11, 12}, v[4] = {1, 2, 3, 4};
    PaintPart(GetMinButtonRect(), MinButtonActive(), hot_min_button_, Vertical() ? 0 : 4, 1,
              Vertical() ? v : h, Vertical() ? DFCS_SCROLLUP : DFCS_SCROLLLEFT);
}

void TTeScrollBar::PaintMaxButton() {
    static const int h[4] = {13, 14, 15, 16}, v[4] = {5, 6, 7, 8};
    PaintPart(GetMaxButtonRect(), MaxButtonActive(), hot_max_button_, Vertical() ? 1 : 5, 1,
              Vertical() ? v : h, Vertical() ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT);
}

void TTeScrollBar::PaintThumb() {
    TRect r = GetThumbRect();
    if (ThemeStyled() || IsSystemThemeActive()) {
        static const int states[4] = {1, 2, 3, 4};
        PaintPart(r, Dragging(), hot_thumb_, 8, Vertical() ? 3 : 2, states, 0);
        return;
    }
    fw::TCanvas& c = *Canvas();
    c.Brush()->SetStyle(fw::TBrushStyle::bsSolid);
    c.Brush()->SetColor(fw::clBtnFace);
    c.FillRect(r);
    if (Dragging()) {
        DrawFrameRect(c, r, fw::clBtnShadow);
        return;
    }
    DrawBevelFrame(c, r, fw::cl3DLight, fw::cl3DDkShadow);
    DrawBevelFrame(c, TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1}, fw::clBtnHighlight,
                   fw::clBtnShadow);
}

} // namespace dvr::skin
