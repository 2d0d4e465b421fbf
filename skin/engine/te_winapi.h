// Functions the skin engine uses only where Windows has them: the visual-style library,
// TransparentBlt, the monitor functions and scroll-bar information, resolved by name at
// start so that every caller can ask first and fall back.
#pragma once

#include <windows.h>

#include <uxtheme.h>

namespace dvr::skin {

bool IsWinNT();
bool IsWindowsVersion4();
bool IsLayeredWindowAvailable();
bool IsThemeLibraryLoaded();
bool IsTransparentBltAvailable();
// The theme library is loaded, and IsAppThemed and IsThemeActive both answer non-zero.
bool IsSystemThemeActive();

// Reference-counted loading of the visual-style library; the engine holds one reference.
bool LoadThemeLibrary();
void ReleaseThemeLibrary();
int ThemeLibraryRefCount();

// The visual-style entry points; null while the library is not loaded or lacks them.
struct TThemeFunctions {
    decltype(&::OpenThemeData) OpenThemeData;
    decltype(&::CloseThemeData) CloseThemeData;
    decltype(&::DrawThemeBackground) DrawThemeBackground;
    decltype(&::DrawThemeText) DrawThemeText;
    decltype(&::GetThemeBackgroundContentRect) GetThemeBackgroundContentRect;
    decltype(&::GetThemePartSize) GetThemePartSize;
    decltype(&::GetThemeTextExtent) GetThemeTextExtent;
    decltype(&::GetThemeBackgroundRegion) GetThemeBackgroundRegion;
    decltype(&::DrawThemeEdge) DrawThemeEdge;
    decltype(&::IsThemePartDefined) IsThemePartDefined;
    decltype(&::IsThemeBackgroundPartiallyTransparent) IsThemeBackgroundPartiallyTransparent;
    decltype(&::GetThemeColor) GetThemeColor;
    decltype(&::GetThemeSysColor) GetThemeSysColor;
    decltype(&::IsThemeActive) IsThemeActive;
    decltype(&::IsAppThemed) IsAppThemed;
    decltype(&::SetWindowTheme) SetWindowTheme;
    decltype(&::GetWindowTheme) GetWindowTheme;
    decltype(&::DrawThemeParentBackground) DrawThemeParentBackground;
};
const TThemeFunctions& ThemeFunctions();

using TTransparentBlt = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, UINT);
// Null when not available (IsTransparentBltAvailable).
TTransparentBlt TransparentBltProc();

bool IsMultiMonitorAvailable();
void GetMonitorRectFromPoint(POINT Point, bool WorkArea, RECT& Rect);
void GetMonitorRectFromWindow(HWND Wnd, bool WorkArea, RECT& Rect);
void GetWorkAreaOrScreen(bool WorkArea, RECT& Rect);
// Without GetScrollBarInfo: False, and the bar's state word says invisible.
bool GetScrollBarInfoSafe(HWND Wnd, LONG ObjectId, SCROLLBARINFO& Info);

namespace testing {
// Forgets GetScrollBarInfo (as on systems without it) or finds it again.
void SetScrollBarInfoResolved(bool Resolved);
} // namespace testing

} // namespace dvr::skin
