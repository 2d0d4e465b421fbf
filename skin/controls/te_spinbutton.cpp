#include "skin/controls/te_spinbutton.h"

#include "framework/strutils.h"
#include "skin/engine/te_theme.h"

#include <algorithm>
#include <climits>

namespace dvr::skin {

using fw::TMessage;

TTeSpinButton::TTeSpinButton(fw::TComponent* AOwner) : TTeControl(AOwner) {
    up_ = CreateButton();
    down_ = CreateButton();
    for (TTeSpeedButton* b : {up_, down_}) {
        b->SetShowCaption(false);
        b->SetFlat(true);
        b->OnClick = fw::TNotifyEvent(this, &TTeSpinButton::PartClick);
        b->OnMouseDown = fw::TMouseEvent(this, &TTeSpinButton::PartMouseDown);
        b->SetEnabled(true);
        b->SetAllowTimer(true);
        b->SetParent(this);
    }
    up_->SetCaption("up");
    down_->SetCaption("down");
    SetUpGlyph(nullptr);
    SetDownGlyph(nullptr);
    SetBounds(Left(), Top(), 15, 21);
    focused_part_ = up_;
    timer_ = new fw::TTimer(this);
    timer_->SetEnabled(false);
    timer_->SetInterval(400);
    timer_->SetOnTimer(fw::TNotifyEvent(this, &TTeSpinButton::SyncFromAssociate));
    AddThemeNotification(this);
}

TTeSpinButton::~TTeSpinButton() {
    RemoveThemeNotification(this);
}

TTeSpeedButton* TTeSpinButton::CreateButton() {
    return new TTeSpeedButton(this);
}

void TTeSpinButton::SetPosition(int Value) {
    if (Value == position_) return;
    int old = position_;
    position_ = std::min(std::max(Value, min_), max_);
    bool allow = true;
    if (OnChanging) OnChanging(this, allow);
    if (!allow)
        position_ = old;
    else
        SyncAssociateText();
}

void TTeSpinButton::SetMin(int Value) {
    if (Value == min_) return;
    min_ = std::min(Value, max_);
    if (position_ < min_) position_ = min_;
    SyncAssociateText();
}

void TTeSpinButton::SetMax(int Value) {
    if (Value == max_) return;
    max_ = std::max(Value, min_);
    if (position_ > max_) position_ = max_;
    SyncAssociateText();
}

void TTeSpinButton::SetAssociate(fw::TWinControl* Value) {
    if (associate_ && associate_ != Value) associate_->RemoveFreeNotification(this);
    associate_ = Value;
    if (Value) {
        Value->FreeNotification(this);
        timer_->SetEnabled(true);
        SyncAssociateText();
        AlignToAssociate();
    } else {
        timer_->SetEnabled(false);
    }
}

void TTeSpinButton::Notification(fw::TComponent* AComponent, fw::TOperation Operation) {
    TTeControl::Notification(AComponent, Operation);
    if (Operation == fw::TOperation::opRemove && AComponent == associate_) {
        if (timer_) timer_->SetEnabled(false);
        associate_ = nullptr;
    }
}

void TTeSpinButton::SetSpinAlign(TTeSpinAlign Value) {
    if (Value == spin_align_) return;
    spin_align_ = Value;
    AlignToAssociate();
}

void TTeSpinButton::SetEnabledSlider(bool Value) {
    enabled_slider_ = Value;
    LayoutParts(Width(), Height());
}

void TTeSpinButton::LayoutParts(int W, int H) {
    if (Loading() || !up_ || !down_) return;
    int half = H / 2 - (enabled_slider_ ? 1 : 0);
    up_->SetBounds(0, 0, W, half);
    down_->SetBounds(0, half + 1, W, half);
    down_->SetTop(H - half);
}

void TTeSpinButton::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    LayoutParts(AWidth, AHeight);
    TTeControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TTeSpinButton::WMSize(TMessage& M) {
    FW_INHERITED(M);
    LayoutParts(Width(), Height());
    M.Result = 0;
}

void TTeSpinButton::WMGetDlgCode(TMessage& M) {
    M.Result = DLGC_WANTARROWS;
}

void TTeSpinButton::TMThemeChange(TMessage& M) {
    if (M.WParam == 0 || (M.WParam >= 3 && M.WParam <= 5)) Invalidate();
}

void TTeSpinButton::Invalidate() {
    TTeControl::Invalidate();
    if (up_) up_->Invalidate();
    if (down_) down_->Invalidate();
}

void TTeSpinButton::AlignToAssociate() {
    if (!associate_) return;
    int h = associate_->Height();
    int x = spin_align_ == TTeSpinAlign::saLeft ? associate_->Left() - 15
                                                : associate_->Left() + associate_->Width();
    SetBounds(x, associate_->Top(), 15, h);
}

void TTeSpinButton::SyncAssociateText() {
    if (!associate_) return;
    updating_ = true;
    try {
        if (fw::StrToIntDef(associate_->GetText(), INT_MAX) != position_)
            associate_->SetText(fw::IntToStr(position_));
    } catch (...) {
        updating_ = false;
        throw;
    }
    updating_ = false;
}

void TTeSpinButton::SyncFromAssociate(fw::TObject* /*Sender*/) {
    if (updating_ || !associate_) return;
    int v = fw::StrToIntDef(associate_->GetText(), position_);
    if (v != position_) SetPosition(v);
}

void TTeSpinButton::PartClick(fw::TObject* Sender) {
    if (Sender == up_) {
        SetPosition(position_ + increment_);
        if (OnUpClick) OnUpClick(this);
    } else if (Sender == down_) {
        SetPosition(position_ - increment_);
        if (OnDownClick) OnDownClick(this);
    }
}

void TTeSpinButton::SetFocusedPart(TTeSpeedButton* Part) {
    if (!TabStop() || !CanFocus() || Part == focused_part_) return;
    focused_part_ = Part;
    if (Focused()) Invalidate();
}

void TTeSpinButton::PartMouseDown(fw::TObject* Sender, fw::TMouseButton Button, fw::TShiftState,
                                  int, int) {
    if (Button != fw::TMouseButton::mbLeft) return;
    SetFocusedPart(static_cast<TTeSpeedButton*>(Sender));
    if (associate_ && associate_->TabStop() && associate_->CanFocus() && !associate_->Focused())
        associate_->SetFocus();
    else if (TabStop() && !Focused() && CanFocus())
        SetFocus();
}

void TTeSpinButton::KeyDown(uint16_t& Key, fw::TShiftState Shift) {
    TTeControl::KeyDown(Key, Shift);
    if (Key == VK_SPACE) {
        if (focused_part_) focused_part_->Click();
    } else if (Key == VK_UP) {
        SetFocusedPart(up_);
        up_->Click();
    } else if (Key == VK_DOWN) {
        SetFocusedPart(down_);
        down_->Click();
    }
}

void TTeSpinButton::MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) {
    TTeControl::MouseDown(Button, Shift, X, Y);
    int h = Height();
    if (Button == fw::TMouseButton::mbLeft && enabled_slider_ && X >= 0 && X < Width() &&
        Y >= h / 2 - 1 && Y < h / 2 + 1) {
        press_y_ = Y;
        sliding_ = true;
    }
}

