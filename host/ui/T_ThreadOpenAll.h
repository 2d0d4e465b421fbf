// The batch workers that open or close the preview, recording and detection of many channels
// one channel at a time, each step on the user-interface thread, with the main window
// disabled while a batch runs.
#pragma once

#include "common/win/handles.h"

#include <windows.h>

#include "host/engine/U_HostMessages.h" // WM_REBUILDCHANNELMAP

#include <algorithm>

#include <array>
#include <atomic>
#include <functional>

namespace vantrel {

constexpr int kBatchChannels = 49;

// What a batch step reaches. Every call but Synchronize, Pause and PostRebuild comes on the
// user-interface thread, inside Synchronize.
class TBatchHost {
public:
    virtual ~TBatchHost() = default;
    // Runs `step` on the user-interface thread and returns when it has run.
    virtual void Synchronize(const std::function<void()>& step) = 0;
    virtual void Pause(DWORD ms) { ::Sleep(ms); }
    virtual int ChannelCount() = 0;
    virtual int BoardChannelCount() = 0;
    virtual void SetMainEnabled(bool enabled) = 0;
    virtual bool PanePreviewing(int channel) = 0;
    virtual bool PanePlaying(int channel) = 0;
    virtual void OpenPreview(int channel) = 0;
    virtual void ClosePreview(int channel, bool checkRight) = 0;
    virtual bool CaptureRunning(int channel) = 0;
    virtual bool FileOpen(int channel) = 0;
    virtual void StartChannel(int channel, char request, int recordingType) = 0;
    virtual void StopChannel(int channel, char request) = 0;
    virtual bool Armed(int channel) = 0;
    virtual bool Alarming(int channel) = 0;
    virtual void StartDetection(int channel, int mode) = 0;
    virtual void StopDetection(int channel) = 0;
    virtual bool CycleMode() = 0;
    virtual void EnableCycleTimer() = 0;
    // Posted to the main window from the worker.
    virtual void PostRebuild(WPARAM wParam, LPARAM lParam) = 0;
};

// Both workers drop a request while either of them is busy.
struct TBatchBusy {
    std::atomic<bool> Open{false};
    std::atomic<bool> Close{false};
    bool Any() const { return Open || Close; }
};

class TBatchThread {
public:
    TBatchThread(const TBatchThread&) = delete;
    TBatchThread& operator=(const TBatchThread&) = delete;
    virtual ~TBatchThread();

    // Ends the worker at its next check; the main window stays as it is.
    void Stop();
    bool Stopped() const { return stopped_; }

protected:
    TBatchThread(TBatchHost& host, TBatchBusy& busy, int priority);
    // Sets the flags of the chosen kinds for `channel` (-1 all channels) and wakes the worker.
    void Mark(int channel, bool preview, bool recording, bool detection);
    // One synchronised step whose exception is swallowed.
    void Step(const std::function<void()>& step);
    char RequestOf(int channel);
    // Waits for the worker to end (derived destructors, before their members go).
    void Join();
    virtual void Batch() = 0;

    TBatchHost& host_;
    TBatchBusy& busy_;
    std::array<std::atomic<bool>, kBatchChannels> preview_{}, recording_{}, detection_{};
    std::atomic<bool> stop_{false};

private:
    static DWORD WINAPI ThreadMain(LPVOID self);
    std::atomic<bool> stopped_{false};
    dvr::win::Event wake_;
    dvr::win::Thread thread_;
};

class TThreadOpenAll : public TBatchThread {
public:
    TThreadOpenAll(TBatchHost& host, TBatchBusy& busy);
    ~TThreadOpenAll() override;
    // Dropped while either worker is busy.
    void Request(int channel, bool openPreview, bool startRecording, bool startDetection);
    bool Busy() const { return busy_.Open; }

private:
    void Batch() override;
};

class TThreadCloseAll : public TBatchThread {
public:
    TThreadCloseAll(TBatchHost& host, TBatchBusy& busy);
    ~TThreadCloseAll() override;
    void CloseChannels(int channel, bool stopPreview, bool stopRecording, bool stopDetection,
                       bool rebuildAfter, bool cycleMode, int32_t group);
    bool Busy() const { return busy_.Close; }

private:
    void Batch() override;
    std::atomic<bool> rebuildAfter_{false}, cycleMode_{false};
    std::atomic<int32_t> group_{-1};
};

} // namespace vantrel
