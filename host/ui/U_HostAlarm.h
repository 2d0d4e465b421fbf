// The alarm units bound to the host's real objects: detection, the dispatcher, the alarm-box
// input poller and the alarm boxes each see the host through one adapter here, and the console
// shows detection with a status picture per channel, a label per pane and area outlines.
#pragma once

#include "host/engine/T_ThreadHardAlarmIn.h"
#include "host/engine/T_ThreadSendGSMMsg.h"
#include "host/engine/U_Alarm.h"
#include "host/engine/U_AlarmDevice.h"
#include "host/engine/U_AlarmDispatcher.h"
#include "host/ui/U_AreaRect.h"

#include "framework/ui/extctrls.h"
#include "framework/ui/stdctrls.h"
#include "framework/ui/timer.h"

#include <array>
#include <atomic>
#include <memory>
#include <vector>

namespace vantrel {

class THost;

class THostAlarmDetect : public TAlarmDetectHost {
public:
    explicit THostAlarmDetect(THost& host) : host_(host) {}
    int BoardChannelCount() const override;
    const TAlarmSetRecord& Record(int channel) const override;
    bool MayDetect(int channel) override;
    void SetupMotionDetection(int channel, const std::vector<MotionArea>& areas) override;
    int StartMotionDetection(int channel) override;
    int StopMotionDetection(int channel) override;
    void MotionAnalyzer(int channel, const uint8_t* data, int length, int sensitivity,
                        int32_t results[kAlarmAreas]) override;
    int GetVideoSignal(int channel) override;
    void ResumeProbePolling() override;
    void SuspendProbePolling() override;
    void SwitchAlarmOutputs(int channel, int kindIndex, bool on) override;
    bool EncoderRunning(int channel) const override;
    bool FileOpen(int channel) const override;
    int RecordingType(int channel) const override;
    bool PreAlarmArmed(int channel) const override;
    void SetPreAlarmArmed(int channel, bool on) override;
    void StopPreAlarm(int channel) override;
    void StartChannel(int channel, char request, int recordingType) override;
    void StopChannel(int channel, char request) override;
    void ShowState(int channel, TAlarmDisplay state) override;
    void SetOutlines(int channel, uint32_t colour, bool visible) override;
    void SetSound(int channel, int kindIndex, bool on) override;
    bool PostToDispatcher(unsigned message, uintptr_t wParam, intptr_t lParam) override;
    void PostKeepEnd(int channel, int what) override;
    void WorkLog(int event, int channel, int index) override;
    void Pause(int ms) override;
    void AdjustMotionPrecision(int channel, int level) override;
    void SetOutlineCount(int channel, int count) override;
    bool HasBoard() const override;
    bool CycleMode() const override;
    bool StatusImageEnabled(int) const override { return true; }
    void ShowMessage(const char* utf8Text) override;
    void RequestStopDetection(int channel) override;
    void RequestStartDetection(int channel) override;

private:
    THost& host_;
};

class THostAlarmDispatch : public TAlarmDispatchHost {
public:
    explicit THostAlarmDispatch(THost& host) : host_(host) {}
    int BoardChannelCount() const override;
    int ChannelCount() const override;
    const TAlarmSetRecord& Record(int channel) const override;
    bool AutoMode() const override;
    bool Armed(int channel) const override;
    bool Alarming(int channel) const override;
    void SetSound(int channel, int kindIndex, bool on) override;
    int OutlineCount(int channel) const override;
    void ShowAlarmOutline(int channel, int area) override;
    bool AutoFullScreenSelects(int channel) const override;
    void PostAutoFullScreen(int channel) override;
    bool FileOpen(int channel) const override;
    int RecordingType(int channel) const override;
    void StartChannel(int channel, char request, int recordingType) override;
    void EmptyPreAlarmChain(int channel) override;
    void ShowAlarming(int channel) override;
    void QueueMapAlarm(const AlarmUploadRecord& record) override;
    void PostMapAlarm(int raise) override;
    void WorkLog(int event, int channel, int index) override;
    bool SwitchAlarmOutputs(int channel, int kindIndex, bool on) override;
    void PostCallPreset(int channel, int input) override;
    void StartSms(int channel) override;
    void Dial(const TAlarmSetRecord& record) override;
    std::vector<TAlarmViewer> Viewers(int channel) const override;
    std::string OwnAddress() const override;
    int MessagePort() const override;
    void SendRecord(const AlarmUploadRecord& record, const std::string& host, int port) override;
    double Now() const override;
    void Sleep(int ms) override;

private:
    THost& host_;
};

class THostHardAlarmIn : public THardAlarmInHost {
public:
    explicit THostHardAlarmIn(THost& host) : host_(host) {}
    int BoardChannelCount() const override;
    bool AutoMode() const override;
    std::string ScheduleStatus(int channel) const override;
    bool Armed(int channel) const override;
    const TAlarmSetRecord& Record(int channel) const override;
    bool ReadInputs(int channel, uint8_t inputs[kBoxPoints]) override;
    void PostAlarmRaised(int channel, long lParam) override;

private:
    THost& host_;
};

class THostAlarmBoxes : public TAlarmDeviceHost, public TSmsSenderHost {
public:
    explicit THostAlarmBoxes(THost& host) : host_(host) {}
    const TAlarmSetRecord& Record(int channel) const override;
    int ChannelCount() const override;
    bool Alarming(int channel) const override;

private:
    THost& host_;
};

// What shows detection on the console: the status pictures beside the panes, the "侦" label
// of each pane and the outlines of the motion areas. User-interface thread only.
class TAlarmDisplayView : public dvr::fw::TObject {
public:
    TAlarmDisplayView(THost& host, dvr::fw::TWinControl* mainWindow);
    ~TAlarmDisplayView();

    std::array<dvr::fw::TPanel*, kSettingsChannels> StatusImages{};
    std::array<dvr::fw::TPanel*, kSettingsChannels> DetectLabels{};
    std::array<std::vector<std::unique_ptr<TAreaRect>>, kSettingsChannels> Outlines;
    // Read by the dispatcher thread.
    std::array<std::atomic<int>, kSettingsChannels> OutlineCounts{};
    std::array<TAlarmDisplay, kSettingsChannels> States{};
    // The 3-second alarm timing.
    dvr::fw::TTimer* Timer = nullptr;

    void ShowState(int channel, TAlarmDisplay state);
    void SetOutlineCount(int channel, int count);
    void PlaceOutlines(int channel);
    void SetOutlines(int channel, uint32_t colour, bool visible);
    void ShowAreaOutlines();
    void HideAreaOutlines();
    void SetStatusImageCount(int count);

private:
    void StatusClick(dvr::fw::TObject* sender);
    void TimerTimer(dvr::fw::TObject* sender);
    THost& host_;
};

} // namespace vantrel
