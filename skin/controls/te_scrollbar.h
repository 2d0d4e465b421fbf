// The skinned scroll bar: arrow buttons, a track and a proportional thumb painted through
// the current theme, the Windows visual style or plain 3-D drawing, with line and page
// repeats on a timer and dragging of the thumb.
#pragma once

#include "framework/ui/timer.h"
#include "skin/controls/te_controls.h"
#include "skin/engine/te_theme_info.h"

#include <string>

namespace dvr::skin {

// The ordinals of the Windows SB_ codes.
enum TTeScrollCode : uint8_t {
    kscLineUp,
    kscLineDown,
    kscPageUp,
    kscPageDown,
    kscPosition,
    kscTrack,
    kscTop,
    kscBottom,
    kscEndScroll
};
using TTeScrollEvent =
    fw::TMethodPtr<void(fw::TObject* Sender, TTeScrollCode ScrollCode, int& ScrollPos)>;

class TTeScrollBar : public TTeGraphicControl {
    FW_CLASS(TTeScrollBar, TTeGraphicControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(fw::CM_ENABLEDCHANGED, CMEnabledChanged)
    FW_MESSAGE(WM_GETDLGCODE, WMGetDlgCode)
    FW_MESSAGES_END
public:
    explicit TTeScrollBar(fw::TComponent* AOwner);
    ~TTeScrollBar() override;

    int Min() const { return min_; }
    void SetMin(int Value);
    int Max() const { return max_; }
    void SetMax(int Value);
    int Position() const { return position_; }
    void SetPosition(int Value);
    int PageSize() const { return page_size_; }
    void SetPageSize(int Value);
    int SmallChange() const { return small_change_; }
    void SetSmallChange(int Value) { small_change_ = int16_t(Value); }
    int LargeChange() const { return large_change_; }
    void SetLargeChange(int Value) { large_change_ = int16_t(Value); }
    TteScrollOrientation Orientation() const { return orientation_; }
    void SetOrientation(TteScrollOrientation Value);
    bool ShowButtons() const { return show_buttons_; }
    void SetShowButtons(bool Value);
    int BorderWidth() const { return border_width_; }
    void SetBorderWidth(int Value);
    const std::string& ThemeObject() const { return theme_object_; }
    void SetThemeObject(const std::string& Value) { theme_object_ = Value; }

    fw::TNotifyEvent OnChange;
    TTeScrollEvent OnScroll;

    void AdjustThickness();
    void ScrollKey(uint16_t& Key, fw::TShiftState Shift);
    bool AutoScrollMin() const { return auto_scroll_min_; }
    void SetAutoScrollMin(bool Value);
    bool AutoScrollMax() const { return auto_scroll_max_; }
    void SetAutoScrollMax(bool Value);
    fw::TTimer* RepeatTimer() const { return timer_; }
    // One repeat step, as the timer runs it.
    void RepeatTimerTick(fw::TObject* Sender);

    // Geometry, in client coordinates.
    virtual int GetButtonSize();
    virtual int GetThumbSize();
    virtual TRect GetMinButtonRect();
    virtual TRect GetMaxButtonRect();
    virtual TRect GetThumbRect();
    virtual TRect GetTrackRect();
    virtual TRect GetMinPageRect();
    virtual TRect GetMaxPageRect();
    bool InMinButton(int X, int Y) { return Contains(GetMinButtonRect(), X, Y); }
    bool InMaxButton(int X, int Y) { return Contains(GetMaxButtonRect(), X, Y); }
    bool InThumb(int X, int Y) { return Contains(GetThumbRect(), X, Y); }
    bool InMinPage(int X, int Y) { return Contains(GetMinPageRect(), X, Y); }
    bool InMaxPage(int X, int Y) { return Contains(GetMaxPageRect(), X, Y); }
    int PositionToPixel();
    int PixelToPosition(int P);
    bool ThumbVisible();
    bool Dragging() const { return drag_offset_ >= 0; }

    void PaintBackground() override;

protected:
    virtual void PaintMinButton();
    virtual void PaintMaxButton();
    virtual void PaintTrack();
    virtual void PaintThumb();
    virtual void PaintTrackBackground();
    virtual void PaintFrame();
    virtual void Change();
    virtual void Scroll(TTeScrollCode ScrollCode, int& ScrollPos);

    void MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override;
    void MouseMove(fw::TShiftState Shift, int X, int Y) override;
    void MouseUp(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override;
    void MouseLeave() override;
    void CMEnabledChanged(fw::TMessage& M);
    void WMGetDlgCode(fw::TMessage& M);

private:
    static bool Contains(const TRect& R, int X, int Y) {
        return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom;
    }
    bool Vertical() const { return orientation_ == ksoVertical; }
    int CalcThumbSize(int TrackLength);
    void StartRepeat(bool Immediate);
    void PaintPart(const TRect& R, bool Active, bool Hot, int ThemePart, int VsPart,
                   const int (&VsStates)[4], UINT Dfc);
    bool ThemeStyled();

    int min_ = 0, max_ = 100, position_ = 0, page_size_ = 0;
    int16_t small_change_ = 1, large_change_ = 1;
    TteScrollOrientation orientation_ = ksoHorizontal;
    bool show_buttons_ = true;
    int border_width_ = 1;
    std::string theme_object_ = "default";
    int drag_offset_ = -1;
    int last_x_ = -1, last_y_ = -1;
    bool hot_thumb_ = false, hot_min_button_ = false, hot_max_button_ = false,
         hot_min_page_ = false, hot_max_page_ = false;
    bool pressed_min_button_ = false, pressed_max_button_ = false, pressed_min_page_ = false,
         pressed_max_page_ = false;
    bool auto_scroll_min_ = false, auto_scroll_max_ = false;
    fw::TTimer* timer_ = nullptr;

public:
    bool MinButtonActive() const { return pressed_min_button_ && hot_min_button_; }
    bool MaxButtonActive() const { return pressed_max_button_ && hot_max_button_; }
    bool MinPageActive() const { return pressed_min_page_ && hot_min_page_; }
    bool MaxPageActive() const { return pressed_max_page_ && hot_max_page_; }
};

} // namespace dvr::skin
