#include "skin/controls/te_toolbar.h"

#include "skin/controls/te_barpaint.h"
#include "skin/controls/te_controlbar.h"
#include "skin/controls/te_speedbutton.h"
#include "skin/engine/te_canvas_win.h"
#include "skin/engine/te_theme.h"
#include "skin/engine/te_winapi.h"

#include <vector>

namespace dvr::skin {

using fw::TMessage;

TTeToolBar::TTeToolBar(fw::TComponent* AOwner) : TTeControl(AOwner) {
    SetControlStyle(ControlStyle().Include(fw::TControlStyleItem::csAcceptsControls));
    SetColor(fw::clBtnFace);
    SetBounds(Left(), Top(), Width(), 29);
    button_width_ = Height() - 4;
    AddThemeNotification(this);
}

TTeToolBar::~TTeToolBar() {
    RemoveThemeNotification(this);
}

void TTeToolBar::SetBorderWidth(int Value) {
    if (Value == tool_border_width_) return;
    tool_border_width_ = Value;
    Realign();
}

void TTeToolBar::SetButtonWidth(int Value) {
    if (Value == button_width_) return;
    button_width_ = Value;
    Realign();
}

void TTeToolBar::SetDividerWidth(int Value) {
    if (Value == divider_width_) return;
    divider_width_ = Value;
    Realign();
}

void TTeToolBar::SetButtonAutoSize(bool Value) {
    if (Value == button_auto_size_) return;
    button_auto_size_ = Value;
    if (Value) Realign();
}

void TTeToolBar::SetThemeObject(const std::string& Value) {
    if (Value == theme_object_) return;
    theme_object_ = Value;
    Invalidate();
}

bool TTeToolBar::IsHorizontal() {
    return cached_width_ >= cached_height_ || Align() == fw::TAlign::alTop ||
           Align() == fw::TAlign::alBottom;
}

TRect TTeToolBar::GetClientRect() {
    const TRect all{0, 0, cached_width_, cached_height_};
    if (CurrentThemeHasControlBarStyle(1, theme_object_)) {
        TRect content = all;
        CurrentTheme()->GetToolBarContentRect(1, MakeToolBarRect(all).Rect, content, "default");
        return content;
    }
    const int b = tool_border_width_;
    return TRect{b, b, cached_width_ - b, cached_height_ - b};
}

void TTeToolBar::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    if (button_auto_size_)
        button_width_ =
            IsHorizontal() ? AHeight - 2 * tool_border_width_ : AWidth - 2 * tool_border_width_;
    // The inherited step realigns after the size is taken; a realign before it would
    // place the children in the old client rectangle.
    TTeControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    Realign();
}

void TTeToolBar::AlignChild(fw::TControl* AControl) {
    TRect r = ClientRect();
    AlignControls(AControl, r);
}

void TTeToolBar::AlignControls(fw::TControl* AControl, TRect& Rect) {
    const bool horizontal = IsHorizontal();
    if (button_auto_size_) {
        for (fw::TControl* c : controls_) {
            if (!c->Visible()) continue;
            int across = -1;
            if (auto* b = dynamic_cast<TTeSpeedButton*>(c))
                across = button_width_ + (b->ShowChevron() ? TTeSpeedButton::kChevronWidth : 0);
            else if (dynamic_cast<TTeSpeedDivider*>(c))
                across = divider_width_;
            if (across < 0) continue;
            if (horizontal)
                c->SetBounds(c->Left(), c->Top(), across, c->Height());
            else
                c->SetBounds(c->Left(), c->Top(), c->Width(), across);
        }
    }
    Rect = GetClientRect();
    std::vector<fw::TControl*> list;
    if (AControl && AControl->Visible() && AControl->Parent() == this) list.push_back(AControl);
    auto precedes = [horizontal](fw::TControl* x, fw::TControl* y) {
        return horizontal ? x->Left() < y->Left() : x->Top() < y->Top();
    };
    for (fw::TControl* c : controls_) {
        if (c == AControl || !c->Visible()) continue;
        auto it = list.begin();
        while (it != list.end() && !precedes(c, *it))
            ++it;
        list.insert(it, c);
    }
    for (fw::TControl* c : list) {
        if (horizontal) {
            int w = c->Width(), h = Rect.Bottom - Rect.Top;
            int left = Rect.Left;
            Rect.Left += w;
            c->SetBounds(left, Rect.Top, w, h);
            if (c->Width() != w || c->Height() != h) Rect.Left -= w - c->Width();
        } else {
            int w = Rect.Right - Rect.Left, h = c->Height();
            int top = Rect.Top;
            Rect.Top += h;
            c->SetBounds(Rect.Left, top, w, h);
            if (c->Width() != w || c->Height() != h) Rect.Top -= h - c->Height();
        }
    }
}

void TTeToolBar::PaintBackground() {
    fw::TCanvas& c = *Canvas();
    TRect r{0, 0, cached_width_, cached_height_};
    auto* bar = dynamic_cast<TTeControlBar*>(Parent());
    if (bar) {
        TRect pc = bar->ClientRect();
        r = TRect{pc.Left - Left(), pc.Top - Top(), pc.Right - Left(), pc.Bottom - Top()};
    }
    if (CurrentThemeHasControlBarStyle(1, theme_object_)) {
        CurrentTheme()->PaintToolBar(1, c, "default", MakeToolBarRect(r).Rect);
    } else if (IsSystemThemeActive()) {
        DrawBarVisualStyle(c.Handle(), L"Rebar", r, 0, 0);
    } else {
        FillRectColor(c, TRect{0, 0, cached_width_, cached_height_}, Color());
    }
}

void TTeToolBar::TMThemeChange(TMessage& M) {
    if (M.WParam == 0 || M.WParam == 3 || M.WParam == 4 || M.WParam == 5) Invalidate();
}

// A new child is lined up with the others at once, itself first among equals.
void TTeToolBar::CMControlListChange(TMessage& M) {
    FW_INHERITED(M);
    if (M.LParam && !Loading()) AlignChild(reinterpret_cast<fw::TControl*>(M.WParam));
}

} // namespace dvr::skin
