#include "host/net/F_IPPingWindow.h"

#include "framework/ui/place_control.h"

#include "common/win/textconv.h"

namespace vantrel {

namespace {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

TButton* Button(TIPPingWindow* form, TWinControl* parent, int x, int y, const char* utf8) {
    auto* b = PlaceControl<TButton>(parent, form, x, y, 80, 26);
    b->SetCaption(Utf8ToGbk(utf8));
    b->OnClick = TNotifyEvent(form, &TIPPingWindow::ButtonClick);
    return b;
}

} // namespace

TIPPingWindow::TIPPingWindow(TComponent* AOwner, const std::string& appTitle,
                             const TNetClientSet& netClientSet, TPingProbe probe)
    : TForm(AOwner), patrol_(std::make_unique<TIPPingForm>(netClientSet, std::move(probe))) {
    SetCaption(appTitle + "    " + Utf8ToGbk("网络巡更"));
    SetBounds(160, 110, 420, 400);

    lv_ServerList = PlaceControl<TListView>(this, this, 8, 8, 300, 250);
    lv_ServerList->SetViewStyle(TViewStyle::vsReport);
    lv_ServerList->SetRowSelect(true);
    lv_ServerList->SetReadOnly(true);
    lv_ServerList->SetHideSelection(false);
    for (const char* caption : {"名称", "地址"}) {
        TListColumn* column = lv_ServerList->AddColumn();
        column->SetCaption(Utf8ToGbk(caption));
        column->SetWidth(140);
    }
    cb_StopPing = PlaceControl<TCheckBox>(this, this, 316, 8, 90, 20);
    cb_StopPing->SetCaption(Utf8ToGbk("启动巡更"));
    cb_AutoShow = PlaceControl<TCheckBox>(this, this, 316, 32, 90, 20);
    cb_AutoShow->SetCaption(Utf8ToGbk("自动弹出"));
    bt_AddIP = Button(this, this, 316, 64, "添加");
    bt_DelIP = Button(this, this, 316, 96, "删除");
    bt_ShowPingLog = Button(this, this, 316, 128, "查看记录");
    bt_Close = Button(this, this, 316, 232, "关闭");

    pn_EditAddr = PlaceControl<TPanel>(this, this, 8, 266, 398, 90);
    pn_EditAddr->SetCaption({});
    auto label = [&](int x, int y, const char* utf8) {
        auto* l = PlaceControl<TLabel>(pn_EditAddr, this, x, y, 50, 16);
        l->SetCaption(Utf8ToGbk(utf8));
    };
    label(8, 10, "名称：");
    ed_Name = PlaceControl<TEdit>(pn_EditAddr, this, 60, 6, 140, 22);
    label(8, 40, "地址：");
    ed_IP = PlaceControl<TEdit>(pn_EditAddr, this, 60, 36, 140, 22);
    bt_OK = Button(this, pn_EditAddr, 220, 56, "确定");
    bt_Cancel = Button(this, pn_EditAddr, 306, 56, "取消");

    cb_StopPing->OnClick = TNotifyEvent(this, &TIPPingWindow::cb_StopPingClick);
    cb_AutoShow->OnClick = TNotifyEvent(this, &TIPPingWindow::cb_AutoShowClick);
    // The patrol thread asks for the window: the timer shows it on this thread.
    patrol_->OnOutageShown = [this](int row) { outageRow_ = row; };
    stateTimer_ = new TTimer(this);
    stateTimer_->SetInterval(200);
    stateTimer_->SetOnTimer(TNotifyEvent(this, &TIPPingWindow::ShowState));
    stateTimer_->SetEnabled(true);
    ShowState();
}

TIPPingWindow::~TIPPingWindow() {
    patrol_->OnOutageShown = nullptr;
}

void TIPPingWindow::cb_StopPingClick(TObject*) {
    patrol_->cb_StopPingClick(cb_StopPing->Checked());
}

void TIPPingWindow::cb_AutoShowClick(TObject*) {
    patrol_->cb_AutoShow = cb_AutoShow->Checked();
}

void TIPPingWindow::TakeControls() {
    patrol_->Selected = lv_ServerList->ItemIndex();
    patrol_->ed_Name = ed_Name->Caption();
    patrol_->ed_IP = ed_IP->Caption();
}

void TIPPingWindow::ButtonClick(TObject* Sender) {
    TakeControls();
    if (Sender == bt_AddIP) patrol_->bt_AddIPClick();
    if (Sender == bt_OK) patrol_->bt_OKClick();
    if (Sender == bt_Cancel) patrol_->bt_CancelClick();
    if (Sender == bt_DelIP) patrol_->bt_DelIPClick();
    if (Sender == bt_ShowPingLog && ShowPingLog) ShowPingLog();
    if (Sender == bt_Close) {
        patrol_->bt_CloseClick();
        Hide();
    }
    ed_Name->SetText(patrol_->ed_Name);
    ed_IP->SetText(patrol_->ed_IP);
    ShowState();
}

void TIPPingWindow::ShowState(TObject*) {
    const auto rows = patrol_->Rows();
    TListItems* items = lv_ServerList->Items();
    if (items->Count() != static_cast<int>(rows.size())) {
        items->BeginUpdate();
        items->Clear();
        for (size_t i = 0; i < rows.size(); ++i)
            items->Add()->SubItems()->Add({});
        items->EndUpdate();
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        TListItem* item = items->Item(static_cast<int>(i));
        if (item->Caption() != rows[i].Name) item->SetCaption(rows[i].Name);
        if (item->SubItems()->Get(0) != rows[i].Address) item->SubItems()->Put(0, rows[i].Address);
        const int picture = static_cast<int>(rows[i].Picture);
        if (item->ImageIndex() != picture) item->SetImageIndex(picture);
    }
    const bool enabled = patrol_->ControlsEnabled;
    for (TWinControl* c : std::initializer_list<TWinControl*>{
             lv_ServerList, cb_StopPing, cb_AutoShow, bt_AddIP, bt_DelIP, bt_ShowPingLog, bt_Close})
        c->SetEnabled(enabled);
    pn_EditAddr->SetVisible(patrol_->pn_EditAddrVisible);

    const int row = outageRow_.exchange(-1);
    if (row >= 0) {
        if (patrol_->cb_AutoShow) Show();
        patrol_->Visible = Visible();
        if (HandleAllocated()) ::SetForegroundWindow(Handle());
        if (row < items->Count()) items->Item(row)->SetSelected(true);
    }
}

} // namespace vantrel
