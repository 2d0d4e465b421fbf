// The local matrix switcher window: inputs switched to outputs by hand, input names, switching
// groups with their pairs, and automatic stepping through the groups.
#pragma once

#include "host/engine/U_MatrixsCtrl.h"

#include "framework/ui/comctrls.h"
#include "framework/ui/extctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"
#include "framework/ui/timer.h"

namespace vantrel {

class TMatrixsCtrlForm : public dvr::fw::TForm, private TMatrixStepTimer {
    FW_CLASS(TMatrixsCtrlForm, dvr::fw::TForm)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_MATRIXGROUPSTEP, WMMatrixGroupStep)
    FW_MESSAGES_END
public:
    TMatrixsCtrlForm(dvr::fw::TComponent* AOwner, TMatrixsCtrl& matrix);

    dvr::fw::TComboBox* cb_Matrixs;
    dvr::fw::TComboBox* cb_COM;
    dvr::fw::TListView* lv_MatrixsInPort;
    dvr::fw::TListView* lv_MatrixsOutPort;
    dvr::fw::TEdit* ed_InPortName;
    dvr::fw::TButton* bt_ModInPortName;
    dvr::fw::TButton* bt_SaveInPortSet;
    dvr::fw::TButton* bt_InportSwitchToOutPort;
    dvr::fw::TListView* lv_Group;
    dvr::fw::TButton *bt_AddGroup, *bt_ModGroup, *bt_DelGroup;
    dvr::fw::TPanel* pn_EditGroup;
    dvr::fw::TEdit* ed_GroupName;
    dvr::fw::TEdit* se_GroupTime;
    dvr::fw::TButton *bt_GroupOK, *bt_GroupCancel;
    dvr::fw::TListView* lv_Port;
    dvr::fw::TButton *bt_AddPort, *bt_ModPort, *bt_DelPort;
    dvr::fw::TPanel* pn_EditPort;
    dvr::fw::TComboBox* cb_InPort;
    dvr::fw::TEdit* se_OutPort;
    dvr::fw::TButton *bt_PortOK, *bt_PortCancel;
    dvr::fw::TButton* bt_AutoSwitch;
    dvr::fw::TButton* Button1;
    dvr::fw::TButton* bt_SwitchCurrentGroup;
    dvr::fw::TButton* bt_SaveGroup;
    dvr::fw::TButton* bt_Close;
    dvr::fw::TTimer* Timer_GroupSwitch;
    TMatrixGroupStepper Stepper;

    void cb_MatrixsChange(dvr::fw::TObject* Sender);
    void bt_InportSwitchToOutPortClick(dvr::fw::TObject* Sender);
    void bt_ModInPortNameClick(dvr::fw::TObject* Sender);
    // The name typed for the selected input is stored (first 30 bytes).
    void ed_InPortNameExit(dvr::fw::TObject* Sender);
    void bt_SaveInPortSetClick(dvr::fw::TObject* Sender);
    void GroupSelect(dvr::fw::TObject* Sender, dvr::fw::TListItem* Item, bool Selected);
    void bt_AddGroupClick(dvr::fw::TObject* Sender);
    void bt_ModGroupClick(dvr::fw::TObject* Sender);
    void bt_DelGroupClick(dvr::fw::TObject* Sender);
    void bt_GroupOKClick(dvr::fw::TObject* Sender);
    void bt_GroupCancelClick(dvr::fw::TObject* Sender);
    void bt_AddPortClick(dvr::fw::TObject* Sender);
    void bt_ModPortClick(dvr::fw::TObject* Sender);
    void bt_DelPortClick(dvr::fw::TObject* Sender);
    void bt_PortOKClick(dvr::fw::TObject* Sender);
    void bt_PortCancelClick(dvr::fw::TObject* Sender);
    void bt_AutoSwitchClick(dvr::fw::TObject* Sender);
    void Button1Click(dvr::fw::TObject* Sender);
    void bt_SwitchCurrentGroupClick(dvr::fw::TObject* Sender);
    void bt_SaveGroupClick(dvr::fw::TObject* Sender);
    void bt_CloseClick(dvr::fw::TObject* Sender);
    void Timer_GroupSwitchTimer(dvr::fw::TObject* Sender);

private:
    void WMMatrixGroupStep(dvr::fw::TMessage& M);
    // TMatrixStepTimer
    void SetTimer(bool enabled, uint32_t intervalMs) override;
    void PostStep() override;
    uint8_t Port() const;
    void FillPairs(int group);
    void EditGroup(bool modify);
    void EditPort(bool modify);

    TMatrixsCtrl& matrix_;
    bool modifyGroup_ = false, modifyPort_ = false;
};

} // namespace vantrel
