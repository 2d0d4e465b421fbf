// The network patrol's thread: pings every row of the patrol window in turn, a pass every few
// seconds, and keeps the outage log "Ping\PingLog.txt" beside the program.
#pragma once

// The ICMP header comes before the handle wrappers, which then offer its handle kind.
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <icmpapi.h>

#include "common/win/handles.h"

#include <atomic>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

class TIPPingForm;

struct TPingTiming {
    DWORD AfterHostMs = 2000; // after each host's ping
    DWORD AfterPassMs = 2000; // after a pass, or with no rows
};

class TPingThread {
public:
    using Timing = TPingTiming;

    // Idle until the start box is ticked; lowest priority. Creates the "Ping" folder and an
    // empty log when the log is missing. `programPath` is GBK with a trailing "\".
    TPingThread(TIPPingForm& form, std::string programPath, Timing timing = {});
    ~TPingThread();
    TPingThread(const TPingThread&) = delete;
    TPingThread& operator=(const TPingThread&) = delete;

    // Set by clearing the start box: the thread stops after the current host.
    std::atomic<bool> Paused{false};
    std::atomic<bool> Finished{false};
    // Wakes the thread when it is idle (paused or never started).
    void Resume();
    // Finished, woken and waited for.
    void Stop();
    // The window is going away before the thread (which has been stopped).
    void FormGone() { form_ = nullptr; }

    const std::string& LogPath() const { return logPath_; }
    void ReadLog(std::vector<std::string>& list);
    void ClearLog();
    void AppendLog(std::string_view line);
    // Passes begun so far.
    int Passes() const { return passes_; }

private:
    static DWORD WINAPI ThreadMain(LPVOID self);
    void Execute();
    // Waits; false when finishing.
    bool Pause(DWORD ms);

    std::atomic<TIPPingForm*> form_;
    std::string logPath_;
    Timing timing_;
    std::mutex logLock_;
    dvr::win::Event resumeEvent_;
    dvr::win::Event finishEvent_;
    dvr::win::Thread thread_;
    std::atomic<int> passes_{0};
};

// The system's date and time as its default short date and time texts, GBK.
std::string DefaultDateTimeText();

} // namespace vantrel
