// The control's requesting side of the host message protocol: the request socket and the reply
// reader that hands each reply to the control's window waiting for it. Alarm uploads reach the
// control only at its own alarm listener, so the client opens none.
#pragma once

#include "host/net/U_UDPMessageClient.h"
#include "host/net/U_UDPReplyWindows.h"

#include <memory>

namespace vantrel::webctl {

class TControlUdpClient {
public:
    TControlUdpClient();
    ~TControlUdpClient();
    TReplyWindowSet Windows;
    TUDPMessageClient& Client() { return *client_; }

private:
    // Uploads never come this way: the request socket's reader drops them by length.
    struct NoAlarms final : TRemoteAlarmHost {
        TAlarmSetRecord record{};
        int BoardChannelCount() const override { return 0; }
        int ChannelCount() const override { return 0; }
        std::string SlotGroupAddress(int) const override { return {}; }
        int SlotRemoteChannel(int) const override { return 0; }
        std::string SlotConnectionAddress(int) const override { return {}; }
        const TAlarmSetRecord& AlarmRecord(int) const override { return record; }
        void SetSound(int, int, bool) override {}
        void ShowAlarming(int) override {}
        void SwitchAlarmOutputs(int, int, bool) override {}
        bool PanePreviewing(int) const override { return false; }
        void RequestOpenOnAlarm(int) override {}
        void RequestRecordOnAlarm(int) override {}
        void ResetAlarmTimers(int) override {}
        void QueueMapAlarm(const AlarmUploadRecord&) override {}
        void AddRemoteAlarm(const AlarmUploadRecord&) override {}
        void PostAlarmMessage(ReplyWindow, intptr_t) override {}
    } alarms_;
    std::unique_ptr<TUDPMessageClient> client_;
};

} // namespace vantrel::webctl
