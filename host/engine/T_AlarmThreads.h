// The Win32 threads around the alarm logic: the dispatcher's message thread, the keep-end
// thread, the video-loss poll, and the PlaySound player of the alarm sounds.
#pragma once

#include "common/win/handles.h"
#include "host/engine/T_ThreadAlarmAudio.h"
#include "host/engine/U_PlaySoundPlayer.h"
#include "host/engine/U_HostServices.h"
#include "host/engine/U_Alarm.h"
#include "host/engine/U_AlarmDispatcher.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>

namespace vantrel {

// A thread with a message queue that exists before the constructor returns, so nothing posted
// to ThreadId() right after creation is lost.
class TMessageThread {
public:
    virtual ~TMessageThread();
    DWORD ThreadId() const { return threadId_; }

protected:
    explicit TMessageThread(int priority);
    // Runs the queue; the derived constructor calls it last.
    void Start();
    // Ends the loop with WM_THREADQUIT and waits; derived destructors call it first.
    void Finish();
    // Every message but WM_THREADQUIT.
    virtual void OnMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

private:
    static DWORD WINAPI ThreadMain(LPVOID self);
    int priority_;
    DWORD threadId_ = 0;
    dvr::win::Event ready_;
    dvr::win::Thread thread_;
};

// The alarm dispatcher's thread: WM_ALARMRAISED and WM_ALARMCLEARED go to ThreadId().
class TThreadAlarmingMsg : public TMessageThread {
public:
    explicit TThreadAlarmingMsg(TAlarmDispatchHost& host);
    ~TThreadAlarmingMsg() override;
    void ClearLatches(int channel, int kind) { Latches.Clear(channel, kind); }
    TAlarmLatches Latches;

private:
    void OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    TAlarmDispatcher dispatcher_;
};

// Waits for WM_ALARMKEEPEND; `run` is the host's way onto the user-interface thread.
class TThreadAlarmKeepEnd : public TMessageThread {
public:
    explicit TThreadAlarmKeepEnd(std::function<void(int channel, int what)> run);
    ~TThreadAlarmKeepEnd() override;

private:
    void OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    std::function<void(int, int)> run_;
};

// Polls the board for video every second.
class TThreadDetectVideoLost {
public:
    explicit TThreadDetectVideoLost(TAlarm& alarm);
    ~TThreadDetectVideoLost();

private:
    static DWORD WINAPI ThreadMain(LPVOID self);
    TAlarm& alarm_;
    dvr::win::Event stop_;
    dvr::win::Thread thread_;
};

// TAlarm as the schedule and the work state reach it.
class TAlarmServicesOf : public TAlarmServices {
public:
    explicit TAlarmServicesOf(TAlarm& alarm) : alarm_(alarm) {}
    bool Armed(int channel) const override;
    bool Alarming(int channel) const override;
    void StartDetection(int channel, int mode) override { alarm_.StartDetection(channel, mode); }
    void StopDetection(int channel) override { alarm_.StopDetection(channel); }
    void SetAutoMode() override { alarm_.SetAutoMode(); }
    void ClearAutoMode() override { alarm_.ClearAutoMode(); }

private:
    TAlarm& alarm_;
};

// Plays one file once on a thread of its own that ends by itself (the sound test buttons).
void TThreadPlaySound(const std::string& fileName);

} // namespace vantrel
