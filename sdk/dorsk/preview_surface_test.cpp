#include "sdk/dorsk/preview_surface.h"
#include "sdk/dorsk/sim_fixture.h"

#include <functional>

namespace dvr::dorsk {
namespace {

constexpr int kBadArgument = AsResult(kSdkBadArgument);
constexpr int kBadHandle = AsResult(kSdkBadHandle);
constexpr intptr_t kClosed = 12345;

TEST(PreviewRect, ScreenRectanglesAreCutToTheSurface) {
    struct Case {
        const char* what;
        PreviewRect in, out;
    };
    // A 1024-pixel row of 16-bit pixels, 768 rows.
    const Case cases[] = {
        {"inside", {100, 50, 452, 338}, {100, 50, 452, 338}},
        {"past the right edge: 4 pixels short of the row",
         {900, 10, 1300, 200},
         {900, 10, 1020, 200}},
        {"above the top: picture from row 0", {10, -40, 362, 248}, {10, 0, 362, 248}},
        {"left of the screen", {-30, 5, 100, 100}, {0, 5, 100, 100}},
        {"below the bottom", {0, 700, 100, 900}, {0, 700, 100, 767}},
        {"wholly off to the left", {-300, -300, -10, -5}, {0, 0, 0, 0}},
        {"wholly off to the right: empty at the edge",
         {1100, 10, 1400, 200},
         {1020, 10, 1020, 200}},
        {"wholly below: empty at the edge", {10, 800, 300, 900}, {10, 767, 300, 767}},
        {"off the right and the bottom", {1030, 780, 1500, 1000}, {1020, 767, 1020, 767}},
    };
    for (const Case& c : cases) {
        PreviewRect r = ClampPreviewRect(c.in, 2048, 16, 768);
        EXPECT_EQ(std::vector<int32_t>({r.left, r.top, r.right, r.bottom}),
                  std::vector<int32_t>({c.out.left, c.out.top, c.out.right, c.out.bottom}))
            << c.what;
    }
}

class PreviewTest : public testing::SimBoardTest {
protected:
    void SetUp() override {
        SimBoardTest::SetUp();
        // Sub-channel 1 plays pictures that do not decode: the board paints its plain colour.
        ASSERT_EQ(SimCtl_Configure("processor 4\nprocessor 1\nsource 0 1 synthetic\n"), 0);
        ASSERT_EQ(RU4Dov_InitDSPs(), 5);
        if (CurrentPreviewSurfaceKind() == PreviewSurfaceKind::None)
            GTEST_SKIP() << "no preview surface: needs the 16-bit X display of tools/with-session";
        window_ = ::CreateWindowExW(0, L"STATIC", L"preview", WS_POPUP | WS_VISIBLE, 100, 60, 400,
                                    320, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override {
        if (window_) ::DestroyWindow(window_);
        SimBoardTest::TearDown();
    }
    // The 16-bit pixel of the preview surface at a screen point.
    static uint16_t SurfacePixel(int x, int y) {
        PreviewSurfaceInfo s = CurrentPreviewSurface();
        uint16_t v = 0;
        std::memcpy(&v, s.hostAddress + size_t(y) * s.pitch + size_t(x) * 2, 2);
        return v;
    }
    HWND window_ = nullptr;
};

TEST_F(PreviewTest, TheBoardIsToldWhereTheWindowLiesAndPaintsThere) {
    intptr_t h = RU4Dov_ChannelOpen(1);
    ASSERT_NE(h, kNoChannel);
    const PreviewSurfaceInfo s = CurrentPreviewSurface();
    ASSERT_EQ(s.kind, PreviewSurfaceKind::OffscreenRgb16);
    POINT origin{0, 0};
    ::ClientToScreen(window_, &origin);

    const RECT rect{8, 4, 8 + 352, 4 + 288};
    int from = SimCtl_GetCommandCount(0);
    ASSERT_EQ(RU4Dov_StartVideoPreview(h, window_, &rect, 1, 128, 25), 0);
    const int left = origin.x + 8, top = origin.y + 4;
    EXPECT_EQ(Commands(0, from, 4),
              (std::vector<std::vector<uint32_t>>{
                  {0x00020101, s.busAddress + uint32_t(top) * s.pitch + uint32_t(left) * 2,
                   s.pitch << 16 | 16, 352u << 16 | 288}}));
    const SdkChannel& c = g_sdk.channels[1];
    EXPECT_EQ(std::vector<int32_t>(
                  {c.previewOn, c.previewLeft, c.previewTop, c.previewRight, c.previewBottom}),
              std::vector<int32_t>({1, left, top, left + 352, top + 288}));

    // Sub-channel 1 paints 0x20C020, as RGB565, below its counter cells.
    const uint16_t green = 4 << 11 | 48 << 5 | 4;
    bool painted = false;
    for (int i = 0; i < 200 && !painted; ++i) {
        painted = SurfacePixel(left + 100, top + 100) == green &&
                  SurfacePixel(left + 351, top + 287) == green;
        if (!painted) ::Sleep(10);
    }
    EXPECT_TRUE(painted);
    EXPECT_NE(SurfacePixel(left + 352, top + 100), green);

    // Stop: the board is told, the rectangle forgotten and the surface cleared.
    from = SimCtl_GetCommandCount(0);
    ASSERT_EQ(RU4Dov_StopVideoPreview(h), 0);
    EXPECT_EQ(Commands(0, from, 1), (std::vector<std::vector<uint32_t>>{{0x00020100}}));
    EXPECT_EQ(c.previewOn, 0);
    EXPECT_EQ(c.previewWindow, nullptr);
    bool cleared = false;
    for (int i = 0; i < 100 && !cleared; ++i) {
        ::Sleep(10);
        cleared = SurfacePixel(left + 100, top + 100) == 0;
    }
    EXPECT_TRUE(cleared);
    from = SimCtl_GetCommandCount(0);
    EXPECT_EQ(RU4Dov_StopVideoPreview(h), 0); // already off: nothing sent
    EXPECT_TRUE(Commands(0, from, 1).empty());
}

// The colour on the screen at a point, as the display shows it.
COLORREF ScreenPixel(int x, int y) {
    HDC dc = ::GetDC(nullptr);
    const COLORREF c = ::GetPixel(dc, x, y);
    ::ReleaseDC(nullptr, dc);
    return c;
}

bool Greenish(COLORREF c) {
    return GetGValue(c) > 150 && GetRValue(c) < 80 && GetBValue(c) < 80;
}

TEST_F(PreviewTest, AWindowOverThePreviewKeepsItsPlaceOnTheScreen) {
    intptr_t h = RU4Dov_ChannelOpen(1);
    ASSERT_NE(h, kNoChannel);
    POINT origin{0, 0};
    ::ClientToScreen(window_, &origin);
    // A dialog over the right half of the picture.
    HWND over = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, origin.x + 200,
                                  origin.y + 40, 150, 120, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(over, nullptr);
    ::UpdateWindow(over);
    const RECT rect{8, 4, 8 + 352, 4 + 288};
    ASSERT_EQ(RU4Dov_StartVideoPreview(h, window_, &rect, 1, 128, 25), 0);
    bool shown = false;
    for (int i = 0; i < 500 && !shown; ++i) {
        shown = Greenish(ScreenPixel(origin.x + 100, origin.y + 100));
        if (!shown) ::Sleep(10);
    }
    EXPECT_TRUE(shown) << "the picture never reached the screen";
    // A while of blitting later the dialog is still what shows in its place.
    for (int i = 0; i < 20; ++i) {
        ::Sleep(10);
        MSG m;
        while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&m);
    }
    EXPECT_FALSE(Greenish(ScreenPixel(origin.x + 275, origin.y + 100)));
    EXPECT_EQ(RU4Dov_StopVideoPreview(h), 0);
    ::DestroyWindow(over);
}

TEST_F(PreviewTest, ArgumentsStopFailuresAndClose) {
    intptr_t h = RU4Dov_ChannelOpen(0);
    ASSERT_NE(h, kNoChannel);
    WaitBoardReady(0);
    const RECT good{0, 0, 100, 100};
    struct Case {
        const char* what;
        std::function<int()> call;
        int result;
    };
    const Case cases[] = {
        {"no window", [&] { return RU4Dov_StartVideoPreview(h, nullptr, &good, 1, 128, 25); },
         kBadArgument},
        {"empty width",
         [&] {
             RECT r{50, 0, 50, 10};
             return RU4Dov_StartVideoPreview(h, window_, &r, 1, 128, 25);
         },
         kBadArgument},
        {"upside down",
         [&] {
             RECT r{0, 20, 10, 10};
             return RU4Dov_StartVideoPreview(h, window_, &r, 1, 128, 25);
         },
         kBadArgument},
        {"closed handle",
         [&] { return RU4Dov_StartVideoPreview(kClosed, window_, &good, 1, 128, 25); }, kBadHandle},
        {"stop on a closed handle", [&] { return RU4Dov_StopVideoPreview(kClosed); }, kBadHandle},
        {"colour key without an overlay", [] { return RU4Dov_SetOverlayColorKey(0xFF00FF); }, 0},
        {"restore", [] { return RU4Dov_RestoreOverlay(); }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int from = SimCtl_GetCommandCount(0);
        EXPECT_EQ(c.call(), c.result);
        EXPECT_TRUE(Commands(0, from, 1).empty());
    }
    EXPECT_EQ(g_sdk.channels[0].previewOn, 0);

    // A stop that does not reach the board leaves preview on.
    ASSERT_EQ(RU4Dov_StartVideoPreview(h, window_, &good, 1, 128, 25), 0);
    ASSERT_EQ(SimCtl_SetFault(0, SIMCTL_FAULT_BUSY, 20), 0);
    EXPECT_EQ(RU4Dov_StopVideoPreview(h), kNotSent);
    EXPECT_EQ(g_sdk.channels[0].previewOn, 1);

    // Closing the channel stops its preview.
    int from = SimCtl_GetCommandCount(0);
    ASSERT_EQ(RU4Dov_ChannelClose(h), 0);
    // Audio monitoring off, then preview off, then (capture being off) nothing more
    // but the processor's stop, since it was the last channel open on it.
    EXPECT_EQ(Commands(0, from, 1),
              (std::vector<std::vector<uint32_t>>{{0x00130000}, {0x00020000}, {0x00120000}}));
    EXPECT_EQ(g_sdk.channels[0].previewOn, 0);
}

} // namespace
} // namespace dvr::dorsk
