#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "common/win/handles.h"
#include "common/win/textconv.h"
#include "framework/win/resstream.h"
#include "playerapp/U_ReplayDll.h"
#include "skin/engine/theme_se3source.h"

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

// The program carries its skin as resource SKN of the string type "RT_RCDATA", an mskn
// skin file that loads.
TEST(PlayerMain, CarriesTheBuiltInSkin) {
    dvr::win::Module exe(::LoadLibraryExW(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(exe) << ::GetLastError();
    dvr::fw::TResourceStream res(reinterpret_cast<HINSTANCE>(exe.get()), "SKN", "RT_RCDATA");
    ASSERT_GT(res.Size(), 4);
    dvr::skin::TSeSkinSource skin;
    std::unique_ptr<dvr::skin::TSeSkinFilter> f(
        dvr::skin::FindSkinFilterByExtension("built-in.mskn")->Create());
    f->Source = &skin;
    f->LoadFromStream(res);
    EXPECT_EQ(skin.SkinName, "PlayerQZ Dark");
    EXPECT_NE(skin.FindObject("Form"), nullptr);
    EXPECT_NE(skin.FindObject("ToolBar"), nullptr);
}

} // namespace
} // namespace playerqz
