#include <windows.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/testing/testdata.h"
#include "player/lib/play_port.h"

namespace dvr::strovid {
namespace {

// The library's load and unload, as the DLL entry point does them.
class LibraryEnvironment : public ::testing::Environment {
public:
    void SetUp() override { LoadLibraryState(); }
    void TearDown() override { UnloadLibraryState(); }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new LibraryEnvironment);

TEST(Ports, NumbersOutsideTheTableAreRefused) {
    KeyFrameInfo info{};
    int h = 0, w = 0;
    const std::vector<std::pair<const char*, std::function<int(int)>>> ops = {
        {"GetLastError", [](int p) { return RE4Ravi_GetLastError(p); }},
        {"RefreshPlay", [](int p) { return RE4Ravi_RefreshPlay(p); }},
        {"GetPictureSize", [&](int p) { return RE4Ravi_GetPictureSize(p, &h, &w); }},
        {"GetCurrentFrameRate", [](int p) { return RE4Ravi_GetCurrentFrameRate(p); }},
        {"OpenFileEx", [](int p) { return RE4Ravi_OpenFileEx(p, "x.MPG"); }},
        {"OpenFile", [](int p) { return RE4Ravi_OpenFile(p, "x.MPG"); }},
        {"CloseFile", [](int p) { return RE4Ravi_CloseFile(p); }},
        {"Init_DecodeParam", [](int p) { return Init_DecodeParam(p, 720, 576); }},
        {"SetFileRefCallBack",
         [](int p) {
             return RE4Ravi_SetFileRefCallBack(
                 p, [](int, int) {}, 0);
         }},
        {"GetFileTotalFrames",
         [](int p) { return static_cast<int>(RE4Ravi_GetFileTotalFrames(p)); }},
        {"GetFileTime", [](int p) { return static_cast<int>(RE4Ravi_GetFileTime(p)); }},
        {"GetKeyFramePos", [&](int p) { return RE4Ravi_GetKeyFramePos(p, 0, 1, &info); }},
        {"GetNextKeyFramePos", [&](int p) { return RE4Ravi_GetNextKeyFramePos(p, 0, 1, &info); }},
        {"SetOverlayMode", [](int p) { return RE4Ravi_SetOverlayMode(p, 1, 0xFF00FF); }},
        {"GetOverlayMode", [](int p) { return RE4Ravi_GetOverlayMode(p); }},
        {"GetColorKey", [](int p) { return static_cast<int>(RE4Ravi_GetColorKey(p)); }},
        {"LocalZoom", [](int p) { return RE4Ravi_LocalZoom(p, 1, 0, 0, 10, 10); }},
        {"SetSrcAndDstRect",
         [](int p) {
             RECT r{0, 0, 10, 10};
             return QEL_SetSrcAndDstRect(p, &r);
         }},
        {"ChangeBright", [](int p) { return RE4Ravi_ChangeBright(p, 9); }},
        {"ChangeContrast", [](int p) { return RE4Ravi_ChangeContrast(p, 9); }},
        {"SetPicQuality", [](int p) { return RE4Ravi_SetPicQuality(p, 1); }},
        {"GetPictureQuality", [&](int p) { return RE4Ravi_GetPictureQuality(p, &h); }},
        {"SetDecCallBack",
         [](int p) {
             return RE4Ravi_SetDecCallBack(
                 p, [](int, const uint8_t*, int, const DecodedFrameInfo*, int, int) {});
         }},
        {"SetDisplayBuf", [](int p) { return RE4Ravi_SetDisplayBuf(p, 3); }},
        {"GetDisplayBuf", [](int p) { return RE4Ravi_GetDisplayBuf(p); }},
        {"DirectDraw", [](int p) { return RE4Ravi_DirectDraw(p, 0, 0, 0, 0, nullptr); }},
    };
    for (const auto& [name, op] : ops) {
        for (int port : {-1, kPortCount, 1000000}) {
            SCOPED_TRACE(::testing::Message() << name << " port " << port);
            SetPlayerError(0);
            EXPECT_EQ(op(port), 0);
            EXPECT_EQ(PlayerErrorCode.load(), kErrorBadPort);
        }
    }
    // The record readers take a caller's handle and report nothing for a bad port.
    EXPECT_EQ(::ReadOneFrameEx(-1, 0, ::GetCurrentProcess()), 0);
    EXPECT_EQ(::ReadOneFrameExIndex(kPortCount, 0, ::GetCurrentProcess()), 0);
}

TEST(Ports, LastErrorIsLibraryWide) {
    SetPlayerError(0);
    KeyFrameInfo info{};
    EXPECT_EQ(RE4Ravi_GetKeyFramePos(5, 0, 1, &info), 0); // port 5 has no index
    EXPECT_EQ(RE4Ravi_GetLastError(12), kErrorIndexIncomplete);
    EXPECT_EQ(RE4Ravi_GetLastError(0), kErrorIndexIncomplete);
}

TEST(Ports, FixedAnswers) {
    EXPECT_EQ(RE4Ravi_GetSdkVersion(), 0x02200100);
    EXPECT_EQ(RE4Ravi_GetFileHeadLength(), 19);
    EXPECT_EQ(RE4Ravi_InitDDraw(nullptr), 1);
    EXPECT_EQ(RE4Ravi_RealeseDDraw(), 1);
    EXPECT_EQ(DoPerSkipForward(3), 1);
    EXPECT_EQ(RE4Ravi_RefreshPlay(19), 1);
    const int caps = RE4Ravi_GetCaps();
    EXPECT_EQ(caps & ~0xFF, 0);
    if (caps & 0x02) {
        EXPECT_TRUE(caps & 0x01);
    }
}

TEST(Ports, FreshPortsHoldTheirStartingValues) {
    for (int p = 0; p < kPortCount; ++p) {
        SCOPED_TRACE(p);
        const PlayPort& port = PortTable[p];
        EXPECT_EQ(port.brightnessStep, 8);
        EXPECT_EQ(port.contrastStep, 8);
        EXPECT_EQ(port.streamOpenMode, 2);
        EXPECT_EQ(port.displayBuffers, 15);
    }
}

} // namespace
} // namespace dvr::strovid
