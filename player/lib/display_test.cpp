#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/testing/testdata.h"
#include "player/decoder/decoder.h"
#include "player/lib/play_port.h"

namespace dvr::strovid {
namespace {

TEST(Display, StepsAndSettingsAreStoredPerPort) {
    struct Case {
        int in, out;
    };
    for (Case c : {Case{20, 15}, Case{0, 1}, Case{8, 8}, Case{-4, 1}}) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(RE4Ravi_ChangeBright(6, c.in), 1);
        EXPECT_EQ(RE4Ravi_ChangeContrast(7, c.in), 1);
        EXPECT_EQ(PortTable[6].brightnessStep.load(), c.out);
        EXPECT_EQ(PortTable[7].contrastStep.load(), c.out);
    }
    RE4Ravi_ChangeBright(6, 8);
    RE4Ravi_ChangeContrast(7, 8);
    int quality = -1;
    EXPECT_EQ(RE4Ravi_SetPicQuality(6, 1), 1);
    EXPECT_EQ(RE4Ravi_GetPictureQuality(6, &quality), 1);
    EXPECT_EQ(quality, 1);
    EXPECT_EQ(RE4Ravi_GetPictureQuality(7, &quality), 1);
    EXPECT_EQ(quality, 0);
    EXPECT_EQ(RE4Ravi_GetPictureQuality(6, nullptr), 0);

    EXPECT_EQ(RE4Ravi_GetDisplayBuf(6), 15);
    EXPECT_EQ(RE4Ravi_SetDisplayBuf(6, 3), 1);
    EXPECT_EQ(RE4Ravi_GetDisplayBuf(6), 3);
    EXPECT_EQ(RE4Ravi_GetDisplayBuf(7), 15);
    RE4Ravi_SetDisplayBuf(6, 15);

