// An alarm side that owns no channel and does nothing, for tests and fuzzers of the reply
// router that do not look at alarms. Derive from it to answer the few calls a test needs.
#pragma once

#include "host/net/U_UDPReplyRouter.h"

#include <string>

namespace vantrel::testing {

struct NullRemoteAlarmHost : TRemoteAlarmHost {
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
};

} // namespace vantrel::testing
