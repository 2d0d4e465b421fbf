#include "host/engine/U_Alarm.h"

#include <algorithm>

namespace vantrel {

TAlarm::TAlarm(TAlarmDetectHost& host, TAlarmLatches& latches) : host_(host), latches_(latches) {
    for (int c = 0; c < kSettingsChannels; ++c) {
        Armed[c] = 0;
        Alarming[c] = 0;
        Watch[c] = 0;
        SignalPresent[c] = 1;
        HoldSeconds[c] = -1;
        LinkedRecordSeconds[c] = -1;
    }
}

bool TAlarm::IsBoardChannel(int channel) const {
    return channel >= 0 && channel < std::min(host_.BoardChannelCount(), kSettingsChannels);
}

int TAlarm::StartDetection(int channel, int mode) {
    if (!IsBoardChannel(channel)) return -1;
    if (!host_.MayDetect(channel)) return -1;
    const TAlarmSetRecord& record = host_.Record(channel);
    std::vector<char> kinds = DetectionKindsForMode(mode, record);
    bool anyStarted = kinds.empty();
    for (char kind : kinds)
        if (StartDetectionKind(channel, kind) == 0) anyStarted = true;
    if (!anyStarted) return -1;
    host_.ShowState(channel, TAlarmDisplay::Armed);
    Armed[channel] = 1;
    if (record.PreRecord) {
        host_.SetPreAlarmArmed(channel, true);
        if (!host_.EncoderRunning(channel)) host_.StartChannel(channel, ')', 4);
    }
    host_.WorkLog(kLogDetectionStarted, channel, -1);
    return 0;
}

int TAlarm::StartDetectionKind(int channel, char kind) {
    if (!IsBoardChannel(channel)) return 0;
    switch (kind) {
    case kAlarmVideoLoss:
        Watch[channel] = 1;
        return 0;
    case kAlarmMotion:
        host_.SetupMotionDetection(channel, BuildMotionAreas(host_.Record(channel)));
        return host_.StartMotionDetection(channel);
    case kAlarmProbe:
        host_.ResumeProbePolling();
        return 0;
    default:
        return 0;
    }
}

int TAlarm::StopDetectionKind(int channel, char kind) {
    if (channel >= 0 && channel < kSettingsChannels && Alarming[channel])
        host_.PostToDispatcher(WM_ALARMCLEARED, channel, kind);
    int result = 0;
    if (IsBoardChannel(channel)) {
        if (kind == kAlarmVideoLoss) Watch[channel] = 0;
        if (kind == kAlarmMotion) result = host_.StopMotionDetection(channel);
        if (kind == kAlarmProbe) host_.SuspendProbePolling();
    }
    host_.SwitchAlarmOutputs(channel, AlarmKindIndex(kind), false);
    return result;
}

int TAlarm::StopDetection(int channel) {
    if (channel < 0 || channel >= kSettingsChannels) return -1;
    if (!host_.MayDetect(channel)) return -1;
    for (char kind : {kAlarmVideoLoss, kAlarmMotion, kAlarmProbe})
        if (StopDetectionKind(channel, kind) != 0) return -1;
    Armed[channel] = 0;
    Alarming[channel] = 0;
    if (host_.PreAlarmArmed(channel)) host_.StopPreAlarm(channel);
    host_.ShowState(channel, TAlarmDisplay::Idle);
    HoldSeconds[channel] = -1;
    LinkedRecordSeconds[channel] = 0;
    latches_.Clear(channel, kAlarmMotion);
    if (host_.FileOpen(channel)) host_.StopChannel(channel, IsBoardChannel(channel) ? ')' : '+');
    for (int k = 0; k < kAlarmKinds; ++k)
        host_.SetSound(channel, k, false);
    host_.SetOutlines(channel, kColourGreen, false);
    host_.WorkLog(kLogDetectionStopped, channel, -1);
    return 0;
}

int TAlarm::AnalyzeMotionData(int channel, const uint8_t* data, int length) {
    if (!IsBoardChannel(channel)) return 0;
    const TAlarmSetRecord& record = host_.Record(channel);
    int n = std::clamp<int>(record.AreaCount, 0, kAlarmAreas);
    if (n == 0) n = 1;
    try {
        host_.MotionAnalyzer(channel, data, length, record.Sensitivity, MotionResults);
    } catch (...) {
        return 0;
    }
    if (!SignalPresent[channel] || !Armed[channel]) return 0;
    for (int i = 0; i < n; ++i) {
        if (MotionResults[i] <= 0 || latches_.Motion[channel][i]) continue;
        if (!Armed[channel]) break;
        if (!host_.PostToDispatcher(WM_ALARMRAISED, channel, RaisedParam(kAlarmMotion, i))) break;
    }
    return 0;
}

void TAlarm::PollVideoLoss() {
    int boards = std::min(host_.BoardChannelCount(), kSettingsChannels);
    for (int c = 0; c < boards; ++c) {
        if (host_.GetVideoSignal(c) != 0) {
            SignalPresent[c] = 0;
            if (Watch[c] && !latches_.VideoLoss[c])
                host_.PostToDispatcher(WM_ALARMRAISED, c, kAlarmVideoLoss);
            host_.Pause(5);
        } else {
            SignalPresent[c] = 1;
        }
    }
}

void TAlarm::ResetAlarmTimers(int channel) {
    if (channel < 0 || channel >= kSettingsChannels) return;
    HoldSeconds[channel] = 0;
    LinkedRecordSeconds[channel] = 0;
}

void TAlarm::CountAlarmTimes() {
    int boards = std::min(host_.BoardChannelCount(), kSettingsChannels);
    for (int c = 0; c < boards; ++c) {
        const TAlarmSetRecord& record = host_.Record(c);
        if (host_.RecordingType(c) == 1 && !Alarming[c] && host_.FileOpen(c)) {
            LinkedRecordSeconds[c] += 3;
            if (LinkedRecordSeconds[c] >= record.RecordDelaySeconds) {
                host_.PostKeepEnd(c, kKeepEndStopRecording);
                LinkedRecordSeconds[c] = -1;
            }
        }
        if (Alarming[c] && HoldSeconds[c] >= 0) {
            HoldSeconds[c] += 3;
            if (HoldSeconds[c] >= record.AlarmHoldSeconds) {
                host_.PostKeepEnd(c, kKeepEndEndAlarm);
                LinkedRecordSeconds[c] = 0;
            }
        }
    }
}

void TAlarm::KeepEnd(int channel, int what) {
    if (what == kKeepEndStopRecording) host_.StopChannel(channel, ')');
    if (what == kKeepEndEndAlarm) EndAlarm(channel);
}

void TAlarm::ApplyAreaSettings() {
    int boards = std::min(host_.BoardChannelCount(), kSettingsChannels);
    for (int c = 0; c < boards; ++c) {
        const TAlarmSetRecord& record = host_.Record(c);
        host_.AdjustMotionPrecision(c, record.MotionLevel);
        host_.SetOutlineCount(c, std::clamp<int>(record.AreaCount, 0, kAlarmAreas));
    }
}

bool TAlarm::IsAutoControlled(int channel) const {
    return AutoMode && host_.StatusImageEnabled(channel);
}

void TAlarm::StatusImageClick(int channel) {
    if (channel < 0 || channel >= kSettingsChannels) return;
    if (!host_.HasBoard() && host_.CycleMode()) {
        host_.ShowMessage("对不起，系统处于轮视模式中，操作无效！");
        return;
    }
    if (IsAutoControlled(channel)) {
        host_.ShowMessage("对不起，系统处于自动工作模式，操作无效！");
        return;
    }
    if (Armed[channel] || Alarming[channel])
        host_.RequestStopDetection(channel);
    else
        host_.RequestStartDetection(channel);
}

void TAlarm::EndAlarm(int channel) {
    if (channel < 0 || channel >= kSettingsChannels || !Alarming[channel]) return;
    host_.ShowState(channel, TAlarmDisplay::Armed);
    Alarming[channel] = 0;
    HoldSeconds[channel] = -1;
    LinkedRecordSeconds[channel] = 0;
    latches_.Clear(channel, kAlarmMotion);
    for (int k = 0; k < kAlarmKinds; ++k)
        host_.SetSound(channel, k, false);
    for (int k = 0; k < kAlarmKinds; ++k)
        host_.SwitchAlarmOutputs(channel, k, false);
    host_.SetOutlines(channel, kColourGreen, false);
    for (char kind : {kAlarmVideoLoss, kAlarmMotion, kAlarmProbe})
        host_.PostToDispatcher(WM_ALARMCLEARED, channel, kind);
    host_.WorkLog(kLogDetectionStopped, channel, -1);
}

} // namespace vantrel
