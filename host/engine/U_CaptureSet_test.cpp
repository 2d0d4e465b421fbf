#include "host/engine/U_CaptureSet.h"

#include "host/engine/U_Arithmetic.h"
#include "host/engine/host_settings_testing.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace vantrel {
namespace {

using Calls = std::vector<std::string>;
const char* const kKey = "SOFTWARE\\VQS\\CAPTURE";

class CaptureSetTest : public ::testing::Test {
protected:
    void SetUp() override { testing::DeleteSettingsKeys(); }
    void TearDown() override { testing::DeleteSettingsKeys(); }
    testing::FakeVideoCard card_;
};

TEST_F(CaptureSetTest, ShortStoredValueFillsTheLeadingChannels) {
    TCaptureSetRecord stored[4];
    for (int i = 0; i < 4; ++i) {
        TCaptureSet::SetDefaults(stored[i]);
        stored[i].MinutesPerFile = 5 + i;
    }
    ASSERT_EQ(TCaptureSet::SaveRecords(stored, 3), 0);
    EXPECT_EQ(TArithmetic::GetRegDataSize(HKEY_LOCAL_MACHINE, kKey, "CAPTURE"), 208);

    TCaptureSet set(card_);
    EXPECT_EQ(set.Records[0].MinutesPerFile, 5);
    EXPECT_EQ(set.Records[3].MinutesPerFile, 8);
    EXPECT_EQ(set.Records[4].MinutesPerFile, 30);
    EXPECT_EQ(set.Records[48].FirstDrive, 'D');
    EXPECT_EQ(set.Records[48].LastDrive, 'Z');
    EXPECT_TRUE(card_.Calls.empty()); // loading sends nothing to the board
}

TEST_F(CaptureSetTest, OversizedOrMissingValueLeavesDefaults) {
    std::vector<uint8_t> big(49 * 52 + 1, 0x77);
    ASSERT_EQ(TArithmetic::WriteRegBinary(HKEY_LOCAL_MACHINE, kKey, "CAPTURE", big.data(),
                                          int(big.size())),
              0);
    TCaptureSet set(card_);
    EXPECT_EQ(set.Records[0].MaxFileSize, 200);
    testing::DeleteSettingsKeys();
    set.Records[0].MaxFileSize = 1;
    set.Load();
    EXPECT_EQ(set.Records[0].MaxFileSize, 200);
}

TEST_F(CaptureSetTest, SaveRefusesChannelsOutsideTheSlots) {
    TCaptureSetRecord records[49]{};
    EXPECT_EQ(TCaptureSet::SaveRecords(records, -1), -1);
    EXPECT_EQ(TCaptureSet::SaveRecords(records, 49), -1);
    EXPECT_EQ(TArithmetic::GetRegDataSize(HKEY_LOCAL_MACHINE, kKey, "CAPTURE"), -1);
}

TEST_F(CaptureSetTest, ApplyChannelSendsTheEncoderCallsInOrder) {
    TCaptureSet set(card_);
    set.Records[2].FourCifMode = 1;
    set.Records[2].FourCifLevel = 2;
    set.Records[2].LimitFileSize = 1;
    set.Records[2].MaxFileSize = 500;
    set.Records[2].AudioMode = 2;
    EXPECT_EQ(set.ApplyChannel(2), 0);
    EXPECT_EQ(card_.Calls, (Calls{"format 2 3", "bitrate 2 500 0", "ibp 2 301 2 1 25",
                                  "quant 2 15 15 20", "stream 2 1"}));

    // Switching the channel to DCIF leaves the board's 4CIF format in place and takes the
    // normal level's row.
    card_.Calls.clear();
    set.Records[2].FourCifMode = 0;
    set.Records[2].DcifMode = 1;
    set.ApplyChannel(2);
    EXPECT_EQ(card_.Calls,
              (Calls{"bitrate 2 500 0", "ibp 2 301 2 1 25", "quant 2 12 12 17", "stream 2 1"}));

    card_.Calls.clear();
    EXPECT_EQ(set.ApplyChannel(49), -1);
    EXPECT_EQ(set.ApplyChannel(-1), -1);
    EXPECT_TRUE(card_.Calls.empty());
}

TEST_F(CaptureSetTest, AFailingBoardCallDoesNotStopTheOthers) {
    TCaptureSet set(card_);
    card_.Throwing = {"format", "bitrate", "quant"};
    EXPECT_EQ(set.ApplyChannel(0), 0);
    EXPECT_EQ(card_.Calls, (Calls{"format 0 0", "bitrate 0 0 0", "ibp 0 301 2 1 25",
                                  "quant 0 12 12 17", "stream 0 3"}));
}

TEST_F(CaptureSetTest, ApplyAllCoversTheBoardChannelsOnly) {
    card_.Channels = 2;
    TCaptureSet set(card_);
    set.Records[1].UltraMode = 1;
    set.Records[1].UltraLevel = 0;
    set.ApplyAll();
    EXPECT_EQ(card_.Calls, (Calls{"format 0 0", "bitrate 0 0 0", "ibp 0 301 2 1 25",
                                  "quant 0 12 12 17", "stream 0 3", "format 1 0", "bitrate 1 0 1",
                                  "ibp 1 301 2 1 25", "quant 1 0 0 40", "stream 1 3"}));
}

} // namespace
} // namespace vantrel
