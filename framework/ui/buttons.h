// Speed buttons: flat tool buttons painted on their parent, with a glyph, an optional
// down state, and groups of which one is down at a time.
#pragma once

#include "framework/ui/controls.h"

namespace dvr::fw {

enum class TButtonState : uint8_t { bsUp, bsDisabled, bsDown, bsExclusive };

class TSpeedButton : public TGraphicControl {
    FW_PUBLISHED(TSpeedButton, TGraphicControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(CM_MOUSEENTER, CMMouseEnter)
    FW_MESSAGE(CM_MOUSELEAVE, CMMouseLeave)
    FW_MESSAGE(CM_TEXTCHANGED, CMTextChanged)
    FW_MESSAGE(CM_BUTTONPRESSED, CMButtonPressed)
    FW_MESSAGES_END
public:
    explicit TSpeedButton(TComponent* AOwner);
    // Pictures side by side: up, disabled, down, held down (NumGlyphs of them).
    TBitmap* Glyph() { return &glyph_; }
    int NumGlyphs() const { return num_glyphs_; }
    void SetNumGlyphs(int Value);
    bool Down() const { return down_; }
    void SetDown(bool Value);
    int GroupIndex() const { return group_index_; }
    void SetGroupIndex(int Value) { group_index_ = Value; }
    bool AllowAllUp() const { return allow_all_up_; }
    void SetAllowAllUp(bool Value) { allow_all_up_ = Value; }
    bool Flat() const { return flat_; }
    void SetFlat(bool Value);
    TButtonState State() const { return state_; }
    void Click() override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void CMMouseEnter(TMessage& M);
    void CMMouseLeave(TMessage& M);
    void CMTextChanged(TMessage& M);
    void CMButtonPressed(TMessage& M);

private:
    void GlyphChanged(TObject*) { Invalidate(); }
    TBitmap glyph_;
    int num_glyphs_ = 1;
    bool down_ = false, flat_ = false, allow_all_up_ = false, hot_ = false, dragging_ = false;
    int group_index_ = 0;
    TButtonState state_ = TButtonState::bsUp;
};

} // namespace dvr::fw
