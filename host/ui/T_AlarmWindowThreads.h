// The two workers that act on the console when alarms arrive: opening and recording network
// channels that another host reports alarming, and bringing a motion-alarmed channel up full
// screen. Both do their window work through the host's step onto the user-interface thread.
#pragma once

#include "host/engine/T_AlarmThreads.h"
#include "host/engine/U_SettingsRecords.h"

#include "common/win/handles.h"

#include <atomic>
#include <functional>

namespace vantrel {

// What the two workers reach of the console.
class TAlarmWindowHost {
public:
    virtual ~TAlarmWindowHost() = default;
    virtual void Synchronize(const std::function<void()>& step) = 0;
    virtual int ChannelCount() = 0;
    virtual int BoardChannelCount() = 0;
    virtual bool PanePreviewing(int channel) = 0;
    virtual bool PanePlaying(int channel) = 0;
    virtual void OpenPreview(int channel) = 0;
    virtual bool FileOpen(int channel) = 0;
    virtual void StartChannel(int channel, char request, int recordingType) = 0;
    virtual int PaneState(int channel) = 0;
    virtual void ToggleFullScreen() = 0;
    virtual void PaneDblClick(int channel) = 0;
};

class TThreadOpenAllForAlarmUp {
public:
    explicit TThreadOpenAllForAlarmUp(TAlarmWindowHost& host);
    ~TThreadOpenAllForAlarmUp();
    TThreadOpenAllForAlarmUp(const TThreadOpenAllForAlarmUp&) = delete;
    TThreadOpenAllForAlarmUp& operator=(const TThreadOpenAllForAlarmUp&) = delete;

    std::atomic<uint8_t> PreviewRequests[kSettingsChannels];
    std::atomic<uint8_t> RecordRequests[kSettingsChannels];
    // Sets the stop flag; the destructor also waits for the thread.
    void Stop();

private:
    static DWORD WINAPI ThreadMain(LPVOID self);
    void Pass();
    TAlarmWindowHost& host_;
    dvr::win::Event stop_;
    dvr::win::Thread thread_;
};

// Each thread message is a request with the channel in wParam.
class TThreadAutoFullScreen : public TMessageThread {
public:
    explicit TThreadAutoFullScreen(TAlarmWindowHost& host);
    ~TThreadAutoFullScreen() override;

private:
    void OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    TAlarmWindowHost& host_;
};

} // namespace vantrel
