// The keyboard windows that drive another host's DS_D or Pelco232 matrix through that host's
// relay: the local keyboard's commands, one fixed-length record each, on a TCP connection.
#pragma once

#include "host/engine/U_MatrixRelay.h"
#include "host/engine/U_RemoteMatrix.h"
#include "host/ui/U_MatrixKeyboardLayout.h"

#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"
#include "framework/ui/timer.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace vantrel {

class TRemoteMatrixKeyboardForm : public dvr::fw::TForm {
    FW_CLASS(TRemoteMatrixKeyboardForm, dvr::fw::TForm)
public:
    // hosts: the host entries (TNetClientSet.Groups); the port field follows the address.
    TRemoteMatrixKeyboardForm(dvr::fw::TComponent* AOwner, MatrixKeyboardKind kind,
                              const std::vector<TClientGroup>& hosts, int defaultPort);

    TRelayClient Link;
    TRemoteMatrixKeyboard Keyboard;
    dvr::fw::TComboBox* cb_RemoteMainAddr;
    dvr::fw::TEdit* se_TCPCtrlPort;
    dvr::fw::TButton* bt_Connect;
    dvr::fw::TButton* bt_Close;
    dvr::fw::TTimer* Timer;
    dvr::fw::TTimer* Timer_Connect;
    TMatrixKeyboardFieldsUi Fields;
    std::map<MatrixButton, dvr::fw::TButton*> Buttons;
    // The connection verdict's message box; tests replace it.
    std::function<void(const std::string& gbkText)> Message;

    void cb_RemoteMainAddrChange(dvr::fw::TObject*);
    void bt_ConnectClick(dvr::fw::TObject*);
    void Timer_ConnectTimer(dvr::fw::TObject*);
    void TimerTimer(dvr::fw::TObject*) { Keyboard.TimerTick(); }
    void Click(MatrixButton button);
    void Press(MatrixButton button);
    void Release();

private:
    void ButtonClick(dvr::fw::TObject* Sender);
    void ButtonDown(dvr::fw::TObject* Sender, dvr::fw::TMouseButton, dvr::fw::TShiftState, int, int);
    void ButtonUp(dvr::fw::TObject*, dvr::fw::TMouseButton, dvr::fw::TShiftState, int, int) {
        Release();
    }
    void bt_CloseClick(dvr::fw::TObject*) { Hide(); }
    const std::vector<TClientGroup>& hosts_;
    int slot_, defaultPort_;
};

class TRemoteMatrixsCtrl_DS_DForm : public TRemoteMatrixKeyboardForm {
    FW_CLASS(TRemoteMatrixsCtrl_DS_DForm, TRemoteMatrixKeyboardForm)
public:
    TRemoteMatrixsCtrl_DS_DForm(dvr::fw::TComponent* AOwner, const std::vector<TClientGroup>& hosts,
                                int defaultPort)
        : TRemoteMatrixKeyboardForm(AOwner, MatrixKeyboardKind::DsD, hosts, defaultPort) {}
};

class TRemoteMatrixsCtrl_Pelco232Form : public TRemoteMatrixKeyboardForm {
    FW_CLASS(TRemoteMatrixsCtrl_Pelco232Form, TRemoteMatrixKeyboardForm)
public:
    TRemoteMatrixsCtrl_Pelco232Form(dvr::fw::TComponent* AOwner,
                                    const std::vector<TClientGroup>& hosts, int defaultPort)
        : TRemoteMatrixKeyboardForm(AOwner, MatrixKeyboardKind::Pelco232, hosts, defaultPort) {}
};

} // namespace vantrel
