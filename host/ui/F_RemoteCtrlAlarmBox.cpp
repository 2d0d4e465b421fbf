#include "host/ui/F_RemoteCtrlAlarmBox.h"

#include "host/ui/U_DialogControls.h"

#include "common/win/textconv.h"

#include <cstdlib>

namespace vantrel {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

namespace {

// Tags of the edit panel.
constexpr int kEditAdd = 0, kEditModify = 1, kEditCancelled = -1;

TListView* PutReportList(TWinControl* parent, int x, int y, int w, int h, bool checks,
                         std::initializer_list<const char*> columns) {
    auto* l = PutControl<TListView>(parent, x, y, w, h);
    l->SetViewStyle(TViewStyle::vsReport);
    l->SetRowSelect(true);
    l->SetHideSelection(false);
    l->SetReadOnly(true);
    l->SetCheckboxes(checks);
    for (const char* c : columns) {
        TListColumn* col = l->AddColumn();
        col->SetCaption(Utf8ToGbk(c));
        col->SetWidth(110);
    }
    return l;
}

// A whole decimal number, else `fallback`.
int PortOfText(const std::string& text, int fallback) {
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || v < 0 || v > 0x7fffffff) return fallback;
    return int(v);
}

} // namespace

TRemoteCtrlAlarmBoxForm::TRemoteCtrlAlarmBoxForm(TComponent* AOwner, TRemoteWindowHost host)
    : TForm(AOwner), host_(std::move(host)) {
    SetCaption(DialogCaption("报警盒输出控制"));
    SetBounds(120, 100, 620, 440);

    lv_MainAddrList =
        PutReportList(this, 8, 8, 350, 300, false, {"名称", "地址", "消息传送端口(UDP)"});
    sb_AddAddr = PutButton(this, 8, 316, 80, "添加地址");
    sb_ModifyAddr = PutButton(this, 96, 316, 80, "修改地址");

    pn_EditAddr = PutControl<TPanel>(this, 8, 100, 350, 100);
    ed_Name = PutControl<TEdit>(pn_EditAddr, 8, 8, 160, 22);
    ed_Addr = PutControl<TEdit>(pn_EditAddr, 176, 8, 160, 22);
    se_UDPMessageServerPort = PutControl<TEdit>(pn_EditAddr, 8, 38, 100, 22);
    se_UDPMessageServerPort->SetText(std::to_string(kDefaultMessageServerPort));
    sb_OK = PutButton(pn_EditAddr, 176, 66, 70, "确定");
    sb_Cancel = PutButton(pn_EditAddr, 256, 66, 70, "取消");
    pn_EditAddr->SetVisible(false);
    pn_EditAddr->SetTag(kEditCancelled);

    cb_COM = PutControl<TComboBox>(this, 370, 8, 110, 22);
    for (int i = 1; i <= 9; ++i)
        cb_COM->Items()->Add("COM" + std::to_string(i));
    cb_COM->SetItemIndex(0);
    cb_Device = PutControl<TComboBox>(this, 490, 8, 110, 22);
    for (const char* d : {"W110", "SE600", "DCTRLS", "RM008"})
        cb_Device->Items()->Add(d);
    cb_Device->SetItemIndex(0);
    se_Addr = PutControl<TEdit>(this, 370, 38, 60, 22);
    se_Addr->SetText("1");
    lv_AlarmBoxOutPort = PutReportList(this, 370, 68, 230, 200, true, {"输出端口"});
    for (int i = 1; i <= kRemoteOutputs; ++i)
        lv_AlarmBoxOutPort->Items()->Add()->SetCaption(std::to_string(i));
    ed_UserName = PutControl<TEdit>(this, 370, 276, 110, 22);
    ed_Password = PutControl<TEdit>(this, 490, 276, 110, 22);
    ed_Password->SetPasswordChar('*');
    sb_OpenPort = PutButton(this, 370, 310, 110, "打开所选端口");
    sb_ClosePort = PutButton(this, 490, 310, 110, "关闭所选端口");
    sb_Exit = PutButton(this, 520, 376, 80, "退出");

    sb_AddAddr->OnClick = TNotifyEvent(this, &TRemoteCtrlAlarmBoxForm::sb_AddAddrClick);
    sb_ModifyAddr->OnClick = TNotifyEvent(this, &TRemoteCtrlAlarmBoxForm::sb_ModifyAddrClick);
    sb_OK->OnClick = TNotifyEvent(this, &TRemoteCtrlAlarmBoxForm::sb_OKClick);
    sb_Cancel->OnClick = TNotifyEvent(this, &TRemoteCtrlAlarmBoxForm::sb_CancelClick);
    sb_OpenPort->OnClick = TNotifyEvent(this, &TRemoteCtrlAlarmBoxForm::sb_OpenPortClick);
    sb_ClosePort->OnClick = TNotifyEvent(this, &TRemoteCtrlAlarmBoxForm::sb_ClosePortClick);
    sb_Exit->OnClick = TNotifyEvent(this, &TRemoteCtrlAlarmBoxForm::sb_ExitClick);

    // One row per distinct configured address: the first host with it gives name and port.
    for (const std::string& a : GroupAddresses(host_.Groups)) {
        for (const auto& g : host_.Groups) {
            if (g.HostAddress.Get() != a) continue;
            TListItem* item = lv_MainAddrList->Items()->Add();
            item->SetCaption(g.Name.Get());
            item->SubItems()->Add(a);
            item->SubItems()->Add(std::to_string(g.Ports.Port[UDPMessageServerPort]));
            break;
        }
    }
}

