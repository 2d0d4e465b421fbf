// Shared pieces of the skinned-form tests: a form with a hook on the virtual display,
// message pumping with an upper bound, screen reads and screenshots.
#pragma once

#include "framework/ui/forms.h"
#include "skin/controls/te_form.h"
#include "skin/engine/te_bitmap_win.h"
#include "skin/engine/te_winapi.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

namespace dvr::skin::testing {

// Handles waiting messages until Done answers true or 30 s (a generous bound) have passed;
// Done's last answer.
inline bool PumpUntil(const std::function<bool()>& Done) {
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!Done()) {
        if (std::chrono::steady_clock::now() > until) return Done();
        MSG msg;
        bool any = false;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            any = true;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (!any) ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

inline void PumpPending() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// The form hook with its system-menu calls counted.
class TCountingForm : public TTeDefaultForm {
    FW_CLASS(TCountingForm, TTeDefaultForm)
public:
    using TTeDefaultForm::TTeDefaultForm;
    int SystemMenuShown = 0;
    void ShowSystemMenu() override { ++SystemMenuShown; }
    using TTeDefaultForm::FrameMouseMove;
};

// A framework form on the screen with a form hook of class Hook.
template <class Hook> struct HookedForm {
    explicit HookedForm(TRect Bounds, fw::TColor Color = fw::clWhite,
                        const std::function<void(Hook&)>& Setup = {}) {
        form = new fw::TForm(nullptr);
        form->SetText("Skinned");
        form->SetColor(Color);
        form->SetBoundsRect(Bounds);
        hook = new Hook(form);
        if (Setup) Setup(*hook);
        hook->Loaded();
        // The hook keeps the client size of the framework's own frame: give the form the
        // size the test asked for, now with the hook's frame.
        form->SetBoundsRect(Bounds);
    }
    ~HookedForm() {
        if (form) form->Free();
        PumpPending();
    }
    void Show() {
        form->Show();
        HWND wnd = form->WindowHandle();
        ::SetForegroundWindow(wnd);
        PumpUntil([&] { return ::IsWindowVisible(wnd) != FALSE; });
        ::RedrawWindow(wnd, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
        PumpPending();
    }
    HWND Wnd() const { return form->WindowHandle(); }
    // A window point in screen coordinates, as the non-client messages carry it.
    LPARAM ScreenParam(int X, int Y) const {
        RECT r{};
        ::GetWindowRect(Wnd(), &r);
        return MAKELPARAM(r.left + X, r.top + Y);
    }
    LRESULT HitAt(int X, int Y) const {
        return ::SendMessageW(Wnd(), WM_NCHITTEST, 0, ScreenParam(X, Y));
    }
    fw::TForm* form = nullptr;
    Hook* hook = nullptr;
};

// While it lives the visual-style library is let go, so the forms draw the classic look.
class ClassicLook {
public:
    ClassicLook() {
        while (ThemeLibraryRefCount() > 0) {
            ReleaseThemeLibrary();
            ++released_;
        }
    }
    ~ClassicLook() {
        for (int i = 0; i < released_; ++i)
            LoadThemeLibrary();
    }
    ClassicLook(const ClassicLook&) = delete;
    ClassicLook& operator=(const ClassicLook&) = delete;

private:
    int released_ = 0;
};

// The screen rectangle R read back (the display is 16-bit: compare with a tolerance).
inline void GrabScreen(TteBitmap& Out, TRect R) {
    // Window pixels reach the display when the thread next looks at its queue.
    ::GdiFlush();
    PumpPending();
    Out.SetSize(std::max(1, R.Width()), std::max(1, R.Height()));
    HDC screen = ::GetDC(nullptr);
    ::BitBlt(BitmapDC(Out), 0, 0, R.Width(), R.Height(), screen, R.Left, R.Top, SRCCOPY);
    ::ReleaseDC(nullptr, screen);
    ::GdiFlush();
}

inline TteColor ScreenPixel(int X, int Y) {
    TteBitmap b;
    GrabScreen(b, TRect{X, Y, X + 1, Y + 1});
    return b.GetPixel(0, 0) & 0xFFFFFF;
}

inline bool NearColor(TteColor A, TteColor B, int Tolerance = 12) {
    auto d = [](int a, int b) { return a > b ? a - b : b - a; };
    return d(PixelR(A), PixelR(B)) <= Tolerance && d(PixelG(A), PixelG(B)) <= Tolerance &&
           d(PixelB(A), PixelB(B)) <= Tolerance;
}

inline TteColor RgbOf(fw::TColor C) {
    return ColorToPixel(C, 0) & 0xFFFFFF;
}

inline int Brightness(TteColor C) {
    return PixelR(C) + PixelG(C) + PixelB(C);
}

// The tests' output folder (beside the build tree's programs), made when needed.
inline std::string TestOutputFolder() {
    std::string bin;
    if (const char* env = std::getenv("DVR_BIN_DIR")) {
        bin = env;
    } else {
        char path[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, path, MAX_PATH);
        bin = path;
        bin = bin.substr(0, bin.find_last_of("\\/"));
    }
    std::string dir = bin + "/../test-output";
    ::CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

// A 24-bit bottom-up bitmap file of B.
inline bool SaveBitmapFile(const TteBitmap& B, const std::string& Path) {
    FILE* f = std::fopen(Path.c_str(), "wb");
    if (!f) return false;
    const int row = (B.Width * 3 + 3) & ~3;
    const uint32_t image = uint32_t(row) * uint32_t(B.Height);
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    fh.bfSize = fh.bfOffBits + image;
    BITMAPINFOHEADER ih{};
    ih.biSize = sizeof(ih);
    ih.biWidth = B.Width;
    ih.biHeight = B.Height;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    ih.biSizeImage = image;
    std::fwrite(&fh, sizeof(fh), 1, f);
    std::fwrite(&ih, sizeof(ih), 1, f);
    std::string line(size_t(row), '\0');
    for (int y = B.Height - 1; y >= 0; --y) {
        for (int x = 0; x < B.Width; ++x) {
            TteColor p = B.GetPixel(x, y);
            line[size_t(x) * 3] = char(PixelB(p));
            line[size_t(x) * 3 + 1] = char(PixelG(p));
            line[size_t(x) * 3 + 2] = char(PixelR(p));
        }
        std::fwrite(line.data(), 1, line.size(), f);
    }
    return std::fclose(f) == 0;
}

} // namespace dvr::skin::testing
