// The one-file player the snapshot browser opens for the recording around a snapshot: one
// port, a position bar, transport buttons, a status bar and a 500 ms timer.
#pragma once

#include "framework/ui/comctrls.h"
#include "framework/ui/extctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"
#include "framework/ui/timer.h"
#include "host/ui/U_Replay.h"

#include <functional>
#include <string>

namespace vantrel {

class TReplayForCaptureBMPForm : public dvr::fw::TForm {
    FW_CLASS(TReplayForCaptureBMPForm, dvr::fw::TForm)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_REPLAYEND, WMReplayEnd)
    FW_MESSAGES_END
public:
    static constexpr int kPort = 15;

    TReplayForCaptureBMPForm(dvr::fw::TComponent* AOwner, const std::string& title,
                             TReplayPlayer& player = StrovidReplayPlayer());
    ~TReplayForCaptureBMPForm() override;

    // The recording to play (GBK), set before showing.
    std::string FilePath;
    // The error box; tests give their own.
    std::function<void(const std::string& text)> ShowError;

    bool Opened() const { return opened_; }
    bool Paused() const { return paused_; }
    int SpeedStep() const { return speed_; }

    dvr::fw::TPanel* Panel2;
    dvr::fw::TPanel* pn_PlayWindow;
    dvr::fw::TTrackBar* tb_ReplayPos;
    dvr::fw::TButton *tb_SinglePlay, *tb_Pause, *tb_Stop, *tb_First, *tb_SignalFrameBack,
        *tb_SignalFrame, *tb_Slow, *tb_Fast, *tb_End, *tb_Exit;
    dvr::fw::TStatusBar* sb_ReplayStatuBar;
    dvr::fw::TTimer* tm_ReplayTimer;

    void StartPlay();
    void StopPlay();
    void FormShow(dvr::fw::TObject* Sender);
    void tb_SinglePlayClick(dvr::fw::TObject* Sender);
    void tb_PauseClick(dvr::fw::TObject* Sender);
    void tb_StopClick(dvr::fw::TObject* Sender);
    void tb_FirstClick(dvr::fw::TObject* Sender);
    void tb_EndClick(dvr::fw::TObject* Sender);
    void tb_SignalFrameBackClick(dvr::fw::TObject* Sender);
    void tb_SignalFrameClick(dvr::fw::TObject* Sender);
    void tb_SlowClick(dvr::fw::TObject* Sender);
    void tb_FastClick(dvr::fw::TObject* Sender);
    void tb_ExitClick(dvr::fw::TObject* Sender);
    void tb_ReplayPosChange(dvr::fw::TObject* Sender);
    void tm_ReplayTimerTimer(dvr::fw::TObject* Sender);
    void pn_PlayWindowDblClick(dvr::fw::TObject* Sender);
    void WMReplayEnd(dvr::fw::TMessage& M);

private:
    void Fail();
    void SetTransport(bool on);
    // Moves the bar without seeking.
    void MarkPosition(int position);
    void CentrePlayWindow();

    TReplayPlayer& player_;
    bool opened_ = false, paused_ = false, whole_ = false;
    int speed_ = kSpeedNormal;
};

} // namespace vantrel
