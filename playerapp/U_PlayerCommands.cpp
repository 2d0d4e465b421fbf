#include "playerapp/U_PlayerCommands.h"

#include <commctrl.h>

#include <algorithm>

#include "common/win/textconv.h"
#include "playerapp/U_Array.h"
#include "playerapp/U_ReplayDll.h"

namespace playerqz {

namespace {

std::wstring Text(std::string_view utf8) {
    return dvr::win::Utf8ToWide(utf8);
}

} // namespace

TPlayerCommands::TPlayerCommands(TReplayService& service, TPlayerView& view)
    : service_(service), view_(view), cycle_(*this) {}

// ---- loop table host

int TPlayerCommands::CurrentPort() {
    return service_.GetCurrentPort();
}
int TPlayerCommands::PortCount() {
    return service_.GetPortCount();
}
int TPlayerCommands::CurrentPortState() {
    return service_.GetPortState();
}
int TPlayerCommands::GetCurrentFrameNum() {
    return service_.GetCurrentFrameNum();
}
int TPlayerCommands::SetCurrentFrameNum(int frame) {
    return service_.SetCurrentFrameNum(frame);
}
void TPlayerCommands::ShowLoopControls(const LoopControlsView& v) {
    view_.ShowLoopControls(v);
}
std::string TPlayerCommands::RunSaveDialog() {
    return view_.RunSaveDialog();
}

// ---- grid

void TPlayerCommands::LayoutCells() {
    portCells_ = LayoutPorts(service_.GetPortCount(), view_.DrawArea());
}

void TPlayerCommands::DrawPortFrame(int port, bool show) {
    if (!show) {
        view_.ShowPortFrame(nullptr);
        return;
    }
    if (port < 0 || port >= service_.GetPortCount() || port >= static_cast<int>(portCells_.size()))
        return;
    const PortFrame f = PortFrameAround(portCells_[port]);
    view_.ShowPortFrame(&f);
}

void TPlayerCommands::Start() {
    cycle_.Clear();
    seekEndPort_ = -1;
    zoomedPort_ = -1;
    const int n = service_.GetPortCount();
    playLists_.assign(n, {});
    nextIndex_.assign(n, 0);
    LayoutCells();
    for (int i = 0; i < n; ++i)
        view_.CreatePortPanel(i, portCells_[i]);
    stepMode_ = false;
    timerUpdates_ = true;
    service_.SetVolume(static_cast<uint16_t>(view_.VolumePosition()));
    for (int i = 0; i < n; ++i) {
        service_.SetCurrentPort(i);
        service_.SetFileEndMsg(view_.MessageWindow(), WM_FILEEND);
    }
    service_.SetCurrentPort(0);
    started_ = true;
    SetPortStateAndRefresh(psNoFile);
}

void TPlayerCommands::SoundToCurrent(int port) {
    service_.SetSound(false);
    service_.SetCurrentPort(port);
    service_.SetSound(view_.MusicDown());
}

void TPlayerCommands::SelectPort(int port) {
    if (port < 0 || port >= service_.GetPortCount()) return;
    if (port != service_.GetCurrentPort()) {
        service_.SetSound(false);
        DrawPortFrame(port, true);
        service_.SetCurrentPort(port);
        service_.SetSound(view_.MusicDown());
    }
    if (playLists_[port].empty())
        SetPortStateAndRefresh(psNoFile);
    else
        UpdateControls();
}

void TPlayerCommands::TogglePortZoom(int port) {
    const int n = service_.GetPortCount();
    if (port < 0 || port >= n) return;
    if (port != service_.GetCurrentPort()) SoundToCurrent(port);
    if (zoomedPort_ == -1) {
        view_.SetPortPanel(port, view_.DrawArea(), true);
        zoomedPort_ = port;
        for (int i = 0; i < n; ++i) {
            service_.SetCurrentPort(i);
            savedStates_[i] = service_.GetPortState();
            if (i != port) {
                view_.SetPortPanel(i, portCells_[i], false);
                service_.Pause(true);
            }
        }
        service_.SetCurrentPort(port);
        view_.PostRefreshPorts(port);
    } else {
        LayoutCells();
        for (int i = 0; i < n; ++i) {
            view_.SetPortPanel(i, portCells_[i], true);
            if (i != port && savedStates_[i] == psPlaying) {
                service_.SetCurrentPort(i);
                service_.Play();
            }
            view_.InvalidatePortPanel(i);
        }
        view_.PostRefreshPorts(RefreshAllPorts);
        zoomedPort_ = -1;
    }
    service_.SetCurrentPort(port);
    DrawPortFrame(port, true);
    view_.ForceFullRepaint();
}

void TPlayerCommands::Resize() {
    if (!started_) return;
    view_.SetTimerRunning(false);
    if (zoomedPort_ == -1) {
        LayoutCells();
        for (int i = 0; i < service_.GetPortCount(); ++i)
            view_.SetPortPanel(i, portCells_[i], true);
    } else {
        view_.SetPortPanel(zoomedPort_, view_.DrawArea(), true);
    }
    DrawPortFrame(service_.GetCurrentPort(), true);
    view_.PostRefreshPorts(RefreshAllPorts);
    view_.SetTimerRunning(true);
}

void TPlayerCommands::RefreshPorts(WPARAM which) {
    view_.RepaintWindow();
    const int current = service_.GetCurrentPort();
    if (which < 101) {
        service_.RefreshPlay();
    } else {
        for (int i = 0; i < service_.GetPortCount(); ++i) {
            service_.SetCurrentPort(i);
            service_.RefreshPlay();
        }
    }
    service_.SetCurrentPort(current);
}

void TPlayerCommands::ChangePortCount(int count) {
    const int old = service_.GetPortCount();
    if (count < 1 || count > MaxPorts || count == old) return;
    // The grid comes back whole (a zoomed port may be one that goes away), and the ports
    // the zoom paused play on as un-zooming would let them.
    if (zoomedPort_ != -1) {
        const int current = service_.GetCurrentPort();
        for (int i = 0; i < std::min(count, old); ++i) {
            if (i == zoomedPort_ || savedStates_[i] != psPlaying) continue;
            service_.SetCurrentPort(i);
            service_.Play();
        }
        service_.SetCurrentPort(current);
        zoomedPort_ = -1;
    }
    if (count < old) {
        for (int i = count; i < old; ++i) {
            service_.SetCurrentPort(i);
            // Closed, not only stopped: the port's bookkeeping goes away with it.
            service_.CloseFile();
            view_.FreePortPanel(i);
        }
        playLists_.resize(count);
        nextIndex_.resize(count);
        service_.SetPortCount(count);
        service_.SaveSettings();
        LayoutCells();
        for (int i = 0; i < count; ++i)
            view_.SetPortPanel(i, portCells_[i], true);
        service_.SetCurrentPort(0);
        DrawPortFrame(0, true);
        view_.PostRefreshPorts(RefreshAllPorts);
        return;
    }
    const int current = service_.GetCurrentPort();
    playLists_.resize(count);
    nextIndex_.resize(count);
    service_.SetPortCount(count);
    service_.SaveSettings();
    LayoutCells();
    for (int i = old; i < count; ++i) {
        view_.CreatePortPanel(i, portCells_[i]);
        service_.SetCurrentPort(i);
        // New ports report their end of file like the first ones.
        service_.SetFileEndMsg(view_.MessageWindow(), WM_FILEEND);
    }
    for (int i = 0; i < count; ++i)
        view_.SetPortPanel(i, portCells_[i], true);
    service_.SetCurrentPort(current);
    DrawPortFrame(current, true);
    view_.PostRefreshPorts(RefreshAllPorts);
}

void TPlayerCommands::CloseAll() {
    const int current = service_.GetCurrentPort();
    for (int i = 0; i < service_.GetPortCount(); ++i) {
        service_.SetCurrentPort(i);
        if (service_.GetPortState() == psPlaying) {
            service_.Stop();
            service_.CloseFile();
            service_.SetPortState(psNoFile);
        }
    }
    service_.SetCurrentPort(current);
}

// ---- play lists

bool TPlayerCommands::ListUsedUp(int port) const {
    return nextIndex_[port] > static_cast<int>(playLists_[port].size()) - 1;
}

std::string TPlayerCommands::CurrentFileName() const {
    const int p = service_.GetCurrentPort();
    if (p < 0 || p >= static_cast<int>(playLists_.size())) return {};
    const int i = nextIndex_[p] - 1;
    if (i < 0 || i >= static_cast<int>(playLists_[p].size())) return {};
    return std::string(FileNameOnly(playLists_[p][i]));
}

void TPlayerCommands::OpenFile(const std::string& gbkPath) {
    OpenFiles({gbkPath});
}

void TPlayerCommands::OpenFiles(const std::vector<std::string>& gbkPaths) {
    const int p = service_.GetCurrentPort();
    if (p < 0 || p >= service_.GetPortCount()) return;
    if (cycle_.IsLoopOn()) cycle_.ToggleLoop();
    service_.Stop();
    service_.SetPortWindow(view_.PortPanelHandle(p));
    playLists_[p] = gbkPaths;
    nextIndex_[p] = 0;
    PlayNextFile();
}

void TPlayerCommands::PlayFailed() {
    view_.ShowError(Text(MessageCaptions[mcPlayFailed]));
    SetPortStateAndRefresh(psNoFile);
    service_.CloseFile();
}

void TPlayerCommands::PlayNextFile() {
    const int p = service_.GetCurrentPort();
    if (p < 0 || p >= service_.GetPortCount()) return;
    service_.CloseFile();
    service_.SetPortWindow(view_.PortPanelHandle(p));
    if (ListUsedUp(p) || nextIndex_[p] < 0) {
        SetPortStateAndRefresh(psStopped);
        return;
    }
    const std::string path = playLists_[p][nextIndex_[p]];
    service_.SetPortFileName(path);
    ++nextIndex_[p];
    if (!service_.OpenFile()) {
        view_.ShowError(Text(MessageCaptions[mcFileName]) + dvr::win::GbkToWide(path) + L"\r" +
                        Text(MessageCaptions[mcOpenFailed]));
        SetPortStateAndRefresh(psNoFile);
        if (!ListUsedUp(p)) PlayNextFile();
        return;
    }
    if (service_.Play()) {
        timerUpdates_ = true;
        SetPortStateAndRefresh(psPlaying);
    } else {
        PlayFailed();
    }
}

// ---- commands

void TPlayerCommands::PlayClick() {
    const int p = service_.GetCurrentPort();
    if (p < 0 || p >= service_.GetPortCount()) return;
    if (ListUsedUp(p) && service_.GetPortState() == psStopped) {
        if (playLists_[p].empty()) {
            // Stopped before anything was opened here: there is no last file to repeat.
            SetPortStateAndRefresh(psNoFile);
            return;
        }
        nextIndex_[p] = static_cast<int>(playLists_[p].size()) - 1; // the last file again
        PlayNextFile();
        return;
    }
    if (service_.GetPortState() == psPaused) {
        service_.Play();
        stepMode_ = false;
        timerUpdates_ = true;
        SetPortStateAndRefresh(psPlaying);
        return;
    }
    if (!service_.Play()) {
        PlayFailed();
        return;
    }
    stepMode_ = false;
    timerUpdates_ = true;
    SetPortStateAndRefresh(psPlaying);
}

void TPlayerCommands::PauseClick() {
    SetPortStateAndRefresh(psPaused);
    stepMode_ = false;
    service_.Pause(true);
}

void TPlayerCommands::StopClick() {
    service_.Stop();
    stepMode_ = false;
    SetPortStateAndRefresh(psStopped);
}

void TPlayerCommands::FirstClick() {
    if (service_.GetCurrentPort() > 0) {
        service_.SetPlayPos(0.0);
        SetPortStateAndRefresh(psPaused);
        stepMode_ = false;
        service_.Pause(true);
        service_.OneByOne();
    } else {
        SetPortStateAndRefresh(psPaused);
        stepMode_ = false;
        service_.Pause(true);
        service_.SetCurrentFrameNum(0);
        view_.SetSliderPosition(1);
    }
}

void TPlayerCommands::EndClick() {
    const int p = service_.GetCurrentPort();
    seekEndPort_ = p;
    if (p > 0) {
        SetPortStateAndRefresh(psPaused);
        stepMode_ = false;
        service_.Pause(true);
        service_.SetPlayPos(1.0);
    } else {
        SetPortStateAndRefresh(psPaused);
        stepMode_ = false;
        timerUpdates_ = true;
        service_.Pause(true);
        service_.SetCurrentFrameNum(static_cast<int>(service_.GetFileTotalFrames()) - 1);
        view_.SetSliderPosition(view_.SliderMax() - 1);
        timerUpdates_ = false;
    }
    seekEndPort_ = -1;
}

void TPlayerCommands::SlowClick() {
    service_.Slow();
}
void TPlayerCommands::FastClick() {
    service_.Fast();
}

void TPlayerCommands::FrameClick() {
    if (!stepMode_) {
        SetPortStateAndRefresh(psPaused);
        stepMode_ = true;
    }
    service_.OneByOne();
}

void TPlayerCommands::FrameBackClick() {
    if (!stepMode_) {
        SetPortStateAndRefresh(psPaused);
        stepMode_ = true;
    }
    service_.OneByOneBack();
}

void TPlayerCommands::MusicClick() {
    view_.SetMusicDown(!view_.MusicDown());
    service_.SetSound(view_.MusicDown());
}

void TPlayerCommands::VolumeChange() {
    service_.SetVolume(static_cast<uint16_t>(view_.VolumePosition()));
}

void TPlayerCommands::CloseClick() {
    service_.CloseFile();
    SetPortStateAndRefresh(psNoFile);
}

void TPlayerCommands::PlayAll() {
    for (int i = 0; i < service_.GetPortCount(); ++i) {
        if (nextIndex_[i] <= 0 || playLists_[i][nextIndex_[i] - 1].empty()) continue;
        service_.SetCurrentPort(i);
        PlayClick();
    }
}

void TPlayerCommands::StopAll() {
    for (int i = 0; i < service_.GetPortCount(); ++i) {
        if (nextIndex_[i] <= 0 || playLists_[i][nextIndex_[i] - 1].empty()) continue;
        service_.SetCurrentPort(i);
        StopClick();
    }
}

void TPlayerCommands::SaveLoopSelection() {
    cycle_.SaveSelection();
}

void TPlayerCommands::HandleFileEnd(int e) {
    // A port that is gone (or never was) has nothing left to end.
    if (e < 0 || e >= service_.GetPortCount()) return;
    const int c = service_.GetCurrentPort();
    service_.SetCurrentPort(e);
    if (e == seekEndPort_ || cycle_.CheckLoop() == 0) {
        service_.SetCurrentPort(c);
        return;
    }
    if (ListUsedUp(e)) {
        SetPortStateAndRefresh(psStopped);
        view_.ClearPortPicture(e);
        service_.Stop();
        service_.SetCurrentPort(c);
        UpdateControls();
    } else {
        if (e == c) UpdateControls();
        service_.Stop();
        service_.SetCurrentPort(e);
        PlayNextFile();
        service_.SetCurrentPort(c);
        UpdateControls();
    }
}

void TPlayerCommands::TimerTick() {
    if (!timerUpdates_ || !view_.WindowVisible() || service_.GetPortState() != psPlaying) return;
    view_.SetSliderPosition(SliderPosition(service_.GetPlayPos(), view_.SliderMax()));
    view_.SetStatusText(spPlayedTime, Text(MessageCaptions[mcPlayedTime]) +
                                          Text(FormatPlayTime(service_.GetPlayedTime())));
    view_.SetStatusText(spCurrentFrame, Text(MessageCaptions[mcCurrentFrame]) +
                                            std::to_wstring(service_.GetCurrentFrameNum()));
}

void TPlayerCommands::SliderMouseDown() {
    sliderDragging_ = true;
}
void TPlayerCommands::SliderMouseUp() {
    sliderDragging_ = false;
}

void TPlayerCommands::SliderMouseMove() {
    if (!sliderDragging_) return;
    const int max = view_.SliderMax();
    if (max > 0) service_.SetPlayPos(static_cast<double>(view_.SliderPositionNow()) / max);
}

void TPlayerCommands::SliderScroll(int code) {
    if (code == TB_ENDTRACK)
        timerUpdates_ = true;
    else if (code != TB_THUMBTRACK)
        timerUpdates_ = false;
}

// ---- status

void TPlayerCommands::SetPortStateAndRefresh(int state) {
    service_.SetPortState(state);
    UpdateControls();
}

void TPlayerCommands::UpdateControls() {
    cycle_.UpdateLoopControls();
    const int s = service_.GetPortState();
    const std::wstring prefix = Text(StatusPrefix(service_.GetCurrentPort()));
    view_.ShowControlEnables(ControlEnablesFor(s));
    const std::wstring name = dvr::win::GbkToWide(CurrentFileName());
    switch (s) {
    case psPlaying:
        view_.SetStatusText(spFileTime, Text(MessageCaptions[mcPlayTime]) +
                                            Text(FormatPlayTime(service_.GetFileTime())));
        view_.SetStatusText(spPortState, prefix + Text(StateBeforeFileName(MessageCaptions[mcPlaying])) + name);
        break;
    case psPaused:
        view_.SetStatusText(spPortState, prefix + Text(StateBeforeFileName(MessageCaptions[mcPaused])) + name);
        break;
    case psStopped:
        view_.SetSliderPosition(0);
        view_.SetStatusText(spPortState, prefix + Text(StateBeforeFileName(MessageCaptions[mcReady])) + name);
        for (StatusPanel p : {spFileTime, spPlayedTime, spCurrentFrame})
            view_.SetStatusText(p, L"");
        break;
    default:
        view_.SetStatusText(spPortState, prefix + Text(MessageCaptions[mcNoFile]));
        for (StatusPanel p : {spFileTime, spPlayedTime, spCurrentFrame})
            view_.SetStatusText(p, L"");
        break;
    }
}

} // namespace playerqz