    EXPECT_EQ(RE4Ravi_SetDecCallBack(6, nullptr), 0);
    EXPECT_EQ(PortTable[6].decodeCallbackFlag.load(), 0);
    EXPECT_EQ(RE4Ravi_SetDecCallBack(
                  6, [](int, const uint8_t*, int, const DecodedFrameInfo*, int, int) {}),
              1);
    EXPECT_EQ(PortTable[6].decodeCallbackFlag.load(), 1);
}

TEST(Display, ColourKeyFollowsTheOverlayMode) {
    EXPECT_EQ(RE4Ravi_SetOverlayMode(3, 1, 0x00FF0010), 1);
    EXPECT_EQ(RE4Ravi_GetColorKey(3), 0x00FF0010u);
    EXPECT_EQ(OverlayKeyPixel.load(), 0x001000FFu);
    EXPECT_EQ(RE4Ravi_GetColorKey(4), 0u); // the key is shared, the mode is not
    EXPECT_EQ(RE4Ravi_SetOverlayMode(3, 0, 0x00FF0010), 1);
    EXPECT_EQ(RE4Ravi_GetColorKey(3), 0u);
    EXPECT_EQ(RE4Ravi_GetOverlayMode(3), 0);
}

TEST(Display, LocalZoomSetsTheSourceAndTakesTheWindowAsDestination) {
    PlayPort& port = PortTable[8];
    // No window yet: the rectangle is kept, the call reports nothing shown.
    EXPECT_EQ(RE4Ravi_LocalZoom(8, 1, 600, 500, 300, 300), 0);
    EXPECT_EQ(port.sourceRect, (Rect{600, 500, 720, 576}));
    EXPECT_EQ(RE4Ravi_LocalZoom(8, 0, 600, 500, 300, 300), 0);
    EXPECT_EQ(port.sourceRect, (Rect{0, 0, 720, 576}));
    RECT negative{-1, 0, 10, 10};
    EXPECT_EQ(QEL_SetSrcAndDstRect(8, &negative), 0);
    EXPECT_EQ(port.sourceRect, (Rect{0, 0, 720, 576}));

    HWND wnd = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 100, 50, 320, 240,
                                 nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(wnd, nullptr);
    port.window = wnd;
    port.windowDc = std::make_unique<win::WindowDc>(wnd);
    port.pictureWidth = 352;
    port.pictureHeight = 288;
    EXPECT_EQ(RE4Ravi_LocalZoom(8, 1, 16, 8, 100, 50), 1);
    EXPECT_EQ(port.sourceRect, (Rect{16, 8, 116, 58}));
    EXPECT_EQ(port.destRect, (Rect{100, 50, 420, 290}));
    EXPECT_EQ(RE4Ravi_LocalZoom(8, 0, 16, 8, 100, 50), 1);
    EXPECT_EQ(port.sourceRect, (Rect{0, 0, 352, 288}));
    port.windowDc.reset();
    port.window = nullptr;
    port.pictureWidth = port.pictureHeight = 0;
    ::DestroyWindow(wnd);
}

TEST(Display, SnapshotFiles) {
    char dir[MAX_PATH];
    ::GetTempPathA(MAX_PATH, dir);
    const std::string path =
        std::string(dir) + "strovid_snap_" + std::to_string(::GetCurrentProcessId()) + ".BMP";
    std::vector<uint8_t> yuv(720 * 576 * 3 / 2, 128);
    ASSERT_EQ(RE4Ravi_ConvertToBmpFile(yuv.data(), 0, 352, 288, 0, path.c_str()), 1);
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    EXPECT_EQ(static_cast<size_t>(in.tellg()), 54u + 304128u);
    in.close();
    // Too large for the library's picture size: refused, the old file stays.
    EXPECT_EQ(RE4Ravi_ConvertToBmpFile(yuv.data(), 0, 722, 576, 0, path.c_str()), 0);
    std::ifstream again(path, std::ios::binary | std::ios::ate);
    EXPECT_EQ(static_cast<size_t>(again.tellg()), 54u + 304128u);
    again.close();
    ::DeleteFileA(path.c_str());
    EXPECT_EQ(RE4Ravi_ConvertToBmpFile(yuv.data(), 0, 352, 288, 0, "Z:\\no\\such\\dir\\a.BMP"), 0);
    EXPECT_EQ(RE4Ravi_ConvertToBmpFile(yuv.data(), 0, 352, 288, 0, nullptr), 0);
}

TEST(Display, DrawsTheDecodedPictureIntoTheWindow) {
    const int portNo = 11;
    PlayPort& port = PortTable[portNo];
    ASSERT_EQ(RE4Ravi_OpenFileEx(portNo, dvr::testing::TestDataPath("cif_ip.MPG").c_str()), 1);
    HWND wnd = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 352, 288, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(wnd, nullptr);
    EXPECT_EQ(RE4Ravi_DirectDraw(portNo, 0, 0, 0, 0, nullptr), 0); // nothing prepared yet

    SetUpDirectDraw();
    DirectDrawPathAllowed = 0;
    ASSERT_EQ(PrepareDisplay(portNo, wnd), 1);
    EXPECT_EQ(port.drawDibFlag, 1);
    EXPECT_EQ(port.rgbOutputFlag, 1);

    ASSERT_EQ(::ReadOneFrameEx(portNo, 1, port.playFile.Get()), kRecordKey);
    ASSERT_EQ(decoder::DecoderOneFrame(port.decoderHandle, static_cast<int>(port.file.play.length)),
              1);
    ASSERT_EQ(decoder::TransYUVtoRGB(port.decoderHandle), 1);
    EXPECT_EQ(RE4Ravi_DirectDraw(portNo, 0, 0, 0, 0, nullptr), 1);
    EXPECT_EQ(port.pictureWidth, 352);
    EXPECT_EQ(port.pictureHeight, 288);
    EXPECT_EQ(port.destRect, (Rect{0, 0, 352, 288}));

    // A window of no size has nothing to draw into.
    ::SetWindowPos(wnd, nullptr, 0, 0, 0, 0, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_EQ(RE4Ravi_DirectDraw(portNo, 0, 0, 0, 0, nullptr), 0);

    EXPECT_EQ(RE4Ravi_CloseFile(portNo), 1);
    EXPECT_EQ(port.drawDibFlag, 0);
    EXPECT_FALSE(port.drawDib);
    EXPECT_EQ(port.window, nullptr);
    ::DestroyWindow(wnd);
}

// A picture drawn into a smaller window shows, pixel for pixel, the picture sampled over
// the source rectangle, upright: the whole picture and a zoomed part of it.
TEST(Display, AShrunkPictureShowsTheSampledSourceUpright) {
    const int portNo = 13;
    PlayPort& port = PortTable[portNo];
    ASSERT_EQ(RE4Ravi_OpenFileEx(portNo, dvr::testing::TestDataPath("cif_ip.MPG").c_str()), 1);
    constexpr int kX = 420, kY = 300, kW = 176, kH = 144;
    HWND wnd = ::CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE, kX, kY, kW,
                                 kH, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(wnd, nullptr);
    SetUpDirectDraw();
    const int allowed = DirectDrawPathAllowed.exchange(0);
    ASSERT_EQ(PrepareDisplay(portNo, wnd), 1);
    ASSERT_EQ(port.drawDibFlag, 1);
    ASSERT_EQ(::ReadOneFrameEx(portNo, 1, port.playFile.Get()), kRecordKey);
    ASSERT_EQ(decoder::DecoderOneFrame(port.decoderHandle, static_cast<int>(port.file.play.length)),
              1);
    ASSERT_EQ(decoder::TransYUVtoRGB(port.decoderHandle), 1);
    const uint8_t* rgb = port.rgbOutput; // 352 x 288, bottom-up, B G R
    struct Case {
        Rect source; // as RE4Ravi_DirectDraw is given it; all 0 the whole picture
    };
    for (Case c : {Case{{0, 0, 0, 0}}, Case{{40, 20, 240, 180}}}) {
        const Rect src = c.source.right ? c.source : Rect{0, 0, 352, 288};
        SCOPED_TRACE(src.left);
        // Drawn again until the screen shows the window: a window not yet mapped shows nothing.
        long worst = 0;
        for (int attempt = 0; attempt < 500; ++attempt) {
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                ::DispatchMessageW(&msg);
            ASSERT_EQ(RE4Ravi_DirectDraw(portNo, c.source.left, c.source.top,
                                         c.source.right - c.source.left,
                                         c.source.bottom - c.source.top, nullptr),
                      1);
            HDC screen = ::GetDC(nullptr);
            worst = 0;
            for (int j = 1; j < kH; j += 7)
                for (int i = 1; i < kW; i += 7) {
                    const int col = src.left + (2 * i + 1) * (src.right - src.left) / (2 * kW);
                    const int row = src.top + (2 * j + 1) * (src.bottom - src.top) / (2 * kH);
                    const uint8_t* px = rgb + (287 - row) * 352 * 3 + col * 3;
                    const COLORREF shown = ::GetPixel(screen, kX + i, kY + j);
                    worst = std::max({worst, std::labs(long{GetBValue(shown)} - px[0]),
                                      std::labs(long{GetGValue(shown)} - px[1]),
                                      std::labs(long{GetRValue(shown)} - px[2])});
                }
            ::ReleaseDC(nullptr, screen);
            if (worst <= 8) break; // a 16-bit screen keeps 5 or 6 bits a colour
            ::Sleep(10);
        }
        EXPECT_LE(worst, 8);
    }
    EXPECT_EQ(RE4Ravi_CloseFile(portNo), 1);
    DirectDrawPathAllowed = allowed;
    ::DestroyWindow(wnd);
}

TEST(Display, DrawsThroughAnOffscreenSurfaceWhenDirectDrawServes) {
    if (!SetUpDirectDraw()) GTEST_SKIP() << "no DirectDraw primary surface here";
    const int portNo = 12;
    PlayPort& port = PortTable[portNo];
    ASSERT_EQ(RE4Ravi_OpenFileEx(portNo, dvr::testing::TestDataPath("cif_ip.MPG").c_str()), 1);
    HWND wnd = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 40, 30, 352, 288,
                                 nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(wnd, nullptr);
    const int allowed = DirectDrawPathAllowed.exchange(1);
    SetPlayerError(0);
    ASSERT_EQ(PrepareDisplay(portNo, wnd), 1);
    EXPECT_EQ(port.rgbOutputFlag, 1);
    if (port.surface) {
        EXPECT_EQ(port.drawDibFlag, 0);
        EXPECT_EQ(decoder::RgbOutputFormat, DisplayRgbFormat == 8888 ? 888 : DisplayRgbFormat);
    } else {
        // The test blit failed: the port still plays, through DrawDib.
        EXPECT_EQ(PlayerErrorCode.load(), kErrorSurface);
        EXPECT_EQ(port.drawDibFlag, 1);
        EXPECT_EQ(decoder::RgbOutputFormat, 888);
    }
    ASSERT_EQ(::ReadOneFrameEx(portNo, 1, port.playFile.Get()), kRecordKey);
    ASSERT_EQ(decoder::DecoderOneFrame(port.decoderHandle, static_cast<int>(port.file.play.length)),
              1);
    ASSERT_EQ(decoder::TransYUVtoRGB(port.decoderHandle), 1);
    EXPECT_EQ(RE4Ravi_DirectDraw(portNo, 8, 8, 100, 80, nullptr), 1);
    EXPECT_EQ(port.destRect, (Rect{40, 30, 392, 318}));

    EXPECT_EQ(RE4Ravi_CloseFile(portNo), 1);
    EXPECT_FALSE(port.surface);
    EXPECT_FALSE(port.clipper);
    DirectDrawPathAllowed = allowed;
    decoder::SetVideoFormat(888);
    ::DestroyWindow(wnd);
}

} // namespace
} // namespace dvr::strovid
