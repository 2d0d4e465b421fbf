#include "host/net/F_NetDogForm.h"

#include "framework/ui/place_control.h"

#include "common/win/textconv.h"

#include <windows.h>

#include <cstdio>

namespace vantrel {

namespace {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

// Tags of the edit panel.
constexpr int kEditAdd = 0, kEditModify = 1, kEditCancelled = -1;

} // namespace

TNetDogForm::TNetDogForm(TComponent* AOwner, const std::string& appTitle,
                         const std::vector<TClientGroup>& groups, int defaultPort,
                         TUdpSender& sender)
    : TForm(AOwner), defaultPort_(defaultPort),
      dog_(groups, defaultPort, sender, static_cast<TNetDogView&>(*this)) {
    SetCaption(appTitle + "    " + Utf8ToGbk("网络督察"));
    SetBounds(120, 120, 640, 420);

    lv_ServerList = PlaceControl<TListView>(this, this, 8, 8, 380, 300);
    lv_ServerList->SetViewStyle(TViewStyle::vsReport);
    lv_ServerList->SetRowSelect(true);
    lv_ServerList->SetReadOnly(true);
    for (const char* caption : {"名称", "地址", "消息传送端口(UDP)"}) {
        TListColumn* column = lv_ServerList->AddColumn();
        column->SetCaption(Utf8ToGbk(caption));
        column->SetWidth(120);
    }
    tv_WorkState = PlaceControl<TTreeView>(this, this, 396, 8, 236, 270);
    lb_RemoteAddr = PlaceControl<TLabel>(this, this, 396, 284, 236, 16);
    lb_ReadTime = PlaceControl<TLabel>(this, this, 396, 302, 236, 16);
    bt_ReadWorkState = PlaceControl<TButton>(this, this, 396, 322, 110, 26);
    bt_ReadWorkState->SetCaption(Utf8ToGbk("读取工作状态"));

    cb_StartNetDog = PlaceControl<TCheckBox>(this, this, 8, 316, 70, 20);
    cb_StartNetDog->SetCaption(Utf8ToGbk("启用"));
    cb_AutoShow = PlaceControl<TCheckBox>(this, this, 84, 316, 90, 20);
    cb_AutoShow->SetCaption(Utf8ToGbk("自动弹出"));
    bt_Add = PlaceControl<TButton>(this, this, 8, 344, 60, 26);
    bt_Add->SetCaption(Utf8ToGbk("添加"));
    bt_Modify = PlaceControl<TButton>(this, this, 74, 344, 60, 26);
    bt_Modify->SetCaption(Utf8ToGbk("修改"));
    bt_Delete = PlaceControl<TButton>(this, this, 140, 344, 60, 26);
    bt_Delete->SetCaption(Utf8ToGbk("删除"));
    bt_Close = PlaceControl<TButton>(this, this, 562, 356, 70, 26);
    bt_Close->SetCaption(Utf8ToGbk("关闭"));

    pn_EditAddr = PlaceControl<TPanel>(this, this, 8, 100, 380, 110);
    ed_Name = PlaceControl<TEdit>(pn_EditAddr, this, 8, 8, 170, 22);
    ed_IP = PlaceControl<TEdit>(pn_EditAddr, this, 186, 8, 186, 22);
    se_UDPMessageServerPort = PlaceControl<TEdit>(pn_EditAddr, this, 8, 38, 100, 22);
    se_UDPMessageServerPort->SetText(std::to_string(defaultPort));
    bt_OK = PlaceControl<TButton>(pn_EditAddr, this, 220, 72, 70, 26);
    bt_OK->SetCaption(Utf8ToGbk("确定"));
    bt_Cancel = PlaceControl<TButton>(pn_EditAddr, this, 298, 72, 70, 26);
    bt_Cancel->SetCaption(Utf8ToGbk("取消"));
    pn_EditAddr->SetVisible(false);
    pn_EditAddr->SetTag(kEditCancelled);

    Timer = new TTimer(this);
    Timer->SetEnabled(false);
    Timer->SetInterval(kNetDogPeriodMs);

    cb_StartNetDog->OnClick = TNotifyEvent(this, &TNetDogForm::cb_StartNetDogClick);
    cb_AutoShow->OnClick = TNotifyEvent(this, &TNetDogForm::cb_AutoShowClick);
    bt_Add->OnClick = TNotifyEvent(this, &TNetDogForm::bt_AddClick);
    bt_Modify->OnClick = TNotifyEvent(this, &TNetDogForm::bt_ModifyClick);
    bt_Delete->OnClick = TNotifyEvent(this, &TNetDogForm::bt_DeleteClick);
    bt_Close->OnClick = TNotifyEvent(this, &TNetDogForm::bt_CloseClick);
    bt_ReadWorkState->OnClick = TNotifyEvent(this, &TNetDogForm::bt_ReadWorkStateClick);
    bt_OK->OnClick = TNotifyEvent(this, &TNetDogForm::bt_OKClick);
    bt_Cancel->OnClick = TNotifyEvent(this, &TNetDogForm::bt_CancelClick);
    Timer->SetOnTimer(TNotifyEvent(this, &TNetDogForm::TimerTimer));
    RowsChanged();
}

void TNetDogForm::RowsChanged() {
    TListItems* items = lv_ServerList->Items();
    const int selected = lv_ServerList->ItemIndex();
    items->BeginUpdate();
    items->Clear();
    for (const TNetDogRow& row : dog_.Rows()) {
        TListItem* item = items->Add();
        item->SetCaption(row.Name);
        item->SubItems()->Add(row.Address);
        item->SubItems()->Add(row.PortText);
        // The state picture: none, 0 offline, 1 online.
        item->SetImageIndex(row.State == NetDogState::Unknown   ? -1
                            : row.State == NetDogState::Offline ? 0
                                                                : 1);
    }
    items->EndUpdate();
    if (selected >= 0 && selected < items->Count()) lv_ServerList->SetItemIndex(selected);
}

void TNetDogForm::WMNetDogReply(TMessage& M) {
    dog_.OnReply(intptr_t(M.WParam), M.LParam);
}

void TNetDogForm::TimerTimer(TObject*) {
    dog_.HeartbeatRound();
}

void TNetDogForm::cb_StartNetDogClick(TObject*) {
    dog_.SetEnabled(cb_StartNetDog->Checked());
}

void TNetDogForm::cb_AutoShowClick(TObject*) {
    dog_.AutoShow = cb_AutoShow->Checked();
}

void TNetDogForm::SetEditing(bool editing) {
    pn_EditAddr->SetVisible(editing);
    for (TControl* c : std::initializer_list<TControl*>{
             cb_StartNetDog, cb_AutoShow, bt_Add, bt_Modify, bt_Delete, bt_Close, lv_ServerList})
        c->SetEnabled(!editing);
}

void TNetDogForm::bt_AddClick(TObject*) {
    ed_Name->SetText("");
    ed_IP->SetText("");
    se_UDPMessageServerPort->SetText(std::to_string(defaultPort_));
    pn_EditAddr->SetTag(kEditAdd);
    SetEditing(true);
}

void TNetDogForm::bt_ModifyClick(TObject*) {
    const int row = lv_ServerList->ItemIndex();
    if (row < 0 || size_t(row) >= dog_.Rows().size()) return;
    ed_Name->SetText(dog_.Rows()[size_t(row)].Name);
    ed_IP->SetText(dog_.Rows()[size_t(row)].Address);
    pn_EditAddr->SetTag(kEditModify);
    SetEditing(true);
}

void TNetDogForm::bt_OKClick(TObject*) {
    const std::string port = se_UDPMessageServerPort->Caption();
    if (pn_EditAddr->Tag() == kEditAdd)
        dog_.AddRow(ed_Name->Caption(), ed_IP->Caption(), port);
    else if (pn_EditAddr->Tag() == kEditModify)
        dog_.ModifyRow(lv_ServerList->ItemIndex(), ed_Name->Caption(), ed_IP->Caption(), port);
    pn_EditAddr->SetTag(kEditCancelled);
    SetEditing(false);
}

void TNetDogForm::bt_CancelClick(TObject*) {
    pn_EditAddr->SetTag(kEditCancelled);
    SetEditing(false);
}

void TNetDogForm::bt_DeleteClick(TObject*) {
    dog_.DeleteRow(lv_ServerList->ItemIndex());
}

void TNetDogForm::bt_CloseClick(TObject*) {
    Hide();
}

void TNetDogForm::bt_ReadWorkStateClick(TObject*) {
    dog_.ReadWorkState(lv_ServerList->ItemIndex());
}

void TNetDogForm::ClearWorkState() {
    tv_WorkState->Items()->Clear();
    lb_RemoteAddr->SetCaption("");
    lb_ReadTime->SetCaption("");
}

void TNetDogForm::ShowAskedAddress(const std::string& address) {
    lb_RemoteAddr->SetCaption(address);
}

void TNetDogForm::ShowWorkState(const std::vector<TStateNode>& tree, const std::string& readTime) {
    TTreeNodes* nodes = tv_WorkState->Items();
    nodes->Clear();
    for (const TStateNode& top : tree) {
        TTreeNode* node = nodes->Add(nullptr, Utf8ToGbk(top.Text));
        for (const TStateNode& child : top.Children)
            nodes->AddChild(node, Utf8ToGbk(child.Text));
    }
    lb_ReadTime->SetCaption(readTime);
}

std::string TNetDogForm::NowText() {
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay,
                  t.wHour, t.wMinute, t.wSecond);
    return text;
}

} // namespace vantrel
