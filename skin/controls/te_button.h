// The skinned push button (glyph cells, predefined kinds with their glyphs and modal
// results, default and cancel roles) and the three-state check box. Both paint through the
// theme's Button and CheckBox groups, then the Windows visual style, then plainly.
#pragma once

#include "framework/ui/graphics.h"
#include "framework/ui/imglist.h"
#include "skin/controls/te_controls.h"
#include "skin/controls/te_speedbutton.h"

#include <memory>
#include <string>

namespace dvr::skin {

enum class TBitBtnKind : uint8_t {
    bkCustom,
    bkOK,
    bkCancel,
    bkHelp,
    bkYes,
    bkNo,
    bkClose,
    bkAbort,
    bkRetry,
    bkIgnore,
    bkAll
};

// The glyph of a kind, loaded from its bitmap resource on first use and kept until
// FreeKindGlyphs; bkCustom (or a missing resource) gives an empty bitmap.
fw::TBitmap* GetKindGlyph(TBitBtnKind Kind);
void FreeKindGlyphs();

class TTeButton : public TTeControl {
    FW_CLASS(TTeButton, TTeControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(fw::CM_FOCUSCHANGED, CMFocusChanged)
    FW_MESSAGE(fw::CM_DIALOGKEY, CMDialogKey)
    FW_MESSAGE(fw::CM_DIALOGCHAR, CMDialogChar)
    FW_MESSAGE(fw::CM_ENABLEDCHANGED, CMEnabledChanged)
    FW_MESSAGE(fw::CM_TEXTCHANGED, CMTextChanged)
    FW_MESSAGE(0x800, TMThemeChange)
    FW_MESSAGES_END
public:
    explicit TTeButton(fw::TComponent* AOwner);
    ~TTeButton() override;

    const std::wstring& WideCaption() const { return caption_; }
    void SetWideCaption(const std::wstring& Value);
    TBitBtnKind Kind() const { return kind_; }
    void SetKind(TBitBtnKind Value);
    int ModalResult() const { return modal_result_; }
    void SetModalResult(int Value) { modal_result_ = Value; }
    bool Default() const { return default_; }
    void SetDefault(bool Value);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool Value) { cancel_ = Value; }
    bool ActiveDefault() const { return active_default_; }
    fw::TBitmap* Glyph() { return glyph_.get(); }
    void SetGlyph(fw::TBitmap* Value);
    int NumGlyphs() const { return num_glyphs_; }
    void SetNumGlyphs(int Value);
    fw::TImageList* Images() const { return images_; }
    void SetImages(fw::TImageList* Value);
    int ImageIndex() const { return image_index_; }
    void SetImageIndex(int Value);
    TTeButtonLayout Layout() const { return layout_; }
    void SetLayout(TTeButtonLayout Value);
    int Spacing() const { return spacing_; }
    void SetSpacing(int Value);
    bool BlackAndWhiteGlyph() const { return black_and_white_; }
    void SetBlackAndWhiteGlyph(bool Value);
    bool WordWrap() const { return word_wrap_; }
    void SetWordWrap(bool Value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool Value);
    const std::string& ThemeObject() const { return theme_object_; }
    void SetThemeObject(const std::string& Value);
    bool Pressed() const { return pressed_; }
    const fw::TBitmap* GlyphImage() const { return glyph_image_.get(); }

