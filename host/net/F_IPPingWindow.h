// The network patrol window: the hosts to ping with their last answer, the start and
// auto-show boxes and the edit panel. The work is TIPPingForm's; the patrol thread changes
// the rows' pictures and asks for the window, which a short timer brings to the screen.
#pragma once

#include "host/net/F_IPPingForm.h"

#include "framework/ui/comctrls.h"
#include "framework/ui/extctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"
#include "framework/ui/timer.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>

namespace vantrel {

class TIPPingWindow : public dvr::fw::TForm {
    FW_CLASS(TIPPingWindow, dvr::fw::TForm)
public:
    // `appTitle`: the application title (GBK); the rest as TIPPingForm takes them.
    TIPPingWindow(dvr::fw::TComponent* AOwner, const std::string& appTitle,
                  const TNetClientSet& netClientSet, TPingProbe probe = nullptr);
    ~TIPPingWindow() override;

    // "查看记录": the log viewer, shown modally by the caller.
    std::function<void()> ShowPingLog;

    TIPPingForm& Patrol() { return *patrol_; }

    dvr::fw::TListView* lv_ServerList;
    dvr::fw::TCheckBox* cb_StopPing;
    dvr::fw::TCheckBox* cb_AutoShow;
    dvr::fw::TButton* bt_AddIP;
    dvr::fw::TButton* bt_DelIP;
    dvr::fw::TButton* bt_ShowPingLog;
    dvr::fw::TButton* bt_Close;
    dvr::fw::TPanel* pn_EditAddr;
    dvr::fw::TEdit* ed_Name;
    dvr::fw::TEdit* ed_IP;
    dvr::fw::TButton* bt_OK;
    dvr::fw::TButton* bt_Cancel;

    void cb_StopPingClick(dvr::fw::TObject* Sender);
    void cb_AutoShowClick(dvr::fw::TObject* Sender);
    void ButtonClick(dvr::fw::TObject* Sender);
    // The rows' pictures and a host's outage, from the patrol thread's values.
    void ShowState(dvr::fw::TObject* Sender = nullptr);

private:
    void TakeControls();

    dvr::fw::TTimer* stateTimer_;
    std::atomic<int> outageRow_{-1};
    std::unique_ptr<TIPPingForm> patrol_;
};

} // namespace vantrel
