// Showing a port's pictures in its window. Every port draws its RGB pictures with
// DrawDib; the surface paths are not part of this library yet.
#include <windows.h>
#include <vfw.h>

#include "player/decoder/decoder.h"
#include "player/lib/play_port.h"

namespace dvr::strovid {

int PrepareDisplay(int portNo, HWND window) {
    if (!ValidPort(portNo) || !window) return 0;
    PlayPort& port = PortTable[portNo];
    if (!port.drawDib) port.drawDib.reset(::DrawDibOpen());
    if (!port.drawDib) return 0;
    // DrawDib takes 24-bit pictures.
    decoder::SetVideoFormat(888);
    port.rgbOutputFlag = 1;
    port.drawDibFlag = 1;
    port.window = window;
    port.windowDc = std::make_unique<win::WindowDc>(window);
    port.displayPrepared = 1;
    return 1;
}

} // namespace dvr::strovid

using namespace dvr::strovid;

extern "C" {

int WINAPI RE4Ravi_DirectDraw(int portNo, int x, int y, int width, int height, RECT*) {
    if (!CheckPort(portNo)) return 0;
    PlayPort& port = PortTable[portNo];
    const uint8_t* picture = port.rgbOutputFlag ? port.rgbOutput : port.currentPicturePtr;
    if (!picture || !port.drawDibFlag || !port.drawDib || !port.windowDc) return 0;

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

    BITMAPINFOHEADER& bih = port.bitmapHeader;
    bih = {};
    bih.biSize = sizeof bih;
    bih.biWidth = pictureWidth;
    bih.biHeight = pictureHeight;
    bih.biPlanes = 1;
    bih.biBitCount = 24;
    bih.biCompression = BI_RGB;
    bih.biSizeImage = static_cast<DWORD>(pictureWidth) * pictureHeight * 3;
    ::DrawDibDraw(
        port.drawDib.get(), port.windowDc->get(), 0, 0, port.destRect.right - port.destRect.left,
        port.destRect.bottom - port.destRect.top, &bih, const_cast<uint8_t*>(picture), source.left,
        source.top, source.right - source.left, source.bottom - source.top, 0);
    return 1;
}

} // extern "C"
