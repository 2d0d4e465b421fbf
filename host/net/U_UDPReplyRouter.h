// The requesting side of the UDP message protocol without sockets: what the reply reader does
// with each datagram on the request socket (copy into the waiting window's receive area, then
// post it its message), and the alarm steps that uploads from other hosts set off. Portable.
#pragma once

#include "host/net/U_UDPMessages.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace vantrel {

// A window's receive area: the reader stores a whole reply under the lock, the window takes a
// whole copy under it, so no window reads a half-written reply.
class TReceiveArea {
public:
    void Store(const void* data, size_t length) {
        std::lock_guard<std::mutex> hold(lock_);
        bytes_.assign(static_cast<const uint8_t*>(data),
                      static_cast<const uint8_t*>(data) + length);
    }
    // The last reply as a record; false (and `out` untouched) when none of that size arrived.
    template <typename T> bool Load(T& out) const {
        std::lock_guard<std::mutex> hold(lock_);
        if (bytes_.size() != sizeof(T)) return false;
        std::memcpy(&out, bytes_.data(), sizeof(T));
        return true;
    }
    void Clear() {
        std::lock_guard<std::mutex> hold(lock_);
        bytes_.clear();
    }

private:
    mutable std::mutex lock_;
    std::vector<uint8_t> bytes_;
};

// The windows that wait for replies.
enum class ReplyWindow { RemoteCtrl, WorkLog, DiskView, Settings, NetDog, EMap, AlarmList };

// The windows as the reader reaches them. Post, NetDogAddresses, Area and StoreSettingsRecord
// are called on the reader's thread; the rest on the user-interface thread.
class TUDPReplyWindows {
public:
    virtual ~TUDPReplyWindows() = default;
    virtual void Post(ReplyWindow window, unsigned message, intptr_t wParam, intptr_t lParam) = 0;
    // The address texts of the inspector's rows, in row order.
    virtual std::vector<std::string> NetDogAddresses() = 0;
    // RemoteCtrl, DiskView, Settings (the session information) and NetDog (the work state);
    // null when the window has none.
    virtual TReceiveArea* Area(ReplyWindow window) = 0;
    // Into the settings dialog's working copy of that kind (the per-channel kinds at the
    // channel selected in the dialog).
    virtual void StoreSettingsRecord(int kind, const uint8_t* data, size_t length) = 0;
    // The remote work-log window.
    virtual bool WorkLogTimedOut() = 0;
    virtual void ClearWorkLogStatus() = 0;
    virtual void AddWorkLogRow(const TWorkLogRecord& record) = 0;
    // Days as "YYYY-MM-DD" with their first record index.
    virtual void FillWorkLogDays(int total,
                                 const std::vector<std::pair<std::string, int>>& days) = 0;
};

// What the alarm steps change on this host. Calls may throw; the steps then end quietly.
class TRemoteAlarmHost {
public:
    virtual ~TRemoteAlarmHost() = default;
    virtual int BoardChannelCount() const = 0; // TVideoCard.ChannelCount
    virtual int ChannelCount() const = 0;      // TSystemInfo.ChannelCount
    // Network slot s: its TClientGroup's host address, its remote channel number, and the host
    // address of its network connection (empty when not connected).
    virtual std::string SlotGroupAddress(int slot) const = 0;
    virtual int SlotRemoteChannel(int slot) const = 0;
    virtual std::string SlotConnectionAddress(int slot) const = 0;
    virtual const TAlarmSetRecord& AlarmRecord(int channel) const = 0;
    virtual void SetSound(int channel, int kindIndex, bool on) = 0; // TThreadAlarmAudio
    // Alarm picture of the status image, the alarming flag, the red detection label.
    virtual void ShowAlarming(int channel) = 0;
    virtual void SwitchAlarmOutputs(int channel, int kindIndex, bool on) = 0;
    virtual bool PanePreviewing(int channel) const = 0;
    virtual void RequestOpenOnAlarm(int channel) = 0;   // TThreadOpenAllForAlarmUp
    virtual void RequestRecordOnAlarm(int channel) = 0; // TThreadOpenAllForAlarmUp
    virtual void ResetAlarmTimers(int channel) = 0;
    // TElectronMapForm.QueueAlarm and TRemoteAlarmUpViewForm.AddAlarm.
    virtual void QueueMapAlarm(const AlarmUploadRecord& record) = 0;
    virtual void AddRemoteAlarm(const AlarmUploadRecord& record) = 0;
    // WM_EMAPALARM to the map (wParam 1) or to the remote alarm list (wParam 0).
    virtual void PostAlarmMessage(ReplyWindow window, intptr_t wParam) = 0;
};

// The alarm steps for one upload (on the user-interface thread). `sender`: the datagram's
// source address when it came in on the request socket, else empty.
void RunRemoteAlarmSteps(TRemoteAlarmHost& host, const AlarmUploadRecord& record,
                         const std::string& sender);

// Runs work on the user-interface thread.
class TUiThread {
public:
    virtual ~TUiThread() = default;
    virtual void Run(std::function<void()> work) = 0;
};

// "YYYY-MM-DD" of an OLE date.
std::string DayText(double oleDate);

class TUDPReplyRouter {
public:
    TUDPReplyRouter(TUDPReplyWindows& windows, TRemoteAlarmHost& alarms, TUiThread& ui)
        : windows_(windows), alarms_(alarms), ui_(ui) {}

    // One datagram on the request socket, on the reader's thread; never throws.
    void Route(const uint8_t* data, size_t length, const std::string& sender);
    // One datagram at the alarm listener, on the user-interface thread; never throws.
    void AlarmListenerDatagram(const uint8_t* data, size_t length);

private:
    void RouteKind(UdpMsgKind kind, const uint8_t* data, size_t length, const std::string& sender);
    void StoreAndPost(ReplyWindow window, const uint8_t* data, size_t length, unsigned message,
                      intptr_t wParam, intptr_t lParam);

    TUDPReplyWindows& windows_;
    TRemoteAlarmHost& alarms_;
    TUiThread& ui_;
};

} // namespace vantrel
