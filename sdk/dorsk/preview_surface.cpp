#include "sdk/dorsk/preview_surface.h"

#include "sdk/dorsk/board_link.h"
#include "sdk/dorsk/dorsk_api.h"
#include "sdk/dorsk/preview_format.h"

#include <ddraw.h>
#include <process.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace dvr::dorsk {
namespace {

constexpr DWORD kUyvy = MAKEFOURCC('U', 'Y', 'V', 'Y');
constexpr uint32_t kUyvyBlack = 0x00800080;
constexpr DWORD kOverlayWatchPauseMs = 100;
constexpr DWORD kBlitPauseMs = 2;

struct PreviewState {
    win::Module ddrawModule;
    win::ComPtr<IDirectDraw> ddraw;
    win::ComPtr<IDirectDrawSurface> primary;
    win::ComPtr<IDirectDrawClipper> clipper;
    win::ComPtr<IDirectDrawSurface> surface;
    PreviewSurfaceKind kind = PreviewSurfaceKind::None;
    int screenWidth = 0;
    int screenHeight = 0;
    uint32_t pitch = 0;
    int bitsPerPixel = 16;
    uint32_t formatCode = 0;
    uint8_t* hostAddress = nullptr;
    uint32_t busAddress = 0;
    std::atomic<int> clearRequests{0};
    win::Event watchStop;
    win::Event watchEnd;
    win::Thread watchThread;
    bool started = false;
};

// Never destroyed: a program that ends without closing the SDK leaves the DirectDraw
// objects to the system; released at exit, they would wait for the blit thread the exit
// has already ended.
PreviewState& g_preview = *new PreviewState;

DDSURFACEDESC EmptyDesc() {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    return desc;
}

int ScreenBitsPerPixel() {
    DDSURFACEDESC desc = EmptyDesc();
    if (FAILED(g_preview.primary->GetSurfaceDesc(&desc))) return 0;
    return static_cast<int>(desc.ddpfPixelFormat.dwRGBBitCount);
}

// Learns the surface's host address and pitch and the bus address the board writes to.
bool LockAndTranslate() {
    DDSURFACEDESC desc = EmptyDesc();
    if (FAILED(g_preview.surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr))) return false;
    g_preview.surface->Unlock(nullptr);
    if (!desc.lpSurface || desc.lPitch <= 0) return false;
    uint32_t bus = 0;
    uint32_t length = static_cast<uint32_t>(desc.lPitch) * desc.dwHeight;
    if (BrevixTranslateAdapterAddress(desc.lpSurface, length, &bus) != BREVIX_OK) return false;
    g_preview.hostAddress = static_cast<uint8_t*>(desc.lpSurface);
    g_preview.pitch = static_cast<uint32_t>(desc.lPitch);
    g_preview.busAddress = bus;
    return true;
}

bool ShowOverlay() {
    DDCAPS caps{};
    caps.dwSize = sizeof(caps);
    g_preview.ddraw->GetCaps(&caps, nullptr);
    DDOVERLAYFX fx{};
    fx.dwSize = sizeof(fx);
    DWORD flags = DDOVER_SHOW | DDOVER_DDFX;
    if (caps.dwCKeyCaps & DDCKEYCAPS_DESTOVERLAY) {
        uint32_t key = ScreenColorKey(g_sdk.colorKey, ScreenBitsPerPixel());
        fx.dckDestColorkey.dwColorSpaceLowValue = key;
        fx.dckDestColorkey.dwColorSpaceHighValue = key;
        flags |= DDOVER_KEYDESTOVERRIDE;
    }
    return SUCCEEDED(
        g_preview.surface->UpdateOverlay(nullptr, g_preview.primary.get(), nullptr, flags, &fx));
}

// Video memory first; where the display has none (as under an emulated display), the
// surface may lie wherever DirectDraw puts it.
bool CreateSurface(DDSURFACEDESC& desc, win::ComPtr<IDirectDrawSurface>& surface) {
    desc.ddsCaps.dwCaps |= DDSCAPS_VIDEOMEMORY;
    if (SUCCEEDED(g_preview.ddraw->CreateSurface(&desc, surface.put(), nullptr))) return true;
    desc.ddsCaps.dwCaps &= ~DDSCAPS_VIDEOMEMORY;
    return SUCCEEDED(g_preview.ddraw->CreateSurface(&desc, surface.put(), nullptr));
}

