#include "host/engine/U_Auto.h"

#include "host/engine/U_Arithmetic.h"
#include "host/engine/U_Conversions.h"
#include "host/engine/host_engine_testing.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace vantrel {
namespace {

using Calls = std::vector<std::string>;

void AddRange(TAutoSetRecord& record, int weekday, int start, int end, int type) {
    TAutoDayBlock& day = record.Days[weekday];
    const int i = day.RangeCount++;
    day.StartTime[i] = start;
    day.EndTime[i] = end;
    day.WorkType[i] = type;
}

// Thursday 10 December 2026 at a time of day.
double Thursday(int hour, int minute) {
    return OleDateFromParts(2026, 12, 10, hour, minute, 0);
}
constexpr int kThursday = 3;

class AutoTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::DeleteHostSettings();
        autoSet_ = std::make_unique<TAutoSet>();
        auto_ = std::make_unique<TAuto>(*autoSet_, engine_.capture, engine_.alarm, 4);
        auto_->Clock = [this] { return now_; };
    }
    void TearDown() override { testing::DeleteHostSettings(); }

    // Evaluates at a time and returns the calls it made.
    Calls At(double when) {
        now_ = when;
        engine_.Calls.clear();
        auto_->Evaluate();
        return engine_.Calls;
    }

    TAutoSetRecord& Channel(int ch) { return autoSet_->Records[size_t(ch)]; }

    testing::FakeEngine engine_;
    std::unique_ptr<TAutoSet> autoSet_;
    std::unique_ptr<TAuto> auto_;
    double now_ = Thursday(12, 0);
};

TEST_F(AutoTest, StoredTimetableFillsOnlyTheChannelsItHolds) {
    std::vector<TAutoSetRecord> stored(2);
    AddRange(stored[0], 0, 10000, 20000, 4);
    AddRange(stored[1], 6, 30000, 40000, 12);
    ASSERT_EQ(TAutoSet::SaveRecords(stored.data(), 0), 0);
    EXPECT_EQ(TArithmetic::GetRegDataSize(HKEY_LOCAL_MACHINE, "SOFTWARE\\VQS\\AUTO", "AUTO"), 9856);
    TAutoSet one;
    EXPECT_EQ(one.Records[0].Days[0].WorkType[0], 4);
    EXPECT_EQ(one.Records[1].Days[6].RangeCount, 0);

    ASSERT_EQ(TAutoSet::SaveRecords(stored.data(), 1), 0);
    one.Load();
    EXPECT_EQ(one.Records[1].Days[6].WorkType[0], 12);
    EXPECT_EQ(one.Records[1].Days[6].EndTime[0], 40000);
    EXPECT_EQ(one.Records[2].Days[0].RangeCount, 0);
    // Beyond the table: nothing is written from past the caller's records.
    EXPECT_EQ(TAutoSet::SaveRecords(stored.data(), kAutoSetChannels), -1);
    EXPECT_EQ(TAutoSet::SaveRecords(stored.data(), -1), -1);
}

TEST_F(AutoTest, RecordingAndDetectionFollowTheRanges) {
    AddRange(Channel(0), kThursday, 80000, 90000, 0);
    AddRange(Channel(1), kThursday, 80000, 100000, 3);
    AddRange(Channel(1), kThursday, 83000, 100000, 7);
    AddRange(Channel(2), kThursday, 220000, 60000, 12);
    AddRange(Channel(5), kThursday, 0, 235959, 12); // a network channel: never driven

    EXPECT_EQ(At(Thursday(7, 0)), Calls({}));
    EXPECT_EQ(At(Thursday(8, 0)), Calls({"start 0 ) 0", "detect 1 3"}));
    EXPECT_EQ(At(Thursday(8, 15)), Calls({}));
    EXPECT_EQ(At(Thursday(8, 45)), Calls({})) << "a new mode while armed changes nothing";
    EXPECT_EQ(At(Thursday(9, 30)), Calls({"stop 0 )"}));
    EXPECT_EQ(At(Thursday(10, 30)), Calls({"undetect 1"}));
    EXPECT_EQ(At(Thursday(23, 0)), Calls({"start 2 ) 0", "detect 2 12"}));
    EXPECT_EQ(auto_->LastStatus(2), "0000000000001");
    EXPECT_EQ(At(Thursday(23, 59)), Calls({}));
}

