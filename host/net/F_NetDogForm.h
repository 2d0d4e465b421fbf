// The network inspector window: the watched hosts with their state, the heartbeat timer, the
// edit panel, and the work state of one host as a tree. Created once at start-up; it keeps
// watching while hidden.
#pragma once

#include "host/net/U_NetDog.h"

#include "framework/ui/comctrls.h"
#include "framework/ui/extctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"
#include "framework/ui/timer.h"

#include <string>
#include <vector>

namespace vantrel {

class TNetDogForm : public dvr::fw::TForm, private TNetDogView {
    FW_CLASS(TNetDogForm, dvr::fw::TForm)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_NETDOGREPLY, WMNetDogReply)
    FW_MESSAGES_END
public:
    // appTitle: the application title (GBK); groups: the configured hosts; defaultPort:
    // TArithmetic.DefaultPorts[14]; sender: TUDPMessageClient.
    TNetDogForm(dvr::fw::TComponent* AOwner, const std::string& appTitle,
                const std::vector<TClientGroup>& groups, int defaultPort, TUdpSender& sender);

    TNetDog& Dog() { return dog_; }

    dvr::fw::TListView* lv_ServerList;
    dvr::fw::TCheckBox* cb_StartNetDog;
    dvr::fw::TCheckBox* cb_AutoShow;
    dvr::fw::TButton* bt_Add;
    dvr::fw::TButton* bt_Modify;
    dvr::fw::TButton* bt_Delete;
    dvr::fw::TButton* bt_Close;
    dvr::fw::TButton* bt_ReadWorkState;
    dvr::fw::TPanel* pn_EditAddr;
    dvr::fw::TEdit* ed_Name;
    dvr::fw::TEdit* ed_IP;
    dvr::fw::TEdit* se_UDPMessageServerPort;
    dvr::fw::TButton* bt_OK;
    dvr::fw::TButton* bt_Cancel;
    dvr::fw::TTreeView* tv_WorkState;
    dvr::fw::TLabel* lb_RemoteAddr;
    dvr::fw::TLabel* lb_ReadTime;
    dvr::fw::TTimer* Timer;

    void cb_StartNetDogClick(dvr::fw::TObject* Sender);
    void cb_AutoShowClick(dvr::fw::TObject* Sender);
    void bt_AddClick(dvr::fw::TObject* Sender);
    void bt_ModifyClick(dvr::fw::TObject* Sender);
    void bt_DeleteClick(dvr::fw::TObject* Sender);
    void bt_CloseClick(dvr::fw::TObject* Sender);
    void bt_ReadWorkStateClick(dvr::fw::TObject* Sender);
    void bt_OKClick(dvr::fw::TObject* Sender);
    void bt_CancelClick(dvr::fw::TObject* Sender);
    void TimerTimer(dvr::fw::TObject* Sender);

private:
    void WMNetDogReply(dvr::fw::TMessage& M);
    void SetEditing(bool editing);
    // TNetDogView.
    void ShowWindow() override { Show(); }
    void RowsChanged() override;
    void SetTimerRunning(bool running) override { Timer->SetEnabled(running); }
    void ClearWorkState() override;
    void ShowAskedAddress(const std::string& address) override;
    void ShowWorkState(const std::vector<TStateNode>& tree, const std::string& readTime) override;
    std::string NowText() override;

    int defaultPort_;
    TNetDog dog_;
};

} // namespace vantrel
