#include "skin/controls/te_speedbutton.h"

#include "common/win/textconv.h"
#include "framework/ui/forms.h"
#include "skin/controls/te_spinbutton.h"
#include "skin/engine/te_canvas_win.h"
#include "skin/engine/te_theme.h"
#include "skin/engine/te_winapi.h"

namespace dvr::skin {

using fw::TMessage;
using S = TTeButtonState;

namespace {

void DrawVisualStyle(HDC DC, const wchar_t* Class, const TRect& R, int Part, int State) {
    const TThemeFunctions& f = ThemeFunctions();
    if (!f.OpenThemeData || !f.DrawThemeBackground || !f.CloseThemeData) return;
    HTHEME theme = f.OpenThemeData(nullptr, Class);
    if (!theme) return;
    RECT rc{R.Left, R.Top, R.Right, R.Bottom};
    f.DrawThemeBackground(theme, DC, Part, State, &rc, nullptr);
    f.CloseThemeData(theme);
}

} // namespace

TTeSpeedButton::TTeSpeedButton(fw::TComponent* AOwner) : TTeGraphicControl(AOwner) {
    fw::TControlStyle style;
    style.Include(fw::TControlStyleItem::csCaptureMouse)
        .Include(fw::TControlStyleItem::csClickEvents)
        .Include(fw::TControlStyleItem::csDoubleClicks);
    SetControlStyle(style);
    SetBounds(0, 0, 29, 29);
    glyph_.OnChange = fw::TNotifyEvent(this, &TTeSpeedButton::GlyphChanged);
    AddThemeNotification(this);
}

TTeSpeedButton::~TTeSpeedButton() {
    RemoveThemeNotification(this);
    delete timer_;
    timer_ = nullptr;
}

void TTeSpeedButton::SetWideCaption(const std::wstring& Value) {
    if (Value == caption_) return;
    caption_ = Value;
    Invalidate();
}

void TTeSpeedButton::SetShowCaption(bool Value) {
    if (Value == show_caption_) return;
    show_caption_ = Value;
    Invalidate();
}

void TTeSpeedButton::SetFlat(bool Value) {
    if (Value == flat_) return;
    flat_ = Value;
    Invalidate();
}

void TTeSpeedButton::SetTransparent(bool Value) {
    if (Value == transparent_) return;
    transparent_ = Value;
    Invalidate();
}

void TTeSpeedButton::SetDown(bool Value) {
    if (Value == down_) return;
    down_ = Value;
    if (!Value)
        state_ = S::bsUp;
    else
        state_ = group_index_ != 0 ? S::bsExclusive : MouseInControl() ? S::bsPressed : S::bsUp;
    if (Value) UpdateExclusive();
    Invalidate();
}

void TTeSpeedButton::SetGroupIndex(int Value) {
    if (Value == group_index_) return;
    group_index_ = Value;
    UpdateExclusive();
    if (down_) state_ = Value != 0 ? S::bsExclusive : S::bsUp;
    Invalidate();
}

void TTeSpeedButton::SetAllowAllUp(bool Value) {
    if (Value == allow_all_up_) return;
    allow_all_up_ = Value;
    UpdateExclusive();
}

void TTeSpeedButton::SetShowChevron(bool Value) {
    if (Value == show_chevron_) return;
    show_chevron_ = Value;
    if (!Loading()) SetWidth(Width() + (Value ? kChevronWidth : -kChevronWidth));
    Invalidate();
}

void TTeSpeedButton::SetChevronMenu(fw::TPopupMenu* Value) {
    if (Value == chevron_menu_) return;
    chevron_menu_ = Value;
    if (Value) Value->FreeNotification(this);
}

void TTeSpeedButton::Notification(fw::TComponent* AComponent, fw::TOperation Operation) {
    TTeGraphicControl::Notification(AComponent, Operation);
    if (Operation == fw::TOperation::opRemove && AComponent == chevron_menu_)
        chevron_menu_ = nullptr;
}

void TTeSpeedButton::UpdateExclusive() {
    if (group_index_ == 0 || !Parent()) return;
    TMessage m{fw::CM_BUTTONPRESSED, uintptr_t(group_index_), intptr_t(this), 0};
    Parent()->Broadcast(m);
}

TRect TTeSpeedButton::GetButtonRect() {
    TRect r = ClientRect();
    if (show_chevron_) r.Right -= kChevronWidth;
    return r;
}

TRect TTeSpeedButton::GetChevronRect() {
    TRect r = ClientRect();
    r.Left = show_chevron_ ? r.Right - kChevronWidth : r.Right;
    return r;
}

SIZE TTeSpeedButton::GetCaptionSize() {
    SIZE s{0, 0};
    if (caption_.empty()) return s;
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, PaintFont()->Handle());
    ::GetTextExtentPoint32W(dc, caption_.c_str(), int(caption_.size()), &s);
    SIZE pq{};
    ::GetTextExtentPoint32W(dc, L"Pq", 2, &pq);
    s.cy = pq.cy;
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    return s;
}

