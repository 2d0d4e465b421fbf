// The control's alarms: the listener on the fixed alarm port that takes the hosts' alarm
// uploads, and the per-channel alarm state they set (pane label "侦", open and record on alarm).
#pragma once

#include "host/engine/T_ThreadAlarmAudio.h"
#include "host/engine/U_AlarmKinds.h"
#include "webctl/U_AlarmSet.h"

#include "common/win/handles.h"
#include "framework/object.h"
#include "framework/ui/extctrls.h"

#include <windows.h>

#include <array>
#include <atomic>
#include <functional>
#include <thread>

namespace vantrel::webctl {

class TVantrelIE_QZ;
class TControlChannels;
class TStatusImages;

constexpr uint16_t kControlAlarmPort = 56000;
// Tests on a shared machine move the listener off the fixed port with this variable.
constexpr const wchar_t* kAlarmPortVariable = L"VANTREL_CONTROL_ALARM_PORT";
uint16_t ControlAlarmPort();
constexpr UINT WM_ALARMUPLOAD = WM_USER + 103; // lParam: a heap copy of the record
// Uploads waiting for the window thread; a flood beyond this is dropped.
constexpr int kMaxPendingUploads = 64;

class TAlarm {
public:
    TAlarm(TControlChannels& channels, TAlarmSet& settings);
    std::array<std::atomic<bool>, 49> Alarming{};
    std::array<int, 49> HoldCounter{};
    std::array<int, 49> RecordCounter{};
    // Set by a status-picture click that started the channel's recording.
    std::array<bool, 49> Armed{};
    // The face's detection labels, one per pane, and the alarm page's status pictures (null
    // while the control has no face).
    std::array<dvr::fw::TPanel*, 49> DetectLabels{};
    TStatusImages* Images = nullptr;
    // The alarm sounds (null: silent).
    TThreadAlarmAudio* Audio = nullptr;
    // Every upload also goes to the remote alarm list.
    std::function<void(const AlarmUploadRecord&)> ListUpload;

    // A click on channel's status picture: an alarmed (or armed) channel's recording stops and
    // its alarm is taken back; otherwise its recording starts.
    void StatusImageClick(int channel);

    // The steps for one upload: every channel whose host and remote channel match.
    void TakeUpload(const AlarmUploadRecord& record);
    void ResetAlarmTimers(int channel);
    int Uploads() const { return uploads_; }

private:
    TControlChannels& channels_;
    TAlarmSet& settings_;
    int uploads_ = 0;
};

// Reads 128-byte uploads on the alarm port and hands them to the window thread.
class TAlarmListener {
public:
    TAlarmListener(HWND window, uint16_t port = kControlAlarmPort);
    ~TAlarmListener();
    bool Listening() const { return bool(socket_); }
    // The window thread took one posted upload.
    void Taken() { --pending_; }

private:
    void ReadLoop();
    HWND window_;
    dvr::win::Socket socket_;
    std::atomic<bool> stopped_{false};
    std::atomic<int> pending_{0};
    std::thread thread_;
};

} // namespace vantrel::webctl
