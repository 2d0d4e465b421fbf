// The list on/off, full screen and restore of a replay window: its tool and list panels, the
// full-screen button (Tag 1 while the window covers the screen) and the bounds to return to.
#pragma once

#include "framework/ui/extctrls.h"

#include <windows.h>

namespace vantrel {

class TReplayViewModes {
public:
    TReplayViewModes() = default;
    TReplayViewModes(dvr::fw::TControl* window, dvr::fw::TPanel* tools, dvr::fw::TPanel* list,
                     dvr::fw::TControl* fullScreenButton)
        : window_(window), tools_(tools), list_(list), button_(fullScreenButton) {}

    bool FullScreen() const { return button_->Tag() == 1; }

    // The list shown or hidden; one pixel less height makes the window lay itself out anew
    // (its resize keeps the replay area at 4:3). The button sits on the tool panel, which full
    // screen hides, so the mark is clear by then anyway.
    void ToggleList() {
        list_->SetVisible(!list_->Visible());
        button_->SetTag(0);
        window_->SetHeight(window_->Height() - 1);
    }

    void EnterFullScreen() {
        if (FullScreen()) return;
        saved_ = {window_->Left(), window_->Top(), window_->Left() + window_->Width(),
                  window_->Top() + window_->Height()};
        tools_->SetVisible(false);
        list_->SetVisible(false);
        button_->SetTag(1);
        window_->SetBounds(0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
    }

    // A right click on the replay area: both panels back, and the saved bounds after full
    // screen; nothing while the list shows.
    void Restore() {
        if (list_->Visible()) return;
        tools_->SetVisible(true);
        list_->SetVisible(true);
        if (FullScreen()) {
            button_->SetTag(0);
            window_->SetBounds(saved_.Left, saved_.Top, saved_.Width(), saved_.Height());
        } else {
            window_->SetHeight(window_->Height() - 1);
        }
    }

private:
    dvr::fw::TControl* window_ = nullptr;
    dvr::fw::TPanel* tools_ = nullptr;
    dvr::fw::TPanel* list_ = nullptr;
    dvr::fw::TControl* button_ = nullptr;
    dvr::fw::TRect saved_{};
};

} // namespace vantrel
