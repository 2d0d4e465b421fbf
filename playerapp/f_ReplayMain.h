// TF_Replay, the player's only window: the tool bar, the video area with its port grid,
// the position slider and the status bar, with the playback commands behind them.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <vector>

#include "framework/ui/forms.h"
#include "framework/ui/menus.h"
#include "framework/ui/timer.h"
#include "playerapp/MouseTrackBar.h"
#include "playerapp/U_PlayerCommands.h"
#include "playerapp/U_ButtonGlyphs.h"
#include "playerapp/U_PlayerControls.h"
#include "skin/controls/te_button.h"
#include "skin/controls/te_controlbar.h"
#include "skin/controls/te_form_theme.h"
#include "skin/controls/te_menubar.h"
#include "skin/controls/te_speedbutton.h"
#include "skin/controls/te_spinedit.h"
#include "skin/controls/te_statusbar.h"
#include "skin/controls/te_toolbar.h"
#include "skin/controls/te_trackbar.h"
#include "skin/engine/te_engine.h"

namespace playerqz {

class TF_Replay : public dvr::fw::TForm, private TPlayerView {
    FW_CLASS(TF_Replay, dvr::fw::TForm)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_REFRESHPORTS, WMRefreshPorts)
    FW_MESSAGE(WM_FILEEND, WMFileEnd)
    FW_MESSAGE(WM_SIZE, WMSize)
    FW_MESSAGES_END
public:
    explicit TF_Replay(dvr::fw::TComponent* AOwner);
    ~TF_Replay() override;

    // Components, named as the window's designer names them.
    dvr::skin::TTeThemeList* TeThemeList1;
    dvr::skin::TTeThemeEngine* TeThemeEngine1;
    dvr::skin::TTeForm* TeForm1;
    dvr::skin::TTeControlBar* TeControlBar1;
    dvr::skin::TTeToolBar* TeToolBar1;
    dvr::skin::TTeSpeedButton *TB_Open, *TB_Play, *TB_Pause, *TB_Stop, *TB_First,
        *TB_SignalFrameBack, *TB_SignalFrame, *TB_Slow, *TB_Fast, *TB_End, *TB_CaptureBmp,
        *ToolButton2, *TB_cycle, *TB_CycleStart, *TB_CycleEnd, *TB_CycleSave, *ToolButton4,
        *ToolButton8, *TB_Music;
    dvr::skin::TTeCheckBox* CB_RealTime;
    dvr::skin::TTeSpinEdit* SE_TotalPorts;
    dvr::skin::TTeTrackBar* TrackBar_Music;
    TPlayerPanel* Panel1;
    TPlayerPanel* P_Draw;
    TFrameLine *Lab_Top, *Lab_Bottom, *Lab_Left, *Lab_Right;
    TMouseTrackBar* TrackBar_FilePos;
    dvr::skin::TTeStatusBar* SB_info;
    dvr::fw::TMainMenu* MainMenu1;
    dvr::fw::TMenuItem *N1, *N2, *N3, *N7, *N4, *N5;
    // The skinned frame draws the whole non-client area, so the main menu is shown by a
    // skinned menu bar whose items follow MainMenu1's.
    dvr::skin::TTeMenuBar* TeMenuBar1;
    dvr::fw::TTimer* Timer1;

    TPlayerCommands& Commands() { return *commands_; }
    bool FullScreen() const { return fullScreen_; }
    TPlayerPanel* PortPanel(int port) const { return portPanels_[port]; }
    int PortPanelCount() const { return int(portPanels_.size()); }
    // Where snapshots go: the program's folder + "replayBmp\" unless a test says otherwise.
    std::wstring SnapshotFolder;
    // The file of the last snapshot, empty when none was saved.
    std::wstring LastSnapshot;