void TTeSpinButton::MouseMove(fw::TShiftState Shift, int X, int Y) {
    TTeControl::MouseMove(Shift, X, Y);
    if (!enabled_slider_) return;
    if (sliding_) {
        SetPosition(position_ + increment_ * (press_y_ - Y));
        return;
    }
    auto in = [&](TTeSpeedButton* b) {
        TRect r = b->BoundsRect();
        return X >= r.Left && X < r.Right && Y >= r.Top && Y < r.Bottom;
    };
    SetCursor(in(up_) || in(down_) ? fw::crDefault : fw::crSizeNS);
}

void TTeSpinButton::MouseUp(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) {
    TTeControl::MouseUp(Button, Shift, X, Y);
    sliding_ = false;
}

void TTeSpinButton::MouseLeave() {
    TTeControl::MouseLeave();
    SetCursor(fw::crDefault);
}

void TTeSpinButton::Loaded() {
    TTeControl::Loaded();
    AlignToAssociate();
    LayoutParts(Width(), Height());
    if (associate_) timer_->SetEnabled(true);
    Invalidate();
}

void TTeSpinButton::PaintBackground() {
    DrawParentBackground(this, Canvas()->Handle());
}

void LoadSpinArrowGlyph(fw::TBitmap& Bitmap, bool Up) {
    const wchar_t* name = Up ? L"TE_SPIN_UP" : L"TE_SPIN_DOWN";
    if (::FindResourceW(::GetModuleHandleW(nullptr), name, MAKEINTRESOURCEW(2))) {
        Bitmap.LoadFromResourceName(::GetModuleHandleW(nullptr), Up ? "TE_SPIN_UP" : "TE_SPIN_DOWN");
        return;
    }
    fw::TBitmap b;
    b.SetSize(9, 6);
    fw::TCanvas* c = b.Canvas();
    c->Brush()->SetColor(fw::TColor(0x008080)); // RGB 128, 128, 0
    c->FillRect(TRect{0, 0, 9, 6});
    for (int row = 0; row < 4; ++row) {
        int y = Up ? 1 + row : 4 - row;
        for (int x = 4 - row; x <= 4 + row; ++x) c->SetPixel(x, y, fw::clBlack);
    }
    Bitmap.Assign(&b);
}

void TTeSpinButton::SetUpGlyph(const fw::TBitmap* Value) {
    if (Value) {
        up_->SetGlyph(Value);
        return;
    }
    LoadSpinArrowGlyph(*up_->Glyph(), true);
    up_->SetNumGlyphs(1);
    up_->Invalidate();
}

void TTeSpinButton::SetDownGlyph(const fw::TBitmap* Value) {
    if (Value) {
        down_->SetGlyph(Value);
        return;
    }
    LoadSpinArrowGlyph(*down_->Glyph(), false);
    down_->SetNumGlyphs(1);
    down_->Invalidate();
}

} // namespace dvr::skin
