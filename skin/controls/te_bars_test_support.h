// What the bar tests share: a form on the virtual display, painting a control into a
// 32-bit bitmap, real input through SendInput with a wait for its effect, and pictures
// saved for a person to look at.
#pragma once

#include "framework/ui/forms.h"
#include "skin/controls/te_mouse_test_support.h"
#include "skin/engine/te_bitmap_win.h"
#include "skin/engine/te_winapi.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

namespace dvr::skin::bartest {

struct FormDeleter {
    void operator()(fw::TForm* f) const { f->Free(); }
};
using FormPtr = std::unique_ptr<fw::TForm, FormDeleter>;

inline FormPtr MakeForm(int W, int H, bool Shown) {
    FormPtr f(new fw::TForm(nullptr));
    f->SetBounds(40, 40, W, H);
    f->SetColor(0x00C0C0C0);
    f->HandleNeeded();
    if (Shown) {
        f->Show();
        ::SetForegroundWindow(f->Handle());
    }
    return f;
}

// Without the visual-style library for its lifetime: the controls paint their plain look.
struct PlainLook {
    int held = 0;
    PlainLook() {
        held = ThemeLibraryRefCount();
        for (int i = 0; i < held; ++i)
            ReleaseThemeLibrary();
    }
    ~PlainLook() {
        for (int i = 0; i < held; ++i)
            LoadThemeLibrary();
    }
    PlainLook(const PlainLook&) = delete;
    PlainLook& operator=(const PlainLook&) = delete;
};

inline uint32_t Rgb(fw::TColor c) {
    COLORREF v = (c & 0x80000000) ? ::GetSysColor(int(c & 0xFF)) : COLORREF(c);
    return (GetRValue(v) << 16) | (GetGValue(v) << 8) | GetBValue(v);
}

// A control painted into a bitmap of its size, cleared to green first.
struct Shot {
    TteBitmap bmp;
    explicit Shot(fw::TWinControl* C, uint32_t Clear = 0xFF00FF00) {
        bmp.SetSize(C->Width(), C->Height());
        bmp.FillColor(Clear);
        C->Perform(WM_PAINT, uintptr_t(BitmapDC(bmp)), 0);
        ::GdiFlush();
    }
    uint32_t At(int x, int y) const { return bmp.GetPixel(x, y) & 0xFFFFFF; }
    int Count(TRect r, uint32_t rgb) const {
        int n = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                n += At(x, y) == rgb;
        return n;
    }
};

// Handles waiting messages until Done answers true or 30 seconds pass (a generous bound:
// a busy machine may take long to deliver input).
inline bool PumpUntil(const std::function<bool()>& Done) {
    const DWORD start = ::GetTickCount();
    while (!Done()) {
        if (::GetTickCount() - start > 30000) return false;
        MSG m;
        while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&m);
            ::DispatchMessageW(&m);
        }
        if (!Done()) ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

inline void PumpAll() {
    MSG m;
    for (int i = 0; i < 5; ++i)
        while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&m);
            ::DispatchMessageW(&m);
        }
}

// Moves the real cursor to a client point of Control.
inline void MouseTo(fw::TWinControl* Control, int X, int Y) {
    POINT p{X, Y};
    ::ClientToScreen(Control->Handle(), &p);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = AbsoluteMouseX(p.x);
    in.mi.dy = AbsoluteMouseY(p.y);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    ::SendInput(1, &in, sizeof(in));
    PumpUntil([&] {
        POINT c{};
        ::GetCursorPos(&c);
        return c.x == p.x && c.y == p.y;
    });
    PumpAll();
}

inline void MouseButton(bool Down) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = Down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    ::SendInput(1, &in, sizeof(in));
}

inline void KeyPress(WORD Vk) {
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = Vk;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, in, sizeof(INPUT));
}

// With BARS_SHOT_DIR set, the window's picture on the screen goes to a BMP file there.
inline void SaveWindowShot(fw::TWinControl* Control, const char* Name) {
    const char* dir = std::getenv("BARS_SHOT_DIR");
    if (!dir) return;
    PumpAll();
    ::UpdateWindow(Control->Handle());
    RECT r{};
    ::GetWindowRect(Control->Handle(), &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    TteBitmap b;
    b.SetSize(w, h);
    HDC screen = ::GetDC(nullptr);
    ::BitBlt(BitmapDC(b), 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    ::ReleaseDC(nullptr, screen);
    ::GdiFlush();
    std::string path = std::string(dir) + "\\" + Name + ".bmp";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    ih.biSize = sizeof(ih);
    ih.biWidth = w;
    ih.biHeight = -h;
    ih.biPlanes = 1;
    ih.biBitCount = 32;
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(fh) + sizeof(ih);
    fh.bfSize = fh.bfOffBits + DWORD(w * h * 4);
    std::fwrite(&fh, sizeof(fh), 1, f);
    std::fwrite(&ih, sizeof(ih), 1, f);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t px = b.GetPixel(x, y);
            std::fwrite(&px, 4, 1, f);
        }
    std::fclose(f);
}

} // namespace dvr::skin::bartest
