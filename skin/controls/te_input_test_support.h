// Test helpers: real keyboard and mouse input on the virtual display, the message pump,
// the clipboard, screen pixels and screenshots.
#pragma once

#include "framework/ui/graphics.h"
#include "skin/controls/te_mouse_test_support.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace dvr::skin::test {

using fw::TPoint;
using fw::TRect;

inline void Pump() {
    MSG m;
    while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&m);
        ::DispatchMessageW(&m);
    }
}

// Runs messages until Done holds; false after a generous bound.
inline bool PumpUntil(const std::function<bool()>& Done, int Seconds = 20) {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(Seconds);
    while (!Done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        Pump();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    Pump();
    return true;
}

inline void SetClipboardText(const std::wstring& Text) {
    if (!::OpenClipboard(nullptr)) return;
    ::EmptyClipboard();
    HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE, (Text.size() + 1) * 2);
    memcpy(::GlobalLock(mem), Text.c_str(), (Text.size() + 1) * 2);
    ::GlobalUnlock(mem);
    ::SetClipboardData(CF_UNICODETEXT, mem);
    ::CloseClipboard();
}

inline std::wstring ClipboardText() {
    std::wstring s;
    if (!::OpenClipboard(nullptr)) return s;
    if (HANDLE h = ::GetClipboardData(CF_UNICODETEXT)) {
        if (auto* p = static_cast<const wchar_t*>(::GlobalLock(h))) {
            s = p;
            ::GlobalUnlock(h);
        }
    }
    ::CloseClipboard();
    return s;
}

inline bool BringToFront(HWND Wnd) {
    ::ShowWindow(Wnd, SW_SHOW);
    ::SetForegroundWindow(Wnd);
    ::SetActiveWindow(Wnd);
    return PumpUntil([&] { return ::GetForegroundWindow() == Wnd; });
}

inline void SendInputs(std::vector<INPUT> In) {
    ::SendInput(UINT(In.size()), In.data(), sizeof(INPUT));
}

inline INPUT KeyInput(WORD Vk, bool Up) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = Vk;
    i.ki.wScan = WORD(::MapVirtualKeyW(Vk, MAPVK_VK_TO_VSC));
    i.ki.dwFlags = Up ? KEYEVENTF_KEYUP : 0;
    if (Vk == VK_LEFT || Vk == VK_RIGHT || Vk == VK_UP || Vk == VK_DOWN || Vk == VK_HOME ||
        Vk == VK_END || Vk == VK_INSERT || Vk == VK_DELETE || Vk == VK_PRIOR || Vk == VK_NEXT)
        i.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
    return i;
}

inline void SendKey(WORD Vk, std::initializer_list<WORD> Mods = {}) {
    std::vector<INPUT> in;
    for (WORD m : Mods) in.push_back(KeyInput(m, false));
    in.push_back(KeyInput(Vk, false));
    in.push_back(KeyInput(Vk, true));
    for (auto it = Mods.end(); it != Mods.begin();) in.push_back(KeyInput(*--it, true));
    SendInputs(in);
}

// Types a text: letters, digits and spaces as their keys, anything else as Unicode
// characters.
inline void SendText(const std::wstring& Text) {
    for (wchar_t c : Text) {
        SHORT vk = c < 0x80 ? ::VkKeyScanW(c) : -1;
        if (vk != -1 && (c == L' ' || iswalnum(c))) {
            if (vk & 0x100)
                SendKey(WORD(vk & 0xFF), {VK_SHIFT});
            else
                SendKey(WORD(vk & 0xFF));
        } else {
            INPUT d{}, u{};
            d.type = u.type = INPUT_KEYBOARD;
            d.ki.wScan = u.ki.wScan = c;
            d.ki.dwFlags = KEYEVENTF_UNICODE;
            u.ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
            SendInputs({d, u});
        }
    }
}

