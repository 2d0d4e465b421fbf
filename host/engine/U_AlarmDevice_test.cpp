#include "host/engine/U_AlarmDevice.h"

#include "host/engine/U_FakeSerial_test.h"

#include <gtest/gtest.h>

#include <array>

namespace vantrel {
namespace {

using testing::Bytes;
using testing::FakeSerial;

std::string Str(const BoxFrame& f) {
    return std::string(f.begin(), f.end());
}

class FakeHost : public TAlarmDeviceHost {
public:
    FakeHost() {
        for (auto& r : records)
            r = TAlarmSetRecord{};
    }
    const TAlarmSetRecord& Record(int c) const override { return records[size_t(c)]; }
    int ChannelCount() const override { return channels; }
    bool Alarming(int c) const override { return alarming[size_t(c)]; }

    std::array<TAlarmSetRecord, kSettingsChannels> records;
    std::array<bool, kSettingsChannels> alarming{};
    int channels = 4;
};

TEST(AlarmBoxFrames, PollFramesCarryAddressAndChecksums) {
    const struct {
        int type;
        uint8_t address;
        std::string frame;
    } cases[] = {
        {0, 1, Bytes({0x2A, 0x04, 0x01, 0x00, 0x30, 0x5F})},
        {1, 9, Bytes({0x5A, 0x03, 0x31, 0x01, 0x8F})}, // no address
        {2, 5, Bytes({0xE0, 0x05, 0x3F, 0x00, 0x00, 0x24})},
        {3, 2, Bytes({0xF4, 0x6F, 0x00, 0x02, 0x71})},
        {3, 0x20, Bytes({0xF4, 0x6F, 0x00, 0x20, 0x0F})}, // 7-bit sum wraps
        {4, 1,
         Bytes(
             {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0x0B, 0x01, 0x03, 0, 0, 0x21, 0x28, 0xFE, 0xEE, 0xEE})},
        {9, 3,
         Bytes(
             {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0x0A, 0x03, 0x03, 0, 0, 0x21, 0x2B, 0xFE, 0xEE, 0xEE})},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Str(AlarmBoxPollFrame(c.type, c.address)), c.frame) << "type " << c.type;
    EXPECT_TRUE(AlarmBoxPollFrame(10, 1).empty());
}

TEST(AlarmBoxFrames, OutputFramesPackOutputsByType) {
    uint8_t one[16] = {1};
    uint8_t oneAndNine[16] = {1, 0, 0, 0, 0, 0, 0, 0, 1};
    uint8_t all[16];
    std::fill(all, all + 16, 1);
    const struct {
        int type;
        uint8_t address;
        const uint8_t* outputs;
        std::vector<std::string> frames;
    } cases[] = {
        {0, 1, oneAndNine, {Bytes({0x2A, 0x06, 0x01, 0x00, 0x31, 0x01, 0x01, 0x64})}},
        {1, 7, one, {Bytes({0x5A, 0x03, 0x32, 0x04, 0x93}), Bytes({0x5A, 0x04, 0x38, 0, 0, 0x96})}},
        {1,
         7,
         all,
         {Bytes({0x5A, 0x03, 0x32, 0x3C, 0xCB}), Bytes({0x5A, 0x04, 0x38, 0xFC, 0xFC, 0x8E})}},
        {2, 5, one, {Bytes({0xE0, 0x05, 0x3D, 0x01, 0x00, 0x23})}},
        {3, 2, one, {Bytes({0xF6, 0x5E, 0x00, 0x02, 0x01, 0x01, 0x62})}},
        {3, 2, all, {Bytes({0xF6, 0x5E, 0x00, 0x02, 0x01, 0x01, 0x62})}}, // only output 1
        {5,
         2,
         oneAndNine,
         {Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0x0C, 0x02, 0x03, 0x01, 0x01, 0x21, 0x2C, 0xFE, 0xEE,
                 0xEE})}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> got;
        for (const BoxFrame& f : AlarmBoxOutputFrames(c.type, c.address, c.outputs))
            got.push_back(Str(f));
        EXPECT_EQ(got, c.frames) << "type " << c.type;
    }
}

TEST(AlarmBoxFrames, RepliesCountOnlyWithTheirHeaderAndLength) {
    const struct {
        int type;
        uint8_t address;
        std::string reply;
        bool accepted;
        int firstOn; // -1 none
    } cases[] = {
        {0, 1, Bytes({0x2A, 0x06, 0x01, 0x00, 0xB0, 0x04, 0x00, 0x00}), true, 2},
        {0, 1, Bytes({0x2A, 0x06, 0x01, 0x00, 0xB0, 0x00, 0x80}), true, 15},
        {0, 1, Bytes({0x2A, 0x06, 0x01, 0x00, 0xB1, 0x04, 0x00}), false, -1},
        {0, 1, Bytes({0x2A, 0x06, 0x01, 0x00, 0xB0, 0x04}), false, -1}, // too short
        {1, 0, Bytes({0x5A, 0x04, 0x31, 0x01, 0x00, 0x00}), true, 0},
        {1, 0, Bytes({0x5A, 0x03, 0x31, 0x01, 0x00, 0x00}), false, -1},
        {2, 5, Bytes({0xF0, 0x05, 0xD0, 0x00, 0x02, 0x00}), true, 9},
        {2, 5, Bytes({0xF0, 0x06, 0xD0, 0x00, 0x02, 0x00}), false, -1},      // another box
        {3, 2, Bytes({0xF6, 0x1A, 0x00, 0x02, 0x00, 0x02, 0x00}), true, 0},  // bit 1 = input 1
        {3, 2, Bytes({0xF6, 0x1A, 0x00, 0x02, 0x00, 0x01, 0x00}), true, -1}, // bit 0 unused
        {3, 2, Bytes({0xF6, 0x1A, 0x00, 0x02, 0x00}), false, -1},
        {4, 1, Bytes({0, 0, 0, 0, 0x0B, 0x01, 0, 0, 0, 0x00, 0x01, 0, 0, 0, 0}), true, 8},
        {4, 1, Bytes({0, 0, 0, 0, 0x0C, 0x01, 0, 0, 0, 0x00, 0x01, 0, 0, 0, 0}), false, -1},
    };
    for (const auto& c : cases) {
        uint8_t inputs[16];
        std::fill(inputs, inputs + 16, 7);
        const bool ok =
            AlarmBoxParseReply(c.type, c.address, reinterpret_cast<const uint8_t*>(c.reply.data()),
                               uint32_t(c.reply.size()), inputs);
        EXPECT_EQ(ok, c.accepted) << "type " << c.type << " reply size " << c.reply.size();
        if (!ok) {
            EXPECT_EQ(inputs[0], 7) << "inputs untouched";
            continue;
        }
        for (int j = 0; j < 16; ++j)
            EXPECT_EQ(inputs[j], j == c.firstOn ? 1 : 0) << "type " << c.type << " input " << j;
    }
}

TEST(AlarmDevice, ReadInputsPollsTheChannelsBoxOnlyWhenItWatchesProbes) {
    FakeSerial com;
    FakeHost host;
    TAlarmDevice device(com, host);
    host.records[0].InBoxType = 2;
    host.records[0].InBoxPort = 3;
    host.records[0].InBoxAddress = 5;
    com.replies.push_back(Bytes({0xF0, 0x05, 0xD0, 0x01, 0x00, 0x00}));
    uint8_t inputs[16] = {};

    EXPECT_FALSE(device.ReadInputs(0, inputs)); // ProbeOn off
    EXPECT_EQ(com.Count(), 0u);

    host.records[0].ProbeOn = 1;
    ASSERT_TRUE(device.ReadInputs(0, inputs));
    EXPECT_EQ(inputs[0], 1);
    ASSERT_EQ(com.log.size(), 1u);
    EXPECT_EQ(com.log[0].port, 3);
    EXPECT_EQ(com.log[0].baud, 9600);
    EXPECT_EQ(com.log[0].parity, 0);
    EXPECT_EQ(com.log[0].byteSize, 8);
    EXPECT_TRUE(com.log[0].read);

    // Silence: false, nothing reported.
    inputs[0] = 9;
    EXPECT_FALSE(device.ReadInputs(0, inputs));
    EXPECT_EQ(inputs[0], 9);

    host.records[0].InBoxType = 10;
    EXPECT_FALSE(device.ReadInputs(0, inputs));
    EXPECT_EQ(com.Count(), 2u); // no traffic for an unknown type
}

TEST(AlarmDevice, OutputsOfAlarmingChannelsWithTheSameBoxTypeAreCombined) {
    FakeSerial com;
    FakeHost host;
    TAlarmDevice device(com, host);
    for (int c = 0; c < 3; ++c) {
        host.records[c].OutBoxType = 0;
        host.records[c].OutBoxAddress = 1;
    }
    host.records[0].OutBoxPort = 1;
    host.records[1].OutBoxPort = 2;      // another port: grouped by type only
    host.records[2].OutBoxType = 2;      // another type: never combined
    host.records[0].OutputMap[1][0] = 1; // motion -> output 1
    host.records[0].OutputMap[2][2] = 1; // probe -> output 3
    host.records[1].OutputMap[1][8] = 1; // motion -> output 9
    host.records[2].OutputMap[1][4] = 1;
    host.alarming = {true, true, true};

    EXPECT_TRUE(device.SwitchAlarmOutputs(2, 1, true));
    EXPECT_TRUE(device.SwitchAlarmOutputs(0, 1, true));
    EXPECT_TRUE(device.SwitchAlarmOutputs(1, 1, true));
    EXPECT_TRUE(device.SwitchAlarmOutputs(0, 2, true));
    const auto frames = com.Frames();
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[1], Bytes({0x2A, 0x06, 0x01, 0x00, 0x31, 0x01, 0x00, 0x63}));
    EXPECT_EQ(frames[2], Bytes({0x2A, 0x06, 0x01, 0x00, 0x31, 0x01, 0x01, 0x64}));
    EXPECT_EQ(com.log[2].port, 2);
    EXPECT_EQ(frames[3], Bytes({0x2A, 0x06, 0x01, 0x00, 0x31, 0x05, 0x01, 0x68}));

