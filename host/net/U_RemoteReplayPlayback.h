// The playback half of the remote replay window: recordings of the file list played straight
// from the host in up to 16 replay windows, each fed by its own "PlayFile" connection into a
// player port in stream mode, with per-window queues that move on when a stream has ended.
#pragma once

#include "host/net/F_RemoteReplayForm.h"
#include "host/net/U_MsgSocket.h"
#include "host/net/U_RemoteReplayQueues.h"
#include "host/ui/U_ReplayMessages.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vantrel {

class TWindowTimer;


// The replay windows and their ports as the playback drives them (the replay engine).
class TReplayWindows {
public:
    virtual ~TReplayWindows() = default;
    virtual bool Visible(int w) const = 0;
    virtual bool Playing(int w) const = 0;
    virtual bool Paused(int w) const = 0;
    virtual bool Stepping(int w) const = 0;
    virtual bool FastOn(int w) const = 0;
    virtual bool SlowOn(int w) const = 0;
    virtual void ClearPlayFlags(int w) = 0;
    virtual int CurrentWindow() const = 0;
    virtual bool Play(int w) = 0; // sets Playing on success
    virtual void Pause(int w, bool on) = 0;
    virtual void Stop(int w) = 0;
    virtual void Slow(int w) = 0;
    virtual void Fast(int w) = 0;
    virtual void SetLayout(int n) = 0;
    virtual void PaneClick(int w) = 0; // makes w the current window
    virtual void RedrawPanel(int w) = 0;
    virtual int GetCurrentFrameNum(int w) = 0;
    virtual int SpeedStep() const = 0;
};

// The player library's stream-mode calls.
class TStreamPorts {
public:
    virtual ~TStreamPorts() = default;
    virtual bool SetStreamOpenMode(int port, int mode) = 0;
    virtual bool OpenStream(int port, const uint8_t* header, unsigned length,
                            unsigned bufferSize) = 0;
    virtual bool InputData(int port, const uint8_t* data, unsigned length) = 0;
    virtual void CloseStream(int port) = 0;
    // Bytes fed but not yet played.
    virtual unsigned SourceBufferRemain(int port) = 0;
};

enum class ReplayButton { Play, Pause, Stop, Slow, Fast, Snapshot, Sound, Volume, Count };

class TReplayPlaybackView {
public:
    virtual ~TReplayPlaybackView() = default;
    virtual void SetButtonEnabled(ReplayButton b, bool enabled) = 0;
    virtual void SetStatusPanel(int panel, const std::string& text) = 0;
    virtual void SetPositionBar(int max, int position) = 0;
};

class TRemoteReplayPlayback {
public:
    // Host and port come from the remote replay window's last connect or query.
    TRemoteReplayPlayback(TRemoteReplayForm& form, TReplayWindows& windows, TStreamPorts& ports,
                          TReplayPlaybackView& view, UINT timerMs = 500);
    ~TRemoteReplayPlayback();

    // tb_SinglePlay, or a double click on a file-list row.
    void PlayPressed();
    void PausePressed();
    void SlowPressed();
    void FastPressed();
    // tb_Stop: the current window.
    void StopPressed();
    void StopAllPressed(DWORD pauseMs = 50);
    void StopWindow(int w);
    // The window closes: every playing window stops.
    void Closing();
    // A replay window was chosen (WM_REPLAYSELECT): buttons and status follow it.
    void Select();
    // Called when a play command has laid the replay windows out anew.
    std::function<void()> LayoutChanged;

    const PlayQueues& Queues() const { return queues_; }
    int StreamRemaining(int w) const { return remaining_[w]; }
    int StreamTotal(int w) const { return total_[w]; }
    int LastLayout() const { return layout_; }

private:
    void StartStream(int w);
    void StreamConnected(int w);
    void StreamRead(int w);
    void StreamError(int w, int& code);
    void StreamEnded(int w);
    void Tick();
    void Message(UINT m, WPARAM w, LPARAM l);
    void ResetButtons();

    TRemoteReplayForm& form_;
    TReplayWindows& windows_;
    TStreamPorts& ports_;
    TReplayPlaybackView& view_;
    PlayQueues queues_;
    std::array<std::unique_ptr<TMsgClientSocket>, kReplayWindows> connections_;
    std::array<int, kReplayWindows> remaining_{}, total_{};
    std::array<std::string, kReplayWindows> headerBytes_;
    std::array<bool, kReplayWindows> endPosted_{};
    int layout_ = 0;
    std::unique_ptr<TWindowTimer> timer_;
    TMsgWindow messages_;
};

} // namespace vantrel
