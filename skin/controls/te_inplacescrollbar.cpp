#include "skin/controls/te_inplacescrollbar.h"

#include "framework/ui/comctrls.h"
#include "skin/engine/te_theme.h"

#include <commctrl.h>

#include <cstdlib>

namespace dvr::skin {

TTeInplaceScrollBar::TTeInplaceScrollBar(fw::TComponent* AOwner,
                                         TTeCreateBarHandler CreateBarHandler)
    : fw::TWinControl(AOwner), create_bar_handler_(CreateBarHandler) {
    syncing_ = true;
    if (create_bar_handler_) create_bar_handler_(scroll_bar_, this);
    if (!scroll_bar_) scroll_bar_ = new TTeScrollBar(this);
    scroll_bar_->SetBorderWidth(0);
    scroll_bar_->SetAlign(fw::TAlign::alClient);
    scroll_bar_->SetPerformance(TTePerformance::kpDoubleBuffer);
    scroll_bar_->SetOrientation(ksoVertical);
    scroll_bar_->SetParent(this);
    scroll_bar_->SetVisible(true);
    scroll_bar_->OnScroll = TTeScrollEvent(this, &TTeInplaceScrollBar::BarScroll);
}

TTeInplaceScrollBar::~TTeInplaceScrollBar() {
    destroying_ = true;
}

void TTeInplaceScrollBar::BarScroll(fw::TObject* /*Sender*/, TTeScrollCode ScrollCode,
                                    int& ScrollPos) {
    if (!Target || int(ScrollCode) > 8 || !Target->HandleAllocated()) return;
    HWND wnd = Target->Handle();
    const bool vertical = IsVertical();
    const UINT msg = vertical ? WM_VSCROLL : WM_HSCROLL;
    auto* list = dynamic_cast<fw::TListView*>(Target);
    if (ScrollCode >= kscPageUp) {
        if (list) {
            SCROLLINFO si{};
            si.cbSize = sizeof(si);
            si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
            ::GetScrollInfo(wnd, vertical ? SB_VERT : SB_HORZ, &si);
            const int delta = ScrollPos - si.nPos;
            if (delta == 0) return;
            int dx = vertical ? 0 : delta, dy = vertical ? delta : 0;
            if (list->ViewStyle() == fw::TViewStyle::vsReport) {
                // Report rows scroll by lines: rows to pixels.
                const int row = std::abs(list->Font()->Height());
                dx *= row;
                dy *= row;
            }
            ::SendMessageW(wnd, LVM_SCROLL, WPARAM(dx), LPARAM(dy));
            return;
        }
        syncing_ = false;
        try {
            ::SendMessageW(wnd, msg, MAKEWPARAM(WORD(ScrollCode), WORD(ScrollPos)), 0);
        } catch (...) {
            syncing_ = true;
            throw;
        }
        syncing_ = true;
        return;
    }
    if (list && (list->ViewStyle() == fw::TViewStyle::vsIcon ||
                 list->ViewStyle() == fw::TViewStyle::vsSmallIcon)) {
        const int sign = ScrollCode == kscLineUp ? -1 : 1;
        if (vertical)
            ::SendMessageW(wnd, LVM_SCROLL, 0, LPARAM(sign * 16));
        else
            ::SendMessageW(wnd, LVM_SCROLL, WPARAM(sign * scroll_bar_->PageSize()), 0);
        return;
    }
    ::SendMessageW(wnd, msg, WPARAM(ScrollCode), 0);
}

void TTeInplaceScrollBar::WMEraseBkgnd(fw::TMessage& M) {
    M.Result = 1;
}

bool InplaceScrollBarBackgroundPainter(fw::TCanvas& /*Canvas*/, const TteBackgroundInfo& /*Info*/) {
    return true;
}

} // namespace dvr::skin
