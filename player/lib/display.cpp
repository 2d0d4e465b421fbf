// The display settings of a port: local zoom, overlay mode and colour key, brightness,
// contrast and picture quality, the decode callback, and snapshots to bitmap files.
#include <windows.h>

#include "common/win/textconv.h"
#include "player/lib/play_port.h"

namespace dvr::strovid {

std::atomic<uint32_t> OverlayColorKey{0};
std::atomic<uint32_t> OverlayKeyPixel{0x0A0A0A};

} // namespace dvr::strovid

using namespace dvr::strovid;

extern "C" {

int WINAPI RE4Ravi_SetOverlayMode(int port, int on, unsigned colorKey) {
    if (!CheckPort(port)) return 0;
    PortTable[port].overlayMode.store(on);
    OverlayColorKey.store(colorKey);
    OverlayKeyPixel.store(KeyPixel(colorKey));
    return 1;
}

int WINAPI RE4Ravi_GetOverlayMode(int port) {
    if (!CheckPort(port)) return 0;
    return PortTable[port].overlay.load();
}

unsigned WINAPI RE4Ravi_GetColorKey(int port) {
    if (!CheckPort(port)) return 0;
    return PortTable[port].overlayMode.load() ? OverlayColorKey.load() : 0;
}

int WINAPI QEL_SetSrcAndDstRect(int port, const RECT* source) {
    if (!CheckPort(port) || !source || source->left < 0) return 0;
    PlayPort& p = PortTable[port];
    std::lock_guard<dvr::win::CriticalSection> drawing(p.displayLock);
    p.sourceRect = {source->left, source->top, source->right, source->bottom};
    if (!p.window || !p.windowDc || !p.windowDc->get()) return 0;
    RECT client;
    if (!::GetClientRect(p.window, &client)) return 0;
    const uint32_t pixel = OverlayKeyPixel.load();
    dvr::win::Brush brush(
        ::CreateSolidBrush(RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF)));
    ::FillRect(p.windowDc->get(), &client, brush.get());
    POINT corners[2] = {{client.left, client.top}, {client.right, client.bottom}};
    ::MapWindowPoints(p.window, nullptr, corners, 2);
    p.destRect = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    return 1;
}

int WINAPI RE4Ravi_LocalZoom(int port, int zoom, int x, int y, int width, int height) {
    if (!CheckPort(port)) return 0;
    const PlayPort& p = PortTable[port];
    Rect r = LocalZoomSource(zoom != 0, x, y, width, height, p.pictureWidth, p.pictureHeight);
    RECT source{r.left, r.top, r.right, r.bottom};
    return QEL_SetSrcAndDstRect(port, &source);
}

int WINAPI RE4Ravi_ChangeBright(int port, int step) {
    if (!CheckPort(port)) return 0;
    PortTable[port].brightnessStep.store(ClampStep(step));
    return 1;
}

int WINAPI RE4Ravi_ChangeContrast(int port, int step) {
    if (!CheckPort(port)) return 0;
    PortTable[port].contrastStep.store(ClampStep(step));
    return 1;
}

int WINAPI RE4Ravi_SetPicQuality(int port, int on) {
    if (!CheckPort(port)) return 0;
    PortTable[port].pictureQuality.store(on);
    return 1;
}

int WINAPI RE4Ravi_GetPictureQuality(int port, int* on) {
    if (!CheckPort(port) || !on) return 0;
    *on = PortTable[port].pictureQuality.load();
    return 1;
}

int WINAPI RE4Ravi_SetDecCallBack(int port, DecodeCallback callback) {
    if (!CheckPort(port)) return 0;
    PortLock lock(port);
    if (!callback) return 0;
    PortTable[port].decodeCallback.store(callback);
    PortTable[port].decodeCallbackFlag.store(1);
    return 1;
}

int WINAPI RE4Ravi_SetDisplayBuf(int port, int value) {
    if (!CheckPort(port)) return 0;
    PortLock lock(port);
    PortTable[port].displayBuffers.store(value);
    return 1;
}

int WINAPI RE4Ravi_GetDisplayBuf(int port) {
    if (!CheckPort(port)) return 0;
    return PortTable[port].displayBuffers.load();
}

int WINAPI RE4Ravi_ConvertToBmpFile(const uint8_t* yuv, int, int width, int height, int,
                                    const char* fileName) {
    if (!fileName) return 0;
    std::vector<uint8_t> bmp = MakeBmpFile(yuv, width, height);
    if (bmp.empty()) return 0;
    dvr::win::File file(::CreateFileW(dvr::win::GbkToWide(fileName).c_str(), GENERIC_WRITE, 0,
                                      nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 0;
    DWORD written = 0;
    return ::WriteFile(file.get(), bmp.data(), static_cast<DWORD>(bmp.size()), &written, nullptr) &&
                   written == bmp.size()
               ? 1
               : 0;
}

} // extern "C"
