// The remote replay window: host, user and password, the host's channels and days, a day's
// recordings filtered by channel, type and time, the download of one of them, and their
// playback as streams in up to sixteen replay windows with a tool bar and region zoom. The
// work itself is TRemoteReplayForm's and TRemoteReplayPlayback's; this window shows their
// lists and state and passes the operator's acts on.
#pragma once

#include "host/net/F_RemoteReplayForm.h"
#include "host/net/U_RemoteReplayPlayback.h"
#include "host/ui/U_Replay.h"
#include "host/ui/U_ReplayViewModes.h"

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

class TRegionZoomForm;
class TReplayEngineWindows;
class TShowBMPForm;

class TRemoteReplayWindow : public dvr::fw::TForm,
                            private TRemoteReplayView,
                            private TReplayPlaybackView {
    FW_CLASS(TRemoteReplayWindow, dvr::fw::TForm)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_REPLAYSELECT, WMReplaySelect)
    FW_MESSAGE(WM_REPLAYLAYOUT, WMReplayLayout)
    FW_MESSAGE(WM_REPLAYMENU, WMReplayMenu)
    FW_MESSAGES_END
public:
    // What the playback needs of the program around it; unset parts: the player library,
    // a host with no recordings (nothing to browse), message boxes, snapshots allowed.
    struct Playback {
        TReplayHost* Host = nullptr;
        TReplayPlayer* Player = nullptr;
        TStreamPorts* Ports = nullptr;
        // Whether the current user may take replay snapshots.
        std::function<bool()> MaySnapshot;
        // An error box: GBK text and title.
        std::function<void(const std::string& text, const std::string& title)> ShowError;
        // Shows a window modally (the snapshot browser).
        std::function<int(dvr::fw::TForm& form)> RunModal;
        // Board channels, for the zoom window's snapshots.
        std::function<int()> BoardChannelCount;
    };

    // `appTitle`: the application title (GBK).
    TRemoteReplayWindow(dvr::fw::TComponent* AOwner, const std::string& appTitle,
                        UINT connectTimeoutMs, Playback playback);
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
    TRemoteReplayPlayback& Player() { return *playback_; }
    TReplay& Engine() { return *engine_; }
    TRegionZoomForm* ZoomForm() { return zoom_; }
    bool FullScreen() const { return ToolButton6->Tag() == 1; }

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

    // The playback half.
    dvr::fw::TPanel* pn_FilePanel;
    dvr::fw::TPanel* pn_ToolPanel;
    dvr::fw::TPanel* pn_ReplayArea;
    dvr::fw::TTrackBar* tb_ReplayPos;
    dvr::fw::TTrackBar* tb_Volume;
    dvr::fw::TStatusBar* sb_ReplayStatuBar;
    dvr::fw::TCheckBox* cb_ReplayAll;
    dvr::fw::TSpeedButton* sp_ShowBMP;
    dvr::fw::TButton *tb_SinglePlay, *tb_Pause, *tb_Stop, *ToolButton9, *tb_Slow, *tb_Fast,
        *tb_CaptureBmp, *tb_Sound, *sb_RegionZoom, *ToolButton4, *ToolButton6, *tb_Exit;

    void tb_SinglePlayClick(dvr::fw::TObject* Sender);
    void tb_PauseClick(dvr::fw::TObject* Sender);
    void tb_StopClick(dvr::fw::TObject* Sender);
    void ToolButton9Click(dvr::fw::TObject* Sender);
    void tb_SlowClick(dvr::fw::TObject* Sender);
    void tb_FastClick(dvr::fw::TObject* Sender);
    void tb_SoundClick(dvr::fw::TObject* Sender);
    void tb_VolumeChange(dvr::fw::TObject* Sender);
    void tb_CaptureBmpClick(dvr::fw::TObject* Sender);
    void sb_RegionZoomClick(dvr::fw::TObject* Sender);
    void sp_ShowBMPClick(dvr::fw::TObject* Sender);
    void ToolButton4Click(dvr::fw::TObject* Sender);
    void ToolButton6Click(dvr::fw::TObject* Sender);
    void tb_ExitClick(dvr::fw::TObject* Sender);
    void pn_ReplayAreaResize(dvr::fw::TObject* Sender);
    void FormResize(dvr::fw::TObject* Sender);
    void WMReplaySelect(dvr::fw::TMessage& M);
    void WMReplayLayout(dvr::fw::TMessage& M);
    void WMReplayMenu(dvr::fw::TMessage& M);

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

protected:
    void DoClose(dvr::fw::TCloseAction& Action) override;
    // The streams stop and the engine goes before the replay area and its windows.
    void BeforeDestruction() override;

private:
    // Playback: the tool bar and replay area, made by the constructor.
    void MakePlayback(Playback playback);
    void FreePlayback();
    void SetButtonEnabled(ReplayButton b, bool enabled) override;
    void SetStatusPanel(int panel, const std::string& text) override;
    void SetPositionBar(int max, int position) override;
    void ShowLayout();

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

    std::string title_;
    Playback services_;
    std::unique_ptr<TReplayHost> emptyHost_;
    std::unique_ptr<TStreamPorts> ownPorts_;
    std::unique_ptr<TReplay> engine_;
    // Freed where the type is complete, so the window's sources compile one by one too.
    struct FreeReplayWindows {
        void operator()(TReplayEngineWindows* w) const;
    };
    std::unique_ptr<TReplayEngineWindows, FreeReplayWindows> windows_;
    std::unique_ptr<TRemoteReplayPlayback> playback_;
    TRegionZoomForm* zoom_ = nullptr;
    TShowBMPForm* browser_ = nullptr;
    bool busy_ = false;
    TReplayViewModes viewModes_;
    bool resizing_ = false;
};

} // namespace vantrel
