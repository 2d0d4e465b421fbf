// The numeric spin edit: an in-place editor with a spin button inside its frame. The
// value lives in the text, as an integer, a fixed-point number or hexadecimal; spin
// clicks and the arrow and page keys step it, and it is clamped to its limits when
// written and when the field is left.
#pragma once

#include "skin/controls/te_inplaceedit.h"
#include "skin/controls/te_spinbutton.h"

namespace dvr::skin {

enum class TTeSpinValueType : uint8_t { vtInteger, vtFloat, vtHex };

class TTeSpinEdit : public TTeInplaceControlEdit {
    FW_CLASS(TTeSpinEdit, TTeInplaceControlEdit)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_CONTEXTMENU, WMContextMenu)
    FW_MESSAGE(WM_CHAR, WMChar)
    FW_MESSAGE(WM_IME_CHAR, WMChar)
    FW_MESSAGE(WM_IME_COMPOSITION, WMImeComposition)
    FW_MESSAGES_END
public:
    explicit TTeSpinEdit(fw::TComponent* AOwner);
    ~TTeSpinEdit() override;

    double Value();
    void SetValue(double V);
    double MinValue() const { return min_value_; }
    void SetMinValue(double V);
    double MaxValue() const { return max_value_; }
    void SetMaxValue(double V);
    double Increment() const { return increment_; }
    void SetIncrement(double V);
    double LargeStep() const { return large_step_; }
    void SetLargeStep(double V) { large_step_ = V; }
    TTeSpinValueType ValueType() const { return value_type_; }
    void SetValueType(TTeSpinValueType V);
    uint8_t Decimal() const { return decimal_; }
    void SetDecimal(uint8_t V);
    bool ArrowKeys() const { return arrow_keys_; }
    void SetArrowKeys(bool V) { arrow_keys_ = V; }
    bool EditorEnabled() const { return editor_enabled_; }
    void SetEditorEnabled(bool V) { editor_enabled_ = V; }
    TTeSpinButton* SpinButton() const { return static_cast<TTeSpinButton*>(Button()); }

    fw::TBitmap* UpGlyph() const { return SpinButton()->UpGlyph(); }
    void SetUpGlyph(fw::TBitmap* V) { SpinButton()->SetUpGlyph(V); }
    fw::TBitmap* DownGlyph() const { return SpinButton()->DownGlyph(); }
    void SetDownGlyph(fw::TBitmap* V) { SpinButton()->SetDownGlyph(V); }
    int UpNumGlyphs() const { return SpinButton()->UpNumGlyphs(); }
    void SetUpNumGlyphs(int V) { SpinButton()->SetUpNumGlyphs(V); }
    int DownNumGlyphs() const { return SpinButton()->DownNumGlyphs(); }
    void SetDownNumGlyphs(int V) { SpinButton()->SetDownNumGlyphs(V); }
    bool EnabledSlider() const { return SpinButton()->EnabledSlider(); }
    void SetEnabledSlider(bool V) { SpinButton()->SetEnabledSlider(V); }

    fw::TChangingEvent OnChanging;
    fw::TNotifyEvent OnUpClick;
    fw::TNotifyEvent OnDownClick;

    double ClampValue(double V) const;
    void SetValueText(double V);
    // A step of the up (true) or down part.
    void Step(bool Up, double Delta);
    void SpinClick(bool Up);
    bool SuppressChange() const { return suppress_change_; }
    // Whether a typed character can belong to a number of the value type.
    virtual bool IsValidChar(wchar_t Key);
    bool AcceptText(const std::wstring& Value) override;
    void Loaded() override;

protected:
    TTeControl* CreateButton() override;
    void CreateWnd() override;
    void Change() override;
    void FocusExit() override;
    void KeyDown(uint16_t& Key, fw::TShiftState Shift) override;
    void KeyPress(char& Key) override;
    virtual void DoChanging(fw::TObject* Sender, bool& AllowChange);
    void WMContextMenu(fw::TMessage& M);
    void WMChar(fw::TMessage& M);
    void WMImeComposition(fw::TMessage& M);

private:
    void PartClick(fw::TObject* Sender);
    // Runs a change of the spin button's settings that would write its own position
    // into the text, keeping the text.
    template <class F> void KeepingText(F&& Change);

    double min_value_ = 0, max_value_ = 0, increment_ = 1, large_step_ = 10;
    TTeSpinValueType value_type_ = TTeSpinValueType::vtInteger;
    uint8_t decimal_ = 2;
    bool arrow_keys_ = true;
    bool editor_enabled_ = true;
    bool suppress_change_ = false;
};

// The locale's decimal separator.
wchar_t SpinDecimalSeparator();

} // namespace dvr::skin
