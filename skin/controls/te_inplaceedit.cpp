#include "skin/controls/te_inplaceedit.h"

#include "common/win/textconv.h"
#include "skin/engine/te_theme.h"
#include "skin/engine/te_winapi.h"

namespace dvr::skin {

using fw::TMessage;

TTeInplaceControlEdit::TTeInplaceControlEdit(fw::TComponent* AOwner) : TTeEdit(AOwner) {
    SetParentColor(true);
    button_ = CreateButton();
    InstallButton();
}

void TTeInplaceControlEdit::InstallButton() {
    button_->FreeNotification(this); // the owner frees its components before this destructor
    button_->SetWidth(19);
    button_->SetParent(this);
    button_->SetTabStop(false);
    button_->OnClick = fw::TNotifyEvent(this, &TTeInplaceControlEdit::ButtonClick);
    button_align_ = TTeButtonAlign::baRight;
}

void TTeInplaceControlEdit::ReplaceButton(TTeControl* NewButton) {
    TTeControl* old = button_;
    button_ = nullptr;
    delete old;
    button_ = NewButton;
    InstallButton();
    UpdateButtonBounds();
}

TTeInplaceControlEdit::~TTeInplaceControlEdit() {
    MarkDestroying();
    // Freed through Free, the owner has freed its components (the button too) already.
    bool owned = false;
    for (int i = 0; i < ComponentCount() && !owned; ++i) owned = Components(i) == button_;
    if (owned) delete button_;
    button_ = nullptr;
}

void TTeInplaceControlEdit::Notification(fw::TComponent* AComponent, fw::TOperation Operation) {
    TTeEdit::Notification(AComponent, Operation);
    if (Operation == fw::TOperation::opRemove && AComponent == button_) button_ = nullptr;
}

TTeControl* TTeInplaceControlEdit::CreateButton() {
    return new TTeControl(this);
}

void TTeInplaceControlEdit::SetButtonAlign(TTeButtonAlign Value) {
    if (Value == button_align_) return;
    button_align_ = Value;
    UpdateButtonBounds();
}

void TTeInplaceControlEdit::SetButtonWidth(int Value) {
    if (Value == GetButtonWidth()) return;
    button_->SetWidth(Value);
    UpdateButtonBounds();
}

void TTeInplaceControlEdit::CreateParams(fw::TCreateParams& Params) {
    TTeEdit::CreateParams(Params);
    Params.Style |= WS_CLIPCHILDREN;
}

void TTeInplaceControlEdit::CreateWnd() {
    TTeEdit::CreateWnd();
    UpdateButtonBounds();
}

void TTeInplaceControlEdit::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    TTeEdit::SetBounds(ALeft, ATop, AWidth, AHeight);
    UpdateButtonBounds();
}

void TTeInplaceControlEdit::CMEnabledChanged(TMessage& M) {
    FW_INHERITED(M);
    if (button_) button_->SetEnabled(Enabled());
}

void TTeInplaceControlEdit::ButtonClick(fw::TObject*) {
    DoButtonClick();
}

void TTeInplaceControlEdit::DoButtonClick() {
    if (OnButtonClick) OnButtonClick(this);
}

TRect TTeInplaceControlEdit::GetTextRect() {
    TRect r;
    if (CurrentThemeHasEditStyle(1, ThemeObject()))
        CurrentTheme()->GetEditContentRect(1, TRect{0, 0, Width(), Height()}, r, ThemeObject());
    else
        r = TTeEdit::GetTextRect();
    if (button_) {
        if (button_align_ == TTeButtonAlign::baRight)
            r.Right -= GetButtonWidth();
        else
            r.Left += GetButtonWidth();
    }
    return r;
}

void TTeInplaceControlEdit::PaintTextBackground(TRect R) {
    if (button_) {
        if (button_align_ == TTeButtonAlign::baRight)
            R.Right += GetButtonWidth();
        else
            R.Left -= GetButtonWidth();
    }
    TTeEdit::PaintTextBackground(R);
}

void TTeInplaceControlEdit::UpdateButtonBounds() {
    if (!HandleAllocated() || !button_) return;
    TRect t = GetTextRect();
    int w = GetButtonWidth();
    TRect b = button_align_ == TTeButtonAlign::baRight ? TRect{t.Right, t.Top, t.Right + w, t.Bottom}
                                                       : TRect{t.Left - w, t.Top, t.Left, t.Bottom};
    int d = !CurrentThemeHasEditStyle(1, ThemeObject()) && IsSystemThemeActive() ? 1 : 2;
    b.Top -= d;
    b.Bottom += d;
    if (button_align_ == TTeButtonAlign::baRight) {
        b.Left += d;
        b.Right += d;
    } else {
        b.Left -= d;
        b.Right -= d;
    }
    button_->SetBounds(b.Left, b.Top, b.Right - b.Left, b.Bottom - b.Top);
    Invalidate();
}

void TTeInplaceControlEdit::DefineProperties(fw::TFiler* Filer) {
    TTeEdit::DefineProperties(Filer);
    Filer->DefineProperty(
        "ButtonData", [this](fw::TReader& r) { ReadButtonData(r); },
        [this](fw::TWriter& w) { WriteButtonData(w); }, true);
}

void TTeInplaceControlEdit::WriteButtonData(fw::TWriter& Writer) {
    Writer.WriteListBegin();
    Writer.WriteBoolean(false);
    Writer.WriteInteger(0);
    Writer.WriteString(button_->GetText());
    Writer.WriteString(ButtonHint());
    Writer.WriteBoolean(ButtonTransparent());
    Writer.WriteBoolean(ButtonShowHint());
    Writer.WriteInteger(GetButtonWidth());
    Writer.WriteListEnd();
}

void TTeInplaceControlEdit::ReadButtonData(fw::TReader& Reader) {
    Reader.ReadListBegin();
    Reader.ReadBoolean();
    Reader.ReadInteger();
    std::string text = Reader.ReadString();
    if (text != button_->GetText()) button_->SetText(text);
    SetButtonHint(Reader.ReadString());
    SetButtonTransparent(Reader.ReadBoolean());
    SetButtonShowHint(Reader.ReadBoolean());
    SetButtonWidth(Reader.ReadInteger());
    Reader.ReadListEnd();
}

} // namespace dvr::skin
