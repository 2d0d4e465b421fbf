// Tests save what a window shows as a BMP file beside the test programs, to be looked at.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace vantrel::testing {

inline void SaveWindowShot(HWND window, const std::string& name) {
    RECT r{};
    ::GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return;
    HDC screen = ::GetWindowDC(window);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bmp = ::CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC mem = ::CreateCompatibleDC(screen);
    HGDIOBJ old = ::SelectObject(mem, bmp);
    ::BitBlt(mem, 0, 0, w, h, screen, 0, 0, SRCCOPY);
    ::SelectObject(mem, old);
    const char* bin = std::getenv("DVR_BIN_DIR");
    const std::string path = std::string(bin ? bin : ".") + "/" + name + ".bmp";
    const DWORD size = DWORD(((w * 3 + 3) & ~3) * h);
    BITMAPFILEHEADER fh{0x4D42, DWORD(sizeof fh + sizeof bi.bmiHeader + size), 0, 0,
                        DWORD(sizeof fh + sizeof bi.bmiHeader)};
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(&fh, sizeof fh, 1, f);
        std::fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f);
        std::fwrite(bits, size, 1, f);
        std::fclose(f);
    }
    ::DeleteDC(mem);
    ::DeleteObject(bmp);
    ::ReleaseDC(window, screen);
}

// Handles the messages waiting, so a window has painted.
inline void PumpWaiting() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

} // namespace vantrel::testing
