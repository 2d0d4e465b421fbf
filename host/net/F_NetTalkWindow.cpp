#include "host/net/F_NetTalkWindow.h"

#include "framework/ui/place_control.h"

#include "common/win/textconv.h"

#include <cstdlib>

namespace vantrel {

namespace {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

TButton* Button(TNetTalkWindow* form, TWinControl* parent, int x, int y, const char* utf8) {
    auto* b = PlaceControl<TButton>(parent, form, x, y, 80, 26);
    b->SetCaption(Utf8ToGbk(utf8));
    b->OnClick = TNotifyEvent(form, &TNetTalkWindow::ButtonClick);
    return b;
}

} // namespace

TNetTalkWindow::TNetTalkWindow(TComponent* AOwner, const std::string& appTitle, TWaveIn& waveIn,
                               TWaveOut& waveOut, TThreadWaveIn& threadWaveIn,
                               TThreadWaveOut& threadWaveOut, uint16_t defaultPort,
                               uint16_t receivePort)
    : TForm(AOwner), talk_(std::make_unique<TNetTalkForm>(
                         waveIn, waveOut, threadWaveIn, threadWaveOut, defaultPort, receivePort)) {
    SetCaption(appTitle + "    " + Utf8ToGbk("语音广播"));
    SetBounds(140, 100, 470, 400);

    lv_AddrList = PlaceControl<TListView>(this, this, 8, 8, 360, 240);
    lv_AddrList->SetViewStyle(TViewStyle::vsReport);
    lv_AddrList->SetCheckboxes(true);
    lv_AddrList->SetRowSelect(true);
    lv_AddrList->SetMultiSelect(true);
    lv_AddrList->SetReadOnly(true);
    lv_AddrList->SetHideSelection(false);
    const struct {
        const char* caption;
        int width;
    } columns[] = {{"名称", 110}, {"地址", 140}, {"端口(UDP)", 90}};
    for (const auto& c : columns) {
        TListColumn* column = lv_AddrList->AddColumn();
        column->SetCaption(Utf8ToGbk(c.caption));
        column->SetWidth(c.width);
    }
    bt_Broadcast = Button(this, this, 376, 8, "广播");
    bt_Stop = Button(this, this, 376, 40, "停止");
    bt_StartRecord = Button(this, this, 376, 80, "开始录音");
    bt_CloseRecord = Button(this, this, 376, 112, "关闭录音");
    bt_Add = Button(this, this, 376, 152, "添加");
    bt_Delete = Button(this, this, 376, 184, "删除");
    bt_Save = Button(this, this, 376, 216, "保存");

    pn_Edit = PlaceControl<TPanel>(this, this, 8, 256, 440, 96);
    pn_Edit->SetCaption({});
    auto label = [&](int x, int y, const char* utf8) {
        auto* l = PlaceControl<TLabel>(pn_Edit, this, x, y, 70, 16);
        l->SetCaption(Utf8ToGbk(utf8));
    };
    label(8, 10, "名称：");
    ed_Name = PlaceControl<TEdit>(pn_Edit, this, 80, 6, 120, 22);
    label(210, 10, "地址：");
    ed_Addr = PlaceControl<TEdit>(pn_Edit, this, 280, 6, 120, 22);
    label(8, 40, "端口(UDP)：");
    se_UDPNetTalkPort = PlaceControl<TEdit>(pn_Edit, this, 80, 36, 80, 22);
    im_Keyboor = PlaceControl<TSpeedButton>(pn_Edit, this, 170, 35, 24, 24);
    im_Keyboor->SetHint(Utf8ToGbk("屏幕键盘"));
    im_Keyboor->SetShowHint(true);
    im_Keyboor->OnClick = TNotifyEvent(this, &TNetTalkWindow::im_KeyboorClick);
    bt_OK = Button(this, pn_Edit, 270, 64, "确定");
    bt_Cancel = Button(this, pn_Edit, 354, 64, "取消");

    MessageBox = [this](const std::string& text) {
        ::MessageBoxW(Handle(), dvr::win::GbkToWide(text).c_str(),
                      dvr::win::GbkToWide(Caption()).c_str(), MB_OK);
    };
    talk_->ShowMessage = [this](const std::string& text) {
        if (MessageBox) MessageBox(text);
    };
    ShowState();
}

TNetTalkWindow::~TNetTalkWindow() = default;

void TNetTalkWindow::ButtonClick(TObject* Sender) {
    TakeControls();
    const std::pair<TButton*, void (TNetTalkForm::*)()> commands[] = {
        {bt_Broadcast, &TNetTalkForm::bt_BroadcastClick},
        {bt_Stop, &TNetTalkForm::bt_StopClick},
        {bt_StartRecord, &TNetTalkForm::bt_StartRecordClick},
        {bt_CloseRecord, &TNetTalkForm::bt_CloseRecordClick},
        {bt_Add, &TNetTalkForm::bt_AddClick},
        {bt_OK, &TNetTalkForm::bt_OKClick},
        {bt_Cancel, &TNetTalkForm::bt_CancelClick},
        {bt_Delete, &TNetTalkForm::bt_DeleteClick},
        {bt_Save, &TNetTalkForm::bt_SaveClick}};
    for (const auto& [button, command] : commands)
        if (Sender == button) (talk_.get()->*command)();
    ShowState();
}

void TNetTalkWindow::im_KeyboorClick(TObject*) {
    ::WinExec("osk.exe", SW_SHOWNORMAL);
}

void TNetTalkWindow::TakeControls() {
    TListItems* items = lv_AddrList->Items();
    talk_->Selected.clear();
    for (int i = 0; i < items->Count(); ++i) {
        talk_->SetChecked(i, items->Item(i)->Checked());
        if (items->Item(i)->Selected()) talk_->Selected.insert(i);
    }
    talk_->ed_Name = ed_Name->Caption();
    talk_->ed_Addr = ed_Addr->Caption();
    talk_->se_UDPNetTalkPort = std::atoi(se_UDPNetTalkPort->Caption().c_str());
}

void TNetTalkWindow::ShowState() {
    TListItems* items = lv_AddrList->Items();
    items->BeginUpdate();
    items->Clear();
    for (const NetTalkRow& row : talk_->Rows()) {
        TListItem* item = items->Add();
        item->SetCaption(row.Name);
        item->SubItems()->Add(row.Address);
        item->SubItems()->Add(row.Port);
        item->SetChecked(row.Checked);
    }
    items->EndUpdate();
    pn_Edit->SetVisible(talk_->pn_EditVisible);
    ed_Name->SetText(talk_->ed_Name);
    ed_Addr->SetText(talk_->ed_Addr);
    se_UDPNetTalkPort->SetText(std::to_string(talk_->se_UDPNetTalkPort));
    lv_AddrList->SetEnabled(talk_->ListEnabled);
    bt_Broadcast->SetEnabled(talk_->BroadcastEnabled);
    bt_Stop->SetEnabled(talk_->StopEnabled);
    bt_Add->SetEnabled(talk_->AddEnabled);
    bt_Delete->SetEnabled(talk_->DeleteEnabled);
    bt_StartRecord->SetEnabled(talk_->StartRecordEnabled);
    bt_CloseRecord->SetEnabled(talk_->CloseRecordEnabled);
}

} // namespace vantrel
