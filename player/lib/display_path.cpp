// Showing a port's pictures in its window: a YUY2 overlay surface with a destination
// colour key, an off-screen YUY2 surface that the hardware converts and scales, an
// off-screen surface in the screen's RGB format in system memory, or DrawDib when
// DirectDraw cannot serve the port.
#include <windows.h>
#include <vfw.h>
#include <ddraw.h>

#include <mutex>
#include <shared_mutex>

#include "player/decoder/decoder.h"
#include "player/lib/play_port.h"

namespace dvr::strovid {

std::atomic<int> DirectDrawPathAllowed{1};
int DisplayRgbFormat = 888;

namespace {

// Never destroyed, like the port table: released by unloading, left to the system at exit.
win::ComPtr<IDirectDraw>& DirectDrawObject = *new win::ComPtr<IDirectDraw>;
win::ComPtr<IDirectDrawSurface>& PrimarySurface = *new win::ComPtr<IDirectDrawSurface>;
std::mutex DirectDrawSetUpLock;
bool DirectDrawSetUpDone = false;
// Opening and closing a DrawDib context changes the system's list of them; every DrawDib
// call looks its context up in that list.
std::shared_mutex DrawDibList;

// The RGB format of a pixel format from its bit count.
int RgbFormatOf(const DDPIXELFORMAT& pf) {
    switch (pf.dwRGBBitCount) {
    case 15:
        return 555;
    case 16:
        return pf.dwGBitMask == 0x03E0 ? 555 : 565;
    case 32:
        return 8888;
    default:
        return 888;
    }
}

void UseDrawDib(PlayPort& port) {
    port.surface.reset();
    port.clipper.reset();
    // DrawDib takes 24-bit pictures.
    decoder::SetVideoFormat(888);
    port.rgbOutputFlag = 1;
    port.drawDibFlag = 1;
}

// A surface of the whole picture size in the screen's format, in system memory.
win::ComPtr<IDirectDrawSurface> CreateRgbSurface() {
    DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    d.dwWidth = kPictureWidth;
    d.dwHeight = kPictureHeight;
    win::ComPtr<IDirectDrawSurface> s;
    if (FAILED(DirectDrawObject->CreateSurface(&d, s.put(), nullptr))) s.reset();
    return s;
}

// A 720 x 576 YUY2 surface in video memory, as an overlay or off-screen.
win::ComPtr<IDirectDrawSurface> CreateYuy2Surface(bool overlay) {
    DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    d.ddsCaps.dwCaps = (overlay ? DDSCAPS_OVERLAY : DDSCAPS_OFFSCREENPLAIN) | DDSCAPS_VIDEOMEMORY;
    d.dwWidth = kPictureWidth;
    d.dwHeight = kPictureHeight;
    d.ddpfPixelFormat.dwSize = sizeof d.ddpfPixelFormat;
    d.ddpfPixelFormat.dwFlags = DDPF_FOURCC;
    d.ddpfPixelFormat.dwFourCC = MAKEFOURCC('Y', 'U', 'Y', '2');
    win::ComPtr<IDirectDrawSurface> s;
    if (FAILED(DirectDrawObject->CreateSurface(&d, s.put(), nullptr))) s.reset();
    return s;
}

DDCAPS HardwareCaps() {
    DDCAPS hw{};
    hw.dwSize = sizeof hw;
    DDCAPS hel{};
    hel.dwSize = sizeof hel;
    if (FAILED(DirectDrawObject->GetCaps(&hw, &hel))) hw = DDCAPS{};
    return hw;
}

bool AnyPortDrawsRgbSurface(int except) {
    for (int i = 0; i < kPortCount; ++i)
        if (i != except && PortTable[i].surface && !PortTable[i].surfaceYuy2 &&
            !PortTable[i].overlay.load())
            return true;
    return false;
}

// An overlay surface shown with a 2 x 2 area, keyed to the overlay colour; false when
// the hardware has none or it cannot be shown.
bool PrepareOverlay(PlayPort& port, HWND window) {
    DDCAPS hw = HardwareCaps();
    if (!(hw.dwCaps & DDCAPS_OVERLAY) || !(hw.dwCaps & DDCAPS_OVERLAYSTRETCH)) return false;
    win::ComPtr<IDirectDrawSurface> overlay;
    for (int attempt = 0; attempt < 3 && !overlay; ++attempt)
        overlay = CreateYuy2Surface(true);
    if (!overlay) return false;
    port.hardwareCaps = hw;
    port.overlayFlags = DDOVER_SHOW | DDOVER_DDFX;
    if (hw.dwCKeyCaps & DDCKEYCAPS_DESTOVERLAY) port.overlayFlags |= DDOVER_KEYDESTOVERRIDE;
    port.overlayFx = DDOVERLAYFX{};
    port.overlayFx.dwSize = sizeof port.overlayFx;
    const uint32_t key = OverlayKey(DisplayRgbFormat, OverlayKeyPixel.load());
    port.overlayFx.dckDestColorkey.dwColorSpaceLowValue = key;
    port.overlayFx.dckDestColorkey.dwColorSpaceHighValue = key;
    RECT r{0, 0, 2, 2};
    if (FAILED(overlay->UpdateOverlay(&r, PrimarySurface.get(), &r, port.overlayFlags,
                                      &port.overlayFx)))
        return false;
    if (FAILED(DirectDrawObject->CreateClipper(0, port.clipper.put(), nullptr))) return false;
    if (FAILED(port.clipper->SetHWnd(0, window))) {
        port.clipper.reset();
        return false;
    }
    port.surface = std::move(overlay);
    port.surfaceYuy2 = 1;
    port.overlay.store(1);
    port.rgbOutputFlag = 0;
    return true;
}

bool TestBlit(IDirectDrawSurface* surface) {
    RECT r{0, 0, 2, 2};
    ::WaitForSingleObject(DirectDrawLock.get(), INFINITE);
    // The primary may still hold the clipper of a port whose window is gone: the test
    // is of the surface, not of that window.
    PrimarySurface->SetClipper(nullptr);
    HRESULT hr = PrimarySurface->Blt(&r, surface, &r, DDBLT_WAIT, nullptr);
    ::ReleaseMutex(DirectDrawLock.get());
    return SUCCEEDED(hr);
}

} // namespace

bool SetUpDirectDraw() {
    std::lock_guard<std::mutex> lock(DirectDrawSetUpLock);
    if (DirectDrawSetUpDone) return static_cast<bool>(PrimarySurface);
    DirectDrawSetUpDone = true;
    if (RE4Ravi_GetCaps() != 255) DirectDrawPathAllowed.store(0);
    if (FAILED(::DirectDrawCreate(nullptr, DirectDrawObject.put(), nullptr)) || !DirectDrawObject) {
        DirectDrawObject.reset();
        SetPlayerError(kErrorDirectDraw);
        return false;
    }
    DirectDrawObject->SetCooperativeLevel(nullptr, DDSCL_NORMAL);
    DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    d.dwFlags = DDSD_CAPS;
    d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    if (FAILED(DirectDrawObject->CreateSurface(&d, PrimarySurface.put(), nullptr))) {
        PrimarySurface.reset();
        return false;
    }
    DDPIXELFORMAT pf{};
    pf.dwSize = sizeof pf;
    if (SUCCEEDED(PrimarySurface->GetPixelFormat(&pf)) && (pf.dwFlags & DDPF_RGB)) {
        DisplayRgbFormat = RgbFormatOf(pf);
        decoder::SetVideoFormat(DisplayRgbFormat == 8888 ? 888 : DisplayRgbFormat);
    }
    return true;
}

void ReleaseDirectDraw() {
    std::lock_guard<std::mutex> lock(DirectDrawSetUpLock);
    for (PlayPort& port : PortTable) {
        port.surface.reset();
        port.clipper.reset();
        port.surfaceYuy2 = 0;
        port.overlay.store(0);
        // What the port drew is gone from its window.
        if (port.window) {
            RECT client{};
            ::GetClientRect(port.window, &client);
            ::InvalidateRect(port.window, &client, TRUE);
            port.window = nullptr;
        }
    }
    PrimarySurface.reset();
    if (DirectDrawObject) DirectDrawObject->SetCooperativeLevel(nullptr, DDSCL_NORMAL);
    DirectDrawObject.reset();
    DirectDrawSetUpDone = false;
}

void OpenDrawDib(win::DrawDib& context) {
    std::unique_lock<std::shared_mutex> list(DrawDibList);
    if (!context) context.reset(::DrawDibOpen());
}

void CloseDrawDib(win::DrawDib& context) {
    std::unique_lock<std::shared_mutex> list(DrawDibList);
    context.reset();
}

void ReleaseDisplay(PlayPort& port) {
    std::lock_guard<win::CriticalSection> drawing(port.displayLock);
    port.clipper.reset();
    port.surface.reset();
    port.displayPrepared = 0;
    CloseDrawDib(port.drawDib);
    port.drawDibWidth = port.drawDibHeight = 0;
    port.windowDc.reset();
}

int PrepareDisplay(int portNo, HWND window) {
    if (!ValidPort(portNo) || !window) return 0;
    PlayPort& port = PortTable[portNo];
    const bool directDraw = SetUpDirectDraw() && DirectDrawPathAllowed.load();
    // A caller may be redrawing the port from its own thread.
    std::lock_guard<win::CriticalSection> drawing(port.displayLock);
    port.surface.reset();
    port.clipper.reset();
    port.surfaceYuy2 = 0;
    port.overlay.store(0);
    port.drawDibFlag = 0;
    if (!directDraw) {
        UseDrawDib(port);
    } else if (!(port.overlayMode.load() && PrepareOverlay(port, window))) {
        port.clipper.reset();
        if (FAILED(DirectDrawObject->CreateClipper(0, port.clipper.put(), nullptr))) return 0;
        const bool fourCc = (HardwareCaps().dwCaps & DDCAPS_BLTFOURCC) != 0;
        // A port already drawing RGB stays with an RGB surface.
        if (!port.rgbOutputFlag && fourCc) {
            port.surface = CreateYuy2Surface(false);
            port.surfaceYuy2 = port.surface ? 1 : 0;
        }
        if (!port.surface) port.surface = CreateRgbSurface();
        if (port.surface && !TestBlit(port.surface.get())) {
            // The hardware path failed for this display: system-memory surfaces from now
            // on, for every port.
            DirectDrawPathAllowed.store(0);
            port.surfaceYuy2 = 0;
            port.surface = CreateRgbSurface();
            if (port.surface && !TestBlit(port.surface.get())) port.surface.reset();
        }
        if (!port.surface) {
            SetPlayerError(kErrorSurface);
            UseDrawDib(port);
        } else if (!port.surfaceYuy2 && fourCc && AnyPortDrawsRgbSurface(portNo)) {
            // Hardware that converts YUV has no use for a second RGB surface.
            SetPlayerError(kErrorSurface);
            UseDrawDib(port);
        } else if (FAILED(port.clipper->SetHWnd(0, window))) {
            port.clipper.reset();
            port.surface.reset();
            return 0;
        } else if (port.surfaceYuy2) {
            port.rgbOutputFlag = 0;
        } else {
            decoder::SetVideoFormat(DisplayRgbFormat == 8888 ? 888 : DisplayRgbFormat);
            port.rgbOutputFlag = 1;
        }
    }
    if (port.drawDibFlag) {
        OpenDrawDib(port.drawDib);
        if (!port.drawDib) return 0;
        port.windowDc = std::make_unique<win::WindowDc>(window);
        // A stretch that shrinks samples, rather than merging rows the default way, which
        // reads every source pixel and darkens colour pictures.
        if (port.windowDc->get()) ::SetStretchBltMode(port.windowDc->get(), COLORONCOLOR);
    }
    // DrawDib takes bottom-up pictures, surfaces top-down ones: every port, file or
    // stream, is drawn upright.
    decoder::SetFlip(port.decoderHandle, port.drawDibFlag ? 1 : 0);
    port.window = window;
    port.displayPrepared = 1;
    return 1;
}

namespace {

// The source rectangle of a bottom-up 24-bit picture sampled to dw x dh, one source pixel
// per window pixel as a shrinking stretch picks them, into the port's own bottom-up
// picture. Drawing then converts and copies only what the window shows: a D1 picture in a
// small window otherwise costs the display more than its decoding.
const uint8_t* ShrinkPicture(PlayPort& port, const uint8_t* picture, const Rect& source, int width,
                             int height, int dw, int dh) {
    const int sw = source.right - source.left, sh = source.bottom - source.top;
    const size_t srcStride = static_cast<size_t>(width) * 3;
    const size_t dstStride = (static_cast<size_t>(dw) * 3 + 3) & ~size_t{3};
    port.shrunkPicture.resize(dstStride * dh);
    port.shrunkColumns.resize(static_cast<size_t>(dw));
    for (int i = 0; i < dw; ++i) {
        const int column = source.left + static_cast<int>((2 * int64_t{i} + 1) * sw / (2 * dw));
        port.shrunkColumns[i] = 3 * column;
    }
    for (int j = 0; j < dh; ++j) {
        const int row = source.top + static_cast<int>((2 * int64_t{j} + 1) * sh / (2 * dh));
        const uint8_t* in = picture + static_cast<size_t>(height - 1 - row) * srcStride;
        uint8_t* out = port.shrunkPicture.data() + static_cast<size_t>(dh - 1 - j) * dstStride;
        for (int i = 0; i < dw; ++i, out += 3) {
            const uint8_t* px = in + port.shrunkColumns[i];
            out[0] = px[0];
            out[1] = px[1];
            out[2] = px[2];
        }
    }
    return port.shrunkPicture.data();
}

int DrawWithDrawDib(PlayPort& port, const uint8_t* picture, const Rect& source, int width,
                    int height) {
    const int dw = port.destRect.right - port.destRect.left;
    const int dh = port.destRect.bottom - port.destRect.top;
    const int sw = source.right - source.left, sh = source.bottom - source.top;
    BITMAPINFOHEADER& bih = port.bitmapHeader;
    bih = {};
    bih.biSize = sizeof bih;
    bih.biPlanes = 1;
    bih.biBitCount = 24;
    bih.biCompression = BI_RGB;
    const uint8_t* bits = picture;
    Rect drawn = source;
    if (dw > 0 && dh > 0 && dw <= sw && dh <= sh && (dw < sw || dh < sh) && source.left >= 0 &&
        source.top >= 0 && source.right <= width && source.bottom <= height) {
        bits = ShrinkPicture(port, picture, source, width, height, dw, dh);
        bih.biWidth = dw;
        bih.biHeight = dh;
        bih.biSizeImage = static_cast<DWORD>(port.shrunkPicture.size());
        drawn = {0, 0, dw, dh};
    } else {
        bih.biWidth = width;
        bih.biHeight = height;
        bih.biSizeImage = static_cast<DWORD>(width) * height * 3;
    }
    const int dxSrc = drawn.right - drawn.left, dySrc = drawn.bottom - drawn.top;
    std::shared_lock<std::shared_mutex> list(DrawDibList);
    // The system's DrawDibDraw sets itself up again when the header's address or a size
    // changes, not when the picture's format does (a zoomed region of a picture that
    // changed size, or a shrunk picture followed by a whole one drawn at the same sizes):
    // its buffer would be too small for the new format.
    if (bih.biWidth != port.drawDibWidth || bih.biHeight != port.drawDibHeight) {
        ::DrawDibBegin(port.drawDib.get(), port.windowDc->get(), dw, dh, &bih, dxSrc, dySrc, 0);
        port.drawDibWidth = bih.biWidth;
        port.drawDibHeight = bih.biHeight;
    }
    ::DrawDibDraw(port.drawDib.get(), port.windowDc->get(), 0, 0, dw, dh, &bih,
                  const_cast<uint8_t*>(bits), drawn.left, drawn.top, dxSrc, dySrc, 0);
    return 1;
}

int DrawWithSurface(PlayPort& port, const uint8_t* picture, const Rect& source, int width,
                    int height) {
    if (port.surface->IsLost() == DDERR_SURFACELOST) {
        PrimarySurface->Restore();
        port.surface->Restore();
    }
    DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    if (FAILED(port.surface->Lock(nullptr, &d, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr))) return 0;
    const int w = std::min(width, kPictureWidth);
    const int h = std::min(height, kPictureHeight);
    if (port.surfaceYuy2)
        Pack422(picture, w, h, static_cast<uint8_t*>(d.lpSurface), static_cast<size_t>(d.lPitch),
                false);
    else
        CopyRgbRows(picture, w, h, DisplayRgbFormat, static_cast<uint8_t*>(d.lpSurface),
                    static_cast<size_t>(d.lPitch));
    port.surface->Unlock(nullptr);

    RECT src{source.left, source.top, std::min<LONG>(source.right, kPictureWidth),
             std::min<LONG>(source.bottom, kPictureHeight)};
    RECT dst{port.destRect.left, port.destRect.top, port.destRect.right, port.destRect.bottom};
    if (port.overlay.load()) {
        if (FAILED(port.surface->UpdateOverlay(&src, PrimarySurface.get(), &dst, port.overlayFlags,
                                               &port.overlayFx))) {
            SetPlayerError(kErrorOverlay);
            return 0;
        }
        return 1;
    }
    ::WaitForSingleObject(DirectDrawLock.get(), INFINITE);
    port.clipper->SetHWnd(0, port.window);
    PrimarySurface->SetClipper(port.clipper.get());
    HRESULT hr = PrimarySurface->Blt(&dst, port.surface.get(), &src, DDBLT_WAIT, nullptr);
    ::ReleaseMutex(DirectDrawLock.get());
    if (FAILED(hr)) {
        SetPlayerError(kErrorBlit);
        return 0;
    }
    return 1;
}

} // namespace
} // namespace dvr::strovid