// Without a glyph the caption is centred in the whole control, chevron strip included.
TRect TTeSpeedButton::GetCaptionRect() {
    PaintFont()->Assign(Font());
    SIZE t = GetCaptionSize();
    if (glyph_.Empty()) {
        int x = (Width() - t.cx) / 2, y = (Height() - t.cy) / 2;
        return TRect{x, y, x + t.cx, y + t.cy};
    }
    return CaptionRectBesideGlyph(t);
}

void TTeSpeedButton::Click() {
    if (state_ == S::bsChevronPressed) return;
    TTeGraphicControl::Click();
}

void TTeSpeedButton::ChevronClick() {
    if (OnChevronClick) OnChevronClick(this);
}

void TTeSpeedButton::MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) {
    TTeGraphicControl::MouseDown(Button, Shift, X, Y);
    mouse_down_ = true;
    if (Button == fw::TMouseButton::mbLeft && Enabled()) {
        TRect b = GetButtonRect(), c = GetChevronRect();
        if (X >= b.Left && X < b.Right && Y >= b.Top && Y < b.Bottom) {
            state_ = S::bsPressed;
        } else if (X >= c.Left && X < c.Right && Y >= c.Top && Y < c.Bottom) {
            if (state_ != S::bsPressed && state_ != S::bsExclusive) Invalidate();
            state_ = S::bsChevronPressed;
            ChevronClick();
            Invalidate();
            return;
        }
        Invalidate();
    }
    if (allow_timer_) {
        if (!timer_) timer_ = new fw::TTimer(nullptr);
        timer_->SetOnTimer(fw::TNotifyEvent(this, &TTeSpeedButton::ClickTimerTick));
        timer_->SetInterval(400);
        timer_->SetEnabled(true);
    }
}

void TTeSpeedButton::ClickTimerTick(fw::TObject* /*Sender*/) {
    timer_->SetInterval(100);
    try {
        if (state_ == S::bsPressed && MouseCapture()) Click();
    } catch (...) {
        timer_->SetEnabled(false);
        throw;
    }
}

void TTeSpeedButton::MouseUp(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) {
    TTeGraphicControl::MouseUp(Button, Shift, X, Y);
    mouse_down_ = false;
    bool do_click = X >= 0 && X < ClientWidth() && Y >= 0 && Y <= ClientHeight() &&
                    (state_ == S::bsPressed || state_ == S::bsExclusive);
    if (state_ == S::bsChevronPressed) {
        if (chevron_menu_) {
            TPoint p = ClientToScreen(TPoint{GetChevronRect().Left - 1, Height()});
            chevron_menu_->Popup(p.X, p.Y);
        }
        state_ = S::bsUp;
        Invalidate();
    } else if (!down_) {
        state_ = S::bsUp;
        Invalidate();
    }
    if (do_click) {
        if (!down_ && group_index_ != 0)
            SetDown(true);
        else if (allow_all_up_)
            SetDown(false);
        else if (group_index_ != 0)
            state_ = S::bsExclusive;
        Invalidate();
    }
    if (timer_) timer_->SetEnabled(false);
}

void TTeSpeedButton::MouseEnter() {
    TTeGraphicControl::MouseEnter();
    if (mouse_down_) state_ = S::bsPressed;
    Invalidate();
}

void TTeSpeedButton::MouseLeave() {
    TTeGraphicControl::MouseLeave();
    if (down_ && group_index_ != 0)
        state_ = S::bsExclusive;
    else if (state_ != S::bsChevronPressed)
        state_ = S::bsUp;
    Invalidate();
}

void TTeSpeedButton::CMButtonPressed(TMessage& M) {
    if (int(M.WParam) != group_index_ || !Parent() || !Parent()->HandleAllocated()) return;
    auto* sender = reinterpret_cast<fw::TObject*>(M.LParam);
    if (!sender || sender == this || !sender->InheritsFrom(TTeSpeedButton::StaticClass())) return;
    auto* other = static_cast<TTeSpeedButton*>(sender);
    if (other->down_ && down_) {
        down_ = false;
        state_ = S::bsUp;
        Invalidate();
    }
    allow_all_up_ = other->allow_all_up_;
}

void TTeSpeedButton::CMEnabledChanged(TMessage& M) {
    FW_INHERITED(M);
    if (Enabled()) state_ = down_ && group_index_ != 0 ? S::bsExclusive : S::bsUp;
    Invalidate();
}

