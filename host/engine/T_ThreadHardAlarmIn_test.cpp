#include "host/engine/T_ThreadHardAlarmIn.h"

#include "host/engine/U_AlarmKinds.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace vantrel {
namespace {

class FakeHost : public THardAlarmInHost {
public:
    FakeHost() {
        for (auto& r : records)
            r = TAlarmSetRecord{};
        for (int c = 0; c < 3; ++c) {
            records[c].ProbeOn = 1;
            armed[c] = true;
        }
    }
    int BoardChannelCount() const override { return 3; }
    bool AutoMode() const override { return autoMode; }
    std::string ScheduleStatus(int c) const override { return statuses[size_t(c)]; }
    bool Armed(int c) const override { return armed[size_t(c)]; }
    const TAlarmSetRecord& Record(int c) const override { return records[size_t(c)]; }
    bool ReadInputs(int c, uint8_t inputs[kBoxPoints]) override {
        std::lock_guard<std::mutex> lock(mutex);
        reads.push_back(c);
        if (!answers[size_t(c)]) return false;
        for (int j = 0; j < kBoxPoints; ++j)
            inputs[j] = active[size_t(c)][size_t(j)];
        return true;
    }
    void PostAlarmRaised(int c, long lParam) override {
        std::lock_guard<std::mutex> lock(mutex);
        posted.push_back({c, lParam});
    }

    std::array<TAlarmSetRecord, kSettingsChannels> records;
    std::array<bool, 3> armed{};
    std::array<bool, 3> answers{true, true, true};
    std::array<std::array<uint8_t, 16>, 3> active{};
    std::array<std::string, 3> statuses{};
    bool autoMode = false;
    std::mutex mutex;
    std::vector<int> reads;
    std::vector<std::pair<int, long>> posted;
};

void WaitRounds(const TThreadHardAlarmIn& t, int n) {
    for (int i = 0; i < 2000 && t.Rounds() < n; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TEST(HardAlarmIn, NothingIsPolledBeforeTheFirstResume) {
    FakeHost host;
    TThreadHardAlarmIn poller(host, 0.001);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_TRUE(host.reads.empty());
    EXPECT_TRUE(poller.Suspended());
}

TEST(HardAlarmIn, ActiveWatchedInputsOfArmedChannelsArePostedEveryRound) {
    FakeHost host;
    host.records[0].InputOn[2] = 1;
    host.records[0].InputOn[5] = 1; // watched but quiet
    host.active[0][2] = 1;
    host.active[0][7] = 1; // active but not watched
    host.records[1].InputOn[0] = 1;
    host.active[1][0] = 1;
    host.armed[1] = false; // read, nothing posted
    host.records[2].InputOn[0] = 1;
    host.active[2][0] = 1;
    host.answers[2] = false; // no answer, nothing posted
    TThreadHardAlarmIn poller(host, 0.001);
    poller.ResumePolling();
    WaitRounds(poller, 2);
    poller.Stop();
    std::lock_guard<std::mutex> lock(host.mutex);
    ASSERT_GE(host.posted.size(), 2u);
    for (const auto& p : host.posted) {
        EXPECT_EQ(p.first, 0);
        EXPECT_EQ(p.second, RaisedParam(kAlarmProbe, 2));
    }
    EXPECT_EQ(std::vector<int>(host.reads.begin(), host.reads.begin() + 6),
              (std::vector<int>{0, 1, 2, 0, 1, 2}));
}

TEST(HardAlarmIn, AutomaticWorkPollsOnlyChannelsWhoseScheduleWatchesProbes) {
    FakeHost host;
    host.autoMode = true;
    host.statuses = {"0100000000000", "1001000010000", "0000000000001"}; // 1 and 12 watch
    TThreadHardAlarmIn poller(host, 0.001);
    poller.ResumePolling();
    WaitRounds(poller, 1);
    poller.Stop();
    std::lock_guard<std::mutex> lock(host.mutex);
    ASSERT_GE(host.reads.size(), 2u);
    EXPECT_EQ(host.reads[0], 0);
    EXPECT_EQ(host.reads[1], 2);
}

TEST(HardAlarmIn, SuspendRequestTakesEffectAfterTheNextReadAndResumeContinues) {
    FakeHost host;
    TThreadHardAlarmIn poller(host, 0.001);
    poller.ResumePolling();
    WaitRounds(poller, 1);
    poller.RequestSuspend();
    for (int i = 0; i < 2000 && !poller.Suspended(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(poller.Suspended());
    size_t reads;
    {
        std::lock_guard<std::mutex> lock(host.mutex);
        reads = host.reads.size();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    {
        std::lock_guard<std::mutex> lock(host.mutex);
        EXPECT_EQ(host.reads.size(), reads);
    }
    const int rounds = poller.Rounds();
    poller.ResumePolling();
    WaitRounds(poller, rounds + 1);
    EXPECT_GT(poller.Rounds(), rounds);
}

} // namespace
} // namespace vantrel
