// The video pane component: a panel that tells its owner when the mouse enters or leaves it.
#pragma once

#include "framework/ui/extctrls.h"

namespace vantrel {

class TRMPanel : public dvr::fw::TPanel {
    FW_CLASS(TRMPanel, dvr::fw::TPanel)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(dvr::fw::CM_MOUSEENTER, CMMouseEnter)
    FW_MESSAGE(dvr::fw::CM_MOUSELEAVE, CMMouseLeave)
    FW_MESSAGES_END
public:
    using TPanel::TPanel;

    // Each raised with the panel as sender, after the standard handling.
    dvr::fw::TNotifyEvent OnMouseEnter;
    dvr::fw::TNotifyEvent OnMouseLeave;

    void CMMouseEnter(dvr::fw::TMessage& M) {
        FW_INHERITED(M);
        if (OnMouseEnter) OnMouseEnter(this);
    }
    void CMMouseLeave(dvr::fw::TMessage& M) {
        FW_INHERITED(M);
        if (OnMouseLeave) OnMouseLeave(this);
    }
};

} // namespace vantrel
