// The skinned tool-bar button: latching in exclusive groups among its parent's buttons,
// clicks repeated while held, an optional chevron strip, painted through the current
// theme's Button group, the Windows visual style or plain 3-D frames.
#pragma once

#include "framework/ui/graphics.h"
#include "framework/ui/menus.h"
#include "framework/ui/timer.h"
#include "skin/controls/te_controls.h"

#include <string>

namespace dvr::skin {

enum class TTeButtonState : uint8_t { bsUp, bsDisabled, bsPressed, bsExclusive, bsChevronPressed };
enum class TTeButtonLayout : uint8_t { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

class TTeSpeedButton : public TTeGraphicControl {
    FW_CLASS(TTeSpeedButton, TTeGraphicControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(fw::CM_BUTTONPRESSED, CMButtonPressed)
    FW_MESSAGE(fw::CM_ENABLEDCHANGED, CMEnabledChanged)
    FW_MESSAGE(fw::CM_FONTCHANGED, CMRepaint)
    FW_MESSAGE(fw::CM_SYSCOLORCHANGE, CMRepaint)
    FW_MESSAGE(fw::CM_TEXTCHANGED, CMTextChanged)
    FW_MESSAGE(WM_LBUTTONDBLCLK, WMLButtonDblClk)
    FW_MESSAGE(0x800, TMThemeChange)
    FW_MESSAGES_END
public:
    static constexpr int kChevronWidth = 14;

    explicit TTeSpeedButton(fw::TComponent* AOwner);
    ~TTeSpeedButton() override;

    const std::wstring& WideCaption() const { return caption_; }
    void SetWideCaption(const std::wstring& Value);
    bool ShowCaption() const { return show_caption_; }
    void SetShowCaption(bool Value);
    bool Flat() const { return flat_; }
    void SetFlat(bool Value);
    bool Down() const { return down_; }
    void SetDown(bool Value);
    int GroupIndex() const { return group_index_; }
    void SetGroupIndex(int Value);
    bool AllowAllUp() const { return allow_all_up_; }
    void SetAllowAllUp(bool Value);
    bool AllowTimer() const { return allow_timer_; }
    void SetAllowTimer(bool Value) { allow_timer_ = Value; }
    bool ShowChevron() const { return show_chevron_; }
    void SetShowChevron(bool Value);
    fw::TPopupMenu* ChevronMenu() const { return chevron_menu_; }
    void SetChevronMenu(fw::TPopupMenu* Value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool Value);
    const std::string& ThemeObject() const { return theme_object_; }
    void SetThemeObject(const std::string& Value) { theme_object_ = Value; }
    TTeButtonState State() const { return state_; }
    fw::TTimer* ClickTimer() const { return timer_; }

    fw::TNotifyEvent OnChevronClick;

    // ---- glyph: up to four cells side by side (up, disabled, pressed, exclusive) ----
    fw::TBitmap* Glyph() { return &glyph_; }
    void SetGlyph(const fw::TBitmap* Value) { glyph_.Assign(Value); }
    int NumGlyphs() const { return num_glyphs_; }
    void SetNumGlyphs(int Value);
    bool ShowGlyph() const { return show_glyph_; }
    void SetShowGlyph(bool Value);
    bool BlackAndWhiteGlyph() const { return black_and_white_glyph_; }
    void SetBlackAndWhiteGlyph(bool Value);
    TTeButtonLayout Layout() const { return layout_; }
    void SetLayout(TTeButtonLayout Value);
    int Margin() const { return margin_; }
    void SetMargin(int Value);
    int Spacing() const { return spacing_; }
    void SetSpacing(int Value);
    SIZE GetGlyphSize();
    TRect GetGlyphRect();
    // The glyph cell for the current state as a key-colour bitmap, as it is painted.
    void RenderGlyph(TteBitmap& Out);

    TRect GetButtonRect();
    TRect GetChevronRect();
    TRect GetCaptionRect();
    SIZE GetCaptionSize();
    void Click() override;
    void ClickTimerTick(fw::TObject* Sender);
    void PaintBackground() override;

protected:
    void MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override;
    void MouseUp(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void Notification(fw::TComponent* AComponent, fw::TOperation Operation) override;
    virtual void ChevronClick();
    virtual void PaintCaption(int Offset);
    virtual void PaintChevron(int Offset);
    virtual void PaintGlyph(int Offset);
    void GlyphChanged(fw::TObject* Sender);
    TRect CaptionRectBesideGlyph(SIZE CaptionSize);
    void UpdateExclusive();
    bool Themed();

    void CMButtonPressed(fw::TMessage& M);
    void CMEnabledChanged(fw::TMessage& M);
    void CMRepaint(fw::TMessage& M);
    void CMTextChanged(fw::TMessage& M);
    void WMLButtonDblClk(fw::TMessage& M);
    void TMThemeChange(fw::TMessage& M);

private:
    std::wstring caption_;
    bool show_caption_ = true;
    bool flat_ = false;
    bool down_ = false;
    int group_index_ = 0;
    bool allow_all_up_ = false;
    bool allow_timer_ = false;
    bool show_chevron_ = false;
    fw::TPopupMenu* chevron_menu_ = nullptr;
    bool transparent_ = false;
    std::string theme_object_ = "default";
    TTeButtonState state_ = TTeButtonState::bsUp;
    bool mouse_down_ = false;
    fw::TTimer* timer_ = nullptr;
    fw::TBitmap glyph_;
    int num_glyphs_ = 1;
    bool show_glyph_ = true;
    bool black_and_white_glyph_ = false;
    TTeButtonLayout layout_ = TTeButtonLayout::blGlyphLeft;
    int margin_ = -1;
    int spacing_ = 4;
};

// A gap between speed buttons showing what lies behind it.
class TTeSpeedDivider : public TTeGraphicControl {
    FW_CLASS(TTeSpeedDivider, TTeGraphicControl)
public:
    explicit TTeSpeedDivider(fw::TComponent* AOwner);
    void PaintBackground() override;
};

// A plain container for speed buttons.
class TTeSpeedContainer : public TTeControl {
    FW_CLASS(TTeSpeedContainer, TTeControl)
public:
    explicit TTeSpeedContainer(fw::TComponent* AOwner);
    void PaintBackground() override;
};

} // namespace dvr::skin
