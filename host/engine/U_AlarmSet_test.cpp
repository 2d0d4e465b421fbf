#include "host/engine/U_AlarmSet.h"

#include "host/engine/U_Arithmetic.h"
#include "host/engine/host_settings_testing.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace vantrel {
namespace {

const char* const kKey = "SOFTWARE\\VQS\\ALARM";

class AlarmSetTest : public ::testing::Test {
protected:
    void SetUp() override { testing::DeleteSettingsKeys(); }
    void TearDown() override { testing::DeleteSettingsKeys(); }
};

TEST_F(AlarmSetTest, FreshInstallationOnFourBoardChannels) {
    auto set = std::make_unique<TAlarmSet>(4);
    for (int ch = 0; ch < 49; ++ch) {
        const TAlarmSetRecord& r = set->Records[ch];
        const uint8_t board = ch < 4;
        EXPECT_EQ(r.MotionOn, board) << ch;
        EXPECT_EQ(r.PreRecord, board) << ch;
        EXPECT_EQ(r.RecordOnAlarm, board) << ch;
        EXPECT_EQ(r.VideoLossOn | r.ProbeOn, 0) << ch;
        // Every channel, network ones too, is linked to itself and to nothing else.
        for (int other = 0; other < 49; ++other)
            ASSERT_EQ(r.LinkedChannels[other], other == ch) << ch << " " << other;
    }
}

TEST_F(AlarmSetTest, StoredValueOverDefaults) {
    struct Case {
        const char* what;
        int storedRecords;
        int extraBytes;
        int changed;  // whole records taken
        bool partial; // and the front of the next one
    } cases[] = {
        {"four records", 4, 0, 4, false},
        {"a record and a half", 1, 1796, 1, true},
        {"all records", 49, 0, 49, false},
        {"longer than all records is refused", 49, 1, 0, false},
    };
    for (const Case& c : cases) {
        testing::DeleteSettingsKeys();
        std::vector<TAlarmSetRecord> stored(50);
        for (TAlarmSetRecord& r : stored) {
            r.ProbeOn = 1;
            r.AlarmHoldSeconds = 5;
        }
        ASSERT_EQ(TArithmetic::WriteRegBinary(HKEY_LOCAL_MACHINE, kKey, "ALARM", stored.data(),
                                              c.storedRecords * 3592 + c.extraBytes),
                  0);
        auto set = std::make_unique<TAlarmSet>(4);
        for (int ch = 0; ch < 49; ++ch) {
            // A partial record fills the front of its record only.
            const bool front = ch < c.changed || (c.partial && ch == c.changed);
            const bool whole = ch < c.changed;
            EXPECT_EQ(set->Records[ch].ProbeOn, front ? 1 : 0) << c.what << " " << ch;
            EXPECT_EQ(set->Records[ch].AlarmHoldSeconds, front ? 5 : 120) << c.what << " " << ch;
            EXPECT_EQ(set->Records[ch].Sms.Dcs, whole ? 0 : 8) << c.what << " " << ch;
        }
    }
}

TEST_F(AlarmSetTest, SaveAndReload) {
    auto set = std::make_unique<TAlarmSet>(4);
    auto copy = std::make_unique<std::array<TAlarmSetRecord, 49>>(set->Records);
    (*copy)[10].Sms.SmsOn = 1;
    std::memcpy((*copy)[10].Sms.PhoneNumber, "13800000000", 12);
    (*copy)[10].AreaCount = 2;
    (*copy)[10].Areas[1] = {0.25, 0.5, 0.75, 1.0};
    ASSERT_EQ(TAlarmSet::SaveRecords(copy->data(), 48), 0);
    EXPECT_EQ(TArithmetic::GetRegDataSize(HKEY_LOCAL_MACHINE, kKey, "ALARM"), 176008);
    EXPECT_EQ(set->Records[10].Sms.SmsOn, 0); // memory follows at the next load
    set->Load();
    EXPECT_EQ(std::memcmp(&set->Records[10], &(*copy)[10], sizeof(TAlarmSetRecord)), 0);
    EXPECT_EQ(TAlarmSet::SaveRecords(copy->data(), 49), -1);
    EXPECT_EQ(TAlarmSet::SaveRecords(nullptr, 0), -1);
}

TEST_F(AlarmSetTest, SetDefaultsFollowsTheBoardChannelCount) {
    auto set = std::make_unique<TAlarmSet>(2);
    TAlarmSetRecord r{};
    r.DialUser.Set("user");
    set->SetDefaults(r, 2);
    EXPECT_EQ(r.MotionOn, 0);
    EXPECT_EQ(r.LinkedChannels[2], 0);
    EXPECT_EQ(r.DialUser, "user");
    set->SetDefaults(r, 1);
    EXPECT_EQ(r.MotionOn, 1);
    EXPECT_EQ(r.LinkedChannels[1], 1);
}

} // namespace
} // namespace vantrel
