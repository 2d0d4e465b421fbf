// An edit with a button inside its frame, at the right or the left of the text. The
// button is placed again whenever the edit is sized, re-created or re-skinned.
#pragma once

#include "framework/filer.h"
#include "skin/controls/te_edit.h"

namespace dvr::skin {

enum class TTeButtonAlign : uint8_t { baLeft, baRight };

class TTeInplaceControlEdit : public TTeEdit {
    FW_CLASS(TTeInplaceControlEdit, TTeEdit)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(fw::CM_ENABLEDCHANGED, CMEnabledChanged)
    FW_MESSAGES_END
public:
    explicit TTeInplaceControlEdit(fw::TComponent* AOwner);
    ~TTeInplaceControlEdit() override;

    TTeControl* Button() const { return button_; }
    TTeButtonAlign ButtonAlign() const { return button_align_; }
    void SetButtonAlign(TTeButtonAlign Value);
    int ButtonWidth() { return GetButtonWidth(); }
    const std::string& ButtonHint() const { return button_->Hint(); }
    void SetButtonHint(const std::string& Value) { button_->SetHint(Value); }
    bool ButtonShowHint() const { return button_->ShowHint(); }
    void SetButtonShowHint(bool Value) { button_->SetShowHint(Value); }
    bool ButtonTransparent() const { return false; }
    void SetButtonTransparent(bool) {}

    fw::TNotifyEvent OnButtonClick;

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    TRect GetTextRect() override;
    void GetChildren(const std::function<void(fw::TComponent*)>&, fw::TComponent*) override {}
    void DefineProperties(fw::TFiler* Filer) override;

    virtual int GetButtonHeight() { return button_->Height(); }
    virtual int GetButtonWidth() { return button_->Width(); }
    virtual void SetButtonWidth(int Value);
    virtual bool IsButtonWidthStored() { return GetButtonWidth() != 19; }
    virtual void UpdateButtonBounds();

protected:
    virtual TTeControl* CreateButton();
    virtual void DoButtonClick();
    void ButtonClick(fw::TObject* Sender);
    void CreateParams(fw::TCreateParams& Params) override;
    void CreateWnd() override;
    void PaintTextBackground(TRect R) override;
    void CMEnabledChanged(fw::TMessage& M);
    void Notification(fw::TComponent* AComponent, fw::TOperation Operation) override;

    // Finishes the set-up of the button CreateButton made; descendants call it from their
    // constructor when they make their own button.
    void InstallButton();
    // Puts a button of the descendant's kind in place of the one the constructor made
    // (a constructor cannot reach the descendant's CreateButton).
    void ReplaceButton(TTeControl* NewButton);

private:
    void ReadButtonData(fw::TReader& Reader);
    void WriteButtonData(fw::TWriter& Writer);

    TTeControl* button_ = nullptr;
    TTeButtonAlign button_align_ = TTeButtonAlign::baRight;
};

} // namespace dvr::skin
