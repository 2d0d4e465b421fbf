#include "host/ui/F_RemoteMatrixsCtrlForm.h"

#include "host/engine/U_RemoteMatrix.h"
#include "host/ui/U_DialogControls.h"

namespace vantrel {

using namespace dvr::fw;

TRemoteMatrixsCtrlForm::TRemoteMatrixsCtrlForm(TComponent* AOwner,
                                               const std::vector<TClientGroup>& hosts,
                                               int defaultPort, TUdpSender& udp)
    : TForm(AOwner), hosts_(hosts), defaultPort_(defaultPort), udp_(udp) {
    SetCaption(DialogCaption("控制远程矩阵"));
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetBorderIcons({});
    SetPosition(TPosition::poScreenCenter);
    SetClientWidth(300);
    SetClientHeight(150);
    PutLabel(this, 8, 12, 50, "地址：");
    cb_MainAddr = PutControl<TComboBox>(this, 100, 8, 190, 22);
    PutLabel(this, 8, 42, 92, "消息传送端口：");
    se_UDPMessageServerPort = PutControl<TEdit>(this, 100, 38, 80, 22);
    se_UDPMessageServerPort->SetText(std::to_string(defaultPort));
    PutLabel(this, 8, 72, 50, "输入：");
    se_In = PutControl<TEdit>(this, 60, 68, 60, 22);
    se_In->SetText("1");
    PutLabel(this, 140, 72, 50, "输出：");
    se_Out = PutControl<TEdit>(this, 190, 68, 60, 22);
    se_Out->SetText("1");
    bt_PortSwitch = PutButton(this, 60, 110, 80, "切换");
    bt_Close = PutButton(this, 160, 110, 80, "关闭");
    for (const std::string& a : RemoteMatrixAddresses(hosts_, false)) cb_MainAddr->Items()->Add(a);
    // Choosing the first address at the start is no change: the port keeps its default.
    if (cb_MainAddr->Items()->Count() > 0) cb_MainAddr->SetItemIndex(0);
    cb_MainAddr->OnChange = TNotifyEvent(this, &TRemoteMatrixsCtrlForm::cb_MainAddrChange);
    bt_PortSwitch->OnClick = TNotifyEvent(this, &TRemoteMatrixsCtrlForm::bt_PortSwitchClick);
    bt_Close->OnClick = TNotifyEvent(this, &TRemoteMatrixsCtrlForm::bt_CloseClick);
}

void TRemoteMatrixsCtrlForm::cb_MainAddrChange(TObject*) {
    se_UDPMessageServerPort->SetText(std::to_string(
        RemoteMatrixPort(hosts_, cb_MainAddr->GetText(), kSlotUdpMessages, defaultPort_)));
}

void TRemoteMatrixsCtrlForm::bt_PortSwitchClick(TObject*) {
    RemoteMatrixSwitch(udp_, cb_MainAddr->GetText(), SpinValue(se_UDPMessageServerPort, 1, 1000000),
                       uint8_t(SpinValue(se_In, 1, 255)), uint8_t(SpinValue(se_Out, 1, 16)));
}

void TRemoteMatrixsCtrlForm::bt_CloseClick(TObject*) {
    SetModalResult(mrCancel);
}

} // namespace vantrel
