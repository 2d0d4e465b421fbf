#include "skin/engine/te_winapi.h"

#include <gtest/gtest.h>

namespace dvr::skin {
namespace {

TEST(WinApi, PlatformFlags) {
    EXPECT_TRUE(IsWinNT());
    EXPECT_FALSE(IsWindowsVersion4());
    EXPECT_TRUE(IsLayeredWindowAvailable());
    // Not a 4.x system, so TransparentBlt is looked up.
    EXPECT_TRUE(IsTransparentBltAvailable());
    EXPECT_NE(TransparentBltProc(), nullptr);
}

TEST(WinApi, ThemeLibraryIsReferenceCounted) {
    int base = ThemeLibraryRefCount();
    EXPECT_GE(base, 1); // the engine's own reference
    bool loaded = LoadThemeLibrary();
    EXPECT_EQ(ThemeLibraryRefCount(), base + 1);
    EXPECT_EQ(loaded, IsThemeLibraryLoaded());
    if (loaded) {
        EXPECT_NE(ThemeFunctions().OpenThemeData, nullptr);
        EXPECT_NE(ThemeFunctions().DrawThemeBackground, nullptr);
    }
    // Whatever the system theme, the answer comes from the library's own calls.
    const TThemeFunctions& f = ThemeFunctions();
    bool expect =
        loaded && f.IsAppThemed && f.IsThemeActive && f.IsAppThemed() && f.IsThemeActive();
    EXPECT_EQ(IsSystemThemeActive(), expect);
    ReleaseThemeLibrary();
    EXPECT_EQ(ThemeLibraryRefCount(), base);
    EXPECT_EQ(ThemeFunctions().OpenThemeData != nullptr, loaded); // still held by the engine
}

TEST(WinApi, MonitorRectsFallBackToTheWorkArea) {
    RECT work{};
    ASSERT_TRUE(::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    RECT r{};
    GetMonitorRectFromPoint(POINT{10, 10}, true, r);
    EXPECT_TRUE(EqualRect(&r, &work));
    GetMonitorRectFromPoint(POINT{10, 10}, false, r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right, ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(r.bottom, ::GetSystemMetrics(SM_CYSCREEN));
    GetWorkAreaOrScreen(true, r);
    EXPECT_TRUE(EqualRect(&r, &work));
    GetMonitorRectFromWindow(::GetDesktopWindow(), false, r);
    EXPECT_EQ(r.right, ::GetSystemMetrics(SM_CXSCREEN));
}

TEST(WinApi, ScrollBarInfoWithAndWithoutTheFunction) {
    HWND wnd = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VSCROLL, 0, 0, 100, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_TRUE(wnd);
    SCROLLBARINFO info{};
    info.cbSize = sizeof(info);
    EXPECT_TRUE(GetScrollBarInfoSafe(wnd, OBJID_VSCROLL, info));
    testing::SetScrollBarInfoResolved(false);
    SCROLLBARINFO none{};
    none.cbSize = sizeof(none);
    EXPECT_FALSE(GetScrollBarInfoSafe(wnd, OBJID_VSCROLL, none));
    EXPECT_EQ(none.rgstate[0], DWORD(STATE_SYSTEM_INVISIBLE));
    testing::SetScrollBarInfoResolved(true);
    ::DestroyWindow(wnd);
}

} // namespace
} // namespace dvr::skin
