#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "common/win/handles.h"
#include "common/win/textconv.h"
#include "playerapp/U_ReplayDll.h"

namespace playerqz {
namespace {

std::wstring ProgramPath() {
    const char* dir = std::getenv("DVR_BIN_DIR");
    std::string p = std::string(dir ? dir : ".") + "/PlayerQZ.exe";
    if (!p.empty() && p[0] == '/') p = "Z:" + p;
    for (char& c : p)
        if (c == '/') c = '\\';
    return dvr::win::Utf8ToWide(p);
}

// The program starts on a PC that never ran it, shows its window with the default four
// ports and the registry key made, and closes on request.
TEST(PlayerMain, StartsShowsItsWindowAndCloses) {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, TReplayService::RegistryKey);
    std::wstring cmd = L"\"" + ProgramPath() + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &si, &pi))
        << ::GetLastError();
    dvr::win::Handle process(pi.hProcess);
    dvr::win::Handle thread(pi.hThread);
    HWND w = nullptr;
    for (int i = 0; i < 300 && !w; ++i) {
        w = ::FindWindowW(nullptr, L"MPEG4 Medieaplayer");
        if (!w) ::Sleep(20);
    }
    ASSERT_NE(w, nullptr);
    RECT r{};
    ::GetClientRect(w, &r);
    EXPECT_EQ(r.right, 790);

    dvr::win::RegKey key;
    ASSERT_EQ(
        ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, TReplayService::RegistryKey, 0, KEY_READ, key.put()),
        ERROR_SUCCESS);
    DWORD n = 0, size = sizeof n;
    ::RegQueryValueExW(key.get(), L"WindowsNumber", nullptr, nullptr, reinterpret_cast<BYTE*>(&n),
                       &size);
    EXPECT_EQ(n, 4u);

    ::PostMessageW(w, WM_CLOSE, 0, 0);
    ASSERT_EQ(::WaitForSingleObject(process.get(), 10000), WAIT_OBJECT_0);
    DWORD code = 1;
    ::GetExitCodeProcess(process.get(), &code);
    EXPECT_EQ(code, 0u);
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, TReplayService::RegistryKey);
}

} // namespace
} // namespace playerqz
