// The remote replay window: host, user and password, the host's channels and days, a day's
// recordings filtered by channel, type and time, and the download of one of them. The work
// itself is TRemoteReplayForm's; this window shows its lists and passes the operator's acts on.
#pragma once

#include "host/net/F_RemoteReplayForm.h"

#include "framework/ui/buttons.h"
#include "framework/ui/checklst.h"
#include "framework/ui/comctrls.h"
#include "framework/ui/extctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/menus.h"
#include "framework/ui/stdctrls.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

class TRemoteReplayWindow : public dvr::fw::TForm, private TRemoteReplayView {
    FW_CLASS(TRemoteReplayWindow, dvr::fw::TForm)
public:
    // `appTitle`: the application title (GBK).
    TRemoteReplayWindow(dvr::fw::TComponent* AOwner, const std::string& appTitle,
                        UINT connectTimeoutMs = 1000);
    ~TRemoteReplayWindow() override;

    // Fills the host combo (each address once, empty ones left out) and selects the first;
    // a chosen host's replay port comes from `portOf` (below 1: the default 51000).
    void SetHosts(const std::vector<std::string>& addresses,
                  std::function<int(const std::string&)> portOf);

    // How the window tells and asks the operator (message boxes unless replaced), and the
    // drive chooser for a download: the backup dialog as the caller sets it up, the chosen
    // drive's root ("E:\") or none when cancelled. Without one no download starts.
    std::function<void(const std::string&)> MessageBox;
    std::function<bool(const std::string&)> AskBox;
    std::function<std::optional<std::string>(int neededKB)> DriveChooser;

    TRemoteReplayForm& Replay() { return *replay_; }

    dvr::fw::TComboBox* cb_MainAddr;
    dvr::fw::TEdit* se_TCPRemotePlayServerPortBase;
    dvr::fw::TEdit* ed_UserName;
    dvr::fw::TEdit* ed_Password;
    dvr::fw::TSpeedButton* sb_Connect;
    dvr::fw::TSpeedButton* im_Keyboor;
    dvr::fw::TCheckListBox* clb_ReplayFileTypeList;
    dvr::fw::TCheckListBox* clb_ReplayChannelList;
    dvr::fw::TPopupMenu* pm_SelectChannel;
    dvr::fw::TMenuItem* mi_SelectAll;
    dvr::fw::TMenuItem* mi_ClearAll;
    dvr::fw::TSpeedButton* sb_SelectChannelAll;
    dvr::fw::TListView* lv_ReplayDateList;
    dvr::fw::TDateTimePicker* dtp_BeginTime;
    dvr::fw::TDateTimePicker* dtp_EndTime;
    dvr::fw::TListView* lv_ReplayFileList;
    dvr::fw::TSpeedButton* sb_ClearFileSelect;
    dvr::fw::TPanel* pn_SearchMsg;
    dvr::fw::TProgressBar* pb_DownLoadSign;
    dvr::fw::TSpeedButton* tb_DownLoad;

    void cb_MainAddrChange(dvr::fw::TObject* Sender);
    void sb_ConnectClick(dvr::fw::TObject* Sender);
    void im_KeyboorClick(dvr::fw::TObject* Sender);
    void clb_ReplayFileTypeListClickCheck(dvr::fw::TObject* Sender);
    void clb_ReplayChannelListClickCheck(dvr::fw::TObject* Sender);
    void mi_SelectAllClick(dvr::fw::TObject* Sender);
    void mi_ClearAllClick(dvr::fw::TObject* Sender);
    void sb_SelectChannelAllClick(dvr::fw::TObject* Sender);
    void lv_ReplayDateListSelectItem(dvr::fw::TObject* Sender, dvr::fw::TListItem* Item,
                                     bool Selected);
    void dtp_TimeChange(dvr::fw::TObject* Sender);
    void lv_ReplayFileListColumnClick(dvr::fw::TObject* Sender, dvr::fw::TListColumn* Column);
    void sb_ClearFileSelectClick(dvr::fw::TObject* Sender);
    void tb_DownLoadClick(dvr::fw::TObject* Sender);

private:
    void SetWindowEnabled(bool enabled) override;
    void SetHourglass(bool on) override;
    void SetSearchMsgVisible(bool visible) override;
    void ShowMessage(const std::string& text) override;
    void ListsChanged() override;
    void SetDownloadBar(bool visible, int max, int position) override;
    bool Ask(const std::string& text) override;
    std::optional<std::string> ChooseDrive(int neededKB) override;

    // The operator's checks in the file list into the logic's rows.
    void TakeRowChecks();

    std::function<int(const std::string&)> portOf_;
    bool filling_ = false; // lists being refilled from the logic: their events are ignored
    std::unique_ptr<TRemoteReplayForm> replay_;
};

} // namespace vantrel
