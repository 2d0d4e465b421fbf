#include "playerapp/MouseTrackBar.h"

#include <commctrl.h>

#include "framework/exceptions.h"
#include "framework/typinfo.h"

namespace playerqz {

namespace {

const TTypeInfo* OrientationType() {
    static const TTypeInfo t =
        TTypeInfo::Enumeration("TTrackBarOrientation", {"trHorizontal", "trVertical"});
    return &t;
}
const TTypeInfo* TickMarkType() {
    static const TTypeInfo t =
        TTypeInfo::Enumeration("TTickMark", {"tmBottomRight", "tmTopLeft", "tmBoth"});
    return &t;
}
const TTypeInfo* TickStyleType() {
    static const TTypeInfo t =
        TTypeInfo::Enumeration("TTickStyle", {"tsNone", "tsAuto", "tsManual"});
    return &t;
}

} // namespace

void TMouseTrackBar::Publish(TPublisher<TMouseTrackBar>& p) {
    p.Property("Frequency", nullptr, &TMouseTrackBar::Frequency, &TMouseTrackBar::SetFrequency)
        .NoDefault();
    p.Property("LineSize", nullptr, &TMouseTrackBar::LineSize, &TMouseTrackBar::SetLineSize)
        .Default(1);
    p.Property("Max", nullptr, &TMouseTrackBar::Max, &TMouseTrackBar::SetMax).Default(10);
    p.Property("Min", nullptr, &TMouseTrackBar::Min, &TMouseTrackBar::SetMin).Default(0);
    p.Property("Orientation", OrientationType(), &TMouseTrackBar::Orientation,
               &TMouseTrackBar::SetOrientation)
        .NoDefault();
    p.Property("PageSize", nullptr, &TMouseTrackBar::PageSize, &TMouseTrackBar::SetPageSize)
        .Default(2);
    p.Property("Position", nullptr, &TMouseTrackBar::Position, &TMouseTrackBar::SetPosition)
        .NoDefault();
    p.Property("SelEnd", nullptr, &TMouseTrackBar::SelEnd, &TMouseTrackBar::SetSelEnd).NoDefault();
    p.Property("SelStart", nullptr, &TMouseTrackBar::SelStart, &TMouseTrackBar::SetSelStart)
        .NoDefault();
    p.Property("SliderVisible", nullptr, &TMouseTrackBar::SliderVisible,
               &TMouseTrackBar::SetSliderVisible)
        .Default(1);
    p.Property("ThumbLength", nullptr, &TMouseTrackBar::StoredThumbLength,
               &TMouseTrackBar::SetThumbLength)
        .Default(20);
    p.Property("TickMarks", TickMarkType(), &TMouseTrackBar::TickMarks,
               &TMouseTrackBar::SetTickMarks)
        .NoDefault();
    p.Property("TickStyle", TickStyleType(), &TMouseTrackBar::TickStyle,
               &TMouseTrackBar::SetTickStyle)
        .NoDefault();
}

TMouseTrackBar::TMouseTrackBar(TComponent* AOwner) : TWinControl(AOwner) {
    width_ = 150;
    height_ = 45;
    SetTabStop(true);
    control_style_.Exclude(TControlStyleItem::csDoubleClicks);
}

TMouseTrackBar::~TMouseTrackBar() = default;

void TMouseTrackBar::CreateParams(TCreateParams& Params) {
    static const bool initialised = [] {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES};
        return ::InitCommonControlsEx(&icc) != FALSE;
    }();
    (void)initialised;
    TWinControl::CreateParams(Params);
    Params.SubClassOf = TRACKBAR_CLASSW;
    if (orientation_ == TTrackBarOrientation::trVertical) Params.Style |= TBS_VERT;
    switch (tick_style_) {
    case TTickStyle::tsNone:
        Params.Style |= TBS_NOTICKS;
        break;
    case TTickStyle::tsAuto:
        Params.Style |= TBS_AUTOTICKS;
        break;
    case TTickStyle::tsManual:
        break;
    }
    if (tick_marks_ == TTickMark::tmTopLeft) Params.Style |= TBS_TOP;
    if (tick_marks_ == TTickMark::tmBoth) Params.Style |= TBS_BOTH;
    Params.Style |= TBS_FIXEDLENGTH | TBS_ENABLESELRANGE;
    if (!slider_visible_) Params.Style |= TBS_NOTHUMB;
    Params.WindowClass.style = (Params.WindowClass.style & ~(CS_HREDRAW | CS_VREDRAW)) | CS_DBLCLKS;
}

