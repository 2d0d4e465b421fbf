// Building blocks of the console's dialogs made in code: placing controls, the caption rule
// and the message boxes that tests replace.
#pragma once

#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"
#include "framework/ui/place_control.h"

#include "common/win/handles.h"
#include "common/win/textconv.h"

#include <windows.h>

#include <cstdlib>
#include <functional>
#include <string>

namespace vantrel {

template <class T> T* PutControl(dvr::fw::TWinControl* parent, int x, int y, int w, int h) {
    return dvr::fw::PlaceControl<T>(parent, x, y, w, h);
}

inline dvr::fw::TLabel* PutLabel(dvr::fw::TWinControl* parent, int x, int y, int w,
                                 const char* utf8) {
    auto* l = PutControl<dvr::fw::TLabel>(parent, x, y, w, 16);
    l->SetCaption(dvr::win::Utf8ToGbk(utf8));
    return l;
}

inline dvr::fw::TButton* PutButton(dvr::fw::TWinControl* parent, int x, int y, int w,
                                   const char* utf8) {
    auto* b = PutControl<dvr::fw::TButton>(parent, x, y, w, 25);
    b->SetCaption(dvr::win::Utf8ToGbk(utf8));
    return b;
}

// The application title, four blanks and the window's own title (GBK).
inline std::string DialogCaption(const char* ownUtf8) {
    const std::string title = dvr::fw::Application ? dvr::fw::Application->Title() : "";
    return title + "    " + dvr::win::Utf8ToGbk(ownUtf8);
}

// A plain message box owned by `owner`; GBK text.
inline void ShowDialogMessage(dvr::fw::TCustomForm* owner, const std::string& text) {
    ::MessageBoxW(owner ? owner->WindowHandle() : nullptr, dvr::win::GbkToWide(text).c_str(),
                  dvr::win::GbkToWide(owner ? owner->Caption() : "").c_str(), MB_OK);
}

// The on-screen keyboard of the keyboard pictures.
inline void StartOnScreenKeyboard() {
    ::WinExec("osk.exe", SW_SHOWNORMAL);
}

// A number typed into a spin-like edit, kept within [lo, hi]; a non-number gives lo.
inline int SpinValue(const dvr::fw::TCustomEdit* edit, int lo, int hi) {
    const std::string t = edit->GetText();
    char* end = nullptr;
    const long v = std::strtol(t.c_str(), &end, 10);
    if (t.empty() || end == t.c_str()) return lo;
    return v < lo ? lo : v > hi ? hi : int(v);
}

// A whole file (GBK path); false when it cannot be read.
inline bool ReadWholeFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    dvr::win::File f(::CreateFileW(dvr::win::GbkToWide(path).c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return false;
    char buf[65536];
    DWORD got = 0;
    while (::ReadFile(f.get(), buf, sizeof buf, &got, nullptr) && got > 0)
        bytes.append(buf, got);
    return true;
}

// Replaces the file's content; false when it cannot be written whole.
inline bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    dvr::win::File f(::CreateFileW(dvr::win::GbkToWide(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return false;
    DWORD written = 0;
    return ::WriteFile(f.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

} // namespace vantrel
