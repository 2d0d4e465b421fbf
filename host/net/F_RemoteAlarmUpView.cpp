#include "host/net/F_RemoteAlarmUpView.h"

#include "framework/ui/place_control.h"

#include "common/win/textconv.h"

#include <cstdlib>

namespace vantrel {

namespace {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

} // namespace

TRemoteAlarmUpViewForm::TRemoteAlarmUpViewForm(TComponent* AOwner, const std::string& appTitle,
                                               TRemoteAlarmListHost& host)
    : TForm(AOwner), list_(static_cast<TRemoteAlarmListView&>(*this), host) {
    SetCaption(appTitle + "    " + Utf8ToGbk("远程报警信息"));
    SetBounds(120, 120, 640, 400);

    ListView = PlaceControl<TListView>(this, 8, 8, 616, 290);
    ListView->SetViewStyle(TViewStyle::vsReport);
    ListView->SetRowSelect(true);
    ListView->SetReadOnly(true);
    const struct {
        const char* caption;
        int width;
    } columns[] = {{"时间", 140},
                   {"类型", 80},
                   {"主控通道", 70},
                   {"视频侦测区域/探头", 150},
                   {"主控地址", 150}};
    for (const auto& c : columns) {
        TListColumn* column = ListView->AddColumn();
        column->SetCaption(Utf8ToGbk(c.caption));
        column->SetWidth(c.width);
    }

    cb_Sound = PlaceControl<TCheckBox>(this, 8, 306, 90, 20);
    cb_Sound->SetCaption(Utf8ToGbk("声音提示"));
    auto* timeLabel = PlaceControl<TLabel>(this, 104, 308, 40, 16);
    timeLabel->SetCaption(Utf8ToGbk("时间："));
    se_SoundTimes = PlaceControl<TEdit>(this, 146, 306, 64, 22);
    se_SoundTimesUpDown = PlaceControl<TUpDown>(this, 210, 306, 16, 22);
    se_SoundTimesUpDown->SetMin(5);
    se_SoundTimesUpDown->SetMax(100000);
    se_SoundTimesUpDown->SetAssociate(se_SoundTimes);
    se_SoundTimesUpDown->SetPosition(60);
    se_SoundTimes->SetText("60");
    auto* secondsLabel = PlaceControl<TLabel>(this, 230, 308, 20, 16);
    secondsLabel->SetCaption(Utf8ToGbk("秒"));
    cb_AutoShow = PlaceControl<TCheckBox>(this, 260, 306, 90, 20);
    cb_AutoShow->SetCaption(Utf8ToGbk("自动弹出"));
    cb_AutoConnect = PlaceControl<TCheckBox>(this, 356, 306, 160, 20);
    cb_AutoConnect->SetCaption(Utf8ToGbk("自动连接于当前通道"));
    bt_Connect = PlaceControl<TButton>(this, 8, 336, 90, 26);
    bt_Connect->SetCaption(Utf8ToGbk("连接所选"));
    bt_Clear = PlaceControl<TButton>(this, 104, 336, 70, 26);
    bt_Clear->SetCaption(Utf8ToGbk("清空"));
    bt_Close = PlaceControl<TButton>(this, 554, 336, 70, 26);
    bt_Close->SetCaption(Utf8ToGbk("关闭"));
    SoundTimer = new TTimer(this);
    SoundTimer->SetEnabled(false);

    cb_Sound->SetChecked(true);
    cb_AutoShow->SetChecked(true);
    cb_Sound->OnClick = TNotifyEvent(this, &TRemoteAlarmUpViewForm::cb_SoundClick);
    cb_AutoShow->OnClick = TNotifyEvent(this, &TRemoteAlarmUpViewForm::cb_OptionClick);
    cb_AutoConnect->OnClick = TNotifyEvent(this, &TRemoteAlarmUpViewForm::cb_OptionClick);
    bt_Connect->OnClick = TNotifyEvent(this, &TRemoteAlarmUpViewForm::bt_ConnectClick);
    ListView->OnDblClick = TNotifyEvent(this, &TRemoteAlarmUpViewForm::bt_ConnectClick);
    bt_Clear->OnClick = TNotifyEvent(this, &TRemoteAlarmUpViewForm::bt_ClearClick);
    bt_Close->OnClick = TNotifyEvent(this, &TRemoteAlarmUpViewForm::bt_CloseClick);
    SoundTimer->SetOnTimer(TNotifyEvent(this, &TRemoteAlarmUpViewForm::SoundTimerTimer));
}

void TRemoteAlarmUpViewForm::ReadOptions() {
    list_.Sound = cb_Sound->Checked();
    list_.AutoShow = cb_AutoShow->Checked();
    list_.AutoConnect = cb_AutoConnect->Checked();
    const int seconds = std::atoi(se_SoundTimes->Caption().c_str());
    list_.SoundSeconds = seconds < 5 ? 5 : seconds > 100000 ? 100000 : seconds;
}

void TRemoteAlarmUpViewForm::WMEMapAlarm(TMessage& M) {
    if (M.WParam != 0) return;
    ReadOptions();
    list_.ShowNext();
}

void TRemoteAlarmUpViewForm::RowsChanged(int focus) {
    const auto& rows = list_.Rows();
    TListItems* items = ListView->Items();
    if (rows.empty()) {
        items->Clear();
        return;
    }
    // Rows only ever grow by one at the end between clears.
    items->BeginUpdate();
    if (size_t(items->Count()) > rows.size()) items->Clear();
    for (size_t i = size_t(items->Count()); i < rows.size(); ++i) {
        const TRemoteAlarmRow& r = rows[i];
        TListItem* item = items->Add();
        item->SetCaption(Utf8ToGbk(r.Time));
        item->SubItems()->Add(Utf8ToGbk(r.Kind));
        item->SubItems()->Add(r.Channel);
        item->SubItems()->Add(Utf8ToGbk(r.Area));
        item->SubItems()->Add(r.Address);
    }
    items->EndUpdate();
    if (focus >= 0 && focus < items->Count()) ListView->SetItemIndex(focus);
}

void TRemoteAlarmUpViewForm::StartSoundTimer(int ms) {
    SoundTimer->SetEnabled(false);
    SoundTimer->SetInterval(uint32_t(ms));
    SoundTimer->SetEnabled(true);
}

void TRemoteAlarmUpViewForm::bt_ConnectClick(TObject*) {
    const int row = ListView->ItemIndex();
    if (row < 0) return;
    list_.Select(row);
    list_.ConnectSelected(row);
}

void TRemoteAlarmUpViewForm::bt_ClearClick(TObject*) {
    list_.Clear();
}

void TRemoteAlarmUpViewForm::bt_CloseClick(TObject*) {
    Hide();
}

void TRemoteAlarmUpViewForm::cb_SoundClick(TObject*) {
    list_.SetSound(cb_Sound->Checked());
}

void TRemoteAlarmUpViewForm::cb_OptionClick(TObject*) {
    ReadOptions();
}

void TRemoteAlarmUpViewForm::SoundTimerTimer(TObject*) {
    list_.SoundTimerFired();
}

} // namespace vantrel
