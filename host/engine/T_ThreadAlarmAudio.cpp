#include "host/engine/T_ThreadAlarmAudio.h"

namespace vantrel {

std::string ProgramFile(const std::string& programPath, const char* name) {
    std::string path = programPath;
    if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
    return path + name;
}

TThreadAlarmAudio::TThreadAlarmAudio(TAlarmSoundPlayer& player, std::string programPath)
    : player_(player) {
    const char* names[4] = {"VL.WAV", "VD.WAV", "HD.WAV", "CA.WAV"};
    for (int i = 0; i < 4; ++i)
        files_[i] = ProgramFile(programPath, names[i]);
    for (auto& channel : flags_)
        for (auto& f : channel)
            f = 0;
}

TThreadAlarmAudio::~TThreadAlarmAudio() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void TThreadAlarmAudio::SetSound(int channel, int kindIndex, bool on) {
    if (channel < 0 || channel >= kSettingsChannels || kindIndex < 0 || kindIndex >= kAlarmKinds)
        return;
    flags_[channel][kindIndex] = on ? 1 : 0;
    Wake();
}

bool TThreadAlarmAudio::Sound(int channel, int kindIndex) const {
    if (channel < 0 || channel >= kSettingsChannels || kindIndex < 0 || kindIndex >= kAlarmKinds)
        return false;
    return flags_[channel][kindIndex] != 0;
}

void TThreadAlarmAudio::SetRemoteAlarm(bool on) {
    RemoteAlarm = on ? 1 : 0;
    if (on) Wake();
}

void TThreadAlarmAudio::Wake() {
    std::call_once(started_, [this] { thread_ = std::thread([this] { Execute(); }); });
    {
        std::lock_guard lock(mutex_);
        wakeRequested_ = true;
    }
    wake_.notify_all();
}

void TThreadAlarmAudio::Play(const std::string& path) {
    if (player_.FileExists(path))
        player_.PlayFile(path);
    else
        player_.Beep();
}

void TThreadAlarmAudio::Pause(int ms) {
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stop_.load(); });
}

bool TThreadAlarmAudio::PlayKind(int kindIndex) {
    bool found = false;
    for (auto& channel : flags_)
        if (channel[kindIndex]) {
            found = true;
            break;
        }
    found_[kindIndex] = found;
    if (found) {
        Play(files_[kindIndex]);
        Pause(200);
    }
    return found;
}

void TThreadAlarmAudio::Execute() {
    player_.OnThreadStart();
    while (!stop_) {
        {
            // A wake that comes while the round runs keeps the next wait from sleeping, so a
            // sound switched on at the end of a round is never missed.
            std::lock_guard lock(mutex_);
            wakeRequested_ = false;
        }
        try {
            if (!Muted) PlayKind(0);
            if (stop_) return;
            if (!Muted) PlayKind(1);
            if (stop_) return;
            if (!Muted) PlayKind(2);
            if (!Muted && RemoteAlarm) {
                Play(files_[3]);
                Pause(200);
            }
            if (stop_) return;
        } catch (...) {
        }
        Pause(200);
        if (!found_[0] && !found_[1] && !found_[2] && !RemoteAlarm) {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return wakeRequested_ || stop_.load(); });
        }
    }
}

} // namespace vantrel
