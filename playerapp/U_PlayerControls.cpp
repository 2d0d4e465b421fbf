#include "playerapp/U_PlayerControls.h"

#include "common/win/handles.h"

namespace playerqz {

using namespace dvr::fw;

// ---- panel

TPlayerPanel::TPlayerPanel(TComponent* AOwner) : TCustomControl(AOwner) {
    control_style_.Include(TControlStyleItem::csAcceptsControls);
    control_style_.Include(TControlStyleItem::csOpaque);
    width_ = 185;
    height_ = 41;
    parent_color_ = false;
    color_ = clBtnFace;
}

void TPlayerPanel::SetBevelLowered(bool Value) {
    if (Value == bevel_lowered_) return;
    bevel_lowered_ = Value;
    Invalidate();
}

void TPlayerPanel::Paint() {
    RECT r{0, 0, width_, height_};
    dvr::win::Brush b(::CreateSolidBrush(ColorToRGB(color_)));
    HDC dc = Canvas()->Handle();
    ::FillRect(dc, &r, b.get());
    if (bevel_lowered_) ::DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
}

void TPlayerPanel::WMHScroll(TMessage& M) {
    FW_INHERITED(M);
    OnHScroll(this, M);
}

// ---- frame line

TFrameLine::TFrameLine(TComponent* AOwner) : TGraphicControl(AOwner) {
    parent_color_ = false;
    color_ = clAqua;
    width_ = 1;
    height_ = 1;
}

void TFrameLine::Paint() {
    RECT r{0, 0, width_, height_};
    dvr::win::Brush b(::CreateSolidBrush(ColorToRGB(color_)));
    ::FillRect(Canvas()->Handle(), &r, b.get());
}

} // namespace playerqz
