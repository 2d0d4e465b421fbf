// The player's file-position slider: a window around the trackbar common control that,
// unlike a plain track bar, passes the mouse events on, so the window can seek while the
// user drags.
#pragma once

#include <windows.h>

#include "framework/ui/controls.h"

namespace playerqz {

using namespace dvr::fw;

enum class TTrackBarOrientation : uint8_t { trHorizontal, trVertical };
enum class TTickMark : uint8_t { tmBottomRight, tmTopLeft, tmBoth };
enum class TTickStyle : uint8_t { tsNone, tsAuto, tsManual };

class TMouseTrackBar : public TWinControl {
    FW_PUBLISHED(TMouseTrackBar, TWinControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(CN_BASE + WM_HSCROLL, CNHScroll)
    FW_MESSAGE(CN_BASE + WM_VSCROLL, CNVScroll)
    FW_MESSAGES_END
public:
    explicit TMouseTrackBar(TComponent* AOwner);
    ~TMouseTrackBar() override;

    int Frequency() const { return frequency_; }
    void SetFrequency(int Value);
    int LineSize() const { return line_size_; }
    void SetLineSize(int Value);
    int Max() const { return max_; }
    void SetMax(int Value);
    int Min() const { return min_; }
    void SetMin(int Value);
    TTrackBarOrientation Orientation() const { return orientation_; }
    void SetOrientation(TTrackBarOrientation Value);
    int PageSize() const { return page_size_; }
    void SetPageSize(int Value);
    int Position() const { return position_; }
    void SetPosition(int Value);
    int SelEnd() const { return sel_end_; }
    void SetSelEnd(int Value);
    int SelStart() const { return sel_start_; }
    void SetSelStart(int Value);
    bool SliderVisible() const { return slider_visible_; }
    void SetSliderVisible(bool Value);
    int ThumbLength();
    int StoredThumbLength() const { return thumb_length_; }
    void SetThumbLength(int Value);
    TTickMark TickMarks() const { return tick_marks_; }
    void SetTickMarks(TTickMark Value);
    TTickStyle TickStyle() const { return tick_style_; }
    void SetTickStyle(TTickStyle Value);

    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    virtual void Changed();

private:
    // Min, Max and Position together: Max below Min raises; Position is kept inside.
    void SetParams(int APosition, int AMin, int AMax);
    void UpdateSelection();
    void CNHScroll(TMessage& M);
    void CNVScroll(TMessage& M);

    int frequency_ = 1;
    int line_size_ = 1;
    int max_ = 10;
    int min_ = 0;
    TTrackBarOrientation orientation_ = TTrackBarOrientation::trHorizontal;
    int page_size_ = 2;
    int position_ = 0;
    int sel_end_ = 0;
    int sel_start_ = 0;
    bool slider_visible_ = true;
    int thumb_length_ = 20;
    TTickMark tick_marks_ = TTickMark::tmBottomRight;
    TTickStyle tick_style_ = TTickStyle::tsAuto;
};

} // namespace playerqz
