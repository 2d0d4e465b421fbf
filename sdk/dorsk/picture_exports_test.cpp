#include "common/win/textconv.h"
#include "sdk/dorsk/picture_convert.h"
#include "sdk/dorsk/sim_fixture.h"

#include <functional>

namespace dvr::dorsk {
namespace {

using PictureExportsTest = testing::SimBoardTest;

constexpr int kBadArgument = AsResult(kSdkBadArgument);
constexpr int kBadHandle = AsResult(kSdkBadHandle);
constexpr int kTimeout = AsResult(kSdkBoardTimeout);
constexpr int kTooSmall = AsResult(kSdkBufferTooSmall);
constexpr intptr_t kClosed = 12345;
// The stand-in grabs planar YUV 4:2:0 at the channel's picture size.
constexpr uint32_t kPalGrabBytes = 352 * 288 * 3 / 2;

// The stand-in's grab: Y rises by one along rows and columns from a per-grab start.
bool LooksGrabbed(const std::vector<uint8_t>& pic, int width, int height) {
    for (int y = 0; y < height; y += 37)
        for (int x = 0; x < width; x += 13)
            if (pic[size_t(y * width + x)] != uint8_t(pic[0] + x + y)) return false;
    return true;
}

TEST_F(PictureExportsTest, GrabCopiesThePictureAndHandsTheBufferBack) {
    ASSERT_EQ(RU4Dov_InitDSPs(), 5);
    // Sub-channel 0: the stand-in reads the sub-channel of a grab from bits 8-15.
    intptr_t h = RU4Dov_ChannelOpen(0);
    ASSERT_NE(h, kNoChannel);
    WaitBoardReady(0);
    std::vector<uint8_t> pic(kPalGrabBytes + 100, 0xEE);

    for (int round = 0; round < 3; ++round) { // each needs the previous buffer released
        SCOPED_TRACE(round);
        uint32_t length = kPalGrabBytes;
        int from = SimCtl_GetCommandCount(0);
        ASSERT_EQ(RU4Dov_GetOriginalImage(h, pic.data(), &length), 0);
        EXPECT_EQ(length, kPalGrabBytes);
        EXPECT_TRUE(LooksGrabbed(pic, 352, 288));
        EXPECT_EQ(pic[kPalGrabBytes], 0xEE);
        EXPECT_EQ(Commands(0, from, 1), (std::vector<std::vector<uint32_t>>{{0x000B0000}}));
    }

    // One byte short: refused with the length kept, and the board's buffer stays held,
    // so the next grab gets no answer.
    uint32_t length = kPalGrabBytes - 1;
    EXPECT_EQ(RU4Dov_GetOriginalImage(h, pic.data(), &length), kTooSmall);
    EXPECT_EQ(length, kPalGrabBytes - 1);
    length = kPalGrabBytes;
    EXPECT_EQ(RU4Dov_GetOriginalImage(h, pic.data(), &length), kTimeout);
}

TEST_F(PictureExportsTest, GrabSizeAndFailuresOfBothGrabExports) {
    ASSERT_EQ(RU4Dov_InitDSPs(), 5);
    intptr_t h = RU4Dov_ChannelOpen(0);
    ASSERT_NE(h, kNoChannel);
    WaitBoardReady(0);
    std::vector<uint8_t> pic(900000);

    struct Size {
        int32_t bytes, width, height;
    };
    for (Size s : {Size{202752, 352, 288}, Size{614400, 640, 480}, Size{38400, 160, 120}}) {
        SCOPED_TRACE(s.bytes);
        ASSERT_EQ(SimCtl_SetFault(0, SIMCTL_FAULT_GRAB_SIZE, s.bytes), 0);
        uint32_t length = uint32_t(pic.size());
        int width = 0, height = 0;
        ASSERT_EQ(RU4Dov_GetOriginalImageEx(h, pic.data(), &length, &width, &height), 0);
        EXPECT_EQ(length, uint32_t(s.bytes));
        EXPECT_EQ(width, s.width);
        EXPECT_EQ(height, s.height);
    }
    ASSERT_EQ(SimCtl_SetFault(0, SIMCTL_FAULT_GRAB_SIZE, 0), 0);

    struct Case {
        const char* what;
        std::function<void()> arrange;
        intptr_t handle;
        bool null_buffer;
        int plain, extended;
    };
    const Case cases[] = {
        {"null buffer, before the handle", [] {}, kClosed, true, kBadArgument, kBadArgument},
        {"closed handle", [] {}, kClosed, false, kBadHandle, kBadHandle},
        {"busy link: not sent", [] { SimCtl_SetFault(0, SIMCTL_FAULT_BUSY, 20); }, h, false,
         kTimeout, kNotSent},
        {"board silent after an earlier acknowledgement",
         [] {
             const uint32_t ack[BREVIX_MESSAGE_WORDS] = {36u << 16};
             SimCtl_SendBoardMessage(0, ack);
             ::Sleep(100); // taken by the message thread, which signals the reply event
             SimCtl_SetFault(0, SIMCTL_FAULT_GRAB_SILENT, 1);
         },
         h, false, kTimeout, kTimeout},
        {"board silent", [] { SimCtl_SetFault(0, SIMCTL_FAULT_GRAB_SILENT, 1); }, h, false,
         kTimeout, kTimeout},
        {"no control block", [] { SetControlMagic(0, 0); }, h, false, kNotSent, kNotSent},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        uint8_t* buffer = c.null_buffer ? nullptr : pic.data();
        int width = 0, height = 0;
        c.arrange();
        uint32_t length = uint32_t(pic.size());
        EXPECT_EQ(RU4Dov_GetOriginalImage(c.handle, buffer, &length), c.plain);
        c.arrange();
        length = uint32_t(pic.size());
        EXPECT_EQ(RU4Dov_GetOriginalImageEx(c.handle, buffer, &length, &width, &height),
                  c.extended);
        EXPECT_EQ(length, uint32_t(pic.size()));
    }
}

std::vector<uint8_t> ReadWholeFile(const std::wstring& name) {
    win::File file(::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    std::vector<uint8_t> bytes(::GetFileSize(file.get(), nullptr));
    DWORD read = 0;
    ::ReadFile(file.get(), bytes.data(), DWORD(bytes.size()), &read, nullptr);
    return bytes;
}

TEST_F(PictureExportsTest, BitmapFilesUnderGbkNames) {
    // A grabbed picture saved as the host does it, under a Chinese name.
    std::vector<uint8_t> yuv(kPalGrabBytes);
    for (size_t i = 0; i < yuv.size(); ++i)
        yuv[i] = uint8_t(i * 7 / 5);
    const std::string name = win::Utf8ToGbk("抓帧_1.bmp");
    ASSERT_EQ(RU4Dov_SaveYUVToBmpFile(name.c_str(), yuv.data(), 352, 288), 0);
    std::vector<uint8_t> file = ReadWholeFile(L"抓帧_1.bmp");
    EXPECT_EQ(file, YuvToBitmapFile(yuv.data(), 352, 288));
    // Replaced, not appended to.
    ASSERT_EQ(RU4Dov_SaveYUVToBmpFile(name.c_str(), yuv.data(), 176, 144), 0);
    EXPECT_EQ(ReadWholeFile(L"抓帧_1.bmp").size(), 54u + 176 * 3 * 144);

    std::vector<uint8_t> loaded(2 * 352 * 288);
    int width = 0, height = 0;
    ASSERT_EQ(RU4Dov_LoadYUVFromBmpFile(name.c_str(), loaded.data(), uint32_t(loaded.size()),
                                        &width, &height),
              0);
    EXPECT_EQ(width, 176);
    EXPECT_EQ(height, 144);
    ::DeleteFileW(L"抓帧_1.bmp");

    // A 32-bit picture, a short buffer and missing files.
    std::vector<uint8_t> bmp32 = YuvToBitmapFile(yuv.data(), 16, 16);
    bmp32[28] = 32;
    win::File out(::CreateFileW(L"deep.bmp", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    ::WriteFile(out.get(), bmp32.data(), DWORD(bmp32.size()), &written, nullptr);
    out.reset();
    ASSERT_EQ(RU4Dov_SaveYUVToBmpFile("small.bmp", yuv.data(), 32, 8), 0);

    struct Case {
        const char* what;
        std::function<int()> call;
        int result;
    };
    const Case cases[] = {
        {"save without a name",
         [&] { return RU4Dov_SaveYUVToBmpFile(nullptr, yuv.data(), 16, 16); }, kBadArgument},
        {"save without data", [&] { return RU4Dov_SaveYUVToBmpFile("x.bmp", nullptr, 16, 16); },
         kBadArgument},
        {"save of no picture", [&] { return RU4Dov_SaveYUVToBmpFile("x.bmp", yuv.data(), 0, 16); },
         kBadArgument},
        {"save into a missing folder",
         [&] { return RU4Dov_SaveYUVToBmpFile("no_such_dir\\x.bmp", yuv.data(), 16, 16); },
         AsResult(kSdkBitmapOpen)},
        // A device that takes no byte: the write fails, so does the save.
        {"save onto a full disk",
         [&] { return RU4Dov_SaveYUVToBmpFile("Z:\\dev\\full", yuv.data(), 16, 16); },
         AsResult(kSdkBitmapOpen)},
        {"load of a missing file",
         [&] {
             return RU4Dov_LoadYUVFromBmpFile("missing.bmp", loaded.data(), 100000, &width,
                                              &height);
         },
         AsResult(kSdkBitmapOpen)},
        {"load of 32 bits per pixel",
         [&] {
             return RU4Dov_LoadYUVFromBmpFile("deep.bmp", loaded.data(), 100000, &width, &height);
         },
         AsResult(kSdkNot24BitBitmap)},
        {"load into a buffer one byte short",
         [&] {
             return RU4Dov_LoadYUVFromBmpFile("small.bmp", loaded.data(), 2 * 32 * 8 - 1, &width,
                                              &height);
         },
         kTooSmall},
        {"load without a width out",
         [&] {
             return RU4Dov_LoadYUVFromBmpFile("small.bmp", loaded.data(), 100000, nullptr, &height);
         },
         kBadArgument},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.call(), c.result);
    }
    ::DeleteFileW(L"deep.bmp");
    ::DeleteFileW(L"small.bmp");
}

TEST_F(PictureExportsTest, SignalParametersAndInformation) {
    ASSERT_EQ(RU4Dov_InitDSPs(), 5);
    intptr_t h = RU4Dov_ChannelOpen(2);
    intptr_t one = RU4Dov_ChannelOpen(4);
    ASSERT_NE(h, kNoChannel);
    ASSERT_NE(one, kNoChannel);
    WaitBoardReady(0);

    // Video loss and return as the board reports them.
    for (int present : {0, 1, 0}) {
        SCOPED_TRACE(present);
        ASSERT_EQ(SimCtl_SetVideoPresent(0, 2, present), 0);
        int want = present ? 0 : kNotSent, got = 99;
        for (int i = 0; i < 100 && (got = RU4Dov_GetVideoSignal(h)) != want; ++i)
            ::Sleep(10);
        EXPECT_EQ(got, want);
    }

    int status = 0, brightness = 0, contrast = 0, saturation = 0, hue = 0;
    ASSERT_EQ(RU4Dov_GetVideoPara(h, &status, &brightness, &contrast, &saturation, &hue), 0);
    EXPECT_EQ(std::vector<int>({status, brightness, contrast, saturation, hue}),
              std::vector<int>({1, 128, 64, 64, 128}));
    int from = SimCtl_GetCommandCount(0);
    ASSERT_EQ(RU4Dov_SetVideoPara(h, 300, -5, 200, 17), 0);
    EXPECT_EQ(Commands(0, from, 2), (std::vector<std::vector<uint32_t>>{
                                        {0x00050002, 255u << 24 | 0u << 16 | 17u << 8 | 127}}));
    ASSERT_EQ(RU4Dov_GetVideoPara(h, &status, &brightness, &contrast, &saturation, &hue), 0);
    EXPECT_EQ(std::vector<int>({brightness, contrast, saturation, hue}),
              std::vector<int>({255, 0, 127, 17}));
    ASSERT_EQ(SimCtl_SetFault(0, SIMCTL_FAULT_BUSY, 20), 0);
    EXPECT_EQ(RU4Dov_SetVideoPara(h, 1, 2, 3, 4), kNotSent);
    EXPECT_EQ(g_sdk.channels[2].brightness, 1); // stored before the send

    uint32_t first = 0, second = 0;
    ASSERT_EQ(RU4Dov_GetBoardInfo(h, &first, &second), 0);
    EXPECT_EQ(first, 0x20040301u);
    EXPECT_EQ(second, 0x00040004u);
    int info = -1;
    ASSERT_EQ(RU4Dov_GetChannelInfo(h, &info), 0);
    EXPECT_EQ(info, 0);
    ASSERT_EQ(RU4Dov_GetChannelInfo(one, &info), 0);
    EXPECT_EQ(info, 4);
    uint8_t capability[3] = {9, 9, 9};
    ASSERT_EQ(RU4Dov_GetCapability(h, capability), 0);
    EXPECT_EQ(std::vector<uint8_t>(capability, capability + 3), (std::vector<uint8_t>{1, 0, 0}));
    int32_t versions[6] = {};
    EXPECT_EQ(RU4Dov_GetSDKVersion(versions), 20040301);
    EXPECT_EQ(std::vector<int32_t>(versions, versions + 6),
              (std::vector<int32_t>{20031201, 20040401, 20031201, 20040315, 20040301, 20040401}));

    from = SimCtl_GetCommandCount(0);
    EXPECT_EQ(RU4Dov_SetLanguage(h, 0x1234), 0);
    EXPECT_EQ(RU4Dov_GetDumpFile(h), 0);
    EXPECT_EQ(RU4Dov_SetHorOffset(h), 0);
    EXPECT_EQ(Commands(0, from, 1),
              (std::vector<std::vector<uint32_t>>{{0x001D0034}, {0x001F0200}}));

    // Without a valid control block.
    SetControlMagic(0, 0);
    EXPECT_EQ(RU4Dov_GetVideoSignal(h), kNotSent);
    ASSERT_EQ(RU4Dov_GetVideoPara(h, &status, &brightness, &contrast, &saturation, &hue), 0);
    EXPECT_EQ(uint32_t(status), 0x80000000u);
    EXPECT_EQ(brightness, 1);
    EXPECT_EQ(RU4Dov_GetBoardInfo(h, &first, &second), kBadHandle);

    struct Case {
        const char* what;
        std::function<int()> call;
    };
    const Case closed[] = {
        {"signal", [] { return RU4Dov_GetVideoSignal(kClosed); }},
        {"parameters",
         [&] {
             return RU4Dov_GetVideoPara(kClosed, &status, &brightness, &contrast, &saturation,
                                        &hue);
         }},
        {"set parameters", [] { return RU4Dov_SetVideoPara(kClosed, 1, 2, 3, 4); }},
        {"board info", [&] { return RU4Dov_GetBoardInfo(kClosed, &first, &second); }},
        {"channel info", [&] { return RU4Dov_GetChannelInfo(kClosed, &info); }},
        {"capability", [&] { return RU4Dov_GetCapability(0, capability); }},
        {"language", [] { return RU4Dov_SetLanguage(kClosed, 1); }},
        {"dump", [] { return RU4Dov_GetDumpFile(kClosed); }},
        {"horizontal offset", [] { return RU4Dov_SetHorOffset(kClosed); }},
    };
    for (const Case& c : closed)
        EXPECT_EQ(c.call(), kBadHandle) << c.what;
}

TEST(PictureExports, EntriesWithoutEffectAnswer268WhateverTheArguments) {
    const int results[] = {
        RU4Dov_DumpDebug(0),
        RU4Dov_GetSoundLevel(0, nullptr),
        RU4Dov_RegisterLogRecordCallback(nullptr, 0),
        RU4Dov_SetupAimDetectArea(12345, nullptr, -1),
        RU4Dov_StartAimDetect(0),
        RU4Dov_StopAimDetect(-1),
    };
    for (int r : results)
        EXPECT_EQ(r, 268);
}

} // namespace
} // namespace dvr::dorsk