    // Event handlers.
    void FormCreate(dvr::fw::TObject* Sender);
    void FormShow(dvr::fw::TObject* Sender);
    void FormCloseQuery(dvr::fw::TObject* Sender, bool& CanClose);
    void P_DrawDblClick(dvr::fw::TObject* Sender);
    void P_DrawMouseUp(dvr::fw::TObject* Sender, dvr::fw::TMouseButton Button,
                       dvr::fw::TShiftState Shift, int X, int Y);
    void SelectPort(dvr::fw::TObject* Sender);
    void TogglePortZoom(dvr::fw::TObject* Sender);
    void ToggleFullScreen();
    void SE_TotalPortsChange(dvr::fw::TObject* Sender);
    void CB_RealTimeClick(dvr::fw::TObject* Sender);
    void SB_infoResize(dvr::fw::TObject* Sender);
    void TeControlBar1Resize(dvr::fw::TObject* Sender);
    void N4Click(dvr::fw::TObject* Sender);
    void TB_OpenClick(dvr::fw::TObject* Sender);
    void TB_CaptureBmpClick(dvr::fw::TObject* Sender);
    void N5Click(dvr::fw::TObject* Sender);

protected:
    // The open dialog; the chosen GBK path, empty when cancelled.
    virtual std::string RunOpenDialog();

private:
    // TPlayerView
    HWND MessageWindow() override { return Handle(); }
    TRect DrawArea() override;
    void CreatePortPanel(int port, const TRect& bounds) override;
    void FreePortPanel(int port) override;
    HWND PortPanelHandle(int port) override;
    void SetPortPanel(int port, const TRect& bounds, bool visible) override;
    void InvalidatePortPanel(int port) override;
    void ClearPortPicture(int port) override;
    void ShowPortFrame(const PortFrame* frame) override;
    void PostRefreshPorts(WPARAM which) override;
    void RepaintWindow() override { dvr::fw::TForm::Repaint(); }
    void ForceFullRepaint() override;
    void SetTimerRunning(bool on) override;
    bool WindowVisible() override { return Visible(); }
    void ShowError(const std::wstring& text) override;
    void ShowControlEnables(const ControlEnables& e) override;
    void SetStatusText(StatusPanel panel, const std::wstring& text) override;
    int SliderMax() override { return TrackBar_FilePos->Max(); }
    void SetSliderPosition(int position) override { TrackBar_FilePos->SetPosition(position); }
    int SliderPositionNow() override { return TrackBar_FilePos->Position(); }
    bool MusicDown() override { return TB_Music->Down(); }
    void SetMusicDown(bool down) override { TB_Music->SetDown(down); }
    int VolumePosition() override { return TrackBar_Music->Position(); }
    void ShowLoopControls(const LoopControlsView& v) override;
    std::string RunSaveDialog() override;

    void BuildComponents();
    void BuildLook();
    void LoadBuiltInSkin();
    dvr::skin::TTeSpeedButton* AddButton(const char* name, ButtonGlyph glyph);
    void AddDivider(bool visible = true);
    int NextToolLeft() const;
    void BuildMenuBar();
    void ShowMenuCaptions();
    std::wstring Title() const;

    void WMRefreshPorts(dvr::fw::TMessage& M);
    void WMFileEnd(dvr::fw::TMessage& M);
    void WMSize(dvr::fw::TMessage& M);
    void PositionScroll(dvr::fw::TObject* Sender, dvr::fw::TMessage& M);
    void IgnoreException(dvr::fw::TObject* Sender, const dvr::fw::Exception& E);

    // Handlers that only forward to the commands.
    void PlayClick(dvr::fw::TObject*) { commands_->PlayClick(); }
    void PauseClick(dvr::fw::TObject*) { commands_->PauseClick(); }
    void StopClick(dvr::fw::TObject*) { commands_->StopClick(); }
    void FirstClick(dvr::fw::TObject*) { commands_->FirstClick(); }
    void EndClick(dvr::fw::TObject*) { commands_->EndClick(); }
    void SlowClick(dvr::fw::TObject*) { commands_->SlowClick(); }
    void FastClick(dvr::fw::TObject*) { commands_->FastClick(); }
    void FrameClick(dvr::fw::TObject*) { commands_->FrameClick(); }
    void FrameBackClick(dvr::fw::TObject*) { commands_->FrameBackClick(); }
    void MusicClick(dvr::fw::TObject*);
    void VolumeChange(dvr::fw::TObject*) { commands_->VolumeChange(); }
    void CloseClick(dvr::fw::TObject*) { commands_->CloseClick(); }
    void PlayAllClick(dvr::fw::TObject*) { commands_->PlayAll(); }
    void StopAllClick(dvr::fw::TObject*) { commands_->StopAll(); }
    void LoopSaveClick(dvr::fw::TObject*) { commands_->SaveLoopSelection(); }
    void NoAction(dvr::fw::TObject*) {}
    void FullScreenClick(dvr::fw::TObject*) { ToggleFullScreen(); }
    void TimerTick(dvr::fw::TObject*) { commands_->TimerTick(); }
    void SliderDown(dvr::fw::TObject*, dvr::fw::TMouseButton, dvr::fw::TShiftState, int, int) {
        commands_->SliderMouseDown();
    }
    void SliderUp(dvr::fw::TObject*, dvr::fw::TMouseButton, dvr::fw::TShiftState, int, int) {
        commands_->SliderMouseUp();
    }
    void SliderMove(dvr::fw::TObject*, dvr::fw::TShiftState, int, int) {
        commands_->SliderMouseMove();
    }

    std::unique_ptr<TPlayerCommands> commands_;
    std::vector<std::pair<dvr::fw::TMenuItem*, dvr::skin::TTeItem*>> menuPairs_;
    std::vector<TPlayerPanel*> portPanels_;
    bool fullScreen_ = false;
};

} // namespace playerqz