bool CreatePreviewSurface(DWORD caps, bool uyvy) {
    DDSURFACEDESC desc = EmptyDesc();
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.ddsCaps.dwCaps = caps;
    desc.dwWidth = static_cast<DWORD>(g_preview.screenWidth);
    desc.dwHeight = static_cast<DWORD>(g_preview.screenHeight);
    if (uyvy) {
        desc.dwFlags |= DDSD_PIXELFORMAT;
        desc.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
        desc.ddpfPixelFormat.dwFlags = DDPF_FOURCC;
        desc.ddpfPixelFormat.dwFourCC = kUyvy;
    }
    return CreateSurface(desc, g_preview.surface);
}

// Tries the three kinds of preview surface in order of preference.
PreviewSurfaceKind ChoosePreviewSurface() {
    DDCAPS caps{};
    caps.dwSize = sizeof(caps);
    if (FAILED(g_preview.ddraw->GetCaps(&caps, nullptr))) return PreviewSurfaceKind::None;

    if (caps.dwCaps & DDCAPS_OVERLAY) {
        if (CreatePreviewSurface(DDSCAPS_OVERLAY, true)) {
            g_preview.formatCode = kPreviewFormatYuv;
            if (LockAndTranslate() && ShowOverlay()) return PreviewSurfaceKind::Overlay;
            g_preview.surface.reset();
        }
    }
    if (caps.dwCaps & DDCAPS_BLTFOURCC) {
        if (CreatePreviewSurface(DDSCAPS_OFFSCREENPLAIN, true)) {
            g_preview.formatCode = kPreviewFormatYuv;
            if (LockAndTranslate()) return PreviewSurfaceKind::OffscreenYuv;
            g_preview.surface.reset();
        }
    }
    if (CreatePreviewSurface(DDSCAPS_OFFSCREENPLAIN, false)) {
        DDSURFACEDESC desc = EmptyDesc();
        if (SUCCEEDED(g_preview.surface->GetSurfaceDesc(&desc)) &&
            desc.ddpfPixelFormat.dwRGBBitCount == 16) {
            g_preview.formatCode = kPreviewFormatRgb16;
            if (LockAndTranslate()) return PreviewSurfaceKind::OffscreenRgb16;
        }
        g_preview.surface.reset();
    }
    return PreviewSurfaceKind::None;
}

void ReleaseDirectDraw() {
    g_preview.clipper.reset();
    g_preview.surface.reset();
    g_preview.primary.reset();
    g_preview.ddraw.reset();
    g_preview.ddrawModule.reset();
    g_preview.kind = PreviewSurfaceKind::None;
    g_preview.hostAddress = nullptr;
    g_preview.busAddress = 0;
}

bool SetUpDirectDraw() {
    using DirectDrawCreateFn = HRESULT(WINAPI*)(GUID*, IDirectDraw**, IUnknown*);
    g_preview.ddrawModule.reset(::LoadLibraryW(L"DDRAW"));
    if (!g_preview.ddrawModule) return false;
    auto create = reinterpret_cast<DirectDrawCreateFn>(
        reinterpret_cast<void*>(::GetProcAddress(g_preview.ddrawModule.get(), "DirectDrawCreate")));
    if (!create || FAILED(create(nullptr, g_preview.ddraw.put(), nullptr))) return false;
    if (FAILED(g_preview.ddraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL))) return false;

    DDSURFACEDESC desc = EmptyDesc();
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    if (!CreateSurface(desc, g_preview.primary)) return false;
    desc = EmptyDesc();
    if (FAILED(g_preview.primary->GetSurfaceDesc(&desc))) return false;
    g_preview.screenWidth = static_cast<int>(desc.dwWidth);
    g_preview.screenHeight = static_cast<int>(desc.dwHeight);
    if (FAILED(g_preview.ddraw->CreateClipper(0, g_preview.clipper.put(), nullptr))) return false;

    g_preview.kind = ChoosePreviewSurface();
    return g_preview.kind != PreviewSurfaceKind::None;
}

