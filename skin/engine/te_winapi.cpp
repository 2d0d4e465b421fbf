#include "skin/engine/te_winapi.h"

#include "common/win/handles.h"

#include <mutex>

namespace dvr::skin {
namespace {

using SetLayeredProc = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
using MonitorFromRectProc = HMONITOR(WINAPI*)(LPCRECT, DWORD);
using MonitorFromPointProc = HMONITOR(WINAPI*)(POINT, DWORD);
using MonitorFromWindowProc = HMONITOR(WINAPI*)(HWND, DWORD);
using GetMonitorInfoProc = BOOL(WINAPI*)(HMONITOR, LPMONITORINFO);
using GetScrollBarInfoProc = BOOL(WINAPI*)(HWND, LONG, PSCROLLBARINFO);

template <class T> T Proc(HMODULE m, const char* name) {
    return m ? reinterpret_cast<T>(reinterpret_cast<void*>(::GetProcAddress(m, name))) : nullptr;
}

// The unit's state, built at first use and torn down at process end.
struct WinApiUnit {
    bool winNT = false, version4 = false, layered = false;
    win::Module user32;
    win::CriticalSection themeLock;
    win::Module theme;
    int themeRefs = 0;
    bool themeLoadedOnce = false;
    TThemeFunctions themeFns{};
    win::Module msimg32;
    TTransparentBlt transparentBlt = nullptr;
    MonitorFromRectProc monitorFromRect = nullptr;
    MonitorFromPointProc monitorFromPoint = nullptr;
    MonitorFromWindowProc monitorFromWindow = nullptr;
    GetMonitorInfoProc getMonitorInfo = nullptr;
    GetScrollBarInfoProc getScrollBarInfo = nullptr;

    WinApiUnit() {
        OSVERSIONINFOA vi{};
        vi.dwOSVersionInfoSize = sizeof(vi);
        static_assert(sizeof(OSVERSIONINFOA) == 148);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        if (::GetVersionExA(&vi)) {
#pragma GCC diagnostic pop
            winNT = vi.dwPlatformId == VER_PLATFORM_WIN32_NT;
            version4 = vi.dwMajorVersion == 4;
        }
        user32.reset(::LoadLibraryA("user32.dll"));
        layered = Proc<SetLayeredProc>(user32.get(), "SetLayeredWindowAttributes") != nullptr;
        LoadTheme();
        if (HMODULE u = ::GetModuleHandleA("user32.dll")) {
            monitorFromRect = Proc<MonitorFromRectProc>(u, "MonitorFromRect");
            monitorFromPoint = Proc<MonitorFromPointProc>(u, "MonitorFromPoint");
            monitorFromWindow = Proc<MonitorFromWindowProc>(u, "MonitorFromWindow");
            getMonitorInfo = Proc<GetMonitorInfoProc>(u, "GetMonitorInfoA");
        }
        if (!version4 && (winNT || layered || themeLoadedOnce)) {
            msimg32.reset(::LoadLibraryA("msimg32.dll"));
            transparentBlt = Proc<TTransparentBlt>(msimg32.get(), "TransparentBlt");
        }
        getScrollBarInfo =
            Proc<GetScrollBarInfoProc>(::GetModuleHandleA("user32.dll"), "GetScrollBarInfo");
    }

    ~WinApiUnit() {
        monitorFromRect = nullptr;
        monitorFromPoint = nullptr;
        monitorFromWindow = nullptr;
        getMonitorInfo = nullptr;
        transparentBlt = nullptr;
        getScrollBarInfo = nullptr;
        while (themeRefs > 0)
            ReleaseTheme();
    }

    bool LoadTheme() {
        std::lock_guard<win::CriticalSection> hold(themeLock);
        ++themeRefs;
        if (!theme) {
            theme.reset(::LoadLibraryA("uxtheme.dll"));
            if (theme) {
                HMODULE m = theme.get();
                auto& f = themeFns;
#define TE_THEME_FN(name) f.name = Proc<decltype(f.name)>(m, #name)
                TE_THEME_FN(OpenThemeData);
                TE_THEME_FN(CloseThemeData);
                TE_THEME_FN(DrawThemeBackground);
                TE_THEME_FN(DrawThemeText);
                TE_THEME_FN(GetThemeBackgroundContentRect);
                TE_THEME_FN(GetThemePartSize);
                TE_THEME_FN(GetThemeTextExtent);
                TE_THEME_FN(GetThemeBackgroundRegion);
                TE_THEME_FN(DrawThemeEdge);
                TE_THEME_FN(IsThemePartDefined);
                TE_THEME_FN(IsThemeBackgroundPartiallyTransparent);
                TE_THEME_FN(GetThemeColor);
                TE_THEME_FN(GetThemeSysColor);
                TE_THEME_FN(IsThemeActive);
                TE_THEME_FN(IsAppThemed);
                TE_THEME_FN(SetWindowTheme);
                TE_THEME_FN(GetWindowTheme);
                TE_THEME_FN(DrawThemeParentBackground);
#undef TE_THEME_FN
                themeLoadedOnce = true;
            }
        }
        return bool(theme);
    }

