#include "sdk/dorsk/osd_layout.h"
#include "sdk/dorsk/sim_fixture.h"

#include <functional>

namespace dvr::dorsk {
namespace {

using OsdExportsTest = testing::SimBoardTest;

constexpr int kBadArgument = AsResult(kSdkBadArgument);
constexpr int kBadHandle = AsResult(kSdkBadHandle);
constexpr intptr_t kClosed = 12345;
constexpr int kTextLine1 = 0, kTextLine2 = 1, kLogo = 2;

std::vector<uint16_t> Words(const uint8_t* at, size_t count) {
    std::vector<uint16_t> w(count);
    std::memcpy(w.data(), at, count * 2);
    return w;
}

TEST_F(OsdExportsTest, TextLinesReachBoardMemoryClampedAndTheModeIsSent) {
    ASSERT_EQ(RU4Dov_InitDSPs(), 5);
    intptr_t h = RU4Dov_ChannelOpen(1);
    ASSERT_NE(h, kNoChannel);
    WaitBoardReady(0);

    std::vector<uint16_t> line1 = {333, 290};
    for (int i = 0; i < 50; ++i)
        line1.push_back(uint16_t('A' + i % 26));
    line1.push_back(0);
    std::vector<uint16_t> line2 = {uint16_t(-8), 4, 0xB0A1, 0x9000, 0};
    int from = SimCtl_GetCommandCount(0);
    ASSERT_EQ(RU4Dov_SetOsdDisplayMode(h, 200, 0, 1, line1.data(), line2.data()), 0);
    // The caller's records hold the clamped positions.
    EXPECT_EQ(line1[0], 332);
    EXPECT_EQ(line1[1], 278);
    EXPECT_EQ(line2[0], 332);
    EXPECT_EQ(Commands(0, from, 3), (std::vector<std::vector<uint32_t>>{{0x000D0001, 0, 1}}));

    std::vector<uint16_t> area1 = Words(SimArea(0, 1, kTextLine1), 4 + kMaxOsdCodes + 1);
    EXPECT_EQ(area1[0], 328);
    EXPECT_EQ(area1[1], 278);
    EXPECT_EQ(area1[2], 200);
    EXPECT_EQ(area1[3], 0);
    EXPECT_EQ(std::vector<uint16_t>(area1.begin() + 4, area1.end() - 1),
              std::vector<uint16_t>(line1.begin() + 2, line1.begin() + 2 + kMaxOsdCodes));
    EXPECT_EQ(area1.back(), 0);
    EXPECT_EQ(Words(SimArea(0, 1, kTextLine2), 7),
              (std::vector<uint16_t>{328, 4, 200, 0, 0xB0A1, 0x9000, 0}));

    // Both lines absent: two empty texts, and the mode still goes out.
    from = SimCtl_GetCommandCount(0);
    ASSERT_EQ(RU4Dov_SetOsdDisplayMode(h, 0x10002, 7, 8, nullptr, nullptr), 0);
    EXPECT_EQ(Commands(0, from, 3), (std::vector<std::vector<uint32_t>>{{0x000D0001, 7, 8}}));
    EXPECT_EQ(Words(SimArea(0, 1, kTextLine1), 5), (std::vector<uint16_t>{0, 0, 2, 1, 0}));
    EXPECT_EQ(Words(SimArea(0, 1, kTextLine2), 5), (std::vector<uint16_t>{0, 0, 2, 1, 0}));

    // Other sub-channels' areas are untouched.
    EXPECT_EQ(Words(SimArea(0, 0, kTextLine1), 2), (std::vector<uint16_t>{0, 0}));

    // Without a valid control block nothing is written or sent.
    SetControlMagic(0, 0);
    from = SimCtl_GetCommandCount(0);
    uint16_t line[] = {16, 16, 'x', 0};
    EXPECT_EQ(RU4Dov_SetOsdDisplayMode(h, 200, 0, 1, line, nullptr), kNotSent);
    EXPECT_TRUE(Commands(0, from, 1).empty());
    EXPECT_EQ(RU4Dov_SetOsdDisplayMode(kClosed, 200, 0, 1, nullptr, nullptr), kBadHandle);
}

TEST_F(OsdExportsTest, OneChannelNtscLimits) {
    ASSERT_EQ(RU4Dov_InitDSPs(), 5);
    intptr_t h = RU4Dov_ChannelOpen(4);
    ASSERT_NE(h, kNoChannel);
    WaitBoardReady(1);
    ASSERT_EQ(RU4Dov_SetVideoStandard(h, 1), 0);
    uint16_t line[] = {700, 500, 'a', 0};
    ASSERT_EQ(RU4Dov_SetOsdDisplayMode(h, 200, 0, 1, line, nullptr), 0);
    EXPECT_EQ(line[0], 620);
    EXPECT_EQ(line[1], 460);
    EXPECT_EQ(Words(SimArea(1, 0, kTextLine1), 2), (std::vector<uint16_t>{616, 460}));
}

TEST_F(OsdExportsTest, LogoIsPlacedInsideThePictureAndSwitchedOn) {
    ASSERT_EQ(RU4Dov_InitDSPs(), 5);
    intptr_t h = RU4Dov_ChannelOpen(0);
    ASSERT_NE(h, kNoChannel);
    WaitBoardReady(0);
    std::vector<uint16_t> pixels(128 * 64);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = uint16_t(i * 3 + 1);

    int from = SimCtl_GetCommandCount(0);
    ASSERT_EQ(RU4Dov_SetLogo(h, 300, -5, 128, 64, pixels.data()), 0);
    EXPECT_EQ(Commands(0, from, 1), (std::vector<std::vector<uint32_t>>{{0x00100001}}));
    const uint8_t* area = SimArea(0, 0, kLogo);
    EXPECT_EQ(Words(area, 4), (std::vector<uint16_t>{224, 0, 128, 64}));
    EXPECT_EQ(Words(area + 8, pixels.size()), pixels);

    // An odd pixel count reaches the board whole.
    const uint16_t small[] = {11, 12, 13, 14, 15, 16, 17, 18, 19};
    ASSERT_EQ(RU4Dov_SetLogo(h, 13, 280, 3, 3, small), 0);
    EXPECT_EQ(Words(area, 13),
              (std::vector<uint16_t>{8, 280, 3, 3, 11, 12, 13, 14, 15, 16, 17, 18, 19}));

    struct Case {
        const char* what;
        intptr_t handle;
        int width, height;
        const uint16_t* pixels;
        int result;
    };
    const Case refused[] = {
        {"too wide, before the handle", kClosed, 129, 8, small, kBadArgument},
        {"too high", h, 8, 65, small, kBadArgument},
        {"negative width", h, -2, 8, small, kBadArgument},
        {"no pixels", h, 2, 2, nullptr, kBadArgument},
        {"closed handle", kClosed, 3, 3, small, kBadHandle},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.what);
        from = SimCtl_GetCommandCount(0);
        EXPECT_EQ(RU4Dov_SetLogo(c.handle, 0, 0, c.width, c.height, c.pixels), c.result);
        EXPECT_TRUE(Commands(0, from, 1).empty());
    }
}

TEST_F(OsdExportsTest, SwitchesModesAndMosaicAreasAsCommands) {
    ASSERT_EQ(RU4Dov_InitDSPs(), 5);
    intptr_t h = RU4Dov_ChannelOpen(2);
    ASSERT_NE(h, kNoChannel);
    WaitBoardReady(0);
    RU4DovArea two[] = {{-10, 10, 100, 60}, {300, 200, 400, 300}};
    RU4DovArea disordered[] = {{400, 0, 500, 10}};
    struct Case {
        const char* what;
        std::function<int()> call;
        int result;
        std::vector<std::vector<uint32_t>> commands;
    };
    const Case cases[] = {
        {"text on", [&] { return RU4Dov_SetOsd(h, 5); }, 0, {{0x000E0201, 0, 0, 0, 0}}},
        {"text off", [&] { return RU4Dov_SetOsd(h, 0); }, 0, {{0x000E0200, 0, 0, 0, 0}}},
        {"logo off", [&] { return RU4Dov_StopLogo(h); }, 0, {{0x00100200, 0, 0, 0, 0}}},
        {"logo mode",
         [&] { return RU4Dov_SetLogoDisplayMode(h, -1, 3, 4); },
         0,
         {{0x000F0002, 3, 4, 0, 0}}},
        {"mosaic on", [&] { return RU4Dov_StartMosaic(h); }, 0, {{0x00090201, 0, 0, 0, 0}}},
        {"mosaic off", [&] { return RU4Dov_StopMosaic(h); }, 0, {{0x00090200, 0, 0, 0, 0}}},
        {"no mosaic areas",
         [&] { return RU4Dov_SetupMosaic(h, nullptr, 0); },
         0,
         {{0x00080002, 0, 0, 0, 0}}},
        {"two mosaic areas clamped",
         [&] { return RU4Dov_SetupMosaic(h, two, 2); },
         0,
         {{0x00080002, 100u << 16 | 50, 0u << 16 | 10, 52u << 16 | 88, 300u << 16 | 200}}},
        {"three areas", [&] { return RU4Dov_SetupMosaic(kClosed, two, 3); }, kBadArgument, {}},
        {"negative count", [&] { return RU4Dov_SetupMosaic(h, two, -1); }, kBadArgument, {}},
        {"disordered after clamping",
         [&] { return RU4Dov_SetupMosaic(h, disordered, 1); },
         kBadArgument,
         {}},
        {"closed handle", [&] { return RU4Dov_StartMosaic(kClosed); }, kBadHandle, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int from = SimCtl_GetCommandCount(0);
        EXPECT_EQ(c.call(), c.result);
        EXPECT_EQ(Commands(0, from, 5), c.commands);
    }
    EXPECT_EQ(two[0].left, 0);
    EXPECT_EQ(two[1].right, 352);
    EXPECT_EQ(two[1].bottom, 288);

    ASSERT_EQ(SimCtl_SetFault(0, SIMCTL_FAULT_BUSY, 20), 0);
    EXPECT_EQ(RU4Dov_StartMosaic(h), kNotSent);
}

} // namespace
} // namespace dvr::dorsk
