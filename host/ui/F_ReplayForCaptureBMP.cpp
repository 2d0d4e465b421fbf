#include "host/ui/F_ReplayForCaptureBMP.h"

#include "host/ui/U_DialogControls.h"
#include "host/ui/U_ToolButtons.h"

#include "common/win/textconv.h"

#include <cmath>

namespace vantrel {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

namespace {
constexpr int kPlayWidth = 350, kPlayHeight = 262;
}

TReplayForCaptureBMPForm::TReplayForCaptureBMPForm(TComponent* AOwner, const std::string& title,
                                                   TReplayPlayer& player)
    : TForm(AOwner), player_(player) {
    SetCaption(title + "    " + Utf8ToGbk("录像回放"));
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetFormStyle(TFormStyle::fsStayOnTop);
    SetPosition(TPosition::poScreenCenter);
    SetClientSize(700, 594);
    Panel2 = PutControl<TPanel>(this, 0, 0, 700, 500);
    Panel2->SetBevelOuter(TBevelCut::bvNone);
    Panel2->SetColor(clBlack);
    pn_PlayWindow = PutControl<TPanel>(Panel2, 0, 0, kPlayWidth, kPlayHeight);
    pn_PlayWindow->SetBevelOuter(TBevelCut::bvNone);
    pn_PlayWindow->SetColor(clBlack);
    tb_ReplayPos = PutControl<TTrackBar>(this, 0, 502, 700, 24);
    tb_ReplayPos->SetTickStyle(TTickStyle::tsNone);
    tb_ReplayPos->SetMax(100);
    TToolButtonRow row(this, this, 4, 530, 64, 26, 69);
    tb_SinglePlay = row.Add("播放");
    tb_Pause = row.Add("暂停");
    tb_Stop = row.Add("停止");
    tb_First = row.Add("到文件头");
    tb_SignalFrameBack = row.Add("单帧退");
    tb_SignalFrame = row.Add("单帧进");
    tb_Slow = row.Add("慢速播放");
    tb_Fast = row.Add("快速播放");
    tb_End = row.Add("到文件尾");
    tb_Exit = row.Add("退出");
    sb_ReplayStatuBar = PutControl<TStatusBar>(this, 0, 574, 700, 20);
    for (int w : {340, 120, 120, 120})
        sb_ReplayStatuBar->AddPanel()->SetWidth(w);
    tm_ReplayTimer = new TTimer(this);
    tm_ReplayTimer->SetEnabled(false);
    tm_ReplayTimer->SetInterval(500);

    tm_ReplayTimer->SetOnTimer(TNotifyEvent(this, &TReplayForCaptureBMPForm::tm_ReplayTimerTimer));
    OnShow = TNotifyEvent(this, &TReplayForCaptureBMPForm::FormShow);
    tb_SinglePlay->OnClick = TNotifyEvent(this, &TReplayForCaptureBMPForm::tb_SinglePlayClick);
    tb_Pause->OnClick = TNotifyEvent(this, &TReplayForCaptureBMPForm::tb_PauseClick);
    tb_Stop->OnClick = TNotifyEvent(this, &TReplayForCaptureBMPForm::tb_StopClick);
    tb_First->OnClick = TNotifyEvent(this, &TReplayForCaptureBMPForm::tb_FirstClick);
    tb_End->OnClick = TNotifyEvent(this, &TReplayForCaptureBMPForm::tb_EndClick);
    tb_SignalFrameBack->OnClick =
        TNotifyEvent(this, &TReplayForCaptureBMPForm::tb_SignalFrameBackClick);
    tb_SignalFrame->OnClick = TNotifyEvent(this, &TReplayForCaptureBMPForm::tb_SignalFrameClick);
    tb_Slow->OnClick = TNotifyEvent(this, &TReplayForCaptureBMPForm::tb_SlowClick);
    tb_Fast->OnClick = TNotifyEvent(this, &TReplayForCaptureBMPForm::tb_FastClick);
    tb_Exit->OnClick = TNotifyEvent(this, &TReplayForCaptureBMPForm::tb_ExitClick);
    tb_ReplayPos->OnChange = TNotifyEvent(this, &TReplayForCaptureBMPForm::tb_ReplayPosChange);
    pn_PlayWindow->OnDblClick =
        TNotifyEvent(this, &TReplayForCaptureBMPForm::pn_PlayWindowDblClick);

    player_.SetEmptyFileRefCallBack(kPort);
    CentrePlayWindow();
    SetTransport(false);
}

TReplayForCaptureBMPForm::~TReplayForCaptureBMPForm() {
    if (opened_) {
        player_.Stop(kPort);
        player_.CloseFile(kPort);
    }
}

void TReplayForCaptureBMPForm::CentrePlayWindow() {
    pn_PlayWindow->SetBounds((Panel2->Width() - kPlayWidth) / 2,
                             (Panel2->Height() - kPlayHeight) / 2, kPlayWidth, kPlayHeight);
}

void TReplayForCaptureBMPForm::SetTransport(bool on) {
    for (TButton* b : {tb_Pause, tb_Stop, tb_First, tb_SignalFrameBack, tb_SignalFrame, tb_Slow,
                       tb_Fast, tb_End})
        b->SetEnabled(on);
}

void TReplayForCaptureBMPForm::MarkPosition(int position) {
    tb_ReplayPos->SetTag(-1);
    tb_ReplayPos->SetPosition(position);
    tb_ReplayPos->SetTag(0);
}

void TReplayForCaptureBMPForm::Fail() {
    const std::string text = Utf8ToGbk("对不起！回放失败！");
    if (ShowError)
        ShowError(text);
    else
        ::MessageBoxW(WindowHandle(), dvr::win::GbkToWide(text).c_str(), L"提示信息",
                      MB_OK | MB_ICONERROR);
}

void TReplayForCaptureBMPForm::FormShow(TObject*) {
    StartPlay();
}

void TReplayForCaptureBMPForm::StartPlay() {
    if (!opened_) {
        if (player_.OpenFile(kPort, FilePath) == 0) {
            Fail();
            return;
        }
        player_.SetFileEndMsg(kPort, Handle(), WM_REPLAYEND);
    }
    if (paused_) player_.Pause(kPort, 0);
    if (player_.Play(kPort, pn_PlayWindow->Handle()) == 0) {
        player_.CloseFile(kPort);
        opened_ = paused_ = false;
        Fail();
        return;
    }
    opened_ = true;
    paused_ = false;
    speed_ = kSpeedNormal;
    tb_SinglePlay->SetEnabled(false);
    SetTransport(true);
    tm_ReplayTimer->SetEnabled(true);
    const size_t slash = FilePath.rfind('\\');
    sb_ReplayStatuBar->Panels(0)->SetText(slash == std::string::npos ? FilePath
                                                                     : FilePath.substr(slash + 1));
}

void TReplayForCaptureBMPForm::StopPlay() {
    player_.Stop(kPort);
    player_.CloseFile(kPort);
    opened_ = paused_ = false;
    pn_PlayWindow->Invalidate();
    tb_SinglePlay->SetEnabled(true);
    SetTransport(false);
    tm_ReplayTimer->SetEnabled(false);
    MarkPosition(0);
}

void TReplayForCaptureBMPForm::tb_SinglePlayClick(TObject*) {
    if (!opened_) {
        StartPlay();
        return;
    }
    if (paused_) player_.Pause(kPort, 0);
    player_.Play(kPort, pn_PlayWindow->Handle());
    paused_ = false;
    speed_ = kSpeedNormal;
    tb_SinglePlay->SetEnabled(false);
    SetTransport(true);
}

void TReplayForCaptureBMPForm::tb_PauseClick(TObject*) {
    player_.Pause(kPort, 1);
    paused_ = true;
    tb_SinglePlay->SetEnabled(true);
    tb_Pause->SetEnabled(false);
}

void TReplayForCaptureBMPForm::tb_StopClick(TObject*) {
    StopPlay();
}

void TReplayForCaptureBMPForm::tb_FirstClick(TObject*) {
    player_.SetPlayPos(kPort, 0);
    player_.SetCurrentFrameNum(kPort, 0);
    MarkPosition(0);
    tb_SinglePlay->SetEnabled(true);
}

void TReplayForCaptureBMPForm::tb_EndClick(TObject*) {
    player_.SetPlayPos(kPort, 1);
    const unsigned total = player_.GetFileTotalFrames(kPort);
    player_.SetCurrentFrameNum(kPort, total ? total - 1 : 0);
    MarkPosition(tb_ReplayPos->Max());
    tb_SinglePlay->SetEnabled(true);
}

void TReplayForCaptureBMPForm::tb_SignalFrameBackClick(TObject*) {
    player_.OneByOneBack(kPort);
    tb_SinglePlay->SetEnabled(true);
    tb_Slow->SetEnabled(false);
    tb_Fast->SetEnabled(false);
}

void TReplayForCaptureBMPForm::tb_SignalFrameClick(TObject*) {
    player_.OneByOne(kPort);
    tb_SinglePlay->SetEnabled(true);
    tb_Slow->SetEnabled(false);
    tb_Fast->SetEnabled(false);
}

void TReplayForCaptureBMPForm::tb_SlowClick(TObject*) {
    player_.Slow(kPort);
    speed_ = SpeedAfterSlow(speed_);
    tb_SinglePlay->SetEnabled(true);
}

void TReplayForCaptureBMPForm::tb_FastClick(TObject*) {
    player_.Fast(kPort);
    speed_ = SpeedAfterFast(speed_);
    tb_SinglePlay->SetEnabled(true);
}

void TReplayForCaptureBMPForm::tb_ExitClick(TObject*) {
    StopPlay();
    Close();
}

void TReplayForCaptureBMPForm::tb_ReplayPosChange(TObject*) {
    if (tb_ReplayPos->Tag() == -1) {
        tb_ReplayPos->SetTag(0);
        return;
    }
    if (opened_)
        player_.SetPlayPos(kPort, float(tb_ReplayPos->Position()) / float(tb_ReplayPos->Max()));
}

void TReplayForCaptureBMPForm::tm_ReplayTimerTimer(TObject*) {
    if (!opened_) return;
    MarkPosition(int(std::lround(player_.GetPlayPos(kPort) * tb_ReplayPos->Max())));
    sb_ReplayStatuBar->Panels(1)->SetText(PlayedTimeText(player_.GetPlayedTime(kPort)));
    sb_ReplayStatuBar->Panels(2)->SetText(std::to_string(player_.GetCurrentFrameNum(kPort)));
    sb_ReplayStatuBar->Panels(3)->SetText(ReplaySpeedText(speed_));
}

void TReplayForCaptureBMPForm::pn_PlayWindowDblClick(TObject*) {
    whole_ = !whole_;
    if (whole_)
        pn_PlayWindow->SetBounds(0, 0, Panel2->Width(), Panel2->Height());
    else
        CentrePlayWindow();
}

void TReplayForCaptureBMPForm::WMReplayEnd(TMessage&) {
    StopPlay();
}

} // namespace vantrel