    void ReleaseTheme() {
        std::lock_guard<win::CriticalSection> hold(themeLock);
        if (themeRefs > 0) --themeRefs;
        if (theme && themeRefs == 0) {
            theme.reset();
            themeFns = TThemeFunctions{};
        }
    }
};

WinApiUnit& Unit() {
    static WinApiUnit unit;
    return unit;
}

} // namespace

bool IsWinNT() {
    return Unit().winNT;
}
bool IsWindowsVersion4() {
    return Unit().version4;
}
bool IsLayeredWindowAvailable() {
    return Unit().layered;
}
bool IsThemeLibraryLoaded() {
    return Unit().themeLoadedOnce;
}
bool IsTransparentBltAvailable() {
    return Unit().transparentBlt != nullptr;
}

bool IsSystemThemeActive() {
    const TThemeFunctions& f = Unit().themeFns;
    return Unit().theme && f.IsAppThemed && f.IsThemeActive && f.IsAppThemed() && f.IsThemeActive();
}

bool LoadThemeLibrary() {
    return Unit().LoadTheme();
}
void ReleaseThemeLibrary() {
    Unit().ReleaseTheme();
}
int ThemeLibraryRefCount() {
    return Unit().themeRefs;
}

const TThemeFunctions& ThemeFunctions() {
    return Unit().themeFns;
}

TTransparentBlt TransparentBltProc() {
    return Unit().transparentBlt;
}

bool IsMultiMonitorAvailable() {
    int n = ::GetSystemMetrics(SM_CMONITORS);
    const WinApiUnit& u = Unit();
    return n != 0 && n != 1 && u.monitorFromRect && u.monitorFromPoint && u.monitorFromWindow &&
           u.getMonitorInfo;
}

namespace {
bool MonitorRect(HMONITOR m, bool WorkArea, RECT& Rect) {
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    static_assert(sizeof(MONITORINFO) == 40);
    if (!m || !Unit().getMonitorInfo(m, &mi)) return false;
    Rect = WorkArea ? mi.rcWork : mi.rcMonitor;
    return true;
}
} // namespace

void GetMonitorRectFromPoint(POINT Point, bool WorkArea, RECT& Rect) {
    if (IsMultiMonitorAvailable() &&
        MonitorRect(Unit().monitorFromPoint(Point, MONITOR_DEFAULTTONEAREST), WorkArea, Rect))
        return;
    GetWorkAreaOrScreen(WorkArea, Rect);
}

void GetMonitorRectFromWindow(HWND Wnd, bool WorkArea, RECT& Rect) {
    if (IsMultiMonitorAvailable() &&
        MonitorRect(Unit().monitorFromWindow(Wnd, MONITOR_DEFAULTTONEAREST), WorkArea, Rect))
        return;
    GetWorkAreaOrScreen(WorkArea, Rect);
}

void GetWorkAreaOrScreen(bool WorkArea, RECT& Rect) {
    if (WorkArea && ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &Rect, 0)) return;
    Rect = RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

bool GetScrollBarInfoSafe(HWND Wnd, LONG ObjectId, SCROLLBARINFO& Info) {
    if (GetScrollBarInfoProc f = Unit().getScrollBarInfo) return f(Wnd, ObjectId, &Info) != FALSE;
    Info.rgstate[0] = STATE_SYSTEM_INVISIBLE;
    return false;
}

namespace testing {
void SetScrollBarInfoResolved(bool Resolved) {
    Unit().getScrollBarInfo =
        Resolved ? Proc<GetScrollBarInfoProc>(::GetModuleHandleA("user32.dll"), "GetScrollBarInfo")
                 : nullptr;
}
} // namespace testing

} // namespace dvr::skin
