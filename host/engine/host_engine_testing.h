// Shared by the Windows tests of this folder: a scratch program folder and a clean registry.
#pragma once

#include <windows.h>

#include <string>

namespace vantrel::testing {

inline void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW fd;
    HANDLE h = ::FindFirstFileW((path + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = path + L"\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                ::DeleteFileW(child.c_str());
        } while (::FindNextFileW(h, &fd));
        ::FindClose(h);
    }
    ::RemoveDirectoryW(path.c_str());
}

// An empty folder standing in for the program folder, with its trailing "\" (ASCII path).
inline std::string FreshProgramFolder(const char* name) {
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + name;
    RemoveTree(std::wstring(folder.begin(), folder.end()));
    ::CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\";
}

// The settings keys these tests write; other programs' keys stay as they are.
inline void DeleteHostSettings() {
    for (const wchar_t* key : {L"SocketPort", L"LOGONSERVER", L"OTHER", L"CLIENT", L"WorkLog",
                               L"USPW", L"HostEngineTest"})
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(L"SOFTWARE\\VQS\\") + key).c_str());
}

} // namespace vantrel::testing
