#include "host/engine/T_ThreadHardAlarmIn.h"

#include "host/engine/U_AlarmKinds.h"

#include <chrono>

namespace vantrel {

bool ScheduleWatchesProbes(const std::string& status) {
    for (int mode : {1, 2, 5, 6, 11, 12})
        if (size_t(mode) < status.size() && status[size_t(mode)] == '1') return true;
    return false;
}

TThreadHardAlarmIn::TThreadHardAlarmIn(THardAlarmInHost& host, double pauseScale)
    : host_(host), pauseScale_(pauseScale), thread_([this] { Execute(); }) {}

TThreadHardAlarmIn::~TThreadHardAlarmIn() {
    Stop();
    if (thread_.joinable()) thread_.join();
}

void TThreadHardAlarmIn::ResumePolling() {
    std::lock_guard<std::mutex> lock(mutex_);
    suspendRequest_ = false;
    running_ = true;
    wake_.notify_all();
}

void TThreadHardAlarmIn::RequestSuspend() {
    std::lock_guard<std::mutex> lock(mutex_);
    suspendRequest_ = true;
}

void TThreadHardAlarmIn::Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
    wake_.notify_all();
}

bool TThreadHardAlarmIn::Suspended() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return !running_;
}

int TThreadHardAlarmIn::Rounds() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return rounds_;
}

bool TThreadHardAlarmIn::Pause(int ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    const auto span = std::chrono::microseconds(long(ms * 1000 * pauseScale_));
    wake_.wait_for(lock, span, [this] { return stop_; });
    return !stop_;
}

void TThreadHardAlarmIn::SuspendSelf() {
    std::unique_lock<std::mutex> lock(mutex_);
    running_ = false;
    wake_.wait(lock, [this] { return running_ || stop_; });
}

void TThreadHardAlarmIn::Execute() {
    {
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait(lock, [this] { return running_ || stop_; });
    }
    for (;;) {
        try {
            Round();
        } catch (...) {
            // The round ends; the next one starts after the pause.
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++rounds_;
        }
        if (!Pause(500)) return;
    }
}

void TThreadHardAlarmIn::Round() {
    const int channels = host_.BoardChannelCount();
    for (int c = 0; c < channels && c < kSettingsChannels; ++c) {
        if (!Pause(10)) return;
        if (host_.AutoMode() && !ScheduleWatchesProbes(host_.ScheduleStatus(c))) continue;
        uint8_t inputs[kBoxPoints] = {};
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stop_) return;
        }
        const bool read = host_.ReadInputs(c, inputs);
        bool suspend;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            suspend = suspendRequest_;
        }
        if (suspend) {
            SuspendSelf();
            std::lock_guard<std::mutex> lock(mutex_);
            if (stop_) return;
        }
        const TAlarmSetRecord& r = host_.Record(c);
        if (!read || !host_.Armed(c) || !r.ProbeOn) continue;
        for (int j = 0; j < kBoxPoints; ++j)
            if (r.InputOn[j] && inputs[j]) host_.PostAlarmRaised(c, RaisedParam(kAlarmProbe, j));
    }
}

} // namespace vantrel