using namespace dvr::strovid;

extern "C" {

int WINAPI RE4Ravi_DirectDraw(int portNo, int x, int y, int width, int height, RECT*) {
    if (!CheckPort(portNo)) return 0;
    PlayPort& port = PortTable[portNo];
    std::lock_guard<dvr::win::CriticalSection> drawing(port.displayLock);
    const uint8_t* picture = port.rgbOutputFlag ? port.rgbOutput : port.currentPicturePtr;
    const bool drawDib = port.drawDibFlag && port.drawDib && port.windowDc;
    const bool surface = port.surface && port.clipper && PrimarySurface;
    if (!picture || (!drawDib && !surface)) return 0;

    int pictureWidth = 0, pictureHeight = 0;
    dvr::decoder::GetWH(port.decoderHandle, &pictureWidth, &pictureHeight);
    RECT client{};
    if (!::GetClientRect(port.window, &client)) return 0;
    POINT corners[2] = {{client.left, client.top}, {client.right, client.bottom}};
    ::MapWindowPoints(port.window, nullptr, corners, 2);
    const Rect screen{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    if (screen.right <= screen.left || screen.bottom <= screen.top || pictureWidth <= 0 ||
        pictureHeight <= 0)
        return 0;
    port.pictureWidth = pictureWidth;
    port.pictureHeight = pictureHeight;
    const Rect source = DrawSource(x, y, width, height, pictureWidth, pictureHeight);
    port.destRect = ClipToScreen(screen);
    return drawDib ? DrawWithDrawDib(port, picture, source, pictureWidth, pictureHeight)
                   : DrawWithSurface(port, picture, source, pictureWidth, pictureHeight);
}

} // extern "C"
