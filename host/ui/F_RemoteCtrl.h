// The remote control window: connects to another host's message server, lists its channels,
// and sends power, program, time, auto-mode and per-channel commands. One instance, created at
// start-up and hidden when closed.
#pragma once

#include "host/engine/U_HostRecords.h"
#include "host/net/U_UDPMessageClient.h"
#include "host/net/U_UDPMessages.h"

#include "framework/ui/comctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vantrel {

// What the remote windows reach of the running host; the hooks are optional.
struct TRemoteWindowHost {
    TUdpSender* Udp = nullptr;                   // TUDPMessageClient
    std::vector<TClientGroupRecord> Groups;      // the configured hosts, in order
    int DefaultPort = kDefaultMessageServerPort; // TArithmetic.DefaultPorts[14]
    std::string OwnIP;                           // TSystemInfo.OwnIP
    // Messages to the operator (GBK); a message box unless replaced.
    std::function<void(const std::string&)> ShowMessage;
    unsigned ReplyTimeoutMs = 5000;
};

// The distinct non-empty host addresses of the groups, in order.
std::vector<std::string> GroupAddresses(const std::vector<TClientGroupRecord>& groups);
// The message-server port of the first group with exactly that address, else `fallback`.
int GroupMessagePort(const std::vector<TClientGroupRecord>& groups, const std::string& address,
                     int fallback);
// The message port of the host chosen in `box`, into `port`.
void ShowHostPort(const TRemoteWindowHost& host, dvr::fw::TComboBox* box, dvr::fw::TEdit* port);
// The hosts' addresses into `box` and the default port into `port`; the first host is chosen.
void FillHostAddresses(const TRemoteWindowHost& host, dvr::fw::TComboBox* box,
                       dvr::fw::TEdit* port);

class TRemoteCtrlForm : public dvr::fw::TForm {
    FW_CLASS(TRemoteCtrlForm, dvr::fw::TForm)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_REMOTECTRLINFO, WMRemoteCtrlInfo)
    FW_MESSAGES_END
public:
    TRemoteCtrlForm(dvr::fw::TComponent* AOwner, TRemoteWindowHost host);
    ~TRemoteCtrlForm() override;

    TReceiveArea InfoArea; // where the reply reader puts UdpMsgRemoteCtrlInfo
    std::string ConnectedAddress;

    dvr::fw::TComboBox* cb_MainAddr;
    dvr::fw::TEdit* se_UDPMessageServerPort;
    dvr::fw::TEdit* ed_UserName;
    dvr::fw::TEdit* ed_Password;
    dvr::fw::TButton* sb_Connect;
    dvr::fw::TListView* lv_Channel;
    dvr::fw::TButton* sb_SelectAll;
    dvr::fw::TDateTimePicker* dtp_Date;
    dvr::fw::TDateTimePicker* dtp_Time;
    // Commands 0..6 of UdpMsgRemoteControl, by command number.
    std::vector<dvr::fw::TButton*> ControlButtons;
    // Commands 0..5 of UdpMsgChannelCommand, by command number.
    std::vector<dvr::fw::TButton*> ChannelButtons;
    dvr::fw::TButton* sb_Keyboard;
    dvr::fw::TButton* sb_Exit;

    bool TimedOut() const { return wait_->TimedOut(); }
    bool Waiting() const { return wait_->Waiting(); }

    void cb_MainAddrChange(dvr::fw::TObject* Sender);
    void sb_ConnectClick(dvr::fw::TObject* Sender);
    void ControlClick(dvr::fw::TObject* Sender);
    void ChannelClick(dvr::fw::TObject* Sender);
    void sb_SelectAllClick(dvr::fw::TObject* Sender);
    void sb_KeyboardClick(dvr::fw::TObject* Sender);
    void sb_ExitClick(dvr::fw::TObject* Sender);

private:
    void WMRemoteCtrlInfo(dvr::fw::TMessage& M);
    void ConnectTimeout();
    void SetCommandsEnabled(bool enabled);
    void Message(const char* utf8);
    bool Send(const void* data, int length);

    TRemoteWindowHost host_;
    std::unique_ptr<TReplyWait> wait_;
};

} // namespace vantrel
