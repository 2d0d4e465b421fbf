#include "skin/controls/te_trackbar.h"

#include "skin/controls/te_barpaint.h"
#include "skin/engine/te_canvas_win.h"
#include "skin/engine/te_theme.h"
#include "skin/engine/te_utils_win.h"
#include "skin/engine/te_winapi.h"

#include <algorithm>
#include <cmath>

namespace dvr::skin {

using fw::TMessage;

namespace {
int TrackBarNearest(double V) {
    return int(std::nearbyint(V)); // the default rounding mode: ties to even
}
} // namespace

TTeTrackBar::TTeTrackBar(fw::TComponent* AOwner) : TTeControl(AOwner) {
    SetBounds(Left(), Top(), 150, 45);
    SetTabStop(true);
    SetPerformance(TTePerformance::kpDoubleBuffer);
    SetControlStyle(ControlStyle().Include(fw::TControlStyleItem::csCaptureMouse));
    AddThemeNotification(this);
}

TTeTrackBar::~TTeTrackBar() {
    RemoveThemeNotification(this);
}

// ---- settings ----

void TTeTrackBar::SetOrientation(TteTrackOrientation Value) {
    if (Value == orientation_) return;
    orientation_ = Value;
    Invalidate();
}

void TTeTrackBar::SetMin(int Value) {
    if (Value == min_ || Value >= max_) return;
    min_ = Value;
    if (position_ < min_) SetPosition(min_);
    Invalidate();
}

void TTeTrackBar::SetMax(int Value) {
    if (Value == max_ || Value <= min_) return;
    max_ = Value;
    if (position_ > max_) SetPosition(max_);
    Invalidate();
}

void TTeTrackBar::SetPosition(int Value) {
    if (Value == position_) return;
    position_ = std::clamp(Value, min_, max_);
    Invalidate();
    Change();
}

void TTeTrackBar::SetShowTicks(bool Value) {
    if (Value == show_ticks_) return;
    show_ticks_ = Value;
    Invalidate();
}

void TTeTrackBar::SetThumbHalfWidth(uint16_t Value) {
    if (Value == thumb_half_width_) return;
    thumb_half_width_ = Value;
    Invalidate();
}

void TTeTrackBar::SetTickMarks(TteTickMark Value) {
    if (Value == tick_marks_) return;
    tick_marks_ = Value;
    Invalidate();
}

void TTeTrackBar::SetFrequency(int Value) {
    if (Value == frequency_) return;
    frequency_ = Value;
    Invalidate();
}

void TTeTrackBar::SetThumbVisible(bool Value) {
    if (Value == thumb_visible_) return;
    thumb_visible_ = Value;
    Invalidate();
}

void TTeTrackBar::SetIntervalHighlightType(TIntervalHighlightType Value) {
    if (Value == interval_) return;
    interval_ = Value;
    Invalidate();
}

void TTeTrackBar::SetThemeObject(const std::string& Value) {
    if (Value == theme_object_) return;
    theme_object_ = Value;
    Invalidate();
}

void TTeTrackBar::SetTransparent(bool Value) {
    if (Value == transparent_) return;
    transparent_ = Value;
    Invalidate();
}

void TTeTrackBar::Change() {
    if (OnChange) OnChange(this);
}

void TTeTrackBar::Loaded() {
    TTeControl::Loaded();
    Invalidate();
}

// ---- geometry ----

int TTeTrackBar::GetThumbWidth() {
    return 2 * thumb_half_width_ + 1;
}
int TTeTrackBar::GetTrackMargin() {
    return 9;
}
int TTeTrackBar::GetTrackOffset() {
    return 7;
}

int TTeTrackBar::TrackLength() const {
    return orientation_ == ktoHorizontal ? cached_width_ : cached_height_;
}

int TTeTrackBar::ThumbLength() {
    return TrackBarNearest(GetThumbWidth() * 2.2);
}

bool TTeTrackBar::TicksOnTopLeft() const {
    return show_ticks_ && (tick_marks_ == ktbmBoth || tick_marks_ == ktbmTopLeft);
}

int TTeTrackBar::CrossStart() {
    return GetTrackOffset() + (TicksOnTopLeft() ? 5 : 0);
}

TPoint TTeTrackBar::TrackPoint(int Along, int Across) const {
    return orientation_ == ktoHorizontal ? TPoint{Along, Across} : TPoint{Across, Along};
}

TRect TTeTrackBar::TrackRect(int AlongFrom, int AcrossFrom, int AlongTo, int AcrossTo) const {
    return orientation_ == ktoHorizontal ? TRect{AlongFrom, AcrossFrom, AlongTo, AcrossTo}
                                         : TRect{AcrossFrom, AlongFrom, AcrossTo, AlongTo};
}

uint16_t TTeTrackBar::PositionToPixel(int Value) {
    if (max_ == min_) return 0;
    const int t = GetThumbWidth(), m = GetTrackMargin(), h = t / 2;
    const int span = TrackLength() - 2 * m - t;
    // A bar too short for a span keeps the thumb at its first place.
    if (span <= 0) return uint16_t(h + m);
    double f = double(span) * double(int64_t(Value) - min_) / double(int64_t(max_) - min_);
    return uint16_t(h + m + TrackBarNearest(f));
}

int TTeTrackBar::PixelToPosition(uint16_t Pixel) {
    const int t = GetThumbWidth(), m = GetTrackMargin(), h = t / 2;
    const int span = TrackLength() - 2 * m - t;
    if (span <= 0) return min_;
    const int freq = std::max(frequency_, 1);
    int v = TrackBarNearest(double((int(Pixel) - m - h) * (max_ - min_)) / span + min_);
    int r = v % freq;
    v = r > freq / 2 ? v - r + freq : v - r;
    return std::clamp(v, min_, max_);
}

std::vector<TPoint> TTeTrackBar::ThumbOutline(int X0, int A) {
    const int t = GetThumbWidth(), h = t / 2, L = ThumbLength();
    std::vector<std::pair<int, int>> p;
    if (tick_marks_ == ktbmTopLeft)
        p = {{X0 + h, A},
             {X0 + t - 1, A + h},
             {X0 + t - 1, A + L - 1},
             {X0, A + L - 1},
             {X0, A + h}};
    else
        p = {{X0, A},
             {X0 + t - 1, A},
             {X0 + t - 1, A + L - h - 1},
             {X0 + h, A + L - 1},
             {X0, A + L - h - 1}};
    std::vector<TPoint> out;
    for (auto& [along, across] : p)
        out.push_back(TrackPoint(along, across));
    return out;
}

TRect TTeTrackBar::ThumbRect() {
    const int t = GetThumbWidth(), h = t / 2, L = ThumbLength();
    int x0 = PositionToPixel(position_) - h, a = CrossStart();
    return TrackRect(x0, a, x0 + t, a + L);
}

bool TTeTrackBar::InThumb(int X, int Y) {
    if (tick_marks_ == ktbmBoth) {
        TRect r = ThumbRect();
        return X >= r.Left && X < r.Right && Y >= r.Top && Y < r.Bottom;
    }
    const int h = GetThumbWidth() / 2;
    return PointInPolygon(TPoint{X, Y}, ThumbOutline(PositionToPixel(position_) - h, CrossStart()));
}

// ---- painting ----

bool TTeTrackBar::Themed() {
    return CurrentThemeHasTrackBarStyle(0, theme_object_);
}

void TTeTrackBar::PaintBackground() {
    fw::TCanvas& c = *Canvas();
    if (Themed()) {
        if (CurrentTheme()->IsTrackBarTransparent(0, theme_object_))
            DrawParentBackground(this, c.Handle());
    } else if (transparent_) {
        DrawParentBackground(this, c.Handle());
    } else {
        TTeControl::PaintBackground();
    }
    const int len = TrackLength(), m = GetTrackMargin();
    PaintTrack(m, len - m, PositionToPixel(position_));
    PaintTicks();
    PaintThumb(PositionToPixel(position_));
    if (HasFocus()) DrawFocusRectColor(c, TRect{0, 0, cached_width_, cached_height_}, 0);
}

void TTeTrackBar::PaintTrack(int From, int To, int ThumbPixel) {
    fw::TCanvas& c = *Canvas();
    const int t = GetThumbWidth(), L = ThumbLength();
    int s = GetTrackOffset() + (tick_marks_ == ktbmTopLeft ? t / 2 : t / 4) +
            (TicksOnTopLeft() ? 5 : 0);
    int e;
    if (tick_marks_ == ktbmBoth) {
        e = s + L - 2 * (t / 4) - 1;
        ++s;
    } else {
        e = s + L - t / 2 - t / 4;
    }
    TRect T = TrackRect(From, s, To, e);
    TRect I = interval_ == htLowInterval ? TrackRect(From, s, ThumbPixel, e)
                                         : TrackRect(ThumbPixel, s, To, e);
    if (Themed()) {
        CurrentTheme()->PaintTrackBarTrack(0, c, "default",
                                           MakeTrackBarInfo(T, orientation_, tick_marks_));
    } else if (IsSystemThemeActive()) {
        const int d = thumb_half_width_ + 1;
        if (T.Width() > T.Height())
            DrawBarVisualStyle(c.Handle(), L"TrackBar",
                               TRect{T.Left, T.Top + d, T.Right, T.Bottom - d}, 1, 1);
        else
            DrawBarVisualStyle(c.Handle(), L"TrackBar",
                               TRect{T.Left + d, T.Top, T.Right - d, T.Bottom}, 2, 1);
    } else {
        FillRectColor(c, T, Enabled() ? fw::clBtnHighlight : fw::clBtnFace);
        if (Enabled() && interval_ != htNone) FillRectColor(c, I, fw::clHighlight);
        DrawBevelFrame(c, T, fw::clBtnShadow, fw::clBtnHighlight);
        DrawBevelFrame(c, TRect{T.Left + 1, T.Top + 1, T.Right - 1, T.Bottom - 1}, fw::cl3DDkShadow,
                       fw::cl3DLight);
    }
}

void TTeTrackBar::PaintTicks() {
    if (!show_ticks_) return;
    const int freq = std::max(frequency_, 1);
    auto pass = [&](bool TopLeft) {
        for (int i = min_; i <= max_; ++i) {
            if (i % freq == 0 || i == min_ || i == max_) PaintTick(i, PositionToPixel(i), TopLeft);
            if (i == max_) break; // no overflow at INT_MAX
        }
    };
    if (tick_marks_ == ktbmTopLeft || tick_marks_ == ktbmBoth) pass(true);
    if (tick_marks_ == ktbmBottomRight || tick_marks_ == ktbmBoth) pass(false);
}

void TTeTrackBar::PaintTick(int Value, int Pixel, bool TopLeft) {
    fw::TCanvas& c = *Canvas();
    const bool long_tick = Value == min_ || Value == max_;
    const int o = GetTrackOffset(), L = ThumbLength();
    int from, to;
    if (TopLeft) {
        from = o + 3;
        to = long_tick ? 6 : 7;
    } else {
        from = L + o + (tick_marks_ == ktbmBoth ? 6 : 2);
        to = from + (long_tick ? 4 : 3);
    }
    TPoint a = TrackPoint(Pixel, from), b = TrackPoint(Pixel, to);
    CanvasMoveTo(c, a.X, a.Y);
    DrawLineTo(c, b.X, b.Y, 0);
}

void TTeTrackBar::PaintThumb(int ThumbPixel) {
    if (!thumb_visible_) return;
    fw::TCanvas& c = *Canvas();
    const int t = GetThumbWidth(), h = t / 2, L = ThumbLength();
    const int x0 = ThumbPixel - h, a = CrossStart();
    const TRect R = TrackRect(x0, a, x0 + t, a + L);
    if (Themed()) {
        uint8_t st = !Enabled() ? 4 : dragging_ ? 2 : thumb_hot_ ? 1 : HasFocus() ? 3 : 0;
        CurrentTheme()->PaintTrackBarThumb(
            0, c, "default", MakeTrackBarThumbInfo(R, st),
            MakeTrackBarInfo(TRect{-1, -1, -1, -1}, orientation_, tick_marks_));
        return;
    }
    if (IsSystemThemeActive()) {
        static const int kHorzParts[] = {3, 4, 5}, kVertParts[] = {6, 8, 7};
        int part = (orientation_ == ktoHorizontal ? kHorzParts : kVertParts)[tick_marks_ % 3];
        int st = !Enabled() ? 5 : dragging_ ? 3 : thumb_hot_ ? 2 : 1;
        DrawBarVisualStyle(c.Handle(), L"TrackBar",
                           TRect{R.Left - 1, R.Top - 1, R.Right + 1, R.Bottom + 1}, part, st);
        return;
    }
    if (tick_marks_ == ktbmBoth) {
        if (dragging_)
            FillCheckerRect(c, R, fw::clBtnFace, fw::clBtnHighlight);
        else
            FillRectColor(c, R, fw::clBtnFace);
        DrawBevelFrame(c, R, fw::clBtnHighlight, 0);
        DrawBevelFrame(c, TRect{R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1}, fw::clBtnFace,
                       fw::clBtnShadow);
        return;
    }
    std::vector<TPoint> outline = ThumbOutline(x0, a);
    if (dragging_)
        FillCheckerPolygon(c.Handle(), outline, fw::clBtnHighlight, fw::clBtnFace);
    else
        FillPolygonColor(c, outline, fw::clBtnFace);
    // 3-D edges: light toward the top and left, shadows toward the tip's far sides.
    using Line = std::vector<std::pair<int, int>>;
    auto draw = [&](const Line& l, fw::TColor col) {
        TPoint p = TrackPoint(l[0].first, l[0].second);
        CanvasMoveTo(c, p.X, p.Y);
        for (size_t i = 1; i < l.size(); ++i) {
            p = TrackPoint(l[i].first, l[i].second);
            DrawLineTo(c, p.X, p.Y, col);
        }
    };
    const int X0 = x0, A = a;
    if (tick_marks_ == ktbmBottomRight) {
        draw({{X0 + t - 2, A}, {X0, A}, {X0, A + L - h - 1}, {X0 + h, A + L - 1}},
             fw::clBtnHighlight);
        draw({{X0 + t - 2, A + 1}, {X0 + t - 2, A + L - h - 1}, {X0 + h - 1, A + L - 1}},
             fw::clBtnShadow);
        draw({{X0 + t - 1, A}, {X0 + t - 1, A + L - h - 1}, {X0 + h - 1, A + L}}, fw::cl3DDkShadow);
    } else {
        draw({{X0, A + L - 2}, {X0, A + h}, {X0 + h + 1, A - 1}}, fw::clBtnHighlight);
        draw({{X0 + t - 2, A + h + 1}, {X0 + t - 2, A + L - 2}, {X0, A + L - 2}}, fw::clBtnShadow);
        draw({{X0 + h + 1, A + 1},
              {X0 + t - 1, A + h + 1},
              {X0 + t - 1, A + L - 1},
              {X0 - 1, A + L - 1}},
             fw::cl3DDkShadow);
    }
}

// ---- mouse and keys ----

void TTeTrackBar::MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) {
    TTeControl::MouseDown(Button, Shift, X, Y);
    if (CanFocus()) SetFocus();
    const bool left = Button == fw::TMouseButton::mbLeft;
    if (left && InThumb(X, Y)) {
        dragging_ = true;
        Invalidate();
    }
    if (!dragging_ && left) {
        int v =
            PixelToPosition(uint16_t(std::clamp(orientation_ == ktoHorizontal ? X : Y, 0, 65535)));
        if (v > position_)
            SetPosition(position_ + page_size_);
        else if (v < position_)
            SetPosition(position_ - page_size_);
    }
}

