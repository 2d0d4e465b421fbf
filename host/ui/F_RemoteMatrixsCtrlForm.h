// The window that switches another host's XM-3216 matrix: one 2-byte request per switch to
// that host's message server.
#pragma once

#include "host/engine/U_ClientGroups.h"
#include "host/net/U_UDPMessages.h"

#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"

#include <vector>

namespace vantrel {

class TRemoteMatrixsCtrlForm : public dvr::fw::TForm {
    FW_CLASS(TRemoteMatrixsCtrlForm, dvr::fw::TForm)
public:
    // hosts: the configured host entries; defaultPort: the message server's default port.
    TRemoteMatrixsCtrlForm(dvr::fw::TComponent* AOwner, const std::vector<TClientGroup>& hosts,
                           int defaultPort, TUdpSender& udp);

    dvr::fw::TComboBox* cb_MainAddr;
    dvr::fw::TEdit* se_UDPMessageServerPort;
    dvr::fw::TEdit* se_In;
    dvr::fw::TEdit* se_Out;
    dvr::fw::TButton* bt_PortSwitch;
    dvr::fw::TButton* bt_Close;

    // The port field follows the address typed or chosen.
    void cb_MainAddrChange(dvr::fw::TObject* Sender);
    void bt_PortSwitchClick(dvr::fw::TObject* Sender);
    void bt_CloseClick(dvr::fw::TObject* Sender);

private:
    std::vector<TClientGroup> hosts_;
    int defaultPort_;
    TUdpSender& udp_;
};

} // namespace vantrel
