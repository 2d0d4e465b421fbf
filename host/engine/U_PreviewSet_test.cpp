#include "host/engine/U_PreviewSet.h"

#include "host/engine/U_Arithmetic.h"
#include "host/engine/host_settings_testing.h"

#include <gtest/gtest.h>

#include <vector>

namespace vantrel {
namespace {

using Calls = std::vector<std::string>;
const char* const kKey = "SOFTWARE\\VQS\\Preview";

class PreviewSetTest : public ::testing::Test {
protected:
    void SetUp() override { testing::DeleteSettingsKeys(); }
    void TearDown() override { testing::DeleteSettingsKeys(); }
    testing::FakeVideoCard card_;
};

TEST_F(PreviewSetTest, StoredValueOverDefaults) {
    struct Case {
        const char* what;
        int storedBytes;
        int changedChannels;
    } cases[] = {
        {"no value", 0, 0},
        {"four channels", 4 * 76, 4},
        {"all channels", 49 * 76, 49},
        {"longer than all channels is refused", 49 * 76 + 4, 0},
    };
    for (const Case& c : cases) {
        testing::DeleteSettingsKeys();
        std::vector<TPreviewSetRecord> stored(50);
        for (int i = 0; i < 50; ++i) {
            TPreviewSet::SetDefaults(i, stored[i]);
            stored[i].Title.Set("cam");
            stored[i].Picture.Brightness = 10;
            stored[i].Reserved74[0] = 5;
        }
        if (c.storedBytes) {
            ASSERT_EQ(TArithmetic::WriteRegBinary(HKEY_LOCAL_MACHINE, kKey, "Preview",
                                                  stored.data(), c.storedBytes),
                      0);
        }
        TPreviewSet set(card_);
        for (int i = 0; i < 49; ++i) {
            const bool changed = i < c.changedChannels;
            EXPECT_EQ(set.Records[i].Title.Get(), changed ? "cam" : std::to_string(i + 1))
                << c.what << " channel " << i;
            EXPECT_EQ(set.Records[i].Picture.Brightness, changed ? 10u : 140u) << c.what;
            EXPECT_EQ(set.Records[i].Reserved74[0], changed ? 5 : 0) << c.what;
        }
    }
}

TEST_F(PreviewSetTest, SaveWritesTheChannelsAskedFor) {
    TPreviewSetRecord records[49];
    for (int i = 0; i < 49; ++i)
        TPreviewSet::SetDefaults(i, records[i]);
    ASSERT_EQ(TPreviewSet::SaveRecords(records, 48), 0);
    EXPECT_EQ(TArithmetic::GetRegDataSize(HKEY_LOCAL_MACHINE, kKey, "Preview"), 3724);
    ASSERT_EQ(TPreviewSet::SaveRecords(records, 0), 0);
    EXPECT_EQ(TArithmetic::GetRegDataSize(HKEY_LOCAL_MACHINE, kKey, "Preview"), 76);
    EXPECT_EQ(TPreviewSet::SaveRecords(records, 49), -1);
}

TEST_F(PreviewSetTest, ApplyToBoardSendsTextThenPictureForEachBoardChannel) {
    card_.Channels = 2;
    TPreviewSet set(card_);
    TPreviewSetRecord& r = set.Records[1];
    r.Title.Set("\xB4\xF3\xC3\xC5"); // GBK text passes through unchanged
    r.ShowDateTime = 0;
    r.TimeAutoBrightness = 1;
    r.TitleX = -5;
    r.TitleY = 400; // the wrapper clamps positions
    r.Picture = {0xFFFFFFFFu, 127, 0, 300};
    set.ApplyToBoard();
    EXPECT_EQ(card_.Calls, (Calls{"osd 0 [1] title 8,23 time 7,1 auto 0", "picture 0 140 50 70 128",
                                  "osd 1 [\xB4\xF3\xC3\xC5] title -5,400 auto 1",
                                  // an unsigned brightness past int range stays bright
                                  "picture 1 2147483647 127 0 300"}));
}

TEST_F(PreviewSetTest, AFailingChannelDoesNotStopTheRest) {
    card_.Channels = 2;
    card_.Throwing = {"osd"};
    TPreviewSet set(card_);
    set.ApplyToBoard();
    EXPECT_EQ(card_.Calls,
              (Calls{"osd 0 [1] title 8,23 time 7,1 auto 0", "picture 0 140 50 70 128",
                     "osd 1 [2] title 8,23 time 7,1 auto 0", "picture 1 140 50 70 128"}));
}

} // namespace
} // namespace vantrel