void TTeTrackBar::MouseMove(fw::TShiftState Shift, int X, int Y) {
    TTeControl::MouseMove(Shift, X, Y);
    int p = orientation_ == ktoHorizontal ? std::clamp(X, 0, cached_width_)
                                          : std::clamp(Y, 0, cached_height_);
    if (dragging_) SetPosition(PixelToPosition(uint16_t(p)));
    bool hot = InThumb(X, Y);
    if (hot != thumb_hot_) {
        thumb_hot_ = hot;
        Invalidate();
    }
}

void TTeTrackBar::MouseUp(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) {
    TTeControl::MouseUp(Button, Shift, X, Y);
    if (Button == fw::TMouseButton::mbLeft) {
        dragging_ = false;
        Invalidate();
    }
}

void TTeTrackBar::KeyDown(uint16_t& Key, fw::TShiftState Shift) {
    TTeControl::KeyDown(Key, Shift);
    switch (Key) {
    case VK_PRIOR:
        SetPosition(position_ - page_size_);
        break;
    case VK_NEXT:
        SetPosition(position_ + page_size_);
        break;
    case VK_END:
        SetPosition(max_);
        break;
    case VK_HOME:
        SetPosition(min_);
        break;
    case VK_LEFT:
    case VK_UP:
        SetPosition(position_ - line_size_);
        break;
    case VK_RIGHT:
    case VK_DOWN:
        SetPosition(position_ + line_size_);
        break;
    default:
        break;
    }
}

void TTeTrackBar::MouseLeave() {
    TTeControl::MouseLeave();
    if (thumb_hot_) {
        thumb_hot_ = false;
        Invalidate();
    }
}

void TTeTrackBar::FocusEnter() {
    TTeControl::FocusEnter();
    Invalidate();
}

void TTeTrackBar::FocusExit() {
    TTeControl::FocusExit();
    Invalidate();
}

void TTeTrackBar::WMGetDlgCode(TMessage& M) {
    DefaultHandler(M);
    M.Result = DLGC_WANTARROWS;
}

void TTeTrackBar::CMEnabledChanged(TMessage& M) {
    FW_INHERITED(M);
    Invalidate();
}

void TTeTrackBar::TMThemeChange(TMessage& M) {
    if (M.WParam == 0 || M.WParam == 3 || M.WParam == 4 || M.WParam == 5) Invalidate();
}

} // namespace dvr::skin
