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
#include "host/ui/F_RegionZoomForm.h"
#include "host/ui/F_ShowBMP.h"
#include "host/ui/T_ThreadBackup.h"
#include "host/ui/T_ThreadReplayVideoCapture.h"
#include "host/ui/U_Replay.h"
#include "host/ui/U_ReplayViewModes.h"

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
    FW_MESSAGE(WM_REPLAYMENU, WMReplayMenu)
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
        // Whether the current user may take replay snapshots; unset: yes.
        std::function<bool()> MaySnapshot;
        // An error box: GBK text and title.
        std::function<void(const std::string& text, const std::string& title)> ShowError;
        // Shows a window modally (the snapshot browser); unset: ShowModal.
        std::function<int(dvr::fw::TForm& form)> RunModal;
        // Board channels, for the zoom window's snapshots; unset: the host's channels.
        std::function<int()> BoardChannelCount;
    };

    TReplayForm(dvr::fw::TComponent* AOwner, TReplayHost& host, Services services,
                TReplayPlayer& player = StrovidReplayPlayer());
    ~TReplayForm() override;

    TReplay& Replay() { return *replay_; }

    dvr::fw::TPanel* pn_ListPanel;
    dvr::fw::TPanel* pn_ToolPannel;
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
        *ToolButton7, *ToolButton4, *ToolButton2, *tb_Exit, *sp_ShowBMP, *sb_RegionZoom;
    // Begin and end of the time filter, "HH:MM:SS".
    std::string BeginTime = "00:00:00", EndTime = "23:59:59";

    void FormShow(dvr::fw::TObject* Sender);
    void lv_ReplayDateListSelect(dvr::fw::TObject* Sender, dvr::fw::TListItem* Item, bool Selected);
    void lv_ReplayDateListChange(dvr::fw::TObject* Sender);
    // The window's own moves of the position bar (tag -1 meanwhile: they never seek).
    void MoveBar(int position);
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
    void tb_CaptureBmpClick(dvr::fw::TObject* Sender);
    void tb_VolumeChange(dvr::fw::TObject* Sender);
    void sp_ShowBMPClick(dvr::fw::TObject* Sender);
    void sb_RegionZoomClick(dvr::fw::TObject* Sender);
    void ToolButton4Click(dvr::fw::TObject* Sender);
    void ToolButton2Click(dvr::fw::TObject* Sender);
    void tb_ExitClick(dvr::fw::TObject* Sender);
    void lv_ReplayFileListColumnClick(dvr::fw::TObject* Sender, dvr::fw::TListColumn* Column);
    void PosBarMouseDown(dvr::fw::TObject* Sender, dvr::fw::TMouseButton Button,
                         dvr::fw::TShiftState Shift, int X, int Y);
    void PosBarChange(dvr::fw::TObject* Sender);
    void PosBarMouseUp(dvr::fw::TObject* Sender, dvr::fw::TMouseButton Button,
                       dvr::fw::TShiftState Shift, int X, int Y);
    void pn_ReplayAreaResize(dvr::fw::TObject* Sender);
    void FormResize(dvr::fw::TObject* Sender);
    void WMReplayMenu(dvr::fw::TMessage& M);

    // Open while the snapshot browser is shown; the replay window is busy then.
    TShowBMPForm* Browser() { return browser_; }
    bool Busy() const { return busy_; }
    TRegionZoomForm* ZoomForm() { return zoom_; }
    bool FullScreen() const { return ToolButton2->Tag() == 1; }
    TListSorter& FileSorter() { return *sorter_; }

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
    std::unique_ptr<TListSorter> sorter_;
    TShowBMPForm* browser_ = nullptr;
    TRegionZoomForm* zoom_ = nullptr;
    bool busy_ = false;
    bool shown_ = false;
    bool resizing_ = false;
    TReplayViewModes viewModes_;
};

} // namespace vantrel
