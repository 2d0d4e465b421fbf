// What the alarm dispatcher does with one raise or clear: latches, then the linked actions of
// the channel's alarm settings in a fixed order. The thread around it is T_ThreadAlarmingMsg.
#pragma once

#include "host/engine/U_AlarmKinds.h"

#include <string>
#include <vector>

namespace vantrel {

// A live viewer of a channel, as the dispatcher sends it alarm records.
struct TAlarmViewer {
    bool Closed = false;
    std::string RequestHostAddress; // the address the viewer used to reach this host
    std::string Address;
    std::string SubscriptionAddress; // empty: no alarm subscription
    int SubscriptionPort = -1;
};

// Everything the dispatcher reaches outside itself. Calls may throw; each step is guarded.
class TAlarmDispatchHost {
public:
    virtual ~TAlarmDispatchHost() = default;
    virtual int BoardChannelCount() const = 0;
    virtual int ChannelCount() const = 0;
    virtual const TAlarmSetRecord& Record(int channel) const = 0;
    virtual bool AutoMode() const = 0;
    virtual bool Armed(int channel) const = 0;
    virtual bool Alarming(int channel) const = 0;
    virtual void SetSound(int channel, int kindIndex, bool on) = 0;
    // Turns the outline red and shows it (on the user-interface thread).
    virtual int OutlineCount(int channel) const = 0;
    virtual void ShowAlarmOutline(int channel, int area) = 0;
    virtual bool AutoFullScreenSelects(int channel) const = 0;
    virtual void PostAutoFullScreen(int channel) = 0;
    // Recording engine.
    virtual bool FileOpen(int channel) const = 0;
    virtual int RecordingType(int channel) const = 0;
    virtual void StartChannel(int channel, char request, int recordingType) = 0;
    virtual void EmptyPreAlarmChain(int channel) = 0;
    // Alarm picture and red label (on the user-interface thread), then Alarming := true and
    // the hold time restarted.
    virtual void ShowAlarming(int channel) = 0;
    virtual void QueueMapAlarm(const AlarmUploadRecord& record) = 0;
    virtual void PostMapAlarm(int raise) = 0;
    virtual void WorkLog(int event, int channel, int index) = 0;
    virtual bool SwitchAlarmOutputs(int channel, int kindIndex, bool on) = 0;
    virtual void PostCallPreset(int channel, int input) = 0;
    virtual void StartSms(int channel) = 0;
    virtual void Dial(const TAlarmSetRecord& record) = 0;
    virtual std::vector<TAlarmViewer> Viewers(int channel) const = 0;
    virtual std::string OwnAddress() const = 0;
    virtual int MessagePort() const = 0;
    virtual void SendRecord(const AlarmUploadRecord& record, const std::string& host, int port) = 0;
    virtual double Now() const = 0;
    virtual void Sleep(int ms) = 0;
};

class TAlarmDispatcher {
public:
    TAlarmDispatcher(TAlarmDispatchHost& host, TAlarmLatches& latches)
        : host_(host), latches_(latches) {}

    // WM_ALARMCLEARED is a clear; every other message a raise.
    void Handle(unsigned message, uintptr_t wParam, intptr_t lParam);
    void Raise(int channel, int kind, int index);
    void Clear(int channel, int kind);

private:
    // Whether the common steps may run.
    bool Gate(int channel, int kind, int index);
    void Common(int channel, int kind, int index);
    void LinkRecording(int channel, const TAlarmSetRecord& record);
    void Upload(int channel, const TAlarmSetRecord& record);
    void SetAddresses(const std::string& host, const std::string& viewer);

    TAlarmDispatchHost& host_;
    TAlarmLatches& latches_;
    // One buffer reused for every record: fields a step does not set keep their last value.
    AlarmUploadRecord record_{};
};

} // namespace vantrel
