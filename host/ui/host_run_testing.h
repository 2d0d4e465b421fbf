// What the tests that run the whole host read back from its recordings once it has stopped.
#pragma once

#include "common/win/handles.h"
#include "host/ui/F_MainForm.h" // TLogonPrompt
#include "host/ui/U_HostObjects.h"
#include "host/net/live_testing.h" // WaitUntil
#include "player/format/file_reader.h"
#include "player/format/readable_file.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace vantrel::testing {

// The logon prompt answered with an account (the default one unless told otherwise).
struct AccountLogon : TLogonPrompt {
    std::string name = "vorel", password;
    bool Prompt(std::string& n, std::string& p) override {
        n = name;
        p = password;
        return true;
    }
};

// The logon prompt answered with Cancel.
struct CancelledLogon : TLogonPrompt {
    bool Prompt(std::string&, std::string&) override { return false; }
};

// The one Cancel answer the whole-host runs give to the first show's logon prompt.
inline CancelledLogon& CancelledLogonPrompt() {
    static CancelledLogon cancel;
    return cancel;
}

// Waits until the host started in this process shows its console with `ready()` true,
// answering the logon prompt of the first show with Cancel meanwhile.
template <class Ready>
bool WaitForHostUp(Ready ready, DWORD ms = 120000) {
    CancelledLogon& cancel = CancelledLogonPrompt();
    return WaitUntil(
        [&] {
            if (MainForm && MainForm->LogonPrompt != &cancel) MainForm->LogonPrompt = &cancel;
            return MainForm && Host && ready() && ::IsWindowVisible(MainForm->WindowHandle());
        },
        ms);
}

// This process's visible top-level windows.
inline std::set<HWND> OwnVisibleWindows() {
    std::set<HWND> found;
    ::EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            DWORD pid = 0;
            ::GetWindowThreadProcessId(w, &pid);
            if (pid == ::GetCurrentProcessId() && ::IsWindowVisible(w))
                reinterpret_cast<std::set<HWND>*>(p)->insert(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Drive R: of the test's Wine prefix becomes a fresh, empty folder `name` beside the prefix's
// drives; false when that did not happen within 20 s.
inline bool MapFreshDriveR(const std::wstring& name) {
    wchar_t prefix[2048] = {};
    if (!::GetEnvironmentVariableW(L"WINEPREFIX", prefix, 2048)) return false;
    const std::wstring data = std::wstring(prefix) + L"/" + name;
    const std::wstring ready = L"ready" + std::to_wstring(::GetTickCount());
    std::wstring command = L"/bin/sh -c \"rm -rf '" + data + L"' && mkdir -p '" + data + L"/" +
                           ready + L"' && ln -sfn '" + data + L"' '" + prefix +
                           L"/dosdevices/r:'\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &si, &pi))
        return false;
    dvr::win::Handle process(pi.hProcess), thread(pi.hThread);
    // A Unix process's handle does not tell when it ended: wait for the marker on the drive.
    return WaitUntil(
        [&] { return ::GetFileAttributesW((L"R:\\" + ready).c_str()) != INVALID_FILE_ATTRIBUTES; },
        20000);
}

inline std::vector<uint8_t> ReadWholeWinFile(const std::string& gbkPath) {
    std::vector<uint8_t> bytes;
    dvr::win::File f(::CreateFileA(gbkPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
    if (!f) return bytes;
    bytes.resize(::GetFileSize(f.get(), nullptr));
    DWORD got = 0;
    if (!bytes.empty()) ::ReadFile(f.get(), bytes.data(), DWORD(bytes.size()), &got, nullptr);
    bytes.resize(got);
    return bytes;
}

// Nobody else holds the file: its writer closed it.
inline bool OpensExclusively(const std::string& gbkPath) {
    return bool(dvr::win::File(::CreateFileA(gbkPath.c_str(), GENERIC_READ, 0, nullptr,
                                             OPEN_EXISTING, 0, nullptr)));
}

struct RecordingWalk {
    bool whole = false; // the reader took every byte
    int records = 0;
    int pictures = 0; // a record with B pictures holds two or three
    uint32_t firstVideoStamp = 0;
};

// Walks the records of a recording file behind its stream head, as the player reads them.
inline RecordingWalk WalkRecording(const std::vector<uint8_t>& bytes) {
    RecordingWalk walk;
    dvr::MemoryFile file(bytes);
    dvr::PortFileState port{};
    if (!dvr::OpenRecordFile(&port, file)) return walk;
    walk.firstVideoStamp = dvr::FirstFrameTime(file);
    for (;;) {
        const int r = dvr::ReadOneFrameEx(&port, 0, &file);
        if (r == dvr::kRecordEnd || r < 0 || port.endOfFile) break;
        ++walk.records;
        walk.pictures += r == dvr::kRecordKey || r == dvr::kRecordP ? 1
                         : r == dvr::kRecordPB                      ? 2
                         : r == dvr::kRecordPBB                     ? 3
                                                                    : 0;
    }
    walk.whole = file.Tell() == bytes.size();
    return walk;
}

} // namespace vantrel::testing