void TTeSpeedButton::CMRepaint(TMessage& M) {
    FW_INHERITED(M);
    Invalidate();
}

void TTeSpeedButton::CMTextChanged(TMessage& M) {
    FW_INHERITED(M);
    SetWideCaption(win::GbkToWide(GetText()));
}

void TTeSpeedButton::WMLButtonDblClk(TMessage& M) {
    FW_INHERITED(M);
    if (down_) DblClick();
}

void TTeSpeedButton::TMThemeChange(TMessage& M) {
    switch (M.WParam) {
    case 0:
    case 3:
    case 4:
    case 5:
        Invalidate();
        break;
    default:
        break;
    }
}

// ---- painting ----

bool TTeSpeedButton::Themed() {
    return CurrentThemeHasButtonStyle(9, theme_object_);
}

void TTeSpeedButton::PaintBackground() {
    fw::TCanvas& c = *Canvas();
    bool themed = Themed();
    uint8_t excl = state_ == S::bsExclusive ? 1 : 0;
    if (themed) {
        if (CurrentTheme()->IsButtonTransparent(9, theme_object_))
            DrawParentBackground(this, c.Handle());
        uint8_t face;
        if (!flat_)
            face = !Enabled() ? 3 : state_ == S::bsPressed ? 2 : 0;
        else
            face = !Enabled()                 ? 8
                   : state_ == S::bsPressed   ? 7
                   : MouseInControl()         ? 6
                   : state_ == S::bsExclusive ? 7
                                              : 5;
        bool in_spin = Parent() && Parent()->InheritsFrom(TTeSpinButton::StaticClass());
        int kind = in_spin ? (caption_ == L"up" ? 4 : 5) : show_chevron_ ? 10 : 9;
        CurrentTheme()->PaintButton(kind, c, theme_object_,
                                    MakeButtonInfo(GetButtonRect(), face, 0, excl));
        if (show_glyph_) PaintGlyph(0);
        if (show_caption_) PaintCaption(0);
        if (show_chevron_) {
            uint8_t cs = state_ == S::bsChevronPressed ? 2 : face;
            CurrentTheme()->PaintButton(11, c, theme_object_,
                                        MakeButtonInfo(GetChevronRect(), cs, 0, excl));
        }
        return;
    }
    if (transparent_)
        DrawParentBackground(this, c.Handle());
    else
        TTeGraphicControl::PaintBackground();
    if (!Enabled()) state_ = S::bsDisabled;
    bool hot = MouseInControl();
    TRect b = GetButtonRect(), ch = GetChevronRect();
    if (IsSystemThemeActive()) {
        int id;
        if (state_ == S::bsDisabled)
            id = 4;
        else if (!flat_)
            id = state_ == S::bsPressed ? 3 : state_ == S::bsExclusive ? 5 : 2;
        else
            id = state_ == S::bsPressed            ? 3
                 : hot && state_ == S::bsExclusive ? 6
                 : hot                             ? 2
                 : state_ == S::bsExclusive        ? 5
                                                   : 1;
        if (Parent() && Parent()->InheritsFrom(TTeSpinButton::StaticClass()))
            DrawVisualStyle(c.Handle(), L"Spin", b, caption_ == L"up" ? 1 : 2, id);
        else
            DrawVisualStyle(c.Handle(), L"Toolbar", b, 1, id);
        if (show_chevron_)
            DrawVisualStyle(c.Handle(), L"Toolbar", ch, 1, state_ == S::bsChevronPressed ? 3 : id);
    } else if (flat_ && !(state_ == S::bsUp && Owner() &&
                          Owner()->InheritsFrom(TTeSpinButton::StaticClass()))) {
        bool frame = (Enabled() && (state_ == S::bsPressed || state_ == S::bsExclusive ||
                                    state_ == S::bsChevronPressed)) ||
                     (hot && state_ != S::bsDisabled) || (state_ == S::bsUp && mouse_down_);
        if (frame) {
            if (state_ == S::bsExclusive && !hot)
                FillCheckerRect(c, b, fw::clBtnFace, fw::clBtnHighlight);
            bool sunken = state_ == S::bsPressed || state_ == S::bsExclusive;
            DrawBevelFrame(c, b, sunken ? fw::clBtnShadow : fw::clBtnHighlight,
                           sunken ? fw::clBtnHighlight : fw::clBtnShadow);
            if (show_chevron_) {
                bool cs = state_ == S::bsExclusive || state_ == S::bsChevronPressed || down_;
                DrawBevelFrame(c, ch, cs ? fw::clBtnShadow : fw::clBtnHighlight,
                               cs ? fw::clBtnHighlight : fw::clBtnShadow);
            }
        }
    } else {
        RECT rc{b.Left, b.Top, b.Right, b.Bottom};
        UINT f = DFCS_BUTTONPUSH | DFCS_ADJUSTRECT;
        if (state_ == S::bsPressed || state_ == S::bsExclusive) f |= DFCS_PUSHED;
        ::DrawFrameControl(c.Handle(), &rc, DFC_BUTTON, f);
        if (show_chevron_) {
            RECT cr{ch.Left, ch.Top, ch.Right, ch.Bottom};
            UINT cf = DFCS_BUTTONPUSH | DFCS_ADJUSTRECT;
            if (state_ == S::bsExclusive || state_ == S::bsChevronPressed) cf |= DFCS_PUSHED;
            ::DrawFrameControl(c.Handle(), &cr, DFC_BUTTON, cf);
        }
        if (state_ == S::bsExclusive)
            FillCheckerRect(c, TRect{rc.left, rc.top, rc.right, rc.bottom}, fw::clBtnFace,
                            fw::clBtnHighlight);
    }
    int offset = state_ == S::bsPressed || state_ == S::bsExclusive ? 1 : 0;
    bool spin_part = Parent() && Parent()->InheritsFrom(TTeSpinButton::StaticClass());
    if (show_glyph_ && !(spin_part && IsSystemThemeActive())) PaintGlyph(offset);
    if (show_caption_) PaintCaption(offset);
    if (show_chevron_)
        PaintChevron(state_ == S::bsExclusive || state_ == S::bsChevronPressed || down_ ? 1 : 0);
}

