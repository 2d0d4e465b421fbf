// Untrusted datagrams reaching the requesting side: replies and alarm uploads through the
// reply router into the windows and the alarm steps.
#include "host/net/U_UDPReplyRouter.h"
#include "host/net/remote_alarm_testing.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace {

using namespace vantrel;

struct QuietWindows : TUDPReplyWindows {
    TReceiveArea area;
    void Post(ReplyWindow, unsigned, intptr_t, intptr_t) override {}
    std::vector<std::string> NetDogAddresses() override { return {"127.0.0.1", "10.0.0.1"}; }
    TReceiveArea* Area(ReplyWindow) override { return &area; }
    void StoreSettingsRecord(int, const uint8_t*, size_t) override {}
    bool WorkLogTimedOut() override { return false; }
    void ClearWorkLogStatus() override {}
    void AddWorkLogRow(const TWorkLogRecord&) override {}
    void FillWorkLogDays(int, const std::vector<std::pair<std::string, int>>&) override {}
};

struct QuietAlarms : testing::NullRemoteAlarmHost {
    QuietAlarms() : records(std::make_unique<TAlarmSetRecord[]>(kSettingsChannels)) {
        for (int i = 0; i < kSettingsChannels; ++i) {
            std::memset(&records[i], 0, sizeof(TAlarmSetRecord));
            std::memset(&records[i], 1, 64); // switches on, so the alarm steps run
        }
    }
    std::unique_ptr<TAlarmSetRecord[]> records;
    int BoardChannelCount() const override { return 2; }
    int ChannelCount() const override { return 4; }
    std::string SlotGroupAddress(int) const override { return "127.0.0.1"; }
    int SlotRemoteChannel(int s) const override { return s; }
    std::string SlotConnectionAddress(int) const override { return "127.0.0.1"; }
    const TAlarmSetRecord& AlarmRecord(int ch) const override { return records[ch]; }
};

struct AtOnce : TUiThread {
    void Run(std::function<void()> work) override { work(); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QuietWindows windows;
    static QuietAlarms alarms;
    static AtOnce ui;
    TUDPReplyRouter router(windows, alarms, ui);
    router.Route(data, size, "127.0.0.1");
    return 0;
}
