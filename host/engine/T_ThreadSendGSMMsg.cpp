#include "host/engine/T_ThreadSendGSMMsg.h"

namespace vantrel {

TThreadSendGSMMsg::TThreadSendGSMMsg(TGSMCtrl& gsm, TSmsSenderHost& host, TSmsResultSink& sink)
    : gsm_(gsm), host_(host), sink_(sink) {
    for (auto& f : AlarmFlags)
        f = false;
    thread_ = std::thread([this] { Execute(); });
}

TThreadSendGSMMsg::~TThreadSendGSMMsg() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
        wake_.notify_all();
    }
    if (thread_.joinable()) thread_.join();
}

void TThreadSendGSMMsg::SetManualMessage(const SmsMessageBlock& block) {
    std::lock_guard<std::mutex> lock(mutex_);
    manual_ = block;
}

void TThreadSendGSMMsg::Resume() {
    std::lock_guard<std::mutex> lock(mutex_);
    resumePending_ = true;
    wake_.notify_all();
}

void TThreadSendGSMMsg::FlagAlarm(int channel) {
    if (channel < 0 || channel >= kSettingsChannels) return;
    AlarmFlags[channel] = true;
    Resume();
}

int TThreadSendGSMMsg::Passes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return passes_;
}

bool TThreadSendGSMMsg::Idle() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return idle_;
}

bool TThreadSendGSMMsg::Stopping() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stop_;
}

void TThreadSendGSMMsg::Suspend() {
    std::unique_lock<std::mutex> lock(mutex_);
    ++passes_;
    idle_ = true;
    wake_.notify_all();
    wake_.wait(lock, [this] { return resumePending_ || stop_; });
    resumePending_ = false;
    idle_ = false;
}

void TThreadSendGSMMsg::Execute() {
    const auto manual = [this] {
        std::lock_guard<std::mutex> lock(mutex_);
        return manual_;
    };
    int result = kSmsSent;
    if (!gsm_.ModemReady) result = gsm_.InitModem(manual());
    while (!Stopping()) {
        if (!gsm_.ModemReady) result = gsm_.InitModem(manual());
        if (!gsm_.ModemReady) {
            for (auto& f : AlarmFlags)
                f = false;
            const uintptr_t window = ResultWindow.exchange(0);
            if (window) sink_.PostResult(window, result);
            Suspend();
            continue;
        }
        if (const uintptr_t window = ResultWindow.exchange(0))
            result = gsm_.SendSms(manual(), window, &sink_);
        const int count = host_.ChannelCount();
        for (int i = 0; i < count && i < kSettingsChannels; ++i) {
            if (!AlarmFlags[i]) continue;
            result = gsm_.SendSms(host_.Record(i).Sms, 0, nullptr);
            AlarmFlags[i] = false;
            if (Stopping()) return;
        }
        Suspend();
    }
}

} // namespace vantrel