void TTeSpeedButton::PaintCaption(int Offset) {
    if (caption_.empty()) return;
    fw::TCanvas& c = *Canvas();
    TRect r = GetCaptionRect();
    if (Themed()) {
        uint8_t ts = !Enabled()                    ? 3
                     : state_ == S::bsPressed      ? 2
                     : (flat_ && MouseInControl()) ? 1
                                                   : 0;
        TteTextInfo text;
        text.Rect = r;
        text.Text = caption_;
        CurrentTheme()->PaintButtonText(9, c, theme_object_, text,
                                        MakeButtonInfo(r, ts, 0, state_ == S::bsExclusive ? 1 : 0));
        return;
    }
    r = TRect{r.Left + Offset, r.Top + Offset, r.Right + Offset, r.Bottom + Offset};
    c.SetFont(PaintFont());
    c.Brush()->SetStyle(fw::TBrushStyle::bsClear);
    UINT fmt = DT_SINGLELINE | DT_NOCLIP;
    if (state_ == S::bsDisabled) {
        c.Font()->SetColor(fw::clBtnHighlight);
        DrawWideText(c, caption_, TRect{r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1}, fmt);
        c.Font()->SetColor(fw::clBtnShadow);
    }
    DrawWideText(c, caption_, r, fmt);
}

void TTeSpeedButton::PaintChevron(int Offset) {
    if (Themed()) return;
    TRect ch = GetChevronRect();
    int l = ch.Right - kChevronWidth + (kChevronWidth - 5) / 2 + Offset;
    int t = (ch.Bottom - 3) / 2 + Offset;
    TRect a{l, t, l + 5, t + 3};
    fw::TCanvas& c = *Canvas();
    if (state_ != S::bsDisabled) {
        c.Brush()->SetStyle(fw::TBrushStyle::bsSolid);
        c.Brush()->SetColor(fw::clBtnText);
        c.Pen()->SetColor(fw::clBtnText);
        c.Polygon({TPoint{a.Left, a.Top}, TPoint{a.Right - 1, a.Top},
                   TPoint{(a.Left + a.Right - 1) / 2, a.Bottom - 1}});
    } else {
        CanvasMoveTo(c, (a.Left + a.Right) / 2, a.Bottom - 1);
        DrawLineTo(c, a.Left, a.Top, fw::clBtnShadow);
        DrawLineTo(c, a.Right, a.Top, fw::clBtnShadow);
        DrawLineTo(c, (a.Left + a.Right) / 2, a.Bottom, fw::clBtnHighlight);
    }
}

// ---- divider and container ----

TTeSpeedDivider::TTeSpeedDivider(fw::TComponent* AOwner) : TTeGraphicControl(AOwner) {
    SetWidth(8);
}

void TTeSpeedDivider::PaintBackground() {
    PaintParentBackground(Canvas()->Handle());
}

TTeSpeedContainer::TTeSpeedContainer(fw::TComponent* AOwner) : TTeControl(AOwner) {
    control_style_.Include(fw::TControlStyleItem::csAcceptsControls);
}

void TTeSpeedContainer::PaintBackground() {
    PaintParentBackground(Canvas()->Handle());
}

} // namespace dvr::skin
