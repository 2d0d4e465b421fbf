// The control's three workers that open and close many channels in a row: open-all (previews,
// recordings, alarm arming), close-all (the same undone, then an optional rebuild of the
// channel map) and the alarm opener that polls the marks the alarm listener sets.
#pragma once

#include "common/win/handles.h"

#include <windows.h>

#include <array>
#include <atomic>
#include <functional>
#include <thread>

namespace vantrel::webctl {

constexpr int kChannelMarks = 49;

// What the workers do to one channel, and the form they disable while they work. Every call
// except ChannelCount and Run is made through Run, on the control's window thread.
class TChannelOps {
public:
    virtual ~TChannelOps() = default;
    virtual int ChannelCount() = 0;
    virtual bool PanePreviewing(int channel) = 0;
    virtual bool PanePlaying(int channel) = 0;
    virtual void OpenPreview(int channel) = 0;
    virtual void ClosePreview(int channel) = 0;
    virtual bool FileRecording(int channel) = 0;
    virtual bool CaptureRunning(int channel) = 0;
    virtual void StartRecording(int channel) = 0;
    virtual void StopRecording(int channel) = 0;
    virtual bool AlarmShown(int channel) = 0;
    virtual void ArmAlarm(int channel) = 0;
    virtual void ClearAlarm(int channel) = 0;
    virtual void SetFormEnabled(bool enabled) = 0;
    virtual bool CycleMode() = 0;
    virtual void EnableCycleTimer() = 0;
    virtual void PostRebuild(WPARAM wParam, LPARAM lParam) = 0;
    // Runs `step` on the window thread and waits for it; false when the worker was stopped
    // before the step could run.
    virtual bool Run(const std::function<void()>& step) = 0;
};

using ChannelMarks = std::array<std::atomic<bool>, kChannelMarks>;

// A worker that sleeps between rounds; each Resume runs one round.
class TRoundThread {
public:
    TRoundThread() = default;
    virtual ~TRoundThread();
    // Ends the worker after the step it is in; waits for it.
    void Terminate();
    std::atomic<bool> Busy{false};

protected:
    void Start(int priority);
    void Resume() { ::SetEvent(wake_.get()); }
    // Sleeps `ms`, or less when terminated; true while the worker may go on.
    bool Pause(DWORD ms);
    bool Terminated() const { return terminated_; }
    virtual void Round() = 0;

private:
    dvr::win::Handle wake_{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    dvr::win::Handle stop_{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    dvr::win::Handle done_{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<bool> terminated_{false};
    std::thread thread_;
};

class TThreadCloseAll;

class TThreadOpenAll : public TRoundThread {
public:
    explicit TThreadOpenAll(TChannelOps& ops);
    ~TThreadOpenAll() override { Terminate(); }
    void SetPartner(const TThreadCloseAll* partner) { partner_ = partner; }

    // Dropped while this worker or the close worker is busy. Channel < 0: every channel in use.
    void Request(int channel, bool openPreviews, bool startRecordings, bool armAlarms);

    ChannelMarks OpenPreviewMarks{}, StartRecordingMarks{}, ArmAlarmMarks{};
    std::atomic<int> Current{-1};

private:
    void Round() override;
    TChannelOps& ops_;
    const TThreadCloseAll* partner_ = nullptr;
};

class TThreadCloseAll : public TRoundThread {
public:
    explicit TThreadCloseAll(TChannelOps& ops);
    ~TThreadCloseAll() override { Terminate(); }
    void SetPartner(const TThreadOpenAll* partner) { partner_ = partner; }

    void CloseChannels(int channel, bool closePreviews, bool closeRecordings, bool closeAlarms,
                       bool reopen, bool reopenCycle, int group);

    std::atomic<bool> ClosePreviews{false}, CloseRecordings{false}, CloseAlarms{false},
        Reopen{false}, ReopenCycle{false};
    ChannelMarks ClosePreviewMarks{}, StopRecordingMarks{}, ClearAlarmMarks{};
    std::atomic<int> Current{-1};
    std::atomic<int32_t> Group{-1};

private:
    void Round() override;
    TChannelOps& ops_;
    const TThreadOpenAll* partner_ = nullptr;
};

// Runs for the life of the control; the alarm listener and the alarm list set its marks.
class TThreadOpenAllForAlarmUp {
public:
    explicit TThreadOpenAllForAlarmUp(TChannelOps& ops);
    ~TThreadOpenAllForAlarmUp() { Stop(); }
    void Stop();

    ChannelMarks OpenPreviewMarks{}, StartRecordingMarks{};
    std::atomic<int> Current{-1};

private:
    void Execute();
    bool Pause(DWORD ms);
    TChannelOps& ops_;
    dvr::win::Handle stop_{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    dvr::win::Handle done_{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<bool> stopped_{false};
    std::thread thread_;
};

// Waits for `handle`, delivering the messages other threads send to this thread meanwhile: a
// worker may be waiting for the window thread to run one of its steps.
void WaitDeliveringSent(HANDLE handle);

// Marks channel `channel` (or, for channel < 0, 0 .. count - 1) in `marks` when `on`.
void MarkChannels(ChannelMarks& marks, int channel, int count, bool on);

} // namespace vantrel::webctl
