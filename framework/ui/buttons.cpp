#include "framework/ui/buttons.h"

#include <algorithm>

namespace dvr::fw {

void TSpeedButton::Publish(TPublisher<TSpeedButton>& p) {
    p.Property("AllowAllUp", nullptr, &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp)
        .Default(0);
    p.Property(
        "Caption", nullptr, [](const TSpeedButton& b) { return b.Caption(); },
        &TSpeedButton::SetCaption);
    p.Property("Down", nullptr, &TSpeedButton::Down, &TSpeedButton::SetDown).Default(0);
    p.Property("Flat", nullptr, &TSpeedButton::Flat, &TSpeedButton::SetFlat).Default(0);
    p.Property("GroupIndex", nullptr, &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex)
        .Default(0);
    p.Property("NumGlyphs", nullptr, &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs)
        .Default(1);
}

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner) {
    // The button decides itself when a press is a click.
    control_style_.Exclude(TControlStyleItem::csClickEvents);
    glyph_.OnChange = TNotifyEvent(this, &TSpeedButton::GlyphChanged);
    SetBounds(0, 0, 23, 22);
}

void TSpeedButton::SetNumGlyphs(int Value) {
    Value = std::clamp(Value, 1, 4);
    if (Value == num_glyphs_) return;
    num_glyphs_ = Value;
    Invalidate();
}

void TSpeedButton::SetFlat(bool Value) {
    if (Value == flat_) return;
    flat_ = Value;
    Invalidate();
}

void TSpeedButton::SetDown(bool Value) {
    if (group_index_ == 0) Value = false;
    if (Value == down_) return;
    if (down_ && !Value && !allow_all_up_) return; // one of the group stays down
    down_ = Value;
    state_ = Value ? TButtonState::bsExclusive : TButtonState::bsUp;
    Invalidate();
    if (Value && parent_) {
        // The others of the group come up.
        TMessage m{CM_BUTTONPRESSED, uintptr_t(group_index_), intptr_t(this), 0};
        parent_->Broadcast(m);
    }
}

void TSpeedButton::CMButtonPressed(TMessage& M) {
    auto* sender = reinterpret_cast<TSpeedButton*>(M.LParam);
    if (int(M.WParam) != group_index_ || sender == this) return;
    if (down_) {
        down_ = false;
        state_ = TButtonState::bsUp;
        Invalidate();
    }
    allow_all_up_ = sender->allow_all_up_;
}

void TSpeedButton::Click() {
    TGraphicControl::Click();
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button != TMouseButton::mbLeft || !enabled_) return;
    if (!down_) {
        state_ = TButtonState::bsDown;
        Invalidate();
    }
    dragging_ = true;
}

void TSpeedButton::MouseMove(TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseMove(Shift, X, Y);
    if (!dragging_) return;
    bool inside = X >= 0 && Y >= 0 && X < width_ && Y < height_;
    TButtonState s = down_ ? TButtonState::bsExclusive : TButtonState::bsUp;
    if (inside) s = down_ ? TButtonState::bsExclusive : TButtonState::bsDown;
    if (s != state_) {
        state_ = s;
        Invalidate();
    }
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (!dragging_) return;
    dragging_ = false;
    bool inside = X >= 0 && Y >= 0 && X < width_ && Y < height_;
    if (group_index_ == 0) {
        state_ = TButtonState::bsUp;
        Invalidate();
    } else if (inside) {
        SetDown(!down_);
        state_ = down_ ? TButtonState::bsExclusive : TButtonState::bsUp;
        Invalidate();
    }
    if (inside) Click();
}

void TSpeedButton::CMMouseEnter(TMessage&) {
    hot_ = true;
    if (flat_) Invalidate();
}
void TSpeedButton::CMMouseLeave(TMessage&) {
    hot_ = false;
    if (flat_) Invalidate();
}
void TSpeedButton::CMTextChanged(TMessage&) {
    Invalidate();
}

void TSpeedButton::Paint() {
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    c->Brush()->SetColor(color_);
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
    c->FillRect(r);
    bool pressed = state_ == TButtonState::bsDown || state_ == TButtonState::bsExclusive || down_;
    RECT edge = ToRECT(r);
    if (pressed)
        ::DrawEdge(c->Handle(), &edge, flat_ ? BDR_SUNKENOUTER : EDGE_SUNKEN, BF_RECT);
    else if (!flat_ || (hot_ && enabled_))
        ::DrawEdge(c->Handle(), &edge, flat_ ? BDR_RAISEDINNER : EDGE_RAISED, BF_RECT);
    int shift = pressed ? 1 : 0;
    int gw = 0, gh = 0;
    if (!glyph_.Empty()) {
        gw = glyph_.Width() / num_glyphs_;
        gh = glyph_.Height();
        int part = 0;
        if (!enabled_ && num_glyphs_ > 1)
            part = 1;
        else if (state_ == TButtonState::bsDown && num_glyphs_ > 2)
            part = 2;
        else if (down_ && num_glyphs_ > 3)
            part = 3;
        std::string text = text_;
        int tw = text.empty() ? 0 : c->TextWidth(text) + 4;
        int x = (width_ - gw - tw) / 2 + shift, y = (height_ - gh) / 2 + shift;
        TBitmap piece;
        piece.SetPixelFormat(TPixelFormat::pf32bit);
        piece.SetSize(gw, gh);
        piece.Canvas()->CopyRect(Rect(0, 0, gw, gh), glyph_.Canvas(),
                                 Rect(part * gw, 0, part * gw + gw, gh));
        piece.SetTransparentColor(TColor(::GetPixel(glyph_.Canvas()->Handle(), 0, gh - 1)));
        piece.SetTransparent(true);
        c->Draw(x, y, &piece);
        r.Left = x + gw + 4;
        r.Right = r.Left + tw;
    }
    if (!text_.empty()) {
        c->SetFont(&font_);
        if (!enabled_) c->Font()->SetColor(clGrayText);
        c->Brush()->SetStyle(TBrushStyle::bsClear);
        TRect t = r;
        t.Left += shift;
        t.Top += shift;
        t.Bottom += shift;
        c->DrawText(text_, t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}

} // namespace dvr::fw