void ClearPreviewSurface() {
    DDSURFACEDESC desc = EmptyDesc();
    if (FAILED(g_preview.surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr))) return;
    auto* rows = static_cast<uint8_t*>(desc.lpSurface);
    for (DWORD y = 0; y < desc.dwHeight; ++y) {
        uint8_t* row = rows + static_cast<size_t>(y) * desc.lPitch;
        if (g_preview.kind == PreviewSurfaceKind::Overlay) {
            auto* words = reinterpret_cast<uint32_t*>(row);
            for (LONG i = 0; i < desc.lPitch / 4; ++i)
                words[i] = kUyvyBlack;
        } else {
            std::memset(row, 0, static_cast<size_t>(desc.lPitch));
        }
    }
    g_preview.surface->Unlock(nullptr);
}

// Tells every previewing channel's board where its rectangle now lies.
void ResendPreviewAddresses() {
    for (SdkChannel& channel : g_sdk.channels) {
        if (!channel.board) continue;
        SectionLock channel_lock(g_sdk.channelLocks[channel.number]);
        if (!channel.previewOn) continue;
        SectionLock board_lock(BoardLockOf(*channel.board));
        PreviewWords w = MakePreviewWords(
            g_preview.busAddress, g_preview.pitch, g_preview.bitsPerPixel, g_preview.formatCode,
            {channel.previewLeft, channel.previewTop, channel.previewRight, channel.previewBottom});
        SendBoardCommand(channel.board->messageChannel,
                         MakeCommand(Word0SubValue(kCmdPreview, channel.sub, 1), w.address,
                                     w.pitchAndFormat, w.size));
    }
}

// Restores lost surfaces; re-sends the addresses when the surface moved.
void RecoverSurfaces() {
    g_preview.primary->Restore();
    g_preview.surface->Restore();
    if (g_preview.kind == PreviewSurfaceKind::Overlay) ShowOverlay();
    uint8_t* before = g_preview.hostAddress;
    if (!LockAndTranslate()) return;
    if (g_preview.hostAddress != before) ResendPreviewAddresses();
}

// Windows placed inside the window's children (the marks a host draws over a pane) stay on top
// of the picture, as they would over an overlay. Looked up again every 100 ms: the blits come
// every few milliseconds.
struct PaneMarks {
    HWND window = nullptr;
    DWORD at = 0;
    std::vector<HWND> windows, before;
    std::vector<RECT> rects;
};

BOOL CALLBACK AddPaneMark(HWND child, LPARAM param) {
    auto* marks = reinterpret_cast<PaneMarks*>(param);
    RECT r;
    if (::GetParent(child) != marks->window && ::IsWindowVisible(child) &&
        ::GetWindowRect(child, &r)) {
        marks->windows.push_back(child);
        marks->rects.push_back(r);
    }
    return TRUE;
}

const std::vector<RECT>& PaneMarksOf(HWND window) {
    static PaneMarks marks;
    const DWORD now = ::GetTickCount();
    if (marks.window != window || now - marks.at >= 100) {
        marks.window = window;
        marks.at = now;
        marks.before.swap(marks.windows);
        marks.windows.clear();
        marks.rects.clear();
        ::EnumChildWindows(window, AddPaneMark, reinterpret_cast<LPARAM>(&marks));
        // A mark that appeared since the last look may have been blitted over: paint it again.
        for (HWND mark : marks.windows)
            if (std::find(marks.before.begin(), marks.before.end(), mark) == marks.before.end())
                ::InvalidateRect(mark, nullptr, TRUE);
    }
    return marks.rects;
}

// Windows above the window's own top-level window (a dialog over the console) hide an
// overlay, so the blitted picture leaves them alone too: the screen's visible region does not
// leave them out under the emulator.
void CutWindowsAbove(HWND window, HRGN region) {
    HWND top = ::GetAncestor(window, GA_ROOT);
    if (!top) return;
    for (HWND w = ::GetWindow(top, GW_HWNDPREV); w; w = ::GetWindow(w, GW_HWNDPREV)) {
        RECT r;
        if (!::IsWindowVisible(w) || ::IsIconic(w) || !::GetWindowRect(w, &r)) continue;
        HRGN above = ::CreateRectRgnIndirect(&r);
        ::CombineRgn(region, region, above, RGN_DIFF);
        ::DeleteObject(above);
    }
}

