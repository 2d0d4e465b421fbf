// The control's settings units under its own registry root: record sizes as stored, the
// control's defaults, and its system information over the host list.
#include "host/engine/U_Arithmetic.h"
#include "host/engine/U_CaptureSet.h"
#include "host/engine/U_NetClientSet.h"
#include "host/engine/U_PreviewSet.h"
#include "host/engine/U_SystemOtherSet.h"
#include "webctl/U_AlarmSet.h"
#include "webctl/U_SystemInfo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantrel::webctl {
namespace {

const wchar_t* const kKeys[] = {L"SOFTWARE\\VQSIE\\ALARM", L"SOFTWARE\\VQSIE\\CAPTURE",
                                L"SOFTWARE\\VQSIE\\OTHER", L"SOFTWARE\\VQSIE\\Preview",
                                L"SOFTWARE\\VQSIE\\CLIENT"};

int StoredSize(const char* key) {
    return TArithmetic::GetRegDataSize(HKEY_LOCAL_MACHINE, std::string(kSettingsKey) + key, key);
}

class ControlSettings : public ::testing::Test {
protected:
    void SetUp() override { Clear(); }
    void TearDown() override { Clear(); }
    static void Clear() {
        for (const wchar_t* k : kKeys)
            ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, k);
    }
};

TEST_F(ControlSettings, LiveUnderTheControlsOwnRoot) {
    EXPECT_STREQ(kSettingsKey, "SOFTWARE\\VQSIE\\");
}

TEST_F(ControlSettings, RecordsAreStoredInTheControlsShorterSizes) {
    TCaptureSet capture;
    ASSERT_EQ(TCaptureSet::SaveRecords(capture.Records.data(), kSettingsChannels - 1), 0);
    EXPECT_EQ(StoredSize("CAPTURE"), 2352);

    TAlarmSet alarms;
    ASSERT_EQ(TAlarmSet::SaveRecords(alarms.Records.data(), kSettingsChannels - 1), 0);
    EXPECT_EQ(StoredSize("ALARM"), 174048);

    TArithmetic arithmetic;
    TSystemOtherSet other(arithmetic);
    ASSERT_EQ(other.Save(other.Record), 0);
    EXPECT_EQ(StoredSize("OTHER"), 136);
}

TEST_F(ControlSettings, FreshDefaultsAreTheControlsOwn) {
    TArithmetic arithmetic;
    TSystemOtherSet other(arithmetic);
    EXPECT_EQ(other.Record.NameServerAddress, "127.0.0.1");
    EXPECT_EQ(arithmetic.LogonServer.ServerAddress.Get(), "127.0.0.1");

    TAlarmSet alarms;
    for (int c : {0, 17, 48}) {
        const TAlarmSetRecord& r = alarms.Records[c];
        EXPECT_EQ(r.MotionOn, 0);
        EXPECT_EQ(r.MotionLevel, 1);
        EXPECT_EQ(r.Sensitivity, 7);
        EXPECT_EQ(r.AlarmHoldSeconds, 120);
        EXPECT_EQ(r.RecordDelaySeconds, 60);
        EXPECT_EQ(r.Sms.Dcs, 8);
        for (int other = 0; other < kSettingsChannels; ++other)
            EXPECT_EQ(r.LinkedChannels[other], other == c ? 1 : 0) << c << " " << other;
    }
    EXPECT_EQ(alarms.Records[3].InputNames[15], "16");

    TPreviewSet preview;
    EXPECT_EQ(preview.Records[0].Picture.Brightness, 150u);
}

TEST_F(ControlSettings, AHostSizedAlarmValueIsNotReadOverTheShorterRecords) {
    // A value in the host's layout cannot be cut into the control's records.
    std::vector<uint8_t> hostImage(49 * 3592, 0xEE);
    ASSERT_EQ(TArithmetic::WriteRegBinary(HKEY_LOCAL_MACHINE, "SOFTWARE\\VQSIE\\ALARM", "ALARM",
                                          hostImage.data(), int(hostImage.size())),
              0);
    TAlarmSet alarms;
    EXPECT_EQ(alarms.Records[0].Sensitivity, 7);

    // The control's own value is read whole.
    alarms.Records[48].Sensitivity = 42;
    ASSERT_EQ(TAlarmSet::SaveRecords(alarms.Records.data(), 48), 0);
    TAlarmSet again;
    EXPECT_EQ(again.Records[48].Sensitivity, 42);
}

TEST_F(ControlSettings, SystemInformationCountsNetworkChannelsAndLaysOutTheFace) {
    TArithmetic arithmetic;
    TSystemOtherSet other(arithmetic);
    TNetClientSet hosts(arithmetic, other, 0);
    TSystemInfo fresh(hosts);
    EXPECT_EQ(fresh.ProgramPath, "C:\\Vantrel\\");
    EXPECT_EQ(fresh.ChannelCount, 0);
    EXPECT_TRUE(fresh.PaneRects.empty());

    std::vector<TClientChannelRecord> channels(7);
    for (int i = 0; i < 7; ++i) {
        channels[i] = {};
        channels[i].InUse = 1;
        channels[i].RemoteChannel = uint8_t(i);
        channels[i].GroupId = 65535;
    }
    ASSERT_EQ(hosts.SaveChannelInfo(channels.data(), int(channels.size() * sizeof channels[0])), 0);
    hosts.Reload();
    TSystemInfo info(hosts);
    EXPECT_EQ(info.ChannelCount, 7);
    ASSERT_EQ(info.PaneRects.size(), 9u); // the empty cells of the 3 x 3 grid too
    EXPECT_EQ(info.PaneRects.front().Left, ControlVideoArea.Left);
    EXPECT_EQ(info.PaneRects.front().Top, ControlVideoArea.Top);
    EXPECT_EQ(info.PaneRects.back().Right, ControlVideoArea.Right - 1);
    EXPECT_EQ(info.PaneRects.back().Bottom, ControlVideoArea.Bottom - 1);
}

} // namespace
} // namespace vantrel::webctl
