// Where recordings go and how space is freed: file names and drive choice, recording files,
// and the cycle that deletes the oldest day while a channel has no drive with room; with the
// disk-cycle thread and the thread that retries folders whose deletion failed.
#pragma once

#include "host/engine/U_CaptureFileList.h"
#include "host/engine/U_DiskAccess.h"

#include "common/win/handles.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vantrel {

constexpr int kOpenCreate = 101;   // create folders and file, replacing an existing one
constexpr int kOpenTruncate = 102; // create folders, empty an existing file
constexpr int kOpenExisting = 103;
constexpr int kCloseDelete = 121;
constexpr int kCloseKeep = 122;

class TDiskManager {
public:
    // Work-log lines go to `writeLog`; `userName` is the current user.
    struct Hooks {
        std::function<double()> Clock;
        std::function<void(std::string_view line)> WriteLog;
        std::function<std::string()> UserName;
    };

    // Removes the remote replay's temporary folder "RemotePlay" of the program folder
    // (programPath with its trailing "\").
    TDiskManager(const TDriveAccess& drives, TDriveRanges& ranges, TCaptureFileList& files,
                 TDiskFaultList& faults, std::string_view programPath, Hooks hooks);

    TDiskFaultList& FaultTexts;

    std::string MakeRecordingFileName(int channel, int type);
    // The first fixed drive with room in the channel's (corrected) range; 0 when none.
    char ChooseRecordingDrive(int channel);
    bool HasRoom(char letter);
    uint64_t GetFreeMegabytes(char letter);

    // The handle, or -1.
    static intptr_t OpenRecordingFile(std::string_view path, int mode);
    static void CloseRecordingFile(std::string_view path, intptr_t handle, int mode);
    // One unbuffered write; false unless every byte went out. `full` tells a disk without room.
    static bool WriteRecordingFile(intptr_t handle, const uint8_t* data, int length,
                                   bool* full = nullptr);

    // True when a day was found and deleted.
    bool DeleteOldestDay(char first, char last);
    // Deletes oldest days until every channel has room, or until no day can be deleted.
    void CycleDeleteOldest();
    // A write failed for lack of space: the disk-cycle thread runs its pass now instead of
    // at its next 30 s turn.
    void RequestCycle();
    // The time the fault lines and file names use (OLE date).
    double Now() const { return hooks_.Clock(); }

private:
    friend class TThreadDiskCycle;
    const TDriveAccess& drives_;
    TDriveRanges& ranges_;
    TCaptureFileList& files_;
    Hooks hooks_;
    std::atomic<HANDLE> cycleWake_{nullptr};
};

// Runs the cycle at once and then every 30 s until destroyed.
class TThreadDiskCycle {
public:
    explicit TThreadDiskCycle(TDiskManager& manager, DWORD intervalMs = 30000);
    ~TThreadDiskCycle();
    TThreadDiskCycle(const TThreadDiskCycle&) = delete;
    TThreadDiskCycle& operator=(const TThreadDiskCycle&) = delete;

    int Passes() const { return passes_; }

private:
    static DWORD WINAPI ThreadMain(LPVOID self);
    TDiskManager& manager_;
    DWORD intervalMs_;
    std::atomic<int> passes_{0};
    dvr::win::Event stop_;
    dvr::win::Event wake_;
    dvr::win::Thread thread_;
};

// Retries the folders whose deletion failed, one every 10 minutes, until stopped.
class TThreadClearErrorData {
public:
    explicit TThreadClearErrorData(TCaptureFileList& files, DWORD retryMs = 600000,
                                   DWORD missingMs = 1000);
    ~TThreadClearErrorData();
    TThreadClearErrorData(const TThreadClearErrorData&) = delete;
    TThreadClearErrorData& operator=(const TThreadClearErrorData&) = delete;

    void Stop();

private:
    static DWORD WINAPI ThreadMain(LPVOID self);
    void Execute();
    TCaptureFileList& files_;
    DWORD retryMs_, missingMs_;
    dvr::win::Event stop_;
    dvr::win::Thread thread_;
};

} // namespace vantrel
