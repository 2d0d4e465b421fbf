// The skinned up/down control: two flat speed buttons stacked in a small window, an
// integer position stepped by clicks, keys or dragging in the gap between them, and
// kept in step with the text of an associated control.
#pragma once

#include "framework/ui/timer.h"
#include "skin/controls/te_controls.h"
#include "skin/controls/te_speedbutton.h"

#include <string>

namespace dvr::skin {

// The built-in arrows "TE_SPIN_UP" and "TE_SPIN_DOWN": 9 x 6, a black triangle on dark
// yellow (the bottom-left colour, so transparent on a speed button). A bitmap resource of
// that name in the program replaces the drawn one.
void LoadSpinArrowGlyph(fw::TBitmap& Bitmap, bool Up);

enum class TTeSpinAlign : uint8_t { saLeft, saRight };

class TTeSpinButton : public TTeControl {
    FW_CLASS(TTeSpinButton, TTeControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_SIZE, WMSize)
    FW_MESSAGE(WM_GETDLGCODE, WMGetDlgCode)
    FW_MESSAGE(0x800, TMThemeChange)
    FW_MESSAGES_END
public:
    explicit TTeSpinButton(fw::TComponent* AOwner);
    ~TTeSpinButton() override;

    int Min() const { return min_; }
    void SetMin(int Value);
    int Max() const { return max_; }
    void SetMax(int Value);
    int Position() const { return position_; }
    void SetPosition(int Value);
    int Increment() const { return increment_; }
    void SetIncrement(int Value) { increment_ = Value; }
    fw::TWinControl* Associate() const { return associate_; }
    void SetAssociate(fw::TWinControl* Value);
    TTeSpinAlign SpinAlign() const { return spin_align_; }
    void SetSpinAlign(TTeSpinAlign Value);
    bool EnabledSlider() const { return enabled_slider_; }
    void SetEnabledSlider(bool Value);
    const std::string& ThemeObject() const { return theme_object_; }
    void SetThemeObject(const std::string& Value) { theme_object_ = Value; }
    TTeSpeedButton* UpButton() const { return up_; }
    TTeSpeedButton* DownButton() const { return down_; }
    TTeSpeedButton* FocusedPart() const { return focused_part_; }
    bool Sliding() const { return sliding_; }
    fw::TTimer* SyncTimer() const { return timer_; }

    // The parts' glyphs; nullptr gives a part its built-in arrow.
    fw::TBitmap* UpGlyph() const { return up_->Glyph(); }
    void SetUpGlyph(const fw::TBitmap* Value);
    fw::TBitmap* DownGlyph() const { return down_->Glyph(); }
    void SetDownGlyph(const fw::TBitmap* Value);
    int UpNumGlyphs() const { return up_->NumGlyphs(); }
    void SetUpNumGlyphs(int Value) { up_->SetNumGlyphs(Value); }
    int DownNumGlyphs() const { return down_->NumGlyphs(); }
    void SetDownNumGlyphs(int Value) { down_->SetNumGlyphs(Value); }

    fw::TChangingEvent OnChanging;
    fw::TNotifyEvent OnUpClick;
    fw::TNotifyEvent OnDownClick;

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void Invalidate() override;
    void Loaded() override;
    void PaintBackground() override;
    void SyncFromAssociate(fw::TObject* Sender);

protected:
    virtual TTeSpeedButton* CreateButton();
    void Notification(fw::TComponent* AComponent, fw::TOperation Operation) override;
    void KeyDown(uint16_t& Key, fw::TShiftState Shift) override;
    void MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override;
    void MouseMove(fw::TShiftState Shift, int X, int Y) override;
    void MouseUp(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override;
    void MouseLeave() override;
    void WMSize(fw::TMessage& M);
    void WMGetDlgCode(fw::TMessage& M);
    void TMThemeChange(fw::TMessage& M);

private:
    void LayoutParts(int W, int H);
    void AlignToAssociate();
    void SyncAssociateText();
    void SetFocusedPart(TTeSpeedButton* Part);
    void PartClick(fw::TObject* Sender);
    void PartMouseDown(fw::TObject* Sender, fw::TMouseButton Button, fw::TShiftState Shift, int X,
                       int Y);

    int min_ = 0, max_ = 100, position_ = 0, increment_ = 1;
    fw::TWinControl* associate_ = nullptr;
    TTeSpinAlign spin_align_ = TTeSpinAlign::saRight;
    bool enabled_slider_ = true;
    std::string theme_object_ = "default";
    TTeSpeedButton* up_ = nullptr;
    TTeSpeedButton* down_ = nullptr;
    TTeSpeedButton* focused_part_ = nullptr;
    bool sliding_ = false;
    int press_y_ = 0;
    bool updating_ = false;
    fw::TTimer* timer_ = nullptr;
};

} // namespace dvr::skin
