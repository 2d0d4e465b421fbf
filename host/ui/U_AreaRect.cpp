#include "host/ui/U_AreaRect.h"

namespace vantrel {

using namespace dvr::fw;

namespace {

TPanel* MakeAreaLine(TWinControl* parent) {
    auto* line = new TPanel(parent);
    line->SetParent(parent);
    line->SetBevelOuter(TBevelCut::bvNone);
    line->SetCaption("");
    line->SetColor(0x00FF00);
    line->SetBounds(0, 0, 1, 1);
    line->SetVisible(false);
    return line;
}

} // namespace

TAreaRect::TAreaRect(TWinControl* parent)
    : LeftLine(MakeAreaLine(parent)), TopLine(MakeAreaLine(parent)),
      RightLine(MakeAreaLine(parent)), BottomLine(MakeAreaLine(parent)) {}

TAreaRect::~TAreaRect() {
    for (TPanel* line : Lines())
        line->Free();
}

void TAreaRect::SetVisible(bool value) {
    if (value == Visible) return;
    for (TPanel* line : Lines())
        line->SetVisible(value);
    Visible = value;
}

void TAreaRect::BringToFront() {
    for (TPanel* line : Lines())
        line->BringToFront();
}

void TAreaRect::SetBounds(const TAreaBounds& r) {
    if (r == Bounds) return;
    const int w = r.Right - r.Left, h = r.Bottom - r.Top;
    LeftLine->SetBounds(r.Left, r.Top, 1, h);
    TopLine->SetBounds(r.Left, r.Top, w, 1);
    RightLine->SetBounds(r.Right, r.Top, 1, h);
    BottomLine->SetBounds(r.Left, r.Bottom, w, 1);
    Bounds = r;
}

void TAreaRect::SetColor(int32_t value) {
    if (value == Color) return;
    for (TPanel* line : Lines())
        line->SetColor(TColor(value));
    Color = value;
}

} // namespace vantrel
