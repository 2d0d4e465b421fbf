#include "host/net/U_RemoteAlarmList.h"

#include "host/engine/U_Conversions.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace vantrel {

TRemoteAlarmRow TRemoteAlarmList::RowOf(const AlarmUploadRecord& record) {
    TRemoteAlarmRow row;
    const DateTimeParts t = DecodeOleDate(record.Time);
    char time[32];
    std::snprintf(time, sizeof time, "%04d-%02d-%02d %02d:%02d:%02d", t.Year, t.Month, t.Day,
                  t.Hour, t.Minute, t.Second);
    row.Time = time;
    switch (record.Kind) {
    case kAlarmVideoLoss:
        row.Kind = "视频丢失";
        break;
    case kAlarmMotion:
        row.Kind = "视频侦测";
        break;
    case kAlarmProbe:
        row.Kind = "探头侦测";
        break;
    default:
        break;
    }
    row.Channel = std::to_string(record.Channel + 1);
    row.Area = std::to_string(record.Index + 1);
    if (record.Kind == kAlarmProbe)
        row.Area += " (报警盒地址：" + std::to_string(record.InBoxAddress);
    row.Address = record.HostAddress.Get();
    return row;
}

void TRemoteAlarmList::AddAlarm(const AlarmUploadRecord& record) {
    if (record.HostAddress.View().empty()) return;
    queue_.push_back(record);
}

void TRemoteAlarmList::DropHead() {
    if (!queue_.empty()) queue_.pop_front();
}

void TRemoteAlarmList::ShowNext() {
    if (queue_.empty()) return;
    rows_.push_back(RowOf(queue_.front()));
    selected_ = int(rows_.size()) - 1;
    view_.RowsChanged(selected_);
    if (Sound) {
        host_.SetRemoteAlarmSound(true);
        view_.StopSoundTimer();
        view_.StartSoundTimer(std::clamp(SoundSeconds, 5, 100000) * 1000);
    }
    DropHead();
    if (AutoShow && view_.MainWindowVisible()) view_.ShowWindow();
    if (AutoConnect) ConnectSelected(selected_);
    if (rows_.size() > size_t(kMaxRemoteAlarmRows)) Clear();
}

void TRemoteAlarmList::ConnectSelected(int row) {
    if (row < 0 || size_t(row) >= rows_.size()) return;
    const int pane = host_.SelectedPane();
    const int boards = host_.BoardChannelCount();
    if (pane < boards || pane >= kSettingsChannels) return;
    const int slot = pane - boards;
    const int remoteChannel = std::atoi(rows_[size_t(row)].Channel.c_str()) - 1;
    const std::string address = rows_[size_t(row)].Address;
    const bool previewing = host_.PanePreviewing(pane);
    if (previewing && host_.SlotRemoteChannel(slot) == remoteChannel &&
        host_.SlotGroupAddress(slot) == address)
        return;
    if (previewing) {
        host_.ClosePreview(pane);
        host_.StopNetworkRecording(pane);
    }
    host_.Pause(50);
    host_.SetSlotTarget(slot, remoteChannel, address);
    host_.RequestOpenOnAlarm(pane);
    host_.ClearRecordOnAlarm(pane);
}

void TRemoteAlarmList::StopSound() {
    host_.SetRemoteAlarmSound(false);
    view_.StopSoundTimer();
}

void TRemoteAlarmList::SetSound(bool on) {
    Sound = on;
    if (!on) StopSound();
}

void TRemoteAlarmList::SoundTimerFired() {
    StopSound();
}

void TRemoteAlarmList::Clear() {
    rows_.clear();
    selected_ = -1;
    view_.RowsChanged(-1);
}

} // namespace vantrel
