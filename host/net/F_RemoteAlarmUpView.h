// The remote alarm list window: one row per alarm that other hosts upload, the remote-alarm
// sound for a set time, popping up and switching the selected network pane to the alarming
// channel. Created once at start-up and only hidden when closed.
#pragma once

#include "host/net/U_RemoteAlarmList.h"

#include "framework/ui/comctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"
#include "framework/ui/timer.h"

#include <functional>
#include <string>

namespace vantrel {

class TRemoteAlarmUpViewForm : public dvr::fw::TForm, private TRemoteAlarmListView {
    FW_CLASS(TRemoteAlarmUpViewForm, dvr::fw::TForm)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_EMAPALARM, WMEMapAlarm)
    FW_MESSAGES_END
public:
    // appTitle: the application title (GBK).
    TRemoteAlarmUpViewForm(dvr::fw::TComponent* AOwner, const std::string& appTitle,
                           TRemoteAlarmListHost& host);

    // On the user-interface thread, before WM_EMAPALARM (wParam 0) is posted to this window.
    void AddAlarm(const AlarmUploadRecord& record) { list_.AddAlarm(record); }
    TRemoteAlarmList& List() { return list_; }
    // Whether the main window is visible (auto-show only pops up beside a visible console).
    std::function<bool()> MainWindowShown;

    dvr::fw::TListView* ListView;
    dvr::fw::TCheckBox* cb_Sound;
    dvr::fw::TCheckBox* cb_AutoShow;
    dvr::fw::TCheckBox* cb_AutoConnect;
    dvr::fw::TEdit* se_SoundTimes;
    dvr::fw::TUpDown* se_SoundTimesUpDown;
    dvr::fw::TButton* bt_Connect;
    dvr::fw::TButton* bt_Clear;
    dvr::fw::TButton* bt_Close;
    dvr::fw::TTimer* SoundTimer;

    void bt_ConnectClick(dvr::fw::TObject* Sender);
    void bt_ClearClick(dvr::fw::TObject* Sender);
    void bt_CloseClick(dvr::fw::TObject* Sender);
    void cb_SoundClick(dvr::fw::TObject* Sender);
    void cb_OptionClick(dvr::fw::TObject* Sender);
    void SoundTimerTimer(dvr::fw::TObject* Sender);

private:
    void WMEMapAlarm(dvr::fw::TMessage& M);
    void ReadOptions();
    void RowsChanged(int focus) override;
    bool MainWindowVisible() override { return MainWindowShown ? MainWindowShown() : false; }
    void ShowWindow() override { Show(); }
    void StartSoundTimer(int ms) override;
    void StopSoundTimer() override { SoundTimer->SetEnabled(false); }

    TRemoteAlarmList list_;
};

} // namespace vantrel