    void Click() override;
    void PaintBackground() override;
    virtual TRect GetContentRect();
    virtual TRect GetCaptionRect();
    virtual TRect GetGlyphRect();
    // The size of one glyph cell.
    TPoint GetGlyphCellSize() const;

protected:
    void Notification(fw::TComponent* AComponent, fw::TOperation Operation) override;
    void MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override;
    void MouseMove(fw::TShiftState Shift, int X, int Y) override;
    void MouseUp(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override;
    void KeyDown(uint16_t& Key, fw::TShiftState Shift) override;
    void KeyUp(uint16_t& Key, fw::TShiftState Shift) override;
    void MouseEnter() override;
    void MouseLeave() override;
    virtual void PaintFace();
    virtual void PaintGlyph();
    virtual void PaintCaption();
    void UpdateGlyphImage();
    void GlyphChanged(fw::TObject* Sender);

    void CMFocusChanged(fw::TMessage& M);
    void CMDialogKey(fw::TMessage& M);
    void CMDialogChar(fw::TMessage& M);
    void CMEnabledChanged(fw::TMessage& M);
    void CMTextChanged(fw::TMessage& M);
    void TMThemeChange(fw::TMessage& M);

private:
    bool Themed();
    // State bytes by precedence: disabled, pressed, hot, focused, normal.
    uint8_t ThemeState();
    void UseStateFont();

    std::wstring caption_;
    TBitBtnKind kind_ = TBitBtnKind::bkCustom;
    int modal_result_ = 0;
    bool default_ = false;
    bool cancel_ = false;
    bool active_default_ = false;
    std::unique_ptr<fw::TBitmap> glyph_;
    std::unique_ptr<fw::TBitmap> glyph_image_;
    int num_glyphs_ = 1;
    fw::TImageList* images_ = nullptr;
    int image_index_ = -1;
    TTeButtonLayout layout_ = TTeButtonLayout::blGlyphLeft;
    int spacing_ = 4;
    bool black_and_white_ = false;
    bool word_wrap_ = false;
    bool transparent_ = false;
    std::string theme_object_ = "default";
    bool pressed_ = false;
    bool tracking_ = false;
};

enum class TTeCheckBoxState : uint8_t { kcbsUnChecked, kcbsChecked, kcbsMixed };
enum class TTeLeftRight : uint8_t { kalLeftJustify, kalRightJustify };

class TTeCheckBox : public TTeControl {
    FW_CLASS(TTeCheckBox, TTeControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(fw::CM_DIALOGCHAR, CMDialogChar)
    FW_MESSAGE(fw::CM_ENABLEDCHANGED, CMEnabledChanged)
    FW_MESSAGE(fw::CM_TEXTCHANGED, CMTextChanged)
    FW_MESSAGE(WM_SYSCOLORCHANGE, WMSysColorChange)
    FW_MESSAGE(0x800, TMThemeChange)
    FW_MESSAGES_END
public:
    static constexpr int kCheckSize = 13;

    explicit TTeCheckBox(fw::TComponent* AOwner);
    ~TTeCheckBox() override;

    TTeCheckBoxState State() const { return state_; }
    void SetState(TTeCheckBoxState Value);
    bool Checked() const { return state_ == TTeCheckBoxState::kcbsChecked; }
    void SetChecked(bool Value);
    bool AllowGrayed() const { return allow_grayed_; }
    void SetAllowGrayed(bool Value) { allow_grayed_ = Value; }
    TTeLeftRight Alignment() const { return alignment_; }
    void SetAlignment(TTeLeftRight Value);
    int Spacing() const { return spacing_; }
    void SetSpacing(int Value);
    const std::wstring& WideCaption() const { return caption_; }
    void SetWideCaption(const std::wstring& Value);
    bool WordWrap() const { return word_wrap_; }
    void SetWordWrap(bool Value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool Value);
    const std::string& ThemeObject() const { return theme_object_; }
    void SetThemeObject(const std::string& Value);
    bool Pressed() const { return pressed_; }

    void PaintBackground() override;
    virtual void Toggle();
    virtual SIZE GetCheckSize() const { return SIZE{kCheckSize, kCheckSize}; }
    TRect GetCheckRect();
    TRect GetCaptionRect();

protected:
    virtual void DoClick();
    virtual void PaintCheck();
    virtual void PaintCaption();
    void MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override;
    void MouseUp(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override;
    void KeyDown(uint16_t& Key, fw::TShiftState Shift) override;
    void KeyUp(uint16_t& Key, fw::TShiftState Shift) override;
    void MouseEnter() override;
    void MouseLeave() override;

    void CMDialogChar(fw::TMessage& M);
    void CMEnabledChanged(fw::TMessage& M);
    void CMTextChanged(fw::TMessage& M);
    void WMSysColorChange(fw::TMessage& M);
    void TMThemeChange(fw::TMessage& M);

private:
    bool Themed();

    TTeCheckBoxState state_ = TTeCheckBoxState::kcbsUnChecked;
    bool allow_grayed_ = false;
    TTeLeftRight alignment_ = TTeLeftRight::kalLeftJustify;
    int spacing_ = 5;
    std::wstring caption_;
    bool word_wrap_ = false;
    bool transparent_ = true;
    std::string theme_object_ = "default";
    bool pressed_ = false;
};

} // namespace dvr::skin