// Where the window shows on the screen, its child windows included: the host's preview panes
// are children of the window it names, and a colour-keyed overlay shows through them, so the
// blitted picture must too (a clipper given the window itself leaves its children out).
bool SetWindowClipList(HWND window) {
    HDC dc = ::GetDCEx(window, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
    if (!dc) return false;
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    bool ok = region && ::GetRandomRgn(dc, region, SYSRGN) == 1;
    ::ReleaseDC(window, dc);
    if (ok) {
        for (const RECT& r : PaneMarksOf(window)) {
            HRGN mark = ::CreateRectRgnIndirect(&r);
            ::CombineRgn(region, region, mark, RGN_DIFF);
            ::DeleteObject(mark);
        }
        CutWindowsAbove(window, region);
    }
    if (ok) {
        const DWORD size = ::GetRegionData(region, 0, nullptr);
        std::vector<uint8_t> data(size);
        auto* rgn = reinterpret_cast<RGNDATA*>(data.data());
        ok = size && ::GetRegionData(region, size, rgn) == size &&
             SUCCEEDED(g_preview.clipper->SetClipList(rgn, 0));
    }
    if (region) ::DeleteObject(region);
    return ok;
}

void BlitPreviewingChannels() {
    // Channels usually share one window: its clip list is worked out once a pass, not once
    // per channel (each costs several calls into the window system).
    HWND clipped = nullptr;
    bool clip_ok = false;
    for (SdkChannel& channel : g_sdk.channels) {
        // Every 2 ms: a channel without preview is passed over without its lock (a preview
        // turned on meanwhile is drawn from the next pass on, as if this one had come first).
        if (!channel.board || !PreviewIsOn(channel)) continue;
        SectionLock channel_lock(g_sdk.channelLocks[channel.number]);
        if (!channel.previewOn) continue;
        RECT rect{channel.previewLeft, channel.previewTop, channel.previewRight,
                  channel.previewBottom};
        if (channel.previewWindow != clipped || !clipped) {
            clipped = channel.previewWindow;
            clip_ok = SetWindowClipList(clipped);
            if (clip_ok) g_preview.primary->SetClipper(g_preview.clipper.get());
        }
        if (!clip_ok) continue;
        g_preview.primary->Blt(&rect, g_preview.surface.get(), &rect, DDBLT_WAIT, nullptr);
    }
}

unsigned __stdcall OverlayWatchThread(void*) {
    const bool overlay = g_preview.kind == PreviewSurfaceKind::Overlay;
    for (;;) {
        if (g_preview.clearRequests.exchange(0) != 0) ClearPreviewSurface();
        DWORD pause = kBlitPauseMs;
        if (overlay) {
            if (g_preview.surface->IsLost() == DDERR_SURFACELOST ||
                g_preview.primary->IsLost() == DDERR_SURFACELOST) {
                RecoverSurfaces();
            }
            pause = kOverlayWatchPauseMs;
        } else if (g_preview.primary->IsLost() == DDERR_SURFACELOST) {
            RecoverSurfaces();
        } else {
            BlitPreviewingChannels();
        }
        if (::WaitForSingleObject(g_preview.watchStop.get(), pause) != WAIT_TIMEOUT) break;
    }
    ::SetEvent(g_preview.watchEnd.get());
    return 0;
}

} // namespace

bool StartPreviewSurfaces() {
    if (!SetUpDirectDraw()) {
        // Preview is unavailable, but capture must still work.
        ReleaseDirectDraw();
        g_preview.started = true;
        return true;
    }
    g_preview.watchStop.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    g_preview.watchEnd.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (g_preview.watchStop && g_preview.watchEnd) {
        g_preview.watchThread.reset(reinterpret_cast<HANDLE>(
            ::_beginthreadex(nullptr, 0, OverlayWatchThread, nullptr, 0, nullptr)));
    }
    if (!g_preview.watchThread) {
        g_preview.watchStop.reset();
        g_preview.watchEnd.reset();
        ReleaseDirectDraw();
        return false;
    }
    g_preview.started = true;
    return true;
}

void ReleasePreviewSurfaces() {
    if (g_preview.watchThread) {
        ::SetEvent(g_preview.watchStop.get());
        ::WaitForSingleObject(g_preview.watchEnd.get(), INFINITE);
        ::WaitForSingleObject(g_preview.watchThread.get(), INFINITE);
    }
    g_preview.watchThread.reset();
    g_preview.watchStop.reset();
    g_preview.watchEnd.reset();
    ReleaseDirectDraw();
    g_preview.started = false;
}

