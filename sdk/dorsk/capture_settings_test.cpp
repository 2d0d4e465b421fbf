#include "sdk/dorsk/sim_fixture.h"

#include <functional>

namespace dvr::dorsk {
namespace {

using CaptureSettingsTest = testing::SimBoardTest;

constexpr int kBadArgument = AsResult(kSdkBadArgument);
constexpr int kBadHandle = AsResult(kSdkBadHandle);

constexpr uint32_t Quant(uint32_t i, uint32_t p, uint32_t b, uint32_t interval) {
    return i << 24 | p << 16 | b << 8 | (interval & 0xFF);
}
constexpr uint32_t Rates(uint32_t frame_rate, uint32_t mode_bit, uint32_t b_frames) {
    return frame_rate << 24 | mode_bit << 16 | b_frames << 8;
}

TEST_F(CaptureSettingsTest, EachExportChecksStoresAndSendsItsCommand) {
    ASSERT_EQ(RU4Dov_InitDSPs(), 5);
    intptr_t h = RU4Dov_ChannelOpen(2); // sub-channel 2 of the four-channel processor
    intptr_t one = RU4Dov_ChannelOpen(4);
    ASSERT_NE(h, kNoChannel);
    ASSERT_NE(one, kNoChannel);
    SdkChannel& c = g_sdk.channels[2];
    constexpr intptr_t kClosed = 12345;

    struct Case {
        const char* what;
        std::function<int()> call;
        int result;
        int processor;
        std::vector<std::vector<uint32_t>> commands; // leading words of each command sent
        std::function<bool()> stored;
    };
    auto always = [] { return true; };
    // Encoder commands carry the whole parameter set as it stands after the call.
    const Case cases[] = {
        {"standard NTSC",
         [&] { return RU4Dov_SetVideoStandard(h, 1); },
         0,
         0,
         {{0x00030001}},
         [&] { return c.videoStandard == 1 && g_sdk.channels[3].videoStandard == 2; }},
        {"standard 3",
         [&] { return RU4Dov_SetVideoStandard(h, 3); },
         kBadArgument,
         0,
         {},
         [&] { return c.videoStandard == 1; }},
        {"standard checked before the handle",
         [&] { return RU4Dov_SetVideoStandard(kClosed, 0); },
         kBadArgument,
         0,
         {},
         always},
        {"standard on a bad handle",
         [&] { return RU4Dov_SetVideoStandard(kClosed, 2); },
         kBadHandle,
         0,
         {},
         always},
        {"stream type from the low 16 bits",
         [&] { return RU4Dov_SetStreamType(h, 0x10003); },
         0,
         0,
         {{0x00040203}},
         [&] { return c.streamType == 3; }},
        {"stream type 4",
         [&] { return RU4Dov_SetStreamType(h, 4); },
         kBadArgument,
         0,
         {},
         [&] { return c.streamType == 3; }},
        {"stream type 0",
         [&] { return RU4Dov_SetStreamType(kClosed, 0x10000); },
         kBadArgument,
         0,
         {},
         always},
        {"small picture format",
         [&] { return RU4Dov_SetEncoderPictureFormat(h, 1); },
         0,
         0,
         {{0x00180201}},
         [&] { return c.pictureFormat == 1; }},
        {"large format on four channels",
         [&] { return RU4Dov_SetEncoderPictureFormat(h, 3); },
         kBadArgument,
         0,
         {},
         [&] { return c.pictureFormat == 1; }},
        {"large format on one channel",
         [&] { return RU4Dov_SetEncoderPictureFormat(one, 4); },
         0,
         1,
         {{0x00180004}},
         [&] { return g_sdk.channels[4].pictureFormat == 4; }},
        {"format 5",
         [&] { return RU4Dov_SetEncoderPictureFormat(kClosed, 5); },
         kBadArgument,
         0,
         {},
         always},
        {"format checked after the handle for size",
         [&] { return RU4Dov_SetEncoderPictureFormat(kClosed, 3); },
         kBadHandle,
         0,
         {},
         always},
        {"interval 301, B frames 2, frame rate 50",
         [&] { return RU4Dov_SetIBPMode(h, 301, 2, 77, 50); },
         0,
         0,
         {{0x000A0201, 500000, Quant(4, 4, 6, 45), Rates(30, 0, 1)}},
         [&] { return c.keyFrameInterval == 301 && c.bFrames == 1 && c.frameRate == 30; }},
        {"interval 400, B frames -1, frame rate 0",
         [&] { return RU4Dov_SetIBPMode(h, 400, -1, 0, 0); },
         0,
         0,
         {{0x000A0201, 500000, Quant(4, 4, 6, 144), Rates(1, 0, 0)}},
         [&] { return c.keyFrameInterval == 400 && c.bFrames == 0 && c.frameRate == 1; }},
        {"interval 0 and frame rate 25",
         [&] { return RU4Dov_SetIBPMode(h, 0, 0, 0, 25); },
         0,
         0,
         {{0x000A0201, 500000, Quant(4, 4, 6, 1), Rates(25, 0, 0)}},
         [&] { return c.keyFrameInterval == 1; }},
        {"quantisers clamped",
         [&] { return RU4Dov_SetDefaultQuant(h, 2, 40, 10); },
         0,
         0,
         {{0x000A0201, 500000, Quant(4, 30, 10, 1), Rates(25, 0, 0)}},
         [&] { return c.iQuantiser == 4 && c.pQuantiser == 30 && c.bQuantiser == 10; }},
        {"bit rate compared unsigned, mode true as -1",
         [&] { return RU4Dov_SetupBitrateControl(h, 0x80000000u, -1); },
         0,
         0,
         {{0x000A0201, 1000000, Quant(4, 30, 10, 1), Rates(25, 0, 0)}},
         [&] { return c.maxBitRate == 1000000 && c.bitrateMode == -1; }},
        {"bit rate below the range, mode 1",
         [&] { return RU4Dov_SetupBitrateControl(h, 100, 1); },
         0,
         0,
         {{0x000A0201, 16000, Quant(4, 30, 10, 1), Rates(25, 1, 0)}},
         [&] { return c.maxBitRate == 16000 && c.bitrateMode == 1; }},
        {"key frame now", [&] { return RU4Dov_CaptureIFrame(h); }, 0, 0, {{0x00170002}}, always},
        {"audio monitoring on with -1",
         [&] { return RU4Dov_SetAudioPreview(h, -1); },
         0,
         0,
         {{0x00130201}},
         [&] { return c.audioPreview == 1; }},
        {"audio monitoring off",
         [&] { return RU4Dov_SetAudioPreview(h, 0); },
         0,
         0,
         {{0x00130200}},
         [&] { return c.audioPreview == 0; }},
        {"auxiliary mode clamped",
         [&] { return RU4Dov_SetAuxCodecMode(h, 500, 0, 10); },
         0,
         0,
         {{0x001A0000, 2, 20000, 0x90010000}},
         always},
        {"auxiliary mode upper bounds",
         [&] { return RU4Dov_SetAuxCodecMode(one, 99, 31, 400000); },
         0,
         1,
         {{0x001A0000, 4, 300000, 0x631E0000}},
         always},
        {"auxiliary start", [&] { return RU4Dov_StartAuxCodec(h); }, 0, 0, {{0x001B0201}}, always},
        {"auxiliary stop", [&] { return RU4Dov_StopAuxCodec(one); }, 0, 1, {{0x001B0400}}, always},
        {"stop while not capturing", [&] { return RU4Dov_StopVideoCapture(h); }, 0, 0, {}, always},
        {"capture start",
         [&] { return RU4Dov_StartVideoCapture(h); },
         0,
         0,
         {{0x00010201}},
         [&] { return c.captureOn == 1; }},
        {"capture start again",
         [&] { return RU4Dov_StartVideoCapture(h); },
         0,
         0,
         {{0x00010201}},
         [&] { return c.captureOn == 1; }},
        {"capture stop",
         [&] { return RU4Dov_StopVideoCapture(h); },
         0,
         0,
         {{0x00010200}},
         [&] { return c.captureOn == 0; }},
    };
    for (const Case& k : cases) {
        int from[2] = {SimCtl_GetCommandCount(0), SimCtl_GetCommandCount(1)};
        EXPECT_EQ(k.call(), k.result) << k.what;
        size_t words = k.commands.empty() ? 1 : k.commands[0].size();
        EXPECT_EQ(Commands(k.processor, from[k.processor], words), k.commands) << k.what;
        EXPECT_TRUE(Commands(1 - k.processor, from[1 - k.processor], 1).empty()) << k.what;
        EXPECT_TRUE(k.stored()) << k.what;
    }
    uint16_t type = 0;
    EXPECT_EQ(RU4Dov_GetStreamType(h, &type), 0);
    EXPECT_EQ(type, 3);
    EXPECT_EQ(RU4Dov_GetStreamType(kClosed, &type), kBadHandle);
    EXPECT_EQ(RU4Dov_GetStreamType(h, nullptr), kBadArgument);
}

TEST_F(CaptureSettingsTest, AnUndeliveredCommandKeepsWhatTheExportPromises) {
    ASSERT_EQ(RU4Dov_InitDSPs(), 5);
    intptr_t h = RU4Dov_ChannelOpen(1);
    ASSERT_NE(h, kNoChannel);
    SdkChannel& c = g_sdk.channels[1];
    ASSERT_EQ(RU4Dov_StartVideoCapture(h), 0);
    // The answer to the board's first time request must not take the busy answers below.
    ASSERT_GE(SimCtl_WaitCommand(0, kCmdTime, 0, 5000, nullptr), 0);

    struct Case {
        const char* what;
        std::function<int()> call;
        std::function<bool()> stored;
    };
    const Case cases[] = {
        // Settings sent as a whole keep their old value.
        {"standard", [&] { return RU4Dov_SetVideoStandard(h, 1); },
         [&] { return c.videoStandard == 2; }},
        {"stream type", [&] { return RU4Dov_SetStreamType(h, 2); },
         [&] { return c.streamType == 1; }},
        {"picture format", [&] { return RU4Dov_SetEncoderPictureFormat(h, 1); },
         [&] { return c.pictureFormat == 0; }},
        {"audio monitoring", [&] { return RU4Dov_SetAudioPreview(h, 1); },
         [&] { return c.audioPreview == 0; }},
        // Encoder parameters are kept for the next command that gets through.
        {"key-frame interval", [&] { return RU4Dov_SetIBPMode(h, 50, 1, 0, 12); },
         [&] { return c.keyFrameInterval == 50 && c.frameRate == 12; }},
        {"quantisers", [&] { return RU4Dov_SetDefaultQuant(h, 5, 6, 7); },
         [&] { return c.iQuantiser == 5; }},
        {"bit rate", [&] { return RU4Dov_SetupBitrateControl(h, 64000, 0); },
         [&] { return c.maxBitRate == 64000; }},
        {"capture stop", [&] { return RU4Dov_StopVideoCapture(h); },
         [&] { return c.captureOn == 1; }},
        {"capture start", [&] { return RU4Dov_StartVideoCapture(h); },
         [&] { return c.captureOn == 1; }},
    };
    for (const Case& k : cases) {
        // Busy for all 20 attempts of one command.
        ASSERT_EQ(SimCtl_SetFault(0, SIMCTL_FAULT_BUSY, 20), 0);
        int from = SimCtl_GetCommandCount(0);
        EXPECT_EQ(k.call(), kNotSent) << k.what;
        EXPECT_TRUE(Commands(0, from, 1).empty()) << k.what;
        EXPECT_TRUE(k.stored()) << k.what;
    }
    int from = SimCtl_GetCommandCount(0);
    EXPECT_EQ(RU4Dov_CaptureIFrame(h), 0);
    EXPECT_EQ(RU4Dov_SetAuxCodecMode(h, 1, 1, 1), 0);
    std::vector<std::vector<uint32_t>> sent = Commands(0, from, 4);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0][0], 0x00170001u);
    EXPECT_EQ(sent[1], (std::vector<uint32_t>{0x001A0000, 1, 20000, 0x01010000}));
    // The next encoder command carries all three undelivered settings.
    from = SimCtl_GetCommandCount(0);
    EXPECT_EQ(RU4Dov_SetDefaultQuant(h, 5, 6, 7), 0);
    EXPECT_EQ(Commands(0, from, 4), (std::vector<std::vector<uint32_t>>{
                                        {0x000A0101, 64000, Quant(5, 6, 7, 50), Rates(12, 0, 1)}}));

