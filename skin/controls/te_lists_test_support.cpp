#include "skin/controls/te_lists_test_support.h"

#include "framework/ui/graphics.h"
#include "skin/controls/te_mouse_test_support.h"
#include "skin/engine/te_pixels.h"
#include "skin/engine/te_theme.h"
#include "skin/engine/theme_se3.h"

#include <chrono>

namespace dvr::skin::listtest {

fw::TForm* NewShownForm(int X, int Y, int W, int H) {
    auto* f = new fw::TForm(nullptr);
    f->SetBounds(X, Y, W, H);
    f->Show();
    ::SetForegroundWindow(f->Handle());
    ::SetActiveWindow(f->Handle());
    ::UpdateWindow(f->Handle());
    PumpPending();
    return f;
}

// Through the application's loop, so dialog keys and accelerators go the program's way.
void PumpPending() {
    if (fw::Application) {
        fw::Application->ProcessMessages();
        return;
    }
    MSG m;
    while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&m);
        ::DispatchMessageW(&m);
    }
}

bool PumpUntil(const std::function<bool()>& Done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!Done()) {
        if (std::chrono::steady_clock::now() > end) return Done();
        PumpPending();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

namespace {

POINT ScreenPoint(fw::TControl* Control, int X, int Y) {
    fw::TPoint o = Control->ClientOrigin();
    return POINT{o.X + X, o.Y + Y};
}

void SendMouse(DWORD Flags, POINT P) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = AbsoluteMouseX(P.x);
    in.mi.dy = AbsoluteMouseY(P.y);
    in.mi.dwFlags = Flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    ::SendInput(1, &in, sizeof(in));
}

POINT g_last_point{0, 0};

} // namespace

void MouseMoveTo(fw::TControl* Control, int X, int Y) {
    g_last_point = ScreenPoint(Control, X, Y);
    SendMouse(0, g_last_point);
    PumpUntil([] {
        POINT p{};
        ::GetCursorPos(&p);
        return p.x == g_last_point.x && p.y == g_last_point.y;
    });
    PumpPending();
}

void MouseDownAt(fw::TControl* Control, int X, int Y) {
    MouseMoveTo(Control, X, Y);
    SendMouse(MOUSEEVENTF_LEFTDOWN, g_last_point);
    PumpUntil([] { return ::GetAsyncKeyState(VK_LBUTTON) < 0; });
    PumpPending();
}

void MouseUp() {
    SendMouse(MOUSEEVENTF_LEFTUP, g_last_point);
    PumpUntil([] { return ::GetAsyncKeyState(VK_LBUTTON) >= 0; });
    PumpPending();
}

void MouseClickAt(fw::TControl* Control, int X, int Y) {
    MouseDownAt(Control, X, Y);
    MouseUp();
}

void KeyTap(WORD Vk, bool Shift) {
    INPUT in[4]{};
    int n = 0;
    auto key = [&](WORD k, bool up) {
        in[n].type = INPUT_KEYBOARD;
        in[n].ki.wVk = k;
        in[n].ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        ++n;
    };
    if (Shift) key(VK_SHIFT, false);
    key(Vk, false);
    key(Vk, true);
    if (Shift) key(VK_SHIFT, true);
    ::SendInput(UINT(n), in, sizeof(INPUT));
    PumpUntil([Vk] { return ::GetAsyncKeyState(Vk) >= 0; });
    // Let the posted key messages arrive and run.
    for (int i = 0; i < 5; ++i) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        PumpPending();
    }
}

void Snapshot(fw::TWinControl* Control, TteBitmap& Out) {
    HWND h = Control->Handle();
    ::RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpPending();
    RECT r{};
    ::GetClientRect(h, &r);
    Out.SetSize(r.right, r.bottom);
    HDC dc = ::GetDC(h);
    ::BitBlt(static_cast<HDC>(Out.DC), 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY);
    ::ReleaseDC(h, dc);
    ::GdiFlush();
}

uint32_t Rgb(const TteBitmap& B, int X, int Y) {
    const TteColor p = B.GetPixel(X, Y);
    // Compare as the 16-bit screen shows them: 5-6-5 bits.
    return ((p >> 16) & 0xF8) << 16 | ((p >> 8) & 0xFC) << 8 | (p & 0xF8);
}

