// The skinned slider: a Position between Min and Max shown as a thumb on a track, with
// optional ticks and a highlighted interval, painted entirely by the control (no common
// control window) through the theme's TrackBar group, the visual style or plain 3-D
// lines.
#pragma once

#include "skin/controls/te_controls.h"
#include "skin/engine/te_theme_info.h"

#include <string>
#include <vector>

namespace dvr::skin {

enum TIntervalHighlightType : uint8_t { htLowInterval, htHighInterval, htNone };

class TTeTrackBar : public TTeControl {
    FW_CLASS(TTeTrackBar, TTeControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_GETDLGCODE, WMGetDlgCode)
    FW_MESSAGE(fw::CM_ENABLEDCHANGED, CMEnabledChanged)
    FW_MESSAGE(0x800, TMThemeChange)
    FW_MESSAGES_END
public:
    explicit TTeTrackBar(fw::TComponent* AOwner);
    ~TTeTrackBar() override;

    bool Dragging() const { return dragging_; }
    bool ThumbHot() const { return thumb_hot_; }
    TteTrackOrientation Orientation() const { return orientation_; }
    void SetOrientation(TteTrackOrientation Value);
    int Min() const { return min_; }
    void SetMin(int Value);
    int Max() const { return max_; }
    void SetMax(int Value);
    int Position() const { return position_; }
    void SetPosition(int Value);
    bool ShowTicks() const { return show_ticks_; }
    void SetShowTicks(bool Value);
    uint16_t ThumbHalfWidth() const { return thumb_half_width_; }
    void SetThumbHalfWidth(uint16_t Value);
    TteTickMark TickMarks() const { return tick_marks_; }
    void SetTickMarks(TteTickMark Value);
    int LineSize() const { return line_size_; }
    void SetLineSize(int Value) { line_size_ = Value; }
    int PageSize() const { return page_size_; }
    void SetPageSize(int Value) { page_size_ = Value; }
    int Frequency() const { return frequency_; }
    void SetFrequency(int Value);
    bool ThumbVisible() const { return thumb_visible_; }
    void SetThumbVisible(bool Value);
    TIntervalHighlightType IntervalHighlightType() const { return interval_; }
    void SetIntervalHighlightType(TIntervalHighlightType Value);
    const std::string& ThemeObject() const { return theme_object_; }
    void SetThemeObject(const std::string& Value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool Value);

    fw::TNotifyEvent OnChange;

    virtual int GetThumbWidth();
    virtual int GetTrackMargin();
    virtual int GetTrackOffset();
    virtual void PaintTrack(int From, int To, int ThumbPixel);
    virtual void PaintThumb(int ThumbPixel);
    virtual void PaintTick(int Value, int Pixel, bool TopLeft);
    virtual void PaintTicks();
    virtual bool InThumb(int X, int Y);

    uint16_t PositionToPixel(int Value);
    int PixelToPosition(uint16_t Pixel);
    // The thumb's rectangle for the current position (right and bottom exclusive).
    TRect ThumbRect();

    void Loaded() override;
    void PaintBackground() override;

protected:
    virtual void Change();
    void MouseLeave() override;
    void FocusEnter() override;
    void FocusExit() override;
    void MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override;
    void MouseMove(fw::TShiftState Shift, int X, int Y) override;
    void MouseUp(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override;
    void KeyDown(uint16_t& Key, fw::TShiftState Shift) override;

    void WMGetDlgCode(fw::TMessage& M);
    void CMEnabledChanged(fw::TMessage& M);
    void TMThemeChange(fw::TMessage& M);

private:
    int TrackLength() const;
    int ThumbLength();
    int CrossStart();
    bool TicksOnTopLeft() const;
    bool Themed();
    // (along, across) to client coordinates.
    TPoint TrackPoint(int Along, int Across) const;
    TRect TrackRect(int AlongFrom, int AcrossFrom, int AlongTo, int AcrossTo) const;
    std::vector<TPoint> ThumbOutline(int X0, int A);

    bool dragging_ = false;
    TteTrackOrientation orientation_ = ktoHorizontal;
    int min_ = 0, max_ = 10, position_ = 3;
    bool show_ticks_ = true;
    uint16_t thumb_half_width_ = 4;
    TteTickMark tick_marks_ = ktbmBottomRight;
    bool thumb_hot_ = false;
    int line_size_ = 1, page_size_ = 2, frequency_ = 1;
    bool thumb_visible_ = true;
    TIntervalHighlightType interval_ = htNone;
    std::string theme_object_ = "default";
    bool transparent_ = true;
};

} // namespace dvr::skin