    // A failed start leaves capture off.
    ASSERT_EQ(SimCtl_SetFault(0, SIMCTL_FAULT_BUSY, 20), 0);
    ASSERT_EQ(RU4Dov_StopVideoCapture(h), kNotSent);
    ASSERT_EQ(RU4Dov_StopVideoCapture(h), 0);
    ASSERT_EQ(c.captureOn, 0);
    ASSERT_EQ(SimCtl_SetFault(0, SIMCTL_FAULT_BUSY, 20), 0);
    EXPECT_EQ(RU4Dov_StartVideoCapture(h), kNotSent);
    EXPECT_EQ(c.captureOn, 0);
}

TEST_F(CaptureSettingsTest, StatisticsNeedTheControlBlock) {
    ASSERT_EQ(SimCtl_Configure("processor 4\nsource 0 0 synthetic\n"), 0);
    ASSERT_EQ(SimCtl_SetFault(0, SIMCTL_FAULT_NO_MAGIC, 1), 0);
    ASSERT_EQ(RU4Dov_InitDSPs(), 4);
    intptr_t h = RU4Dov_ChannelOpen(0);
    ASSERT_NE(h, kNoChannel);
    RU4DovFramesStatistics s{7, 7, 7, 7};
    ::Sleep(100);
    EXPECT_EQ(RU4Dov_GetFramesStatistics(h, &s), kBadHandle);
    EXPECT_EQ(s.pictures + s.audioBlocks + s.boardWord + s.reserved, 0);
    EXPECT_EQ(RU4Dov_GetFramesStatistics(h, nullptr), kBadArgument);
    EXPECT_EQ(RU4Dov_GetFramesStatistics(12345, &s), kBadHandle);
}

} // namespace
} // namespace dvr::dorsk
