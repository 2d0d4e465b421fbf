#include "host/net/U_UDPMessages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace vantrel {
namespace {

std::vector<uint8_t> Keyword(size_t length, size_t at, std::string_view word) {
    std::vector<uint8_t> b(length, 0xEE); // padding carries anything
    b[at] = uint8_t(word.size());
    std::memcpy(b.data() + at + 1, word.data(), word.size());
    return b;
}

TEST(UdpMessages, RequestsAreToldApartByLengthAndKeyword) {
    const struct {
        std::vector<uint8_t> bytes;
        UdpMsgKind kind;
    } cases[] = {
        {std::vector<uint8_t>(2), UdpMsgKind::UdpMsgMatrixSwitch},
        {Keyword(7, 0, "NetDog"), UdpMsgKind::UdpMsgNetDog},
        {Keyword(7, 0, "State"), UdpMsgKind::UdpMsgStateQuery},
        {Keyword(7, 0, "state"), UdpMsgKind::None},
        {Keyword(7, 0, "NetDo"), UdpMsgKind::None},
        {std::vector<uint8_t>(8), UdpMsgKind::UdpMsgWorkLogQuery},
        {Keyword(9, 0, "WorkLog"), UdpMsgKind::UdpMsgWorkLogDaysQuery},
        {Keyword(14, 0, "ViewDiskInfo"), UdpMsgKind::UdpMsgDiskInfoQuery},
        {Keyword(14, 0, "ViewDiskInf"), UdpMsgKind::None},
        {Keyword(21, 0, "RemoteCtrlConnect"), UdpMsgKind::UdpMsgRemoteCtrlConnect},
        {Keyword(22, 2, "RemoteGetSystemSet"), UdpMsgKind::UdpMsgGetSettings},
        {Keyword(22, 0, "RemoteGetSystemSet"), UdpMsgKind::None},
        {std::vector<uint8_t>(28), UdpMsgKind::UdpMsgPictureParams},
        {std::vector<uint8_t>(36), UdpMsgKind::UdpMsgAlarmSubscribe},
        {std::vector<uint8_t>(42), UdpMsgKind::UdpMsgAlarmOutput},
        {Keyword(46, 0, "RemoteSystemSetConnect"), UdpMsgKind::UdpMsgSettingsConnect},
        {std::vector<uint8_t>(56), UdpMsgKind::UdpMsgSetDogSettings},
        {std::vector<uint8_t>(72), UdpMsgKind::UdpMsgRemoteControl},
        {std::vector<uint8_t>(80), UdpMsgKind::UdpMsgSetCaptureSettings},
        {std::vector<uint8_t>(84), UdpMsgKind::UdpMsgSetPortTable},
        {std::vector<uint8_t>(93), UdpMsgKind::UdpMsgChannelCommand},
        {std::vector<uint8_t>(104), UdpMsgKind::UdpMsgSetPreviewSettings},
        {std::vector<uint8_t>(130), UdpMsgKind::UdpMsgPtzCommand},
        {std::vector<uint8_t>(144), UdpMsgKind::UdpMsgSetOtherSettings},
        {std::vector<uint8_t>(1572), UdpMsgKind::UdpMsgSetPtzSettings},
        {std::vector<uint8_t>(3624), UdpMsgKind::UdpMsgSetAlarmSettings},
        {std::vector<uint8_t>(9888), UdpMsgKind::UdpMsgSetScheduleSettings},
        // Lengths of replies and of nothing at all.
        {std::vector<uint8_t>(0), UdpMsgKind::None},
        {std::vector<uint8_t>(19), UdpMsgKind::None},
        {std::vector<uint8_t>(128), UdpMsgKind::None},
        {std::vector<uint8_t>(198), UdpMsgKind::None},
        {std::vector<uint8_t>(3592), UdpMsgKind::None},
        {std::vector<uint8_t>(9889), UdpMsgKind::None},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClassifyRequest(c.bytes.data(), c.bytes.size()), c.kind)
            << "length " << c.bytes.size();
}

TEST(UdpMessages, RepliesAreToldApartByLength) {
    std::vector<uint8_t> alarm(128, 0);
    alarm[103] = '>';
    std::vector<uint8_t> badAlarm(128, 0);
    badAlarm[103] = 'A';
    const UdpMsgSetSuccess ok = MakeSetSuccess();
    std::vector<uint8_t> success(19);
    std::memcpy(success.data(), &ok, 19);
    const struct {
        std::vector<uint8_t> bytes;
        UdpMsgKind kind;
        int settingsKind;
    } cases[] = {
        {Keyword(7, 0, "NetDog"), UdpMsgKind::UdpMsgNetDogEcho, -1},
        {Keyword(7, 0, "State"), UdpMsgKind::None, -1},
        {success, UdpMsgKind::UdpMsgSetSuccess, -1},
        {Keyword(19, 0, "RemoteSetSuccess"), UdpMsgKind::None, -1},
        {std::vector<uint8_t>(52), UdpMsgKind::UdpMsgSettingsRecord, SettingsCapture},
        {std::vector<uint8_t>(56), UdpMsgKind::UdpMsgSettingsRecord, SettingsDog},
        {std::vector<uint8_t>(76), UdpMsgKind::UdpMsgSettingsRecord, SettingsPreview},
        {std::vector<uint8_t>(144), UdpMsgKind::UdpMsgSettingsRecord, SettingsOther},
        {std::vector<uint8_t>(1572), UdpMsgKind::UdpMsgSettingsRecord, SettingsPtz},
        {std::vector<uint8_t>(3592), UdpMsgKind::UdpMsgSettingsRecord, SettingsAlarm},
        {std::vector<uint8_t>(9856), UdpMsgKind::UdpMsgSettingsRecord, SettingsSchedule},
        {std::vector<uint8_t>(72), UdpMsgKind::UdpMsgWorkLogRecord, -1},
        {alarm, UdpMsgKind::AlarmUploadRecord, -1},
        {badAlarm, UdpMsgKind::None, -1},
        {std::vector<uint8_t>(198), UdpMsgKind::UdpMsgWorkState, -1},
        {std::vector<uint8_t>(208), UdpMsgKind::UdpMsgDiskInfo, -1},
        {std::vector<uint8_t>(1030), UdpMsgKind::UdpMsgRemoteCtrlInfo, -1},
        {std::vector<uint8_t>(1036), UdpMsgKind::UdpMsgSettingsInfo, -1},
        {std::vector<uint8_t>(1224), UdpMsgKind::UdpMsgWorkLogDays, -1},
        {std::vector<uint8_t>(39239), UdpMsgKind::UdpMsgRemoteListRecord, -1},
        {std::vector<uint8_t>(39268), UdpMsgKind::UdpMsgRemoteListRecord, -1},
        // The browser control's record sizes are no reply of a host.
        {std::vector<uint8_t>(kControlCaptureSetSize), UdpMsgKind::None, -1},
        {std::vector<uint8_t>(kControlAlarmSetSize), UdpMsgKind::None, -1},
        {std::vector<uint8_t>(kControlOtherSetSize), UdpMsgKind::None, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClassifyReply(c.bytes.data(), c.bytes.size()), c.kind)
            << "length " << c.bytes.size();
        if (c.kind == UdpMsgKind::UdpMsgSettingsRecord) {
            EXPECT_EQ(SettingsKindOfReplyLength(c.bytes.size()), c.settingsKind);
            EXPECT_EQ(SettingsRecordLength(c.settingsKind), c.bytes.size());
        }
    }
}

TEST(UdpMessages, FixedMessagesHaveTheirWireBytes) {
    const UdpMsgNetDog dog = MakeNetDog();
    const uint8_t dogBytes[] = {0x06, 'N', 'e', 't', 'D', 'o', 'g'};
    EXPECT_EQ(std::memcmp(&dog, dogBytes, 7), 0);

    const UdpMsgStateQuery state = MakeStateQuery();
    const uint8_t stateBytes[] = {0x05, 'S', 't', 'a', 't', 'e'};
    EXPECT_EQ(std::memcmp(&state, stateBytes, 6), 0);

    const UdpMsgSetSuccess ok = MakeSetSuccess();
    const uint8_t* b = reinterpret_cast<const uint8_t*>(&ok);
    EXPECT_EQ(b[0], 0);
    EXPECT_EQ(b[1], 16);
    EXPECT_EQ(std::memcmp(b + 2, "RemoteSetSuccess", 16), 0);
    EXPECT_EQ(b[18], 0);
}

TEST(UdpMessages, WorkLogEndRecordRepeatsTheFirstWithItsMarks) {
    TWorkLogRecord first{};
    first.Time = 45000.5;
    first.Event = 12;
    first.HostAddress.Set("10.0.0.1");
    first.Link = 7;
    const TWorkLogRecord end = MakeWorkLogEnd(first);
    const uint8_t* b = reinterpret_cast<const uint8_t*>(&end);
    EXPECT_EQ(b[8], 0x9C);
    int32_t link;
    std::memcpy(&link, b + 68, 4);
    EXPECT_EQ(link, -100);
    EXPECT_EQ(end.Time, first.Time);
    EXPECT_EQ(end.HostAddress.View(), "10.0.0.1");
}

} // namespace
} // namespace vantrel
