#include "host/ui/F_LocalAlarmOutCtrl.h"

#include "host/ui/U_DialogControls.h"

namespace vantrel {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

TLocalAlarmOutCtrlForm::TLocalAlarmOutCtrlForm(TComponent* AOwner, TAlarmDevice& device)
    : TForm(AOwner), device_(device) {
    SetCaption(DialogCaption("本地报警输出控制"));
    SetBorderStyle(TFormBorderStyle::bsToolWindow);
    SetFormStyle(TFormStyle::fsStayOnTop);
    SetClientWidth(300);
    SetClientHeight(380);
    PutLabel(this, 8, 12, 60, "设备：");
    cb_Device = PutControl<TComboBox>(this, 70, 8, 120, 22);
    cb_Device->SetStyle(TComboBoxStyle::csDropDownList);
    for (const char* d : {"W110", "SE600", "DCTRLS", "RM008"})
        cb_Device->Items()->Add(d);
    cb_Device->SetItemIndex(0);
    PutLabel(this, 8, 40, 60, "串口：");
    cb_COM = PutControl<TComboBox>(this, 70, 36, 120, 22);
    cb_COM->SetStyle(TComboBoxStyle::csDropDownList);
    for (int i = 1; i <= 9; ++i)
        cb_COM->Items()->Add("COM" + std::to_string(i));
    cb_COM->SetItemIndex(0);
    PutLabel(this, 8, 68, 60, "地址：");
    se_Addr = PutControl<TEdit>(this, 70, 64, 60, 22);
    se_Addr->SetText("1");
    ListView = PutControl<TListView>(this, 8, 94, 180, 278);
    ListView->SetViewStyle(TViewStyle::vsList);
    ListView->SetCheckboxes(true);
    ListView->SetReadOnly(true);
    for (int i = 1; i <= kBoxPoints; ++i)
        ListView->Items()->Add()->SetCaption(std::to_string(i));
    bt_Open = PutButton(this, 200, 94, 90, "打开所选");
    bt_Close = PutButton(this, 200, 126, 90, "关闭所选");
    bt_Exit = PutButton(this, 200, 346, 90, "退出");
    bt_Open->OnClick = TNotifyEvent(this, &TLocalAlarmOutCtrlForm::bt_OpenClick);
    bt_Close->OnClick = TNotifyEvent(this, &TLocalAlarmOutCtrlForm::bt_CloseClick);
    bt_Exit->OnClick = TNotifyEvent(this, &TLocalAlarmOutCtrlForm::bt_ExitClick);
}

void TLocalAlarmOutCtrlForm::SwitchTicked(uint8_t state) {
    for (int i = 0; i < ListView->Items()->Count() && i < kBoxPoints; ++i)
        if (ListView->Items()->Item(i)->Checked()) OutputStates[i] = state;
    const uint8_t port = uint8_t(cb_COM->ItemIndex() < 0 ? 0 : cb_COM->ItemIndex());
    const uint8_t address = uint8_t(SpinValue(se_Addr, 1, 256)); // the box sees the low byte
    switch (cb_Device->ItemIndex()) {
    case 0:
        device_.SetOutputsType0(port, address, OutputStates);
        break;
    case 1:
        device_.SetOutputsType1(port, address, OutputStates);
        break;
    case 2:
        device_.SetOutputsType2(port, address, OutputStates);
        break;
    case 3:
        device_.SetOutputsType3(port, address, OutputStates);
        break;
    default:
        break;
    }
}

void TLocalAlarmOutCtrlForm::bt_OpenClick(TObject*) {
    SwitchTicked(1);
}
void TLocalAlarmOutCtrlForm::bt_CloseClick(TObject*) {
    SwitchTicked(0);
}
void TLocalAlarmOutCtrlForm::bt_ExitClick(TObject*) {
    Hide();
}

} // namespace vantrel
