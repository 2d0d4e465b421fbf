// A windowed holder of one skinned scroll bar that scrolls another window: a list view
// directly, any other window through WM_VSCROLL / WM_HSCROLL.
#pragma once

#include "skin/controls/te_scrollbar.h"

namespace dvr::skin {

struct TteBackgroundInfo;

// May supply the bar (Bar left null: the holder makes its own).
using TTeCreateBarHandler = fw::TMethodPtr<void(TTeScrollBar*& Bar, fw::TComponent* Owner)>;

class TTeInplaceScrollBar : public fw::TWinControl {
    FW_CLASS(TTeInplaceScrollBar, fw::TWinControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_ERASEBKGND, WMEraseBkgnd)
    FW_MESSAGES_END
public:
    TTeInplaceScrollBar(fw::TComponent* AOwner, TTeCreateBarHandler CreateBarHandler = {});
    ~TTeInplaceScrollBar() override;

    virtual void BarScroll(fw::TObject* Sender, TTeScrollCode ScrollCode, int& ScrollPos);

    TTeScrollBar* ScrollBar() const { return scroll_bar_; }
    // The window that is scrolled; an owner sets it.
    fw::TWinControl* Target = nullptr;
    bool IsVertical() const { return scroll_bar_->Orientation() == ksoVertical; }
    bool Syncing() const { return syncing_; }
    bool IsDestroying() const { return destroying_; }

protected:
    void WMEraseBkgnd(fw::TMessage& M);

private:
    bool destroying_ = false;
    TTeScrollBar* scroll_bar_ = nullptr;
    TTeCreateBarHandler create_bar_handler_;
    bool syncing_ = true;
};

// A transparent child on the holder shows no background.
bool InplaceScrollBarBackgroundPainter(fw::TCanvas& Canvas, const TteBackgroundInfo& Info);

} // namespace dvr::skin