void TMouseTrackBar::CreateWnd() {
    TWinControl::CreateWnd();
    HWND h = handle_;
    if (!h) return;
    ::SendMessageW(h, TBM_SETTHUMBLENGTH, thumb_length_, 0);
    ::SendMessageW(h, TBM_SETLINESIZE, 0, line_size_);
    ::SendMessageW(h, TBM_SETPAGESIZE, 0, page_size_);
    ::SendMessageW(h, TBM_SETRANGEMIN, FALSE, min_);
    ::SendMessageW(h, TBM_SETRANGEMAX, FALSE, max_);
    UpdateSelection();
    ::SendMessageW(h, TBM_SETPOS, TRUE, position_);
    ::SendMessageW(h, TBM_SETTICFREQ, frequency_, 0);
}

void TMouseTrackBar::DestroyWnd() {
    TWinControl::DestroyWnd();
}

void TMouseTrackBar::Changed() {
    OnChange(this);
}

void TMouseTrackBar::SetParams(int APosition, int AMin, int AMax) {
    if (AMax < AMin) throw EInvalidOperation(ClassName() + " property out of range");
    if (APosition < AMin) APosition = AMin;
    if (APosition > AMax) APosition = AMax;
    if (min_ != AMin) {
        min_ = AMin;
        if (handle_) ::SendMessageW(handle_, TBM_SETRANGEMIN, TRUE, AMin);
    }
    if (max_ != AMax) {
        max_ = AMax;
        if (handle_) ::SendMessageW(handle_, TBM_SETRANGEMAX, TRUE, AMax);
    }
    if (position_ != APosition) {
        position_ = APosition;
        if (handle_) ::SendMessageW(handle_, TBM_SETPOS, TRUE, APosition);
        Changed();
    }
}

void TMouseTrackBar::SetMin(int Value) {
    if (Value <= max_) SetParams(position_, Value, max_);
}

void TMouseTrackBar::SetMax(int Value) {
    if (Value >= min_) SetParams(position_, min_, Value);
}

void TMouseTrackBar::SetPosition(int Value) {
    SetParams(Value, min_, max_);
}

void TMouseTrackBar::SetFrequency(int Value) {
    if (Value == frequency_) return;
    frequency_ = Value;
    if (handle_) ::SendMessageW(handle_, TBM_SETTICFREQ, Value, 0);
}

void TMouseTrackBar::SetLineSize(int Value) {
    if (Value == line_size_) return;
    line_size_ = Value;
    if (handle_) ::SendMessageW(handle_, TBM_SETLINESIZE, 0, Value);
}

void TMouseTrackBar::SetPageSize(int Value) {
    if (Value == page_size_) return;
    page_size_ = Value;
    if (handle_) ::SendMessageW(handle_, TBM_SETPAGESIZE, 0, Value);
}

int TMouseTrackBar::ThumbLength() {
    if (handle_) thumb_length_ = int(::SendMessageW(handle_, TBM_GETTHUMBLENGTH, 0, 0));
    return thumb_length_;
}

void TMouseTrackBar::SetThumbLength(int Value) {
    if (Value == thumb_length_) return;
    thumb_length_ = Value;
    if (handle_) ::SendMessageW(handle_, TBM_SETTHUMBLENGTH, Value, 0);
}

void TMouseTrackBar::SetOrientation(TTrackBarOrientation Value) {
    if (Value == orientation_) return;
    orientation_ = Value;
    if (!Loading()) SetBounds(left_, top_, height_, width_);
    RecreateWnd();
}

void TMouseTrackBar::SetTickMarks(TTickMark Value) {
    if (Value == tick_marks_) return;
    tick_marks_ = Value;
    RecreateWnd();
}

void TMouseTrackBar::SetTickStyle(TTickStyle Value) {
    if (Value == tick_style_) return;
    tick_style_ = Value;
    RecreateWnd();
}

void TMouseTrackBar::SetSliderVisible(bool Value) {
    if (Value == slider_visible_) return;
    slider_visible_ = Value;
    RecreateWnd();
}

void TMouseTrackBar::SetSelStart(int Value) {
    if (Value == sel_start_) return;
    sel_start_ = Value;
    UpdateSelection();
}

void TMouseTrackBar::SetSelEnd(int Value) {
    if (Value == sel_end_) return;
    sel_end_ = Value;
    UpdateSelection();
}

void TMouseTrackBar::UpdateSelection() {
    if (!handle_) return;
    if (sel_start_ != 0 || sel_end_ != 0)
        ::SendMessageW(handle_, TBM_SETSEL, TRUE, MAKELPARAM(sel_start_, sel_end_));
    else
        ::SendMessageW(handle_, TBM_CLEARSEL, TRUE, 0);
}

void TMouseTrackBar::CNHScroll(TMessage& M) {
    FW_INHERITED(M);
    position_ = int(::SendMessageW(handle_, TBM_GETPOS, 0, 0));
    Changed();
    M.Result = 0;
}

void TMouseTrackBar::CNVScroll(TMessage& M) {
    CNHScroll(M);
}

} // namespace playerqz
