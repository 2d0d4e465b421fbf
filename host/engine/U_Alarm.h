// Arming and disarming detection per board channel, motion analysis, the video-loss poll and
// the timing that ends alarms and their recordings. Windows, threads and the board are reached
// through TAlarmDetectHost; the dispatcher's latches are shared with it.
#pragma once

#include "host/engine/U_AlarmKinds.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace vantrel {

enum class TAlarmDisplay { Idle, Armed, Alarming };

class TAlarmDetectHost {
public:
    virtual ~TAlarmDetectHost() = default;
    virtual int BoardChannelCount() const = 0;
    virtual const TAlarmSetRecord& Record(int channel) const = 0;
    // Right 5 of the current user for the channel.
    virtual bool MayDetect(int channel) = 0;
    // Board.
    virtual void SetupMotionDetection(int channel, const std::vector<MotionArea>& areas) = 0;
    virtual int StartMotionDetection(int channel) = 0;
    virtual int StopMotionDetection(int channel) = 0;
    virtual void MotionAnalyzer(int channel, const uint8_t* data, int length, int sensitivity,
                                int32_t results[kAlarmAreas]) = 0;
    // Nonzero: no video.
    virtual int GetVideoSignal(int channel) = 0;
    // Probe polling (global): resume, or suspend after the next box read.
    virtual void ResumeProbePolling() = 0;
    virtual void SuspendProbePolling() = 0;
    virtual void SwitchAlarmOutputs(int channel, int kindIndex, bool on) = 0;
    // Recording engine.
    virtual bool EncoderRunning(int channel) const = 0;
    virtual bool FileOpen(int channel) const = 0;
    virtual int RecordingType(int channel) const = 0;
    virtual bool PreAlarmArmed(int channel) const = 0;
    virtual void SetPreAlarmArmed(int channel, bool on) = 0;
    // Under the channel's lock: stop an encoder that writes no file, disarm and empty the
    // pre-alarm chain.
    virtual void StopPreAlarm(int channel) = 0;
    virtual void StartChannel(int channel, char request, int recordingType) = 0;
    virtual void StopChannel(int channel, char request) = 0;
    // Console: status picture and detection label together; outlines of the channel.
    virtual void ShowState(int channel, TAlarmDisplay state) = 0;
    virtual void SetOutlines(int channel, uint32_t colour, bool visible) = 0;
    virtual void SetSound(int channel, int kindIndex, bool on) = 0;
    // Thread messages; false when the post failed.
    virtual bool PostToDispatcher(unsigned message, uintptr_t wParam, intptr_t lParam) = 0;
    virtual void PostKeepEnd(int channel, int what) = 0;
    virtual void WorkLog(int event, int channel, int index) = 0;
    virtual void Pause(int ms) = 0;
    // Board motion precision of the channel (level 0..6).
    virtual void AdjustMotionPrecision(int channel, int level) = 0;
    // Makes the channel's outline list exactly `count` long, placed on the pane and hidden.
    virtual void SetOutlineCount(int channel, int count) = 0;
    // What a click on a status image needs to know and may do.
    virtual bool HasBoard() const = 0;
    virtual bool CycleMode() const = 0;
    virtual bool StatusImageEnabled(int channel) const = 0;
    virtual void ShowMessage(const char* utf8Text) = 0;
    virtual void RequestStopDetection(int channel) = 0;
    virtual void RequestStartDetection(int channel) = 0;
};

class TAlarm {
public:
    TAlarm(TAlarmDetectHost& host, TAlarmLatches& latches);

    int StartDetection(int channel, int mode);
    int StopDetection(int channel);
    int StartDetectionKind(int channel, char kind);
    int StopDetectionKind(int channel, char kind);
    // On the board SDK's notifier thread; always 0.
    int AnalyzeMotionData(int channel, const uint8_t* data, int length);
    // One round of the video-loss poll over the board channels.
    void PollVideoLoss();
    void EndAlarm(int channel);
    void ResetAlarmTimers(int channel);
    // The 3-second timer.
    void CountAlarmTimes();
    // What the keep-end thread runs on the user-interface thread.
    void KeepEnd(int channel, int what);

    // At creation and whenever the areas, the settings or the channel map change.
    void ApplyAreaSettings();
    void StatusImageClick(int channel);
    bool IsAutoControlled(int channel) const;

    void SetAutoMode() { AutoMode = 1; }
    void ClearAutoMode() { AutoMode = 0; }

    std::atomic<uint8_t> Armed[kSettingsChannels];
    std::atomic<uint8_t> Alarming[kSettingsChannels];
    std::atomic<uint8_t> Watch[kSettingsChannels];
    std::atomic<uint8_t> SignalPresent[kSettingsChannels];
    int32_t HoldSeconds[kSettingsChannels];
    int32_t LinkedRecordSeconds[kSettingsChannels];
    int32_t MotionResults[kAlarmAreas] = {};
    std::atomic<uint8_t> AutoMode{0};

private:
    bool IsBoardChannel(int channel) const;

    TAlarmDetectHost& host_;
    TAlarmLatches& latches_;
};

} // namespace vantrel
