// The remote alarm list behind its window: the queue of uploads from other hosts, one row per
// shown alarm, the remote-alarm sound for a set time, popping up, and switching the selected
// network pane to the alarming host's channel. The window's side is TRemoteAlarmListView, the
// engine's TRemoteAlarmListHost. Portable: no windows.h.
#pragma once

#include "host/engine/U_AlarmKinds.h"

#include <deque>
#include <string>
#include <vector>

namespace vantrel {

// One row; texts UTF-8 but the address, which stays as the record holds it (GBK).
struct TRemoteAlarmRow {
    std::string Time;    // "YYYY-MM-DD HH:MM:SS"
    std::string Kind;    // "视频丢失", "视频侦测", "探头侦测"
    std::string Channel; // channel + 1
    std::string Area;    // area or input + 1, for a probe with the box address
    std::string Address;
};

class TRemoteAlarmListView {
public:
    virtual ~TRemoteAlarmListView() = default;
    // The rows changed; `focus` is the row that takes the focus (-1 none).
    virtual void RowsChanged(int focus) = 0;
    virtual bool MainWindowVisible() = 0;
    virtual void ShowWindow() = 0;
    virtual void StartSoundTimer(int ms) = 0; // one shot, restarted
    virtual void StopSoundTimer() = 0;
};

class TRemoteAlarmListHost {
public:
    virtual ~TRemoteAlarmListHost() = default;
    virtual void SetRemoteAlarmSound(bool on) = 0; // TThreadAlarmAudio.RemoteAlarm
    virtual int BoardChannelCount() const = 0;
    virtual int SelectedPane() const = 0; // TPreview.SelectedPane
    virtual bool PanePreviewing(int channel) const = 0;
    virtual int SlotRemoteChannel(int slot) const = 0;
    virtual std::string SlotGroupAddress(int slot) const = 0;
    virtual void ClosePreview(int channel) = 0;         // TPreview.ClosePreview(p, true)
    virtual void StopNetworkRecording(int channel) = 0; // TCapture.StopChannel(p, '+')
    virtual void Pause(int ms) = 0;
    // In memory only: the slot's remote channel and its group's host address.
    virtual void SetSlotTarget(int slot, int remoteChannel, const std::string& address) = 0;
    virtual void RequestOpenOnAlarm(int channel) = 0; // TThreadOpenAllForAlarmUp
    virtual void ClearRecordOnAlarm(int channel) = 0;
};

constexpr int kMaxRemoteAlarmRows = 500;

class TRemoteAlarmList {
public:
    TRemoteAlarmList(TRemoteAlarmListView& view, TRemoteAlarmListHost& host)
        : view_(view), host_(host) {}

    // "声音提示", "自动弹出", "自动连接于当前通道", "时间：" seconds (5..100000).
    bool Sound = true;
    bool AutoShow = true;
    bool AutoConnect = false;
    int SoundSeconds = 60;

    // Queues a copy; a record without address is ignored.
    void AddAlarm(const AlarmUploadRecord& record);
    void DropHead();
    // WM_EMAPALARM with wParam 0: shows the first queued record.
    void ShowNext();
    // "连接所选" (and a double click) on a row.
    void ConnectSelected(int row);
    // "声音提示" unchecked, and the sound timer.
    void SetSound(bool on);
    void SoundTimerFired();
    // "清空": the rows only.
    void Clear();

    const std::vector<TRemoteAlarmRow>& Rows() const { return rows_; }
    size_t Queued() const { return queue_.size(); }
    int Selected() const { return selected_; }
    void Select(int row) { selected_ = row; }

    static TRemoteAlarmRow RowOf(const AlarmUploadRecord& record);

private:
    void StopSound();

    TRemoteAlarmListView& view_;
    TRemoteAlarmListHost& host_;
    std::deque<AlarmUploadRecord> queue_;
    std::vector<TRemoteAlarmRow> rows_;
    int selected_ = -1;
};

} // namespace vantrel
