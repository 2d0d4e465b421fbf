// The poller of the board channels' alarm input boxes: every round each board channel's box is
// read and every active watched input is posted to the alarm dispatcher as a probe alarm.
#pragma once

#include "host/engine/U_SettingsRecords.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace vantrel {

class THardAlarmInHost {
public:
    virtual ~THardAlarmInHost() = default;
    virtual int BoardChannelCount() const = 0;
    virtual bool AutoMode() const = 0;
    // 13 characters "0"/"1": the work modes the schedule has in force for the channel now.
    virtual std::string ScheduleStatus(int channel) const = 0;
    virtual bool Armed(int channel) const = 0;
    virtual const TAlarmSetRecord& Record(int channel) const = 0;
    virtual bool ReadInputs(int channel, uint8_t inputs[kBoxPoints]) = 0;
    // WM_ALARMRAISED to the dispatcher.
    virtual void PostAlarmRaised(int channel, long lParam) = 0;
};

class TThreadHardAlarmIn {
public:
    // Created suspended: nothing is polled before the first ResumePolling. The pauses between
    // channels (10 ms) and rounds (500 ms) are scaled by pauseScale (tests shorten them).
    explicit TThreadHardAlarmIn(THardAlarmInHost& host, double pauseScale = 1.0);
    ~TThreadHardAlarmIn();
    TThreadHardAlarmIn(const TThreadHardAlarmIn&) = delete;
    TThreadHardAlarmIn& operator=(const TThreadHardAlarmIn&) = delete;

    // A probe arming: clears the suspend request and lets the thread run.
    void ResumePolling();
    // A probe disarming: the thread suspends itself after its next read.
    void RequestSuspend();
    // Ends the thread after its current step.
    void Stop();

    bool Suspended() const;
    // Rounds completed; tests wait on it.
    int Rounds() const;

private:
    void Execute();
    void Round();
    // Waits ms scaled; false when the stop flag was set meanwhile.
    bool Pause(int ms);
    void SuspendSelf();

    THardAlarmInHost& host_;
    double pauseScale_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool running_ = false; // false while suspended
    bool suspendRequest_ = false;
    bool stop_ = false;
    int rounds_ = 0;
    std::thread thread_;
};

// Work modes of the schedule that include probes.
bool ScheduleWatchesProbes(const std::string& status);

} // namespace vantrel
