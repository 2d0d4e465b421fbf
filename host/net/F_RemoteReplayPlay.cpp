// The remote replay window's playback half: the replay area with its sixteen windows, the
// tool bar, position and status, region zoom and the snapshot browser, over the playback.
#include "host/net/F_RemoteReplayWindow.h"
#include "framework/ui/place_control.h"

#include "host/net/U_StrovidStreamPorts.h"
#include "host/ui/F_RegionZoomForm.h"
#include "host/ui/F_ShowBMP.h"
#include "host/ui/T_ThreadSearchCaptureFile.h"
#include "host/ui/U_MPG4_REPLAY_API.h"
#include "host/ui/U_ToolButtons.h"

#include "common/win/textconv.h"

#include <cmath>

namespace vantrel {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

// The replay engine's windows and flags as the playback drives them.
class TReplayEngineWindows : public TReplayWindows {
public:
    explicit TReplayEngineWindows(TReplay& r) : r_(r) {}
    bool Visible(int w) const override { return r_.Windows[w]->Visible(); }
    bool Playing(int w) const override { return r_.Playing[w]; }
    bool Paused(int w) const override { return r_.Paused[w]; }
    bool Stepping(int w) const override { return r_.Stepping[w]; }
    bool FastOn(int w) const override { return r_.FastOn[w]; }
    bool SlowOn(int w) const override { return r_.SlowOn[w]; }
    void ClearPlayFlags(int w) override {
        r_.Playing[w] = r_.Paused[w] = r_.Stepping[w] = r_.FastOn[w] = r_.SlowOn[w] = false;
    }
    int CurrentWindow() const override { return r_.CurrentWindow; }
    bool Play(int w) override { return r_.Play(w) == 0; }
    void Pause(int w, bool on) override { r_.Pause(w, on); }
    void Stop(int w) override { r_.Stop(w); }
    void Slow(int w) override { r_.Slow(w); }
    void Fast(int w) override { r_.Fast(w); }
    void SetLayout(int n) override { r_.SetLayout(n); }
    void PaneClick(int w) override { r_.PaneClick(r_.Windows[w]); }
    void RedrawPanel(int w) override { r_.Windows[w]->Refresh(); }
    int GetCurrentFrameNum(int w) override { return r_.GetCurrentFrameNum(w); }
    int SpeedStep() const override { return r_.SpeedStep; }

private:
    TReplay& r_;
};

void TRemoteReplayWindow::MakePlayback(Playback playback) {
    services_ = std::move(playback);
    if (!services_.Host) {
        emptyHost_ = std::make_unique<TNoRecordingsHost>();
        services_.Host = emptyHost_.get();
    }
    if (!services_.Player) services_.Player = &StrovidReplayPlayer();
    if (!services_.Ports) {
        ownPorts_ = std::make_unique<TStrovidStreamPorts>();
        services_.Ports = ownPorts_.get();
    }

    for (int width : {350, 120, 120, 80})
        sb_ReplayStatuBar->AddPanel()->SetWidth(width);
    sb_ReplayStatuBar->Panels(3)->SetAlignment(TAlignment::taRightJustify);
    tb_ReplayPos = PlaceControl<TTrackBar>(pn_ToolPanel, this, 0, 0, 1000, 24);
    tb_ReplayPos->SetAlign(TAlign::alTop);
    tb_ReplayPos->SetTickStyle(TTickStyle::tsNone);
    tb_ReplayPos->SetMax(0);
    TToolButtonRow row(pn_ToolPanel, this, 52, 28, 40, 26, 41);
    tb_SinglePlay = row.Add("单文件播放", "播放");
    tb_Pause = row.Add("暂停");
    tb_Stop = row.Add("结束当前播放", "停止");
    ToolButton9 = row.Add("结束全部播放", "全停");
    tb_Slow = row.Add("慢速播放", "慢放");
    tb_Fast = row.Add("快速播放", "快放");
    tb_CaptureBmp = row.Add("抓图");
    tb_Sound = row.Add("声音开关", "声音");
    sb_RegionZoom = row.Add("局部放大", "放大");
    ToolButton4 = row.Add("隐藏/显示列表，按右键可恢愎", "列表");
    ToolButton6 = row.Add("全屏，按右键恢愎", "全屏");
    tb_Exit = row.Add("退出播放器", "退出");
    tb_Volume = PlaceControl<TTrackBar>(pn_ToolPanel, this, row.X() + 4, 28, 110, 26);
    tb_Volume->SetTickStyle(TTickStyle::tsNone);
    tb_Volume->SetMax(65534);
    tb_Volume->SetPosition(50000);
    tb_Volume->SetHint(Utf8ToGbk("音量调节"));
    tb_Volume->SetShowHint(true);
    // Every file after the first of its channel is always queued.
    cb_ReplayAll = PlaceControl<TCheckBox>(pn_FilePanel, this, 0, 0, 10, 10);
    cb_ReplayAll->SetCaption(Utf8ToGbk("连续回放同一通道里所有录像"));
    cb_ReplayAll->SetChecked(true);
    cb_ReplayAll->SetVisible(false);

    tb_SinglePlay->OnClick = TNotifyEvent(this, &TRemoteReplayWindow::tb_SinglePlayClick);
    lv_ReplayFileList->OnDblClick = TNotifyEvent(this, &TRemoteReplayWindow::tb_SinglePlayClick);
    tb_Pause->OnClick = TNotifyEvent(this, &TRemoteReplayWindow::tb_PauseClick);
    tb_Stop->OnClick = TNotifyEvent(this, &TRemoteReplayWindow::tb_StopClick);
    ToolButton9->OnClick = TNotifyEvent(this, &TRemoteReplayWindow::ToolButton9Click);
    tb_Slow->OnClick = TNotifyEvent(this, &TRemoteReplayWindow::tb_SlowClick);
    tb_Fast->OnClick = TNotifyEvent(this, &TRemoteReplayWindow::tb_FastClick);
    tb_CaptureBmp->OnClick = TNotifyEvent(this, &TRemoteReplayWindow::tb_CaptureBmpClick);
    tb_Sound->OnClick = TNotifyEvent(this, &TRemoteReplayWindow::tb_SoundClick);
    sb_RegionZoom->OnClick = TNotifyEvent(this, &TRemoteReplayWindow::sb_RegionZoomClick);
    sp_ShowBMP->OnClick = TNotifyEvent(this, &TRemoteReplayWindow::sp_ShowBMPClick);
    ToolButton4->OnClick = TNotifyEvent(this, &TRemoteReplayWindow::ToolButton4Click);
    ToolButton6->OnClick = TNotifyEvent(this, &TRemoteReplayWindow::ToolButton6Click);
    viewModes_ = TReplayViewModes(this, pn_ToolPanel, pn_FilePanel, ToolButton6);
    tb_Exit->OnClick = TNotifyEvent(this, &TRemoteReplayWindow::tb_ExitClick);
    tb_Volume->OnChange = TNotifyEvent(this, &TRemoteReplayWindow::tb_VolumeChange);
    pn_ReplayArea->OnResize = TNotifyEvent(this, &TRemoteReplayWindow::pn_ReplayAreaResize);
    OnResize = TNotifyEvent(this, &TRemoteReplayWindow::FormResize);

    engine_ = std::make_unique<TReplay>(Handle(), pn_ReplayArea, *services_.Host,
                                        *services_.Player);
    engine_->SetAreaRect({0, 0, pn_ReplayArea->ClientWidth(), pn_ReplayArea->ClientHeight()});
    engine_->SetLayout(1);
    engine_->SearchThread().Finished = [this](int kind) {
        if (kind == 0 && browser_) browser_->ScanEnded();
    };
    engine_->SearchThread().LeaveDisabled = [this] { return busy_; };
    windows_.reset(new TReplayEngineWindows(*engine_));
    playback_ = std::make_unique<TRemoteReplayPlayback>(
        *replay_, *windows_, *services_.Ports, static_cast<TReplayPlaybackView&>(*this));
    playback_->LayoutChanged = [this] { ShowLayout(); };
    for (TButton* b : {tb_Pause, tb_Stop, tb_Slow, tb_Fast, tb_CaptureBmp, tb_Sound})
        b->SetEnabled(false);
    tb_Volume->SetEnabled(false);
}

TRemoteReplayWindow::TRemoteReplayWindow(TComponent* AOwner, const std::string& appTitle,
                                         UINT connectTimeoutMs)
    : TRemoteReplayWindow(AOwner, appTitle, connectTimeoutMs, Playback{}) {}

void TRemoteReplayWindow::FreeReplayWindows::operator()(TReplayEngineWindows* w) const {
    delete w;
}

TRemoteReplayWindow::~TRemoteReplayWindow() {
    FreePlayback();
}

void TRemoteReplayWindow::BeforeDestruction() {
    FreePlayback();
    TForm::BeforeDestruction();
}

void TRemoteReplayWindow::FreePlayback() {
    if (zoom_) {
        if (engine_) engine_->Zoom = nullptr;
        zoom_->Free();
        zoom_ = nullptr;
    }
    if (playback_) {
        if (tb_Stop->Enabled()) playback_->StopPressed();
        playback_->Closing();
    }
    playback_.reset();
    windows_.reset();
    engine_.reset();
}

void TRemoteReplayWindow::DoClose(TCloseAction& Action) {
    if (playback_) playback_->Closing();
    TForm::DoClose(Action);
}

void TRemoteReplayWindow::SetButtonEnabled(ReplayButton b, bool enabled) {
    switch (b) {
    case ReplayButton::Play: tb_SinglePlay->SetEnabled(enabled); break;
    case ReplayButton::Pause: tb_Pause->SetEnabled(enabled); break;
    case ReplayButton::Stop: tb_Stop->SetEnabled(enabled); break;
    case ReplayButton::Slow: tb_Slow->SetEnabled(enabled); break;
    case ReplayButton::Fast: tb_Fast->SetEnabled(enabled); break;
    case ReplayButton::Snapshot: tb_CaptureBmp->SetEnabled(enabled); break;
    case ReplayButton::Sound: tb_Sound->SetEnabled(enabled); break;
    case ReplayButton::Volume: tb_Volume->SetEnabled(enabled); break;
    default: break;
    }
}

void TRemoteReplayWindow::SetStatusPanel(int panel, const std::string& text) {
    if (panel >= 0 && panel < 4) sb_ReplayStatuBar->Panels(panel)->SetText(text);
}

void TRemoteReplayWindow::SetPositionBar(int max, int position) {
    tb_ReplayPos->SetMax(max > 0 ? max : 0);
    tb_ReplayPos->SetPosition(position);
}

void TRemoteReplayWindow::tb_SinglePlayClick(TObject*) {
    TakeRowChecks();
    playback_->PlayPressed();
    // The walk unchecks the rows it queued.
    TListItems* items = lv_ReplayFileList->Items();
    if (items->Count() != static_cast<int>(replay_->Rows.size())) return;
    filling_ = true;
    for (int i = 0; i < items->Count(); ++i)
        items->Item(i)->SetChecked(replay_->Rows[i].Checked);
    filling_ = false;
}

void TRemoteReplayWindow::tb_PauseClick(TObject*) {
    playback_->PausePressed();
}

void TRemoteReplayWindow::tb_StopClick(TObject*) {
    playback_->StopPressed();
}

void TRemoteReplayWindow::ToolButton9Click(TObject*) {
    playback_->StopAllPressed();
}

void TRemoteReplayWindow::tb_SlowClick(TObject*) {
    playback_->SlowPressed();
}

void TRemoteReplayWindow::tb_FastClick(TObject*) {
    playback_->FastPressed();
}

void TRemoteReplayWindow::tb_SoundClick(TObject*) {
    if (engine_->SoundOn) {
        engine_->StopSound();
    } else {
        engine_->Volume = tb_Volume->Position();
        engine_->PlaySound(engine_->CurrentWindow);
    }
}

void TRemoteReplayWindow::tb_VolumeChange(TObject*) {
    engine_->SetVolume(engine_->CurrentWindow, tb_Volume->Position());
    engine_->Volume = tb_Volume->Position();
}

void TRemoteReplayWindow::tb_CaptureBmpClick(TObject*) {
    if (services_.MaySnapshot && !services_.MaySnapshot()) {
        const std::string text = Utf8ToGbk("对不起！您不具备本操作的权限。");
        const std::string title = Utf8ToGbk("权限验证");
        if (services_.ShowError)
            services_.ShowError(text, title);
        else
            ::MessageBoxW(WindowHandle(), dvr::win::GbkToWide(text).c_str(),
                          dvr::win::GbkToWide(title).c_str(), MB_OK | MB_ICONERROR);
        return;
    }
    engine_->Snapshot();
}

void TRemoteReplayWindow::sb_RegionZoomClick(TObject*) {
    if (zoom_) {
        engine_->Zoom = nullptr;
        zoom_->Free();
        zoom_ = nullptr;
    }
    zoom_ = new TRegionZoomForm(nullptr, title_, *services_.Host, *services_.Player);
    if (services_.BoardChannelCount) zoom_->BoardChannelCount = services_.BoardChannelCount;
    const int w = engine_->CurrentWindow;
    const PaneRect whole{0, 0, 352, 288};
    ReplayApiLocalZoom(*services_.Player, w, whole, nullptr);
    engine_->Zoom = &zoom_->State;
    zoom_->ShowZoom(w, whole);
}

void TRemoteReplayWindow::sp_ShowBMPClick(TObject*) {
    SetEnabled(false);
    busy_ = true;
    auto* browser = new TShowBMPForm(this, title_, *engine_);
    browser_ = browser;
    if (services_.RunModal)
        services_.RunModal(*browser);
    else
        browser->ShowModal();
    browser_ = nullptr;
    browser->Free();
    busy_ = false;
    SetEnabled(true);
}

void TRemoteReplayWindow::ToolButton4Click(TObject*) {
    viewModes_.ToggleList();
}

void TRemoteReplayWindow::ToolButton6Click(TObject*) {
    viewModes_.EnterFullScreen();
}

void TRemoteReplayWindow::WMReplayMenu(TMessage&) {
    viewModes_.Restore();
}

void TRemoteReplayWindow::tb_ExitClick(TObject*) {
    Close();
}

void TRemoteReplayWindow::pn_ReplayAreaResize(TObject*) {
    if (!engine_) return;
    engine_->SetAreaRect({0, 0, pn_ReplayArea->ClientWidth(), pn_ReplayArea->ClientHeight()});
    int visible = 0;
    while (visible < kReplayPorts && engine_->Windows[visible]->Visible())
        ++visible;
    engine_->SetLayout(visible > 0 ? visible : 1);
    engine_->ShowSelectionFrame(engine_->CurrentWindow, true);
    pn_ReplayArea->Invalidate();
}

void TRemoteReplayWindow::FormResize(TObject*) {
    if (resizing_ || FullScreen() || !engine_) return;
    const int w = pn_ReplayArea->Width(), h = pn_ReplayArea->Height();
    if (h <= 0 || std::lround(double(w) / h * 100) == 133) return;
    resizing_ = true;
    SetWidth(Width() + int(std::lround(double(h) * 352 / 264)) - w);
    resizing_ = false;
}

void TRemoteReplayWindow::ShowLayout() {
    if (!engine_) return;
    engine_->ShowSelectionFrame(engine_->CurrentWindow, true);
    for (int w = 0; w < kReplayPorts && engine_->Windows[w]->Visible(); ++w)
        engine_->RefreshPlay(w);
}

void TRemoteReplayWindow::WMReplayLayout(TMessage&) {
    ShowLayout();
}

void TRemoteReplayWindow::WMReplaySelect(TMessage&) {
    if (playback_) playback_->Select();
}

} // namespace vantrel
