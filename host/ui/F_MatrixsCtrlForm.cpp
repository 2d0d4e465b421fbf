#include "host/ui/F_MatrixsCtrlForm.h"

#include "host/ui/U_DialogControls.h"

namespace vantrel {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

namespace {

TListView* PutList(TWinControl* parent, int x, int y, int w, int h,
                   std::initializer_list<std::pair<const char*, int>> columns) {
    auto* l = PutControl<TListView>(parent, x, y, w, h);
    l->SetViewStyle(TViewStyle::vsReport);
    l->SetRowSelect(true);
    l->SetReadOnly(true);
    l->SetHideSelection(false);
    for (const auto& [text, width] : columns) {
        TListColumn* c = l->AddColumn();
        c->SetCaption(Utf8ToGbk(text));
        c->SetWidth(width);
    }
    return l;
}

TListItem* AddRow(TListView* list, const std::string& caption, const std::string& sub) {
    TListItem* item = list->Items()->Add();
    item->SetCaption(caption);
    item->SubItems()->Add(sub);
    return item;
}

int NumberOr(const std::string& text, int fallback) {
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    return text.empty() || *end ? fallback : int(v);
}

} // namespace

TMatrixsCtrlForm::TMatrixsCtrlForm(TComponent* AOwner, TMatrixsCtrl& matrix)
    : TForm(AOwner), Stepper(matrix, *this), matrix_(matrix) {
    SetCaption(DialogCaption("矩阵控制"));
    SetFormStyle(TFormStyle::fsStayOnTop);
    SetBorderIcons({});
    SetClientWidth(760);
    SetClientHeight(470);

    PutLabel(this, 8, 12, 60, "矩阵型号");
    cb_Matrixs = PutControl<TComboBox>(this, 70, 8, 110, 22);
    cb_Matrixs->SetStyle(TComboBoxStyle::csDropDownList);
    cb_Matrixs->Items()->Add("XM-3216");
    PutLabel(this, 196, 12, 50, "串口");
    cb_COM = PutControl<TComboBox>(this, 240, 8, 80, 22);
    cb_COM->SetStyle(TComboBoxStyle::csDropDownList);
    for (int i = 1; i <= 9; ++i) cb_COM->Items()->Add("COM" + std::to_string(i));

    lv_MatrixsInPort = PutList(this, 8, 40, 220, 330, {{"输入通道名称", 150}, {"编号", 50}});
    lv_MatrixsOutPort = PutList(this, 236, 40, 90, 330, {{"输出通道", 70}});
    ed_InPortName = PutControl<TEdit>(this, 8, 378, 220, 22);
    bt_ModInPortName = PutButton(this, 8, 406, 105, "修改名称");
    bt_SaveInPortSet = PutButton(this, 118, 406, 110, "保存通道名设置");
    bt_InportSwitchToOutPort = PutButton(this, 236, 378, 110, "输入切换到输出");

    lv_Group = PutList(this, 356, 40, 190, 200, {{"分组名称", 110}, {"时长(秒)", 70}});
    bt_AddGroup = PutButton(this, 356, 246, 60, "添加组");
    bt_ModGroup = PutButton(this, 421, 246, 60, "修改组");
    bt_DelGroup = PutButton(this, 486, 246, 60, "删除组");
    pn_EditGroup = PutControl<TPanel>(this, 356, 276, 190, 90);
    PutLabel(pn_EditGroup, 6, 8, 40, "名称");
    ed_GroupName = PutControl<TEdit>(pn_EditGroup, 50, 4, 130, 22);
    PutLabel(pn_EditGroup, 6, 36, 40, "时长");
    se_GroupTime = PutControl<TEdit>(pn_EditGroup, 50, 32, 80, 22);
    bt_GroupOK = PutButton(pn_EditGroup, 30, 60, 60, "确定");
    bt_GroupCancel = PutButton(pn_EditGroup, 100, 60, 60, "取消");
    pn_EditGroup->SetVisible(false);

    lv_Port = PutList(this, 556, 40, 196, 200, {{"输入通道", 120}, {"输出通道", 60}});
    bt_AddPort = PutButton(this, 556, 246, 62, "添加通道");
    bt_ModPort = PutButton(this, 623, 246, 62, "修改通道");
    bt_DelPort = PutButton(this, 690, 246, 62, "删除通道");
    pn_EditPort = PutControl<TPanel>(this, 556, 276, 196, 90);
    PutLabel(pn_EditPort, 6, 8, 40, "输入");
    cb_InPort = PutControl<TComboBox>(pn_EditPort, 50, 4, 136, 22);
    cb_InPort->SetStyle(TComboBoxStyle::csDropDownList);
    PutLabel(pn_EditPort, 6, 36, 40, "输出");
    se_OutPort = PutControl<TEdit>(pn_EditPort, 50, 32, 60, 22);
    bt_PortOK = PutButton(pn_EditPort, 30, 60, 60, "确定");
    bt_PortCancel = PutButton(pn_EditPort, 100, 60, 60, "取消");
    pn_EditPort->SetVisible(false);

    bt_AutoSwitch = PutButton(this, 356, 406, 130, "启动自动按组切换");
    Button1 = PutButton(this, 492, 406, 80, "停止自动");
    bt_SwitchCurrentGroup = PutButton(this, 578, 406, 90, "切换当前组");
    bt_SaveGroup = PutButton(this, 356, 436, 100, "保存组设置");
    bt_Close = PutButton(this, 672, 436, 80, "退出");
    Timer_GroupSwitch = new TTimer(this);
    Timer_GroupSwitch->SetEnabled(false);
    Timer_GroupSwitch->SetInterval(10000);

    cb_Matrixs->OnChange = TNotifyEvent(this, &TMatrixsCtrlForm::cb_MatrixsChange);
    lv_MatrixsInPort->OnDblClick =
        TNotifyEvent(this, &TMatrixsCtrlForm::bt_InportSwitchToOutPortClick);
    lv_MatrixsOutPort->OnDblClick =
        TNotifyEvent(this, &TMatrixsCtrlForm::bt_InportSwitchToOutPortClick);
    bt_InportSwitchToOutPort->OnClick =
        TNotifyEvent(this, &TMatrixsCtrlForm::bt_InportSwitchToOutPortClick);
    bt_ModInPortName->OnClick = TNotifyEvent(this, &TMatrixsCtrlForm::bt_ModInPortNameClick);
    ed_InPortName->OnExit = TNotifyEvent(this, &TMatrixsCtrlForm::ed_InPortNameExit);
    bt_SaveInPortSet->OnClick = TNotifyEvent(this, &TMatrixsCtrlForm::bt_SaveInPortSetClick);
    lv_Group->OnSelectItem = TLVSelectItemEvent(this, &TMatrixsCtrlForm::GroupSelect);
    lv_Group->OnDblClick = TNotifyEvent(this, &TMatrixsCtrlForm::bt_SwitchCurrentGroupClick);
    bt_AddGroup->OnClick = TNotifyEvent(this, &TMatrixsCtrlForm::bt_AddGroupClick);
    bt_ModGroup->OnClick = TNotifyEvent(this, &TMatrixsCtrlForm::bt_ModGroupClick);
    bt_DelGroup->OnClick = TNotifyEvent(this, &TMatrixsCtrlForm::bt_DelGroupClick);
    bt_GroupOK->OnClick = TNotifyEvent(this, &TMatrixsCtrlForm::bt_GroupOKClick);
    bt_GroupCancel->OnClick = TNotifyEvent(this, &TMatrixsCtrlForm::bt_GroupCancelClick);
    bt_AddPort->OnClick = TNotifyEvent(this, &TMatrixsCtrlForm::bt_AddPortClick);
    bt_ModPort->OnClick = TNotifyEvent(this, &TMatrixsCtrlForm::bt_ModPortClick);
    bt_DelPort->OnClick = TNotifyEvent(this, &TMatrixsCtrlForm::bt_DelPortClick);
    bt_PortOK->OnClick = TNotifyEvent(this, &TMatrixsCtrlForm::bt_PortOKClick);
    bt_PortCancel->OnClick = TNotifyEvent(this, &TMatrixsCtrlForm::bt_PortCancelClick);
    bt_AutoSwitch->OnClick = TNotifyEvent(this, &TMatrixsCtrlForm::bt_AutoSwitchClick);
    Button1->OnClick = TNotifyEvent(this, &TMatrixsCtrlForm::Button1Click);
    bt_SwitchCurrentGroup->OnClick =
        TNotifyEvent(this, &TMatrixsCtrlForm::bt_SwitchCurrentGroupClick);
    bt_SaveGroup->OnClick = TNotifyEvent(this, &TMatrixsCtrlForm::bt_SaveGroupClick);
    bt_Close->OnClick = TNotifyEvent(this, &TMatrixsCtrlForm::bt_CloseClick);
    Timer_GroupSwitch->SetOnTimer(TNotifyEvent(this, &TMatrixsCtrlForm::Timer_GroupSwitchTimer));

    // Filled once: showing the window again shows the in-memory state.
    cb_Matrixs->SetItemIndex(matrix_.MatrixType < 1 ? matrix_.MatrixType : -1);
    cb_COM->SetItemIndex(0);
    if (cb_Matrixs->ItemIndex() == 0) {
        for (int i = 0; i < kMatrixInputs; ++i)
            AddRow(lv_MatrixsInPort, matrix_.InputNames.Names[i].Get(), std::to_string(i + 1));
        for (int o = 1; o <= kMatrixOutputs; ++o)
            lv_MatrixsOutPort->Items()->Add()->SetCaption(std::to_string(o));
    }
    for (int g = 0; g < matrix_.Groups.GroupCount && g < kMatrixGroups; ++g)
        AddRow(lv_Group, matrix_.Groups.Groups[g].Name.Get(),
               std::to_string(matrix_.Groups.Groups[g].DwellSeconds));
}

uint8_t TMatrixsCtrlForm::Port() const {
    return uint8_t(cb_COM->ItemIndex() < 0 ? 0 : cb_COM->ItemIndex());
}

void TMatrixsCtrlForm::cb_MatrixsChange(TObject*) {
    if (cb_Matrixs->ItemIndex() >= 0) matrix_.SaveMatrixType(uint8_t(cb_Matrixs->ItemIndex()));
}

void TMatrixsCtrlForm::bt_InportSwitchToOutPortClick(TObject*) {
    const int in = lv_MatrixsInPort->ItemIndex(), out = lv_MatrixsOutPort->ItemIndex();
    if (in < 0 || out < 0) return;
    matrix_.DirectSwitch(in, out, Port());
}

void TMatrixsCtrlForm::bt_ModInPortNameClick(TObject*) {
    TListItem* item = lv_MatrixsInPort->Selected();
    if (!item) return;
    ed_InPortName->SetText(item->Caption());
    ed_InPortName->SetFocus();
}

void TMatrixsCtrlForm::ed_InPortNameExit(TObject*) {
    TListItem* item = lv_MatrixsInPort->Selected();
    if (!item) return;
    const std::string name = ed_InPortName->GetText();
    matrix_.InputNames.Names[item->Index()].Set(name);
    item->SetCaption(matrix_.InputNames.Names[item->Index()].Get());
}

void TMatrixsCtrlForm::bt_SaveInPortSetClick(TObject*) {
    if (cb_Matrixs->ItemIndex() != 0) return;
    for (int i = 0; i < lv_MatrixsInPort->Items()->Count() && i < kMatrixInputs; ++i)
        matrix_.InputNames.Names[i].Set(lv_MatrixsInPort->Items()->Item(i)->Caption());
    matrix_.SaveInputNames(uint8_t(cb_Matrixs->ItemIndex()));
}

void TMatrixsCtrlForm::FillPairs(int group) {
    lv_Port->Items()->Clear();
    if (group < 0 || group >= matrix_.Groups.GroupCount) return;
    const TMatrixGroup& g = matrix_.Groups.Groups[group];
    for (int p = 0; p < g.PairCount && p < kMatrixPairs; ++p)
        AddRow(lv_Port, matrix_.InputNames.Names[g.Pairs[p].Input % kMatrixInputs].Get(),
               std::to_string(g.Pairs[p].Output + 1));
}

void TMatrixsCtrlForm::GroupSelect(TObject*, TListItem* Item, bool Selected) {
    if (Selected && Item) FillPairs(Item->Index());
}

void TMatrixsCtrlForm::EditGroup(bool modify) {
    TListItem* item = lv_Group->Selected();
    if (modify && !item) return;
    modifyGroup_ = modify;
    ed_GroupName->SetText(item ? item->Caption() : "");
    se_GroupTime->SetText(
        std::to_string(item ? NumberOr(item->SubItems()->Get(0), 5) : 5));
    for (TControl* c : {static_cast<TControl*>(bt_AddGroup), static_cast<TControl*>(bt_ModGroup),
                        static_cast<TControl*>(bt_DelGroup), static_cast<TControl*>(lv_Group)})
        c->SetEnabled(false);
    pn_EditGroup->SetVisible(true);
    if (Showing()) ed_GroupName->SetFocus();
}

void TMatrixsCtrlForm::bt_AddGroupClick(TObject*) {
    EditGroup(false);
}

void TMatrixsCtrlForm::bt_ModGroupClick(TObject*) {
    EditGroup(true);
}

void TMatrixsCtrlForm::bt_GroupOKClick(TObject*) {
    const std::string name = ed_GroupName->GetText();
    const int dwell = SpinValue(se_GroupTime, 5, 10000000);
    if (modifyGroup_) {
        if (TListItem* item = lv_Group->Selected();
            item && matrix_.ModifyGroup(item->Index(), name, dwell)) {
            item->SetCaption(matrix_.Groups.Groups[item->Index()].Name.Get());
            item->SubItems()->Put(0, std::to_string(dwell));
        }
    } else if (matrix_.AddGroup(name, dwell)) {
        AddRow(lv_Group, matrix_.Groups.Groups[matrix_.Groups.GroupCount - 1].Name.Get(),
               std::to_string(dwell));
    }
    bt_GroupCancelClick(nullptr);
}

void TMatrixsCtrlForm::bt_GroupCancelClick(TObject*) {
    pn_EditGroup->SetVisible(false);
    for (TControl* c : {static_cast<TControl*>(bt_AddGroup), static_cast<TControl*>(bt_ModGroup),
                        static_cast<TControl*>(bt_DelGroup), static_cast<TControl*>(lv_Group)})
        c->SetEnabled(true);
}

void TMatrixsCtrlForm::bt_DelGroupClick(TObject*) {
    TListItem* item = lv_Group->Selected();
    if (!item || !matrix_.DeleteGroup(item->Index())) return;
    lv_Group->Items()->Delete(item->Index());
    lv_Port->Items()->Clear();
}

void TMatrixsCtrlForm::EditPort(bool modify) {
    if (!lv_Group->Selected()) return;
    TListItem* row = lv_Port->Selected();
    if (modify && !row) return;
    modifyPort_ = modify;
    cb_InPort->Items()->Clear();
    if (cb_Matrixs->ItemIndex() == 0)
        for (int i = 0; i < kMatrixInputs; ++i) cb_InPort->Items()->Add(matrix_.InputNames.Names[i].Get());
    int input = 0, output = 1;
    if (row) {
        const int found = cb_InPort->Items()->IndexOf(row->Caption());
        input = found < 0 ? 0 : found;
        output = NumberOr(row->SubItems()->Get(0), 1);
    }
    cb_InPort->SetItemIndex(input);
    se_OutPort->SetText(std::to_string(output));
    for (TControl* c : {static_cast<TControl*>(bt_AddPort), static_cast<TControl*>(bt_ModPort),
                        static_cast<TControl*>(bt_DelPort), static_cast<TControl*>(lv_Port)})
        c->SetEnabled(false);
    pn_EditPort->SetVisible(true);
}

void TMatrixsCtrlForm::bt_AddPortClick(TObject*) {
    EditPort(false);
}

void TMatrixsCtrlForm::bt_ModPortClick(TObject*) {
    EditPort(true);
}

void TMatrixsCtrlForm::bt_PortOKClick(TObject*) {
    TListItem* group = lv_Group->Selected();
    const int input = cb_InPort->ItemIndex();
    const int output = SpinValue(se_OutPort, 1, kMatrixOutputs);
    if (group && input >= 0) {
        const std::string name = matrix_.InputNames.Names[input].Get();
        if (!modifyPort_) {
            if (matrix_.AddPair(group->Index(), input, output - 1))
                AddRow(lv_Port, name, std::to_string(output));
        } else if (TListItem* row = lv_Port->Selected();
                   row && matrix_.ModifyPair(group->Index(), row->Index(), input, output - 1)) {
            row->SetCaption(name);
            row->SubItems()->Put(0, std::to_string(output));
        }
    }
    bt_PortCancelClick(nullptr);
}

void TMatrixsCtrlForm::bt_PortCancelClick(TObject*) {
    pn_EditPort->SetVisible(false);
    for (TControl* c : {static_cast<TControl*>(bt_AddPort), static_cast<TControl*>(bt_ModPort),
                        static_cast<TControl*>(bt_DelPort), static_cast<TControl*>(lv_Port)})
        c->SetEnabled(true);
}

void TMatrixsCtrlForm::bt_DelPortClick(TObject*) {
    TListItem* group = lv_Group->Selected();
    TListItem* row = lv_Port->Selected();
    if (!group || !row || !matrix_.DeletePair(group->Index(), row->Index())) return;
    lv_Port->Items()->Delete(row->Index());
}

void TMatrixsCtrlForm::bt_AutoSwitchClick(TObject*) {
    if (lv_Group->Items()->Count() == 0) return;
    Stepper.Start();
}

void TMatrixsCtrlForm::Button1Click(TObject*) {
    Stepper.Stop();
}

void TMatrixsCtrlForm::bt_SwitchCurrentGroupClick(TObject*) {
    TListItem* item = lv_Group->Selected();
    if (item) Stepper.SwitchGroup(item->Index(), Port());
}

void TMatrixsCtrlForm::bt_SaveGroupClick(TObject*) {
    if (cb_Matrixs->ItemIndex() >= 0) matrix_.SaveGroups(uint8_t(cb_Matrixs->ItemIndex()));
}

void TMatrixsCtrlForm::bt_CloseClick(TObject*) {
    // Stepping goes on while the window is hidden.
    Hide();
}

void TMatrixsCtrlForm::Timer_GroupSwitchTimer(TObject*) {
    Stepper.TimerTick();
}

void TMatrixsCtrlForm::WMMatrixGroupStep(TMessage&) {
    Stepper.StepMessage(Port());
}

void TMatrixsCtrlForm::SetTimer(bool enabled, uint32_t intervalMs) {
    // A new interval starts counting from now.
    Timer_GroupSwitch->SetEnabled(false);
    Timer_GroupSwitch->SetInterval(intervalMs);
    Timer_GroupSwitch->SetEnabled(enabled);
}

void TMatrixsCtrlForm::PostStep() {
    ::PostMessageW(Handle(), WM_MATRIXGROUPSTEP, 0, 0);
}

} // namespace vantrel
