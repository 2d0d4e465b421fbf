// Asks a running host to end as the remote close-program command does: WM_POWERACTION with
// wParam -1 and lParam -1 to every top-level window carrying the host's title.
//   HostControl.exe close [TITLE]
#include "host/ui/F_StartUp.h"

#include "common/win/textconv.h"

#include <windows.h>

#include <string>

namespace {

struct Search {
    std::wstring title;
    int posted = 0;
};

BOOL CALLBACK Visit(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<Search*>(p);
    wchar_t text[256] = {};
    ::GetWindowTextW(w, text, 256);
    if (s->title == text && ::PostMessageW(w, 0x40E, WPARAM(-1), LPARAM(-1))) ++s->posted;
    return TRUE;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2 || std::wstring(argv[1]) != L"close") return 2;
    Search s;
    if (argc > 2) {
        s.title = argv[2];
    } else {
        wchar_t path[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring folder = path;
        folder = folder.substr(0, folder.find_last_of(L'\\') + 1);
        s.title = dvr::win::GbkToWide(vantrel::ProgramTitle(folder));
    }
    ::EnumWindows(Visit, reinterpret_cast<LPARAM>(&s));
    return s.posted > 0 ? 0 : 1;
}