TEST_F(AutoTest, HigherDetectionTypeWinsAndDetectingRangesDoNotRecord) {
    AddRange(Channel(0), kThursday, 0, 235959, 3);
    AddRange(Channel(0), kThursday, 0, 235959, 7);
    EXPECT_EQ(At(Thursday(12, 0)), Calls({"detect 0 7"}));
}

TEST_F(AutoTest, ClosingRecordingsLeavesAnAlarmsFileToTheAlarm) {
    // Channel 0: the schedule records until 09:00 under armed detection; channel 1: an alarm
    // opened the file while the schedule only detects.
    AddRange(Channel(0), kThursday, 80000, 90000, 0);
    AddRange(Channel(0), kThursday, 80000, 120000, 3);
    AddRange(Channel(1), kThursday, 80000, 120000, 3);
    EXPECT_EQ(At(Thursday(8, 30)), Calls({"start 0 ) 0", "detect 0 3", "detect 1 3"}));
    engine_.Files.insert(1); // the alarm's recording
    engine_.Running.insert(1);
    EXPECT_EQ(At(Thursday(9, 30)), Calls({"stop 0 )"}));
    EXPECT_TRUE(engine_.Files.count(1));
    // Without armed detection any open file is closed when no range wants recording.
    engine_.Armed.erase(1);
    EXPECT_EQ(At(Thursday(12, 30)), Calls({"undetect 0", "stop 1 )"}));
}

TEST_F(AutoTest, RecordingRangeDoesNotRestartAnOpenFile) {
    engine_.Files.insert(0);
    engine_.Running.insert(0);
    AddRange(Channel(0), kThursday, 80000, 90000, 0);
    EXPECT_EQ(At(Thursday(8, 30)), Calls({}));
}

TEST_F(AutoTest, StartAndStopSwitchTheModeAndStopStopsEverything) {
    AddRange(Channel(0), kThursday, 0, 235959, 4);
    now_ = Thursday(12, 0);
    auto_->StartAutoWork();
    EXPECT_TRUE(auto_->AutoMode);
    EXPECT_TRUE(auto_->TimerEnabled());
    EXPECT_TRUE(engine_.CaptureAuto && engine_.AlarmAuto);
    EXPECT_EQ(engine_.Calls, Calls({"start 0 ) 0", "detect 0 4"})) << "evaluated at once";

    // Whoever started them: the operator's recording on 2, an alarm detection on 3.
    engine_.Files.insert(2);
    engine_.Running.insert(3);
    engine_.Armed.insert(3);
    engine_.Files.insert(5); // network channel: not touched
    engine_.Calls.clear();
    auto_->StopAutoWork();
    EXPECT_FALSE(auto_->AutoMode);
    EXPECT_FALSE(auto_->TimerEnabled());
    EXPECT_FALSE(engine_.CaptureAuto || engine_.AlarmAuto);
    EXPECT_EQ(engine_.Calls,
              Calls({"undetect 0", "stop 0 )", "stop 2 )", "undetect 3", "stop 3 )"}));
}

TEST_F(AutoTest, TimerEvaluatesEveryTwoSecondsWhileOn) {
    AddRange(Channel(0), kThursday, 120000, 235959, 0);
    now_ = Thursday(11, 0);
    auto_->StartAutoWork();
    EXPECT_TRUE(engine_.Calls.empty());
    now_ = Thursday(12, 30);
    EXPECT_TRUE(testing::PumpMessagesUntil([&] { return !engine_.Calls.empty(); }, 6000));
    EXPECT_EQ(engine_.Calls, Calls({"start 0 ) 0"}));
}

} // namespace
} // namespace vantrel