uint32_t Rgb(fw::TColor C) {
    const uint32_t c = uint32_t(fw::ColorToRGB(C));
    const uint32_t r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
    return (r & 0xF8) << 16 | (g & 0xFC) << 8 | (b & 0xF8);
}

void SaveScreen(const std::string& Name, fw::TWinControl* Control) {
    TteBitmap shot;
    Snapshot(Control, shot);
    wchar_t dir[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, dir);
    std::wstring path = std::wstring(dir) + L"dvr-screens";
    ::CreateDirectoryW(path.c_str(), nullptr);
    path += L"\\" + std::wstring(Name.begin(), Name.end()) + L".bmp";
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    ih.biSize = sizeof(ih);
    ih.biWidth = shot.Width;
    ih.biHeight = -shot.Height;
    ih.biPlanes = 1;
    ih.biBitCount = 32;
    const DWORD bytes = DWORD(shot.Width * shot.Height * 4);
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(fh) + sizeof(ih);
    fh.bfSize = fh.bfOffBits + bytes;
    HANDLE f = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    DWORD w = 0;
    ::WriteFile(f, &fh, sizeof(fh), &w, nullptr);
    ::WriteFile(f, &ih, sizeof(ih), &w, nullptr);
    for (int y = 0; y < shot.Height; ++y)
        for (int x = 0; x < shot.Width; ++x) {
            TteColor p = shot.GetPixel(x, y);
            ::WriteFile(f, &p, 4, &w, nullptr);
        }
    ::CloseHandle(f);
}

namespace {

TSeSkinObject* SkinPart(TSeSkinObject* Owner, const char* Name, fw::TColor Color, int W = 0,
                        int H = 0) {
    auto* o = new TSeSkinObject(Owner);
    o->SetName(Name);
    o->Color = Color;
    o->SetBoundsDirect(TRect{0, 0, W, H});
    return o;
}

TSeColorButtonObject* SkinButtonPart(TSeSkinObject* Owner, const char* Name, fw::TColor Color) {
    auto* o = new TSeColorButtonObject(Owner);
    o->SetName(Name);
    o->Color = Color;
    return o;
}

} // namespace

void UseTestSkin() {
    InitSkinThemeUnit();
    TSeSkinSource src;
    auto* button = SkinPart(nullptr, "Button", fw::clNone);
    auto* face = SkinButtonPart(button, "Face", kSkinButtonFace);
    face->HotColor = kSkinButtonHot;
    face->PressedColor = kSkinButtonPressed;
    face->FocusedColor = kSkinButtonFace;
    face->Masked = false;
    src.AddObject(button);
    auto* check = SkinPart(nullptr, "Checkbox", fw::clNone);
    SkinPart(check, "Checked", kSkinCheckChecked, 13, 13);
    SkinPart(check, "Unchecked", kSkinCheckUnchecked, 13, 13);
    src.AddObject(check);
    auto* list = SkinPart(nullptr, "ListBox", fw::clNone);
    SkinPart(list, "Frame", kSkinListFrame);
    auto* item = SkinButtonPart(list, "Item", kSkinListItem);
    item->FocusedColor = kSkinListSelected;
    SkinPart(list, "Checked", kSkinCheckChecked, 11, 11);
    src.AddObject(list);
    auto* tabs = SkinPart(nullptr, "Tabs", fw::clNone);
    SkinPart(tabs, "Frame", kSkinTabsFrame);
    auto* tab = SkinButtonPart(tabs, "Tab", kSkinTab);
    tab->FocusedColor = kSkinTabActive;
    tab->HotColor = kSkinTabHot;
    src.AddObject(tabs);
    auto* edit = SkinPart(nullptr, "Edit", fw::clNone);
    SkinPart(edit, "Frame", kSkinEditFrame);
    src.AddObject(edit);
    auto* combo = SkinPart(nullptr, "ComboBox", fw::clNone);
    SkinButtonPart(combo, "Button", kSkinComboButton);
    src.AddObject(combo);
    fw::TMemoryStream s;
    src.SaveToStream(s);
    s.SetPosition(0);
    TteTheme* theme = LoadThemeFromStream(s);
    if (theme) SetCurrentTheme(theme);
}

} // namespace dvr::skin::listtest
