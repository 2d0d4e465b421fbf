// The remote alarm-box window: switches the outputs of an alarm box on another host's serial
// port. Its host list lives only in the window. One instance, created at start-up.
#pragma once

#include "host/ui/F_RemoteCtrl.h"

#include "framework/ui/extctrls.h"

namespace vantrel {

class TRemoteCtrlAlarmBoxForm : public dvr::fw::TForm {
    FW_CLASS(TRemoteCtrlAlarmBoxForm, dvr::fw::TForm)
public:
    TRemoteCtrlAlarmBoxForm(dvr::fw::TComponent* AOwner, TRemoteWindowHost host);

    dvr::fw::TListView* lv_MainAddrList;
    dvr::fw::TButton* sb_AddAddr;
    dvr::fw::TButton* sb_ModifyAddr;
    dvr::fw::TPanel* pn_EditAddr;
    dvr::fw::TEdit* ed_Name;
    dvr::fw::TEdit* ed_Addr;
    dvr::fw::TEdit* se_UDPMessageServerPort;
    dvr::fw::TButton* sb_OK;
    dvr::fw::TButton* sb_Cancel;
    dvr::fw::TComboBox* cb_COM;
    dvr::fw::TComboBox* cb_Device;
    dvr::fw::TEdit* se_Addr;
    dvr::fw::TListView* lv_AlarmBoxOutPort;
    dvr::fw::TEdit* ed_UserName;
    dvr::fw::TEdit* ed_Password;
    dvr::fw::TButton* sb_OpenPort;
    dvr::fw::TButton* sb_ClosePort;
    dvr::fw::TButton* sb_Exit;

    void sb_AddAddrClick(dvr::fw::TObject* Sender);
    void sb_ModifyAddrClick(dvr::fw::TObject* Sender);
    void sb_OKClick(dvr::fw::TObject* Sender);
    void sb_CancelClick(dvr::fw::TObject* Sender);
    void sb_OpenPortClick(dvr::fw::TObject* Sender);
    void sb_ClosePortClick(dvr::fw::TObject* Sender);
    void sb_ExitClick(dvr::fw::TObject* Sender);

private:
    void SetEditing(bool editing);
    void SendOutputs(bool on);

    TRemoteWindowHost host_;
};

} // namespace vantrel