PreviewSurfaceKind CurrentPreviewSurfaceKind() {
    return g_preview.kind;
}

PreviewSurfaceInfo CurrentPreviewSurface() {
    return {g_preview.kind,        g_preview.screenWidth,         g_preview.screenHeight,
            g_preview.pitch,       g_preview.formatCode,          g_preview.busAddress,
            g_preview.hostAddress, g_preview.clearRequests.load()};
}

PreviewRect ClampPreviewRect(PreviewRect r, uint32_t pitch, int bits_per_pixel, int screen_height) {
    const int32_t right_max = static_cast<int32_t>(pitch * 8 / uint32_t(bits_per_pixel)) - 4;
    const int32_t bottom_max = screen_height - 1;
    auto limit = [](int32_t v, int32_t max) { return v <= 0 ? 0 : v > max ? max : v; };
    // Every side within the surface, and right and bottom never before left and top: a
    // window off the right or the bottom gives an empty area at the edge, never a
    // negative size or an address past the row.
    r.left = limit(r.left, right_max);
    r.top = limit(r.top, bottom_max);
    r.right = std::max(limit(r.right, right_max), r.left);
    r.bottom = std::max(limit(r.bottom, bottom_max), r.top);
    return r;
}

} // namespace dvr::dorsk

using namespace dvr::dorsk;

extern "C" {

int DORSK_CALL RU4Dov_StartVideoPreview(intptr_t handle, HWND window, const RECT* rect, int, int,
                                        int) {
    if (!window || !rect || rect->left >= rect->right || rect->top >= rect->bottom)
        return AsResult(kSdkBadArgument);
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    // Without a surface the board has nowhere to paint.
    if (g_preview.kind == PreviewSurfaceKind::None) return AsResult(kSdkNoPreviewSurface);
    SdkChannel& c = access.channel();
    POINT corners[2] = {{rect->left, rect->top}, {rect->right, rect->bottom}};
    ::ClientToScreen(window, &corners[0]);
    ::ClientToScreen(window, &corners[1]);
    PreviewRect r =
        ClampPreviewRect({corners[0].x, corners[0].y, corners[1].x, corners[1].y}, g_preview.pitch,
                         g_preview.bitsPerPixel, g_preview.screenHeight);
    c.previewWindow = window;
    c.previewLeft = r.left;
    c.previewTop = r.top;
    c.previewRight = r.right;
    c.previewBottom = r.bottom;
    SetPreviewOn(c, 1);
    PreviewWords w = MakePreviewWords(g_preview.busAddress, g_preview.pitch, g_preview.bitsPerPixel,
                                      g_preview.formatCode, r);
    SectionLock board_lock(BoardLockOf(*c.board));
    // The watch thread re-sends on surface loss, so a lost command is not an error here.
    SendBoardCommand(c.board->messageChannel, MakeCommand(Word0SubValue(kCmdPreview, c.sub, 1),
                                                          w.address, w.pitchAndFormat, w.size));
    return 0;
}

int DORSK_CALL RU4Dov_StopVideoPreview(intptr_t handle) {
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    SdkChannel& c = access.channel();
    if (!c.previewOn) return 0;
    {
        SectionLock board_lock(BoardLockOf(*c.board));
        if (!SendBoardCommand(c.board->messageChannel,
                              MakeCommand(Word0SubValue(kCmdPreview, c.sub, 0))))
            return kNotSent;
    }
    c.previewWindow = nullptr;
    c.previewLeft = c.previewTop = c.previewRight = c.previewBottom = 0;
    SetPreviewOn(c, 0);
    ++g_preview.clearRequests;
    return 0;
}

int DORSK_CALL RU4Dov_SetOverlayColorKey(uint32_t color) {
    if (g_preview.kind != PreviewSurfaceKind::Overlay) return 0;
    g_sdk.colorKey = color;
    return ShowOverlay() ? 0 : AsResult(kSdkOverlayColorKey);
}

int DORSK_CALL RU4Dov_RestoreOverlay(void) {
    if (g_preview.kind != PreviewSurfaceKind::None) RecoverSurfaces();
    return 0;
}

} // extern "C"
