// The ancestors of the skinned controls: a windowed TTeControl with a bevelled border and
// a graphic TTeGraphicControl, both painting through an optional off-screen buffer, with
// a hot state and a private paint font. Descendants paint their face in
// PaintBackground.
#pragma once

#include "framework/ui/controls.h"
#include "skin/engine/te_bitmap.h"

#include <windows.h>

namespace dvr::skin {

enum class TTePerformance : uint8_t { kpNoBuffer, kpSharedBuffer, kpDoubleBuffer };
enum class TTeBevelCut : uint8_t {
    kbvNone,
    kbvLowered,
    kbvRaised,
    kbvSpace,
    kbvBorder,
    kbvFlatBorder
};
enum class TTeBevelSide : uint8_t { kbsLeft, kbsTop, kbsRight, kbsBottom };
using TTeBevelSides = fw::TSet<TTeBevelSide>;
enum class TTeBevelKind : uint8_t { kbkNone, kbkSingle, kbkTile, kbkSoft, kbkBorder, kbkFlat };

constexpr TTeBevelSides AllBevelSides() {
    return TTeBevelSides{TTeBevelSide::kbsLeft, TTeBevelSide::kbsTop, TTeBevelSide::kbsRight,
                         TTeBevelSide::kbsBottom};
}

// Line colours of a bevel cut: outer top-left, outer bottom-right, inner top-left, inner
// bottom-right.
struct TTeBevelColors {
    fw::TColor OuterTopLeft, OuterBottomRight, InnerTopLeft, InnerBottomRight;
};
TTeBevelColors BevelColors(TTeBevelCut Cut);

// The one paint buffer shared by every control: the screen plus 500 pixels each way,
// sized on first use.
TteBitmap& SharedPaintBuffer();
void EnsureSharedPaintBuffer();
void FreeSharedPaintBuffer();

// The one open combo-box drop-down of the process and how to close it; a click on a
// skinned form's frame runs RunDropDownCloseEvent.
class TTeComboBox;
TTeComboBox*& ActiveDropDown();
fw::TNotifyEvent& DropDownCloseEvent();
void RunDropDownCloseEvent();

// Draws Width passes of lines along the chosen sides of R, shrinking R by one per pass.
void DrawBevelSides(fw::TCanvas& Canvas, TRect& R, TTeBevelSides Sides, fw::TColor TopLeftColor,
                    fw::TColor BottomRightColor, int Width);

class TTeControl : public fw::TCustomControl {
    FW_CLASS(TTeControl, fw::TCustomControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_ERASEBKGND, WMEraseBkgnd)
    FW_MESSAGE(WM_WINDOWPOSCHANGING, WMWindowPosChanging)
    FW_MESSAGE(WM_THEMECHANGED, WMThemeChanged)
    FW_MESSAGE(fw::CM_MOUSEENTER, CMMouseEnter)
    FW_MESSAGE(fw::CM_MOUSELEAVE, CMMouseLeave)
    FW_MESSAGE(fw::CM_ENTER, CMEnter)
    FW_MESSAGE(fw::CM_EXIT, CMExit)
    FW_MESSAGES_END
public:
    explicit TTeControl(fw::TComponent* AOwner);
    ~TTeControl() override;

    TTePerformance Performance() const { return performance_; }
    void SetPerformance(TTePerformance Value);
    bool HasFocus() const { return has_focus_; }
    bool MouseInControl() const { return mouse_in_control_; }
    fw::TFont* PaintFont() { return &paint_font_; }

    fw::TNotifyEvent OnMouseEnter;
    fw::TNotifyEvent OnMouseLeave;

    void Loaded() override;
    TRect GetClientRect() override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

    // Border settings (descendants publish the ones they need).
    int BorderWidth() const { return border_width_; }
    void SetBorderWidth(int Value);
    TTeBevelCut BevelInner() const { return bevel_inner_; }
    void SetBevelInner(TTeBevelCut Value);
    TTeBevelCut BevelOuter() const { return bevel_outer_; }
    void SetBevelOuter(TTeBevelCut Value);
    TTeBevelSides BevelSides() const { return bevel_sides_; }
    void SetBevelSides(TTeBevelSides Value);
    TTeBevelKind BevelKind() const { return bevel_kind_; }
    void SetBevelKind(TTeBevelKind Value);
    int BevelWidth() const { return bevel_width_; }
    void SetBevelWidth(int Value);
    bool SystemBorder() const { return system_border_; }
    void SetSystemBorder(bool Value) { system_border_ = Value; }
    int CachedWidth() const { return cached_width_; }
    int CachedHeight() const { return cached_height_; }

    virtual void PaintBorder();
    virtual void PaintBackground();
    virtual void GetInnerRect(TRect& Rect);
    TRect InnerRect() {
        TRect r;
        GetInnerRect(r);
        return r;
    }

protected:
    void CreateParams(fw::TCreateParams& Params) override;
    void Paint() override;
    virtual void BorderChanged() {}
    virtual void MouseEnter();
    virtual void MouseLeave();
    virtual void FocusEnter();
    virtual void FocusExit();
    // Paints what lies behind the control into DC (the parent's background).
    void PaintParentBackground(HDC DC);

    void WMEraseBkgnd(fw::TMessage& M);
    void WMWindowPosChanging(fw::TMessage& M);
    void WMThemeChanged(fw::TMessage& M);
    void CMMouseEnter(fw::TMessage& M);
    void CMMouseLeave(fw::TMessage& M);
    void CMEnter(fw::TMessage& M);
    void CMExit(fw::TMessage& M);

    TTePerformance performance_ = TTePerformance::kpNoBuffer;
    bool has_focus_ = false;
    bool mouse_in_control_ = false;
    fw::TFont paint_font_;
    int border_width_ = 0;
    TTeBevelCut bevel_inner_ = TTeBevelCut::kbvLowered;
    TTeBevelCut bevel_outer_ = TTeBevelCut::kbvLowered;
    TTeBevelSides bevel_sides_ = AllBevelSides();
    TTeBevelKind bevel_kind_ = TTeBevelKind::kbkNone;
    int bevel_width_ = 0;
    bool system_border_ = true;
    int cached_width_ = 100, cached_height_ = 30;
};

class TTeGraphicControl : public fw::TGraphicControl {
    FW_CLASS(TTeGraphicControl, fw::TGraphicControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(fw::CM_MOUSEENTER, CMMouseEnter)
    FW_MESSAGE(fw::CM_MOUSELEAVE, CMMouseLeave)
    FW_MESSAGES_END
public:
    explicit TTeGraphicControl(fw::TComponent* AOwner);

    TTePerformance Performance() const { return performance_; }
    void SetPerformance(TTePerformance Value);
    bool MouseInControl() const { return mouse_in_control_; }
    fw::TFont* PaintFont() { return &paint_font_; }

    fw::TNotifyEvent OnMouseEnter;
    fw::TNotifyEvent OnMouseLeave;

    void Loaded() override;
    virtual void PaintBackground();

protected:
    void Paint() override;
    virtual void MouseEnter();
    virtual void MouseLeave();
    void PaintParentBackground(HDC DC);
    void CMMouseEnter(fw::TMessage& M);
    void CMMouseLeave(fw::TMessage& M);

    TTePerformance performance_ = TTePerformance::kpNoBuffer;
    bool mouse_in_control_ = false;
    fw::TFont paint_font_;
};

} // namespace dvr::skin
