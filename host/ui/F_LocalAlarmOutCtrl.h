// The local alarm-output control: switches chosen outputs of a serial alarm box and sends the
// whole 16-output state to it.
#pragma once

#include "host/engine/U_AlarmDevice.h"

#include "framework/ui/comctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"

#include <cstdint>

namespace vantrel {

class TLocalAlarmOutCtrlForm : public dvr::fw::TForm {
    FW_CLASS(TLocalAlarmOutCtrlForm, dvr::fw::TForm)
public:
    TLocalAlarmOutCtrlForm(dvr::fw::TComponent* AOwner, TAlarmDevice& device);

    dvr::fw::TComboBox* cb_Device;
    dvr::fw::TComboBox* cb_COM;
    dvr::fw::TEdit* se_Addr;
    dvr::fw::TListView* ListView;
    dvr::fw::TButton* bt_Open;
    dvr::fw::TButton* bt_Close;
    dvr::fw::TButton* bt_Exit;
    uint8_t OutputStates[kBoxPoints] = {};

    void bt_OpenClick(dvr::fw::TObject* Sender);
    void bt_CloseClick(dvr::fw::TObject* Sender);
    void bt_ExitClick(dvr::fw::TObject* Sender);

private:
    void SwitchTicked(uint8_t state);
    TAlarmDevice& device_;
};

} // namespace vantrel
