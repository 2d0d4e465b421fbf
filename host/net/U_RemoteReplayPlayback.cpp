#include "host/net/U_RemoteReplayPlayback.h"

#include "host/engine/U_WindowTimer.h"
#include "host/ui/U_ReplayRules.h"

#include <vector>

namespace vantrel {

namespace {

constexpr int kMaxReadPerNotice = 10000;
constexpr unsigned kHeadBytes = 19;
constexpr unsigned kSourceBufferSize = 1024000;

} // namespace

TRemoteReplayPlayback::TRemoteReplayPlayback(TRemoteReplayForm& form, TReplayWindows& windows,
                                             TStreamPorts& ports, TReplayPlaybackView& view,
                                             UINT timerMs)
    : form_(form), windows_(windows), ports_(ports), view_(view),
      timer_(std::make_unique<TWindowTimer>(timerMs, [this] { Tick(); })),
      messages_([this](UINT m, WPARAM w, LPARAM l) { Message(m, w, l); }) {
    for (int w = 0; w < kReplayWindows; ++w) {
        auto& c = connections_[w];
        c = std::make_unique<TMsgClientSocket>();
        c->Tag = w;
        c->OnConnect = [this, w] { StreamConnected(w); };
        c->OnRead = [this, w] { StreamRead(w); };
        c->OnError = [this, w](int& code) { StreamError(w, code); };
    }
}

TRemoteReplayPlayback::~TRemoteReplayPlayback() {
    for (auto& c : connections_)
        c->Close();
}

void TRemoteReplayPlayback::PlayPressed() {
    // Resume what is paused or off normal speed.
    bool resumed = false;
    for (int w = 0; w < kReplayWindows; ++w) {
        if (!windows_.Visible(w) || !windows_.Playing(w)) continue;
        if (!(windows_.Paused(w) || windows_.Stepping(w) || windows_.FastOn(w) ||
              windows_.SlowOn(w)))
            continue;
        if (windows_.Paused(w)) windows_.Pause(w, false);
        windows_.Play(w);
        resumed = true;
    }
    const int current = windows_.CurrentWindow();
    if (resumed) {
        if (windows_.Playing(current)) {
            view_.SetButtonEnabled(ReplayButton::Play, false);
            view_.SetButtonEnabled(ReplayButton::Pause, true);
            view_.SetButtonEnabled(ReplayButton::Slow, true);
            view_.SetButtonEnabled(ReplayButton::Fast, true);
        }
        return;
    }
    if (!queues_[current].empty()) return;

    std::vector<PlayRow> rows;
    for (const TFileRow& r : form_.Rows)
        rows.push_back({r.Caption, r.Path + ";" + r.SizeBytes, r.Checked});
    bool busy = false;
    for (int w = 0; w < kReplayWindows; ++w)
        if (windows_.Visible(w) && windows_.Playing(w) && !queues_[w].empty()) busy = true;
    if (busy) {
        if (form_.SelectedRow < 0) return;
        AppendFromSelected(rows, form_.SelectedRow, queues_[current]);
        StartStream(current);
        view_.SetButtonEnabled(ReplayButton::Stop, true);
        view_.SetStatusPanel(0, QueueEntryFileName(queues_[current].front()));
        return;
    }
    const int n = AssignCheckedRows(rows, form_.SelectedRow, queues_);
    for (size_t i = 0; i < rows.size(); ++i)
        form_.Rows[i].Checked = rows[i].Checked;
    if (n == 0) return;
    layout_ = ReplayLayoutFor(n);
    windows_.SetLayout(layout_);
    windows_.PaneClick(0);
    messages_.Post(WM_REPLAYLAYOUT, 0);
    for (int w = 0; w < layout_ && w < kReplayWindows; ++w)
        if (!queues_[w].empty()) StartStream(w);
    view_.SetButtonEnabled(ReplayButton::Stop, true);
    view_.SetStatusPanel(0, QueueEntryFileName(queues_[0].front()));
}

void TRemoteReplayPlayback::StartStream(int w) {
    if (queues_[w].empty()) return;
    remaining_[w] = total_[w] = QueueEntrySize(queues_[w].front());
    headerBytes_[w].clear();
    endPosted_[w] = false;
    connections_[w]->Close();
    connections_[w]->Open(form_.ReplayHost(), form_.ReplayPort());
}

void TRemoteReplayPlayback::StreamConnected(int w) {
    if (queues_[w].empty()) return;
    if (const auto c = connections_[w]->Connection())
        c->SendText("PlayFile" + QueueEntryPath(queues_[w].front()));
    if (w == windows_.CurrentWindow())
        view_.SetStatusPanel(0, QueueEntryFileName(queues_[w].front()));
}

void TRemoteReplayPlayback::StreamRead(int w) {
    const auto c = connections_[w]->Connection();
    if (!c) return;
    char buffer[kMaxReadPerNotice];
    const int n = c->ReceiveBuf(buffer, sizeof buffer);
    if (n <= 0) return;
    std::string block(buffer, static_cast<size_t>(n));
    if (!windows_.Playing(w)) {
        // The stream header may come split; the port opens once all 19 bytes are here.
        headerBytes_[w] += block;
        if (headerBytes_[w].size() < kHeadBytes) {
            remaining_[w] -= n;
            return;
        }
        block = std::move(headerBytes_[w]);
        headerBytes_[w].clear();
        const auto* data = reinterpret_cast<const uint8_t*>(block.data());
        if (!ports_.SetStreamOpenMode(w, 1) ||
            !ports_.OpenStream(w, data, kHeadBytes, kSourceBufferSize) || !windows_.Play(w)) {
            connections_[w]->Close();
            return;
        }
        messages_.Post(WM_REPLAYSELECT, static_cast<WPARAM>(w));
        ports_.InputData(w, data, static_cast<unsigned>(block.size()));
        remaining_[w] -= n;
        return;
    }
    ports_.InputData(w, reinterpret_cast<const uint8_t*>(block.data()),
                     static_cast<unsigned>(block.size()));
    remaining_[w] -= n;
}

void TRemoteReplayPlayback::StreamError(int w, int& code) {
    code = 0;
    queues_[w].clear();
    connections_[w]->Close();
}

void TRemoteReplayPlayback::StopWindow(int w) {
    connections_[w]->Close();
    windows_.Stop(w);
    ports_.CloseStream(w);
    queues_[w].clear();
    windows_.RedrawPanel(w);
    windows_.ClearPlayFlags(w);
}

void TRemoteReplayPlayback::ResetButtons() {
    for (ReplayButton b :
         {ReplayButton::Pause, ReplayButton::Stop, ReplayButton::Slow, ReplayButton::Fast,
          ReplayButton::Snapshot, ReplayButton::Sound, ReplayButton::Volume})
        view_.SetButtonEnabled(b, false);
    view_.SetButtonEnabled(ReplayButton::Play, true);
    for (int p = 0; p < 4; ++p)
        view_.SetStatusPanel(p, {});
    view_.SetPositionBar(0, 0);
}

void TRemoteReplayPlayback::StopPressed() {
    const int w = windows_.CurrentWindow();
    if (windows_.Playing(w)) StopWindow(w);
    ResetButtons();
}

void TRemoteReplayPlayback::StopAllPressed(DWORD pauseMs) {
    for (int w = 0; w < kReplayWindows; ++w) {
        if (!windows_.Playing(w)) continue;
        StopWindow(w);
        ::Sleep(pauseMs);
    }
    ResetButtons();
}

void TRemoteReplayPlayback::Closing() {
    for (int w = 0; w < kReplayWindows; ++w)
        if (windows_.Playing(w)) StopWindow(w);
}

void TRemoteReplayPlayback::PausePressed() {
    const int w = windows_.CurrentWindow();
    if (!windows_.Playing(w)) return;
    windows_.Pause(w, true);
    view_.SetButtonEnabled(ReplayButton::Play, true);
    view_.SetButtonEnabled(ReplayButton::Stop, true);
    view_.SetButtonEnabled(ReplayButton::Pause, false);
}

void TRemoteReplayPlayback::SlowPressed() {
    const int w = windows_.CurrentWindow();
    if (!windows_.Playing(w)) return;
    windows_.Slow(w);
    view_.SetButtonEnabled(ReplayButton::Play, true);
}

void TRemoteReplayPlayback::FastPressed() {
    const int w = windows_.CurrentWindow();
    if (!windows_.Playing(w)) return;
    windows_.Fast(w);
    view_.SetButtonEnabled(ReplayButton::Play, true);
}

void TRemoteReplayPlayback::Select() {
    timer_->SetEnabled(true);
    const int w = windows_.CurrentWindow();
    const bool a = windows_.Playing(w) && !queues_[w].empty();
    view_.SetStatusPanel(0, a ? QueueEntryFileName(queues_[w].front()) : std::string());
    view_.SetButtonEnabled(ReplayButton::Play, !a);
    if (windows_.Paused(w)) {
        view_.SetButtonEnabled(ReplayButton::Pause, false);
        view_.SetButtonEnabled(ReplayButton::Play, a);
    } else {
        view_.SetButtonEnabled(ReplayButton::Pause, a);
    }
    for (ReplayButton b : {ReplayButton::Slow, ReplayButton::Fast, ReplayButton::Snapshot,
                           ReplayButton::Sound, ReplayButton::Volume, ReplayButton::Stop})
        view_.SetButtonEnabled(b, a);
}

void TRemoteReplayPlayback::Tick() {
    // The end of a stream: all its bytes are in and the port has played them out.
    for (int w = 0; w < kReplayWindows; ++w) {
        if (endPosted_[w] || !windows_.Playing(w) || queues_[w].empty()) continue;
        if (remaining_[w] <= 0 && ports_.SourceBufferRemain(w) == 0) {
            endPosted_[w] = true;
            messages_.Post(WM_REPLAYEND, static_cast<WPARAM>(w));
        }
    }
    const int w = windows_.CurrentWindow();
    if (!windows_.Playing(w)) return;
    view_.SetPositionBar(total_[w], total_[w] - remaining_[w]);
    view_.SetStatusPanel(2, std::to_string(windows_.GetCurrentFrameNum(w)));
    const std::string speed = SpeedText(windows_.SpeedStep());
    if (!speed.empty()) view_.SetStatusPanel(3, speed);
}

void TRemoteReplayPlayback::StreamEnded(int w) {
    if (w < 0 || w >= kReplayWindows) return;
    timer_->SetEnabled(true);
    const int current = windows_.CurrentWindow();
    if (w == current) {
        for (ReplayButton b :
             {ReplayButton::Play, ReplayButton::Pause, ReplayButton::Slow, ReplayButton::Fast,
              ReplayButton::Snapshot, ReplayButton::Sound, ReplayButton::Volume})
            view_.SetButtonEnabled(b, false);
        view_.SetButtonEnabled(ReplayButton::Stop, true);
        view_.SetPositionBar(0, 0);
        for (int p = 0; p < 3; ++p)
            view_.SetStatusPanel(p, {});
    }
    if (queues_[w].size() > 1) {
        connections_[w]->Close();
        windows_.Stop(w);
        ports_.CloseStream(w);
        windows_.ClearPlayFlags(w);
        queues_[w].erase(queues_[w].begin());
        if (w == current) {
            view_.SetButtonEnabled(ReplayButton::Play, true);
            view_.SetButtonEnabled(ReplayButton::Stop, false);
        }
        StartStream(w);
        return;
    }
    windows_.PaneClick(w);
    StopPressed();
}

void TRemoteReplayPlayback::Message(UINT m, WPARAM w, LPARAM) {
    switch (m) {
    case WM_REPLAYSELECT:
        Select();
        break;
    case WM_REPLAYEND:
        StreamEnded(static_cast<int>(w));
        break;
    case WM_REPLAYLAYOUT:
        if (LayoutChanged) LayoutChanged();
        break;
    default:
        break;
    }
}

} // namespace vantrel