void TRemoteCtrlAlarmBoxForm::SetEditing(bool editing) {
    pn_EditAddr->SetVisible(editing);
    for (TControl* c : std::initializer_list<TControl*>{sb_AddAddr, sb_ModifyAddr, lv_MainAddrList})
        c->SetEnabled(!editing);
}

void TRemoteCtrlAlarmBoxForm::sb_AddAddrClick(TObject*) {
    ed_Name->SetText("");
    ed_Addr->SetText("");
    se_UDPMessageServerPort->SetText(std::to_string(host_.DefaultPort));
    pn_EditAddr->SetTag(kEditAdd);
    SetEditing(true);
}

void TRemoteCtrlAlarmBoxForm::sb_ModifyAddrClick(TObject*) {
    TListItem* row = lv_MainAddrList->Selected();
    if (!row) return;
    ed_Name->SetText(row->Caption());
    ed_Addr->SetText(row->SubItems()->Strings(0));
    se_UDPMessageServerPort->SetText(row->SubItems()->Strings(1));
    pn_EditAddr->SetTag(kEditModify);
    SetEditing(true);
}

void TRemoteCtrlAlarmBoxForm::sb_OKClick(TObject*) {
    TListItem* row = nullptr;
    if (pn_EditAddr->Tag() == kEditModify) row = lv_MainAddrList->Selected();
    if (!row && pn_EditAddr->Tag() != kEditCancelled) row = lv_MainAddrList->Items()->Add();
    if (row) {
        row->SetCaption(ed_Name->GetText());
        row->SubItems()->Clear();
        row->SubItems()->Add(ed_Addr->GetText());
        row->SubItems()->Add(se_UDPMessageServerPort->GetText());
    }
    pn_EditAddr->SetTag(kEditCancelled);
    SetEditing(false);
}

void TRemoteCtrlAlarmBoxForm::sb_CancelClick(TObject*) {
    pn_EditAddr->SetTag(kEditCancelled);
    SetEditing(false);
}

void TRemoteCtrlAlarmBoxForm::SendOutputs(bool on) {
    TListItem* row = lv_MainAddrList->Selected();
    if (!row) return;
    UdpMsgAlarmOutput m{};
    m.Port = uint8_t(std::max(0, cb_COM->ItemIndex()));
    m.BoxType = uint8_t(std::max(0, cb_Device->ItemIndex()));
    m.BoxAddress = uint8_t(SpinValue(se_Addr, 1, 256));
    m.On = on ? 1 : 0;
    TListItems* outputs = lv_AlarmBoxOutPort->Items();
    for (int i = 0; i < kRemoteOutputs && i < outputs->Count(); ++i)
        m.Outputs[i] = outputs->Item(i)->Checked() ? 1 : 0;
    m.UserName.Set(ed_UserName->GetText().substr(0, 10));
    m.Password.Set(ed_Password->GetText().substr(0, 10));
    try {
        if (host_.Udp)
            host_.Udp->SendTo(&m, sizeof m,
                              PortOfText(row->SubItems()->Strings(1), host_.DefaultPort),
                              row->SubItems()->Strings(0));
    } catch (...) {
        // Nothing answers this request; a failed send is not reported either.
    }
}

void TRemoteCtrlAlarmBoxForm::sb_OpenPortClick(TObject*) {
    SendOutputs(true);
}

void TRemoteCtrlAlarmBoxForm::sb_ClosePortClick(TObject*) {
    SendOutputs(false);
}

void TRemoteCtrlAlarmBoxForm::sb_ExitClick(TObject*) {
    Hide();
}

} // namespace vantrel
