// The local replay window: a day's recordings filtered by channel, type and time, played in
// up to sixteen replay windows with chaining, transport, status, clip marks and cutting,
// backup of the chosen files and locking of days.
#pragma once

#include "framework/ui/checklst.h"
#include "framework/ui/comctrls.h"
#include "framework/ui/extctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"
#include "framework/ui/timer.h"
#include "host/ui/F_BackupForm.h"
#include "host/ui/T_ThreadBackup.h"
#include "host/ui/T_ThreadReplayVideoCapture.h"
#include "host/ui/U_Replay.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vantrel {

class TReplayForm : public dvr::fw::TForm {
    FW_CLASS(TReplayForm, dvr::fw::TForm)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_REPLAYEND, WMReplayEnd)
    FW_MESSAGE(WM_REPLAYSELECT, WMReplaySelect)
    FW_MESSAGE(WM_REPLAYLAYOUT, WMReplayLayout)
    FW_MESSAGE(WM_CLIPDONE, WMClipDone)
    FW_MESSAGES_END
public:
    // What the window asks of the program around it; tests give their own.
    struct Services {
        std::string Title;
        TThreadReplayVideoCapture* Clip = nullptr;
        // Clip dialog: the drive, or 0 when cancelled.
        std::function<char()> AskClipDrive;
        // Backup dialog with the needed KB: the drive, or 0 when cancelled.
        std::function<char(uint64_t needKb)> AskBackupDrive;
        std::function<void(std::vector<std::string> files, char drive)> StartBackup;
        std::function<bool(const std::string& question)> Confirm;
        std::function<void(const std::string& text)> ShowMessage;
        // Day locks by "YYYY-MM-DD".
        std::function<void(const std::string& day, bool lock)> SetDayLock;
        std::function<std::string()> Now; // "YYYY-MM-DD HH-MM-SS"
    };

    TReplayForm(dvr::fw::TComponent* AOwner, TReplayHost& host, Services services,
                TReplayPlayer& player = StrovidReplayPlayer());
    ~TReplayForm() override;

    TReplay& Replay() { return *replay_; }

    dvr::fw::TListView* lv_ReplayDateList;
    dvr::fw::TCheckListBox* clb_ReplayChannelList;
    dvr::fw::TCheckListBox* clb_ReplayMPGFileTypeList;
    dvr::fw::TRadioButton* rb_CommonData;
    dvr::fw::TRadioButton* rb_LockData;
    dvr::fw::TButton* bt_LockData;
    dvr::fw::TListView* lv_ReplayFileList;
    dvr::fw::TCheckBox* cb_ReplayAll;
    dvr::fw::TPanel* pn_ReplayArea;
    dvr::fw::TTrackBar* PosBar;
    dvr::fw::TTrackBar* tb_Volume;
    dvr::fw::TStatusBar* sb_ReplayStatuBar;
    dvr::fw::TTimer* tm_ReplayTimer;
    dvr::fw::TButton *tb_SinglePlay, *tb_Pause, *tb_Stop, *ToolButton9, *tb_First,
        *tb_SignalFrameBack, *tb_SignalFrame, *tb_Slow, *tb_Fast, *tb_End, *tb_CaptureBmp,
        *tb_SetStartPos, *tb_SetEndPos, *tb_ReplayVideoCapture, *tb_DelVideoCapture, *tb_Sound,
        *ToolButton7;
    // Begin and end of the time filter, "HH:MM:SS".
    std::string BeginTime = "00:00:00", EndTime = "23:59:59";

    void FormShow(dvr::fw::TObject* Sender);
    void lv_ReplayDateListSelect(dvr::fw::TObject* Sender, dvr::fw::TListItem* Item, bool Selected);
    void FillFileList();
    void PlayWindowList(int w);
    void tb_SinglePlayClick(dvr::fw::TObject* Sender);
    void tb_PauseClick(dvr::fw::TObject* Sender);
    void tb_StopClick(dvr::fw::TObject* Sender);
    void ToolButton9Click(dvr::fw::TObject* Sender);
    void tb_FirstClick(dvr::fw::TObject* Sender);
    void tb_EndClick(dvr::fw::TObject* Sender);
    void tb_SignalFrameBackClick(dvr::fw::TObject* Sender);
    void tb_SignalFrameClick(dvr::fw::TObject* Sender);
    void tb_SlowClick(dvr::fw::TObject* Sender);
    void tb_FastClick(dvr::fw::TObject* Sender);
    void tb_SoundClick(dvr::fw::TObject* Sender);
    void tb_SetStartPosClick(dvr::fw::TObject* Sender);
    void tb_SetEndPosClick(dvr::fw::TObject* Sender);
    void tb_DelVideoCaptureClick(dvr::fw::TObject* Sender);
    void tb_ReplayVideoCaptureClick(dvr::fw::TObject* Sender);
    void ToolButton7Click(dvr::fw::TObject* Sender);
    void bt_LockDataClick(dvr::fw::TObject* Sender);
    void FiltersChanged(dvr::fw::TObject* Sender);
    void tm_ReplayTimerTimer(dvr::fw::TObject* Sender);

    void WMReplayEnd(dvr::fw::TMessage& M);
    void WMReplaySelect(dvr::fw::TMessage& M);
    void WMReplayLayout(dvr::fw::TMessage& M);
    void WMClipDone(dvr::fw::TMessage& M);

    // The selected day, "YYYY-MM-DD"; "" when none.
    std::string SelectedDay();

protected:
    // The ports stop and the engine goes before the replay area and its windows.
    void BeforeDestruction() override;

private:
    void FreeEngine();
    void SetTransport(bool enabled);
    void ResetAfterStop();
    void StopWindow(int w, bool clearWhenVisible);
    std::string FileName(const std::string& path);

    TReplayHost& host_;
    Services services_;
    std::unique_ptr<TReplay> replay_;
    bool shown_ = false;
};

} // namespace vantrel
