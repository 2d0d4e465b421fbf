#include "host/ui/F_RemoteMatrixKeyboardForm.h"

#include "host/ui/U_DialogControls.h"

namespace vantrel {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

TRemoteMatrixKeyboardForm::TRemoteMatrixKeyboardForm(TComponent* AOwner, MatrixKeyboardKind kind,
                                                     const std::vector<TClientGroup>& hosts,
                                                     int defaultPort)
    : TForm(AOwner), Keyboard(kind, Link), hosts_(hosts),
      slot_(kind == MatrixKeyboardKind::DsD ? kSlotDsDRelay : kSlotPelcoRelay),
      defaultPort_(defaultPort) {
    SetCaption(DialogCaption("远程矩阵控制"));
    SetFormStyle(TFormStyle::fsStayOnTop);
    SetClientWidth(444);
    SetClientHeight(318);
    PutLabel(this, 8, 12, 44, "主控：");
    cb_RemoteMainAddr = PutControl<TComboBox>(this, 52, 8, 140, 22);
    // The DS_D window offers the host entries of the start; the Pelco232 one is typed into.
    if (kind == MatrixKeyboardKind::DsD)
        for (const std::string& a : RemoteMatrixAddresses(hosts_, true))
            cb_RemoteMainAddr->Items()->Add(a);
    PutLabel(this, 200, 12, 100, "使用端口(TCP)：");
    se_TCPCtrlPort = PutControl<TEdit>(this, 300, 8, 60, 22);
    se_TCPCtrlPort->SetText(std::to_string(defaultPort));
    bt_Connect = PutButton(this, 368, 6, 66, "连接");
    Fields = PlaceMatrixKeyboard(this, kind, 64, Buttons);
    for (auto& [button, b] : Buttons) {
        if (MatrixButtonHeld(button)) {
            b->OnMouseDown = TMouseEvent(this, &TRemoteMatrixKeyboardForm::ButtonDown);
            b->OnMouseUp = TMouseEvent(this, &TRemoteMatrixKeyboardForm::ButtonUp);
        } else {
            b->OnClick = TNotifyEvent(this, &TRemoteMatrixKeyboardForm::ButtonClick);
        }
    }
    bt_Close = PutButton(this, 358, 284, 76, "关闭");
    Timer = new TTimer(this);
    Timer->SetEnabled(false);
    Timer->SetInterval(70);
    Timer->SetOnTimer(TNotifyEvent(this, &TRemoteMatrixKeyboardForm::TimerTimer));
    Timer_Connect = new TTimer(this);
    Timer_Connect->SetEnabled(false);
    Timer_Connect->SetInterval(500);
    Timer_Connect->SetOnTimer(TNotifyEvent(this, &TRemoteMatrixKeyboardForm::Timer_ConnectTimer));
    cb_RemoteMainAddr->OnChange = TNotifyEvent(this, &TRemoteMatrixKeyboardForm::cb_RemoteMainAddrChange);
    bt_Connect->OnClick = TNotifyEvent(this, &TRemoteMatrixKeyboardForm::bt_ConnectClick);
    bt_Close->OnClick = TNotifyEvent(this, &TRemoteMatrixKeyboardForm::bt_CloseClick);
}

void TRemoteMatrixKeyboardForm::cb_RemoteMainAddrChange(TObject*) {
    se_TCPCtrlPort->SetText(std::to_string(
        RemoteMatrixPort(hosts_, cb_RemoteMainAddr->GetText(), slot_, defaultPort_)));
}

void TRemoteMatrixKeyboardForm::bt_ConnectClick(TObject*) {
    const std::string address = cb_RemoteMainAddr->GetText();
    if (address.empty()) return;
    Link.Connect(address, SpinValue(se_TCPCtrlPort, 1, 1000000));
    Timer_Connect->SetEnabled(true);
}

void TRemoteMatrixKeyboardForm::Timer_ConnectTimer(TObject*) {
    Timer_Connect->SetEnabled(false);
    const std::string text = Utf8ToGbk(Link.Connected() ? "连接成功！" : "连接失败！");
    if (Message)
        Message(text);
    else
        ShowDialogMessage(this, text);
}

void TRemoteMatrixKeyboardForm::Click(MatrixButton button) {
    ReadMatrixKeyboardFields(Fields, Keyboard.Kind, Keyboard.Fields);
    Keyboard.Click(button);
}

void TRemoteMatrixKeyboardForm::Press(MatrixButton button) {
    ReadMatrixKeyboardFields(Fields, Keyboard.Kind, Keyboard.Fields);
    Keyboard.ButtonDown(button);
    Timer->SetEnabled(Keyboard.TimerEnabled());
}

void TRemoteMatrixKeyboardForm::Release() {
    Timer->SetEnabled(false);
    Keyboard.ButtonUp();
}

void TRemoteMatrixKeyboardForm::ButtonClick(TObject* Sender) {
    Click(MatrixButton(static_cast<TButton*>(Sender)->Tag()));
}

void TRemoteMatrixKeyboardForm::ButtonDown(TObject* Sender, TMouseButton, TShiftState, int, int) {
    Press(MatrixButton(static_cast<TButton*>(Sender)->Tag()));
}

} // namespace vantrel