    // Channel 0's motion off while it still alarms: its probe output stays, channel 1's too.
    EXPECT_TRUE(device.SwitchAlarmOutputs(0, 1, false));
    EXPECT_EQ(com.Frames().back(), Bytes({0x2A, 0x06, 0x01, 0x00, 0x31, 0x04, 0x01, 0x67}));
    // A channel that no longer alarms holds nothing.
    host.alarming[1] = false;
    EXPECT_TRUE(device.SwitchAlarmOutputs(0, 2, false));
    EXPECT_EQ(com.Frames().back(), Bytes({0x2A, 0x06, 0x01, 0x00, 0x31, 0x00, 0x00, 0x62}));
}

TEST(AlarmDevice, OutputWriteResultsByType) {
    FakeSerial com;
    FakeHost host;
    TAlarmDevice device(com, host);
    uint8_t outputs[16] = {1};
    com.failWrites = true;
    EXPECT_FALSE(device.SetOutputsType0(0, 1, outputs));
    EXPECT_TRUE(device.SetOutputsType1(0, 1, outputs)); // never asked
    EXPECT_TRUE(device.SetOutputsOfType(1, 0, 1, outputs));
    for (uint8_t s : device.RemoteOutputStates)
        EXPECT_EQ(s, 0);
    EXPECT_FALSE(device.SetOutputsType2(0, 1, outputs));
    EXPECT_FALSE(device.SetOutputsType3(0, 1, outputs));
    EXPECT_FALSE(device.SetOutputsGeneric(0, 1, 4, outputs));
    const size_t written = com.Count();
    EXPECT_FALSE(device.SetOutputsGeneric(0, 1, 3, outputs)); // not a generic type
    EXPECT_FALSE(device.SetOutputsOfType(10, 0, 1, outputs));
    host.records[0].OutBoxType = 10;
    host.alarming[0] = true;
    EXPECT_FALSE(device.SwitchAlarmOutputs(0, 0, true));
    EXPECT_FALSE(device.SwitchAlarmOutputs(49, 0, true));
    EXPECT_FALSE(device.SwitchAlarmOutputs(0, 3, true));
    EXPECT_EQ(com.Count(), written);
}

} // namespace
} // namespace vantrel
