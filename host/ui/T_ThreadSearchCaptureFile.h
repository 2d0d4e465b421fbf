// The replay's file search: turns the days' lists of the recordings index into chains of
// records, away from the user-interface thread, with the owner window disabled meanwhile.
#pragma once

#include "common/win/handles.h"
#include "host/ui/U_ReplayRules.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace vantrel {

class TReplay;

class TThreadSearchCaptureFile {
public:
    // Created on the user-interface thread, idle until Start. `form` is disabled during
    // a scan.
    TThreadSearchCaptureFile(HWND form, TReplay& replay);
    // Quit and wait for the thread.
    ~TThreadSearchCaptureFile();
    TThreadSearchCaptureFile(const TThreadSearchCaptureFile&) = delete;
    TThreadSearchCaptureFile& operator=(const TThreadSearchCaptureFile&) = delete;

    // Run on the user-interface thread when a scan has ended, before the form is enabled
    // again: the kind scanned.
    std::function<void(int kind)> Finished;
    // Asked on the user-interface thread after Finished: when it holds, the form stays
    // disabled (a modal window of the form's is still open).
    std::function<bool()> LeaveDisabled;

    // One scan of the days with kind 1 (recordings) or 0 (snapshots).
    void Start(std::vector<std::string> days, int kind);
    void Quit();
    bool Scanning() const { return scanning_; }
    int Scans() const { return scans_; }

    // Builds the record chains; runs on the thread.
    void Scan();

private:
    static DWORD WINAPI ThreadMain(LPVOID self);
    static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void Execute();
    // Runs `step` on the user-interface thread and waits for it.
    void Synchronize(const std::function<void()>& step);

    HWND form_;
    TReplay& replay_;
    std::vector<std::string> days_;
    int kind_ = 1;
    std::atomic<bool> quit_{false};
    std::atomic<bool> scanning_{false};
    std::atomic<int> scans_{0};
    HWND sync_ = nullptr;
    dvr::win::Event wake_;
    dvr::win::Thread thread_;
};

// One record of a search from an index entry (a path, or a path, "#" and a handle), filled
// from the path and the file's size and last-write time; `channel` is the list's.
ReplayFileRecord* MakeReplayFileRecord(std::string_view entry, int channel);

} // namespace vantrel
