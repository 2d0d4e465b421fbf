// Plain controls of the player window: the video panels and the lines of the selection
// frame (the rest of the window is skinned).
#pragma once

#include <windows.h>

#include "framework/ui/controls.h"

namespace playerqz {

using THScrollNotice = dvr::fw::TMethodPtr<void(dvr::fw::TObject* Sender, dvr::fw::TMessage& M)>;

// A plain panel: a colour, optionally a lowered bevel. Scroll notices from child
// windows are reflected to them and then passed to OnHScroll.
class TPlayerPanel : public dvr::fw::TCustomControl {
    FW_CLASS(TPlayerPanel, dvr::fw::TCustomControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_HSCROLL, WMHScroll)
    FW_MESSAGES_END
public:
    explicit TPlayerPanel(dvr::fw::TComponent* AOwner);
    bool BevelLowered() const { return bevel_lowered_; }
    void SetBevelLowered(bool Value);
    THScrollNotice OnHScroll;

protected:
    void Paint() override;

private:
    void WMHScroll(dvr::fw::TMessage& M);
    bool bevel_lowered_ = false;
};

// A one-pixel line of the selection frame.
class TFrameLine : public dvr::fw::TGraphicControl {
    FW_CLASS(TFrameLine, dvr::fw::TGraphicControl)
public:
    explicit TFrameLine(dvr::fw::TComponent* AOwner);

protected:
    void Paint() override;
};

} // namespace playerqz
