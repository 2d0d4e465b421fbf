// Plays each alarm kind's sound once per round while any channel has that kind's sound on.
#pragma once

#include "host/engine/U_SettingsRecords.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace vantrel {

// Where sounds go; the Windows player uses PlaySoundA, tests record the calls.
class TAlarmSoundPlayer {
public:
    virtual ~TAlarmSoundPlayer() = default;
    virtual bool FileExists(const std::string& path) = 0;
    // Returns when the sound has ended.
    virtual void PlayFile(const std::string& path) = 0;
    virtual void Beep() = 0;
    // First thing on the sound thread (the Windows player lowers its priority).
    virtual void OnThreadStart() {}
};

class TThreadAlarmAudio {
public:
    // programPath: the folder of "VL.WAV", "VD.WAV", "HD.WAV" and "CA.WAV" (GBK).
    TThreadAlarmAudio(TAlarmSoundPlayer& player, std::string programPath);
    ~TThreadAlarmAudio();
    TThreadAlarmAudio(const TThreadAlarmAudio&) = delete;
    TThreadAlarmAudio& operator=(const TThreadAlarmAudio&) = delete;

    void SetVideoLostSound(int channel, bool on) { SetSound(channel, 0, on); }
    void SetMotionSound(int channel, bool on) { SetSound(channel, 1, on); }
    void SetProbeSound(int channel, bool on) { SetSound(channel, 2, on); }
    // kindIndex 0 video loss, 1 motion, 2 probe; starts or wakes the thread, also for off.
    void SetSound(int channel, int kindIndex, bool on);
    bool Sound(int channel, int kindIndex) const;

    void Mute() { Muted = 1; }
    void Unmute() { Muted = 0; }
    // The sound of alarms from other hosts; setting it wakes the thread.
    void SetRemoteAlarm(bool on);

    std::atomic<uint8_t> Muted{0};
    std::atomic<uint8_t> RemoteAlarm{0};

private:
    void Execute();
    // Plays the kind's sound if any channel has its flag; whether one had.
    bool PlayKind(int kindIndex);
    void Play(const std::string& path);
    void Pause(int ms);
    void Wake();

    TAlarmSoundPlayer& player_;
    std::string files_[4];
    std::atomic<uint8_t> flags_[kSettingsChannels][kAlarmKinds];
    bool found_[kAlarmKinds] = {};
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
    bool wakeRequested_ = false;
    std::once_flag started_;
    std::thread thread_;
};

// The full name of a file in the program folder.
std::string ProgramFile(const std::string& programPath, const char* name);

} // namespace vantrel
