// Shared by the Windows tests of this folder: a scratch program folder and a clean registry.
#pragma once

#include "host/engine/U_HostServices.h"

#include <windows.h>

#include <set>
#include <string>
#include <vector>

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
                               L"USPW", L"HostEngineTest", L"AUTO", L"WorkState"})
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(L"SOFTWARE\\VQS\\") + key).c_str());
}

// The recording engine, the alarm detection and the panes as seen from outside: state flags
// that the calls change, and the calls in order ("start 3 ) 0", "stop 3 )", "detect 3 7",
// "undetect 3", "preview 3").
struct FakeEngine {
    std::set<int> Running, Files, Armed, Alarming, Panes;
    bool CaptureAuto = false, AlarmAuto = false;
    std::vector<std::string> Calls;

    struct Capture : TCaptureServices {
        explicit Capture(FakeEngine& e) : e(e) {}
        FakeEngine& e;
        bool CaptureRunning(int ch) const override { return e.Running.count(ch) != 0; }
        bool FileOpen(int ch) const override { return e.Files.count(ch) != 0; }
        void StartChannel(int ch, char request, int type) override {
            e.Calls.push_back("start " + std::to_string(ch) + " " + request + " " +
                              std::to_string(type));
            e.Running.insert(ch);
            e.Files.insert(ch);
        }
        void StopChannel(int ch, char request) override {
            e.Calls.push_back("stop " + std::to_string(ch) + " " + request);
            e.Running.erase(ch);
            e.Files.erase(ch);
        }
        void SetAutoMode() override { e.CaptureAuto = true; }
        void ClearAutoMode() override { e.CaptureAuto = false; }
    } capture{*this};

    struct Alarm : TAlarmServices {
        explicit Alarm(FakeEngine& e) : e(e) {}
        FakeEngine& e;
        bool Armed(int ch) const override { return e.Armed.count(ch) != 0; }
        bool Alarming(int ch) const override { return e.Alarming.count(ch) != 0; }
        void StartDetection(int ch, int mode) override {
            e.Calls.push_back("detect " + std::to_string(ch) + " " + std::to_string(mode));
            e.Armed.insert(ch);
        }
        void StopDetection(int ch) override {
            e.Calls.push_back("undetect " + std::to_string(ch));
            e.Armed.erase(ch);
        }
        void SetAutoMode() override { e.AlarmAuto = true; }
        void ClearAutoMode() override { e.AlarmAuto = false; }
    } alarm{*this};

    struct Preview : TPreviewServices {
        explicit Preview(FakeEngine& e) : e(e) {}
        FakeEngine& e;
        bool PaneOpen(int ch) const override { return e.Panes.count(ch) != 0; }
        void OpenPreview(int ch) override {
            e.Calls.push_back("preview " + std::to_string(ch));
            e.Panes.insert(ch);
        }
    } preview{*this};
};

// Runs the thread's message loop until `done` or the deadline.
template <typename Done> inline bool PumpMessagesUntil(Done done, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > timeoutMs) return false;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(10);
    }
    return true;
}

} // namespace vantrel::testing