inline INPUT MouseInput(TPoint P, DWORD Flags) {
    INPUT i{};
    i.type = INPUT_MOUSE;
    i.mi.dx = AbsoluteMouseX(P.X);
    i.mi.dy = AbsoluteMouseY(P.Y);
    i.mi.dwFlags = Flags | MOUSEEVENTF_ABSOLUTE;
    return i;
}

inline bool CursorAt(TPoint P) {
    return PumpUntil([&] {
        POINT c{};
        ::GetCursorPos(&c);
        return c.x == P.X && c.y == P.Y;
    });
}

inline void SendMove(TPoint P) {
    SendInputs({MouseInput(P, MOUSEEVENTF_MOVE)});
    CursorAt(P);
}

inline void SendClick(TPoint P) {
    SendMove(P);
    SendInputs({MouseInput(P, MOUSEEVENTF_LEFTDOWN), MouseInput(P, MOUSEEVENTF_LEFTUP)});
}

inline void SendDrag(TPoint From, TPoint To) {
    SendMove(From);
    SendInputs({MouseInput(From, MOUSEEVENTF_LEFTDOWN)});
    Pump();
    SendMove(To);
    SendInputs({MouseInput(To, MOUSEEVENTF_LEFTUP)});
}

// Whether the screen pixel at P is Expected, within the rounding of a 16-bit display.
inline bool ScreenPixelNear(TPoint P, COLORREF Expected, int Tolerance = 10) {
    HDC dc = ::GetDC(nullptr);
    COLORREF c = ::GetPixel(dc, P.X, P.Y);
    ::ReleaseDC(nullptr, dc);
    auto close = [&](int a, int b) { return a - b <= Tolerance && b - a <= Tolerance; };
    return close(GetRValue(c), GetRValue(Expected)) && close(GetGValue(c), GetGValue(Expected)) &&
           close(GetBValue(c), GetBValue(Expected));
}

// Saves W x H pixels of DC from (X, Y) as a BMP in the build tree's "screens" folder.
inline void SaveBitmapScreenshot(HDC DC, int X, int Y, int W, int H, const std::string& Name) {
    const char* bin = std::getenv("DVR_BIN_DIR");
    if (!bin || W <= 0 || H <= 0) return;
    std::string dir = std::string("Z:") + bin + "/../screens";
    ::CreateDirectoryA(dir.c_str(), nullptr);
    HDC mem = ::CreateCompatibleDC(DC);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = W;
    bi.bmiHeader.biHeight = H;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bmp = ::CreateDIBSection(DC, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(mem, bmp);
    ::BitBlt(mem, 0, 0, W, H, DC, X, Y, SRCCOPY);
    ::GdiFlush();
    int stride = (W * 3 + 3) & ~3;
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(fh) + sizeof(bi.bmiHeader);
    fh.bfSize = fh.bfOffBits + DWORD(stride) * DWORD(H);
    if (FILE* f = std::fopen((dir + "/" + Name + ".bmp").c_str(), "wb")) {
        std::fwrite(&fh, sizeof fh, 1, f);
        std::fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f);
        std::fwrite(bits, size_t(stride) * size_t(H), 1, f);
        std::fclose(f);
    }
    ::SelectObject(mem, old);
    ::DeleteObject(bmp);
    ::DeleteDC(mem);
}
inline void SaveBitmapScreenshot(HDC DC, int W, int H, const std::string& Name) {
    SaveBitmapScreenshot(DC, 0, 0, W, H, Name);
}

// Saves what a window shows as a BMP in the build tree's "screens" folder.
inline void SaveScreenshot(HWND Wnd, const std::string& Name) {
    RECT r{};
    ::GetWindowRect(Wnd, &r);
    HDC screen = ::GetDC(nullptr);
    SaveBitmapScreenshot(screen, r.left, r.top, r.right - r.left, r.bottom - r.top, Name);
    ::ReleaseDC(nullptr, screen);
}

} // namespace dvr::skin::test
