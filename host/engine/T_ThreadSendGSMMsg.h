// The SMS sender thread: the manual message first, then one message per channel the alarm
// dispatcher has flagged; it sleeps whenever it has nothing to do.
#pragma once

#include "host/engine/U_GSMCtrl.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace vantrel {

class TSmsSenderHost {
public:
    virtual ~TSmsSenderHost() = default;
    virtual int ChannelCount() const = 0;
    virtual const TAlarmSetRecord& Record(int channel) const = 0;
};

class TThreadSendGSMMsg {
public:
    // Starts at once (and sets up the modem with the still empty manual message).
    TThreadSendGSMMsg(TGSMCtrl& gsm, TSmsSenderHost& host, TSmsResultSink& sink);
    ~TThreadSendGSMMsg();
    TThreadSendGSMMsg(const TThreadSendGSMMsg&) = delete;
    TThreadSendGSMMsg& operator=(const TThreadSendGSMMsg&) = delete;

    std::atomic<bool> AlarmFlags[kSettingsChannels];
    std::atomic<uintptr_t> ResultWindow{0};

    // The manual window's message: copied in before the window resumes the thread.
    void SetManualMessage(const SmsMessageBlock& block);
    // A resume that arrives while the thread works is kept for its next pass, so a flag or a
    // manual message set meanwhile is never left waiting.
    void Resume();
    // The dispatcher's request for a channel's alarm message.
    void FlagAlarm(int channel);
    // Passes done; tests wait on it.
    int Passes() const;
    bool Idle() const;

private:
    void Execute();
    void Suspend();
    bool Stopping() const;

    TGSMCtrl& gsm_;
    TSmsSenderHost& host_;
    TSmsResultSink& sink_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    SmsMessageBlock manual_{};
    bool resumePending_ = false;
    bool idle_ = false;
    bool stop_ = false;
    int passes_ = 0;
    std::thread thread_;
};

} // namespace vantrel
