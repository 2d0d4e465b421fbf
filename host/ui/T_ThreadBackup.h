// Backup of chosen recordings: a thread per backup copies the files below "VQS_Backup" of a
// drive, keeping each source's drive and folders (its ":" becomes "$"), never overwriting.
#pragma once

#include "common/win/handles.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace vantrel {

struct TBackupReport {
    int Total = 0;
    int Done = 0; // files handled so far
    int Copied = 0;
    int Existing = 0; // already in the backup, left unchanged
    int Failed = 0;
    bool Finished = false;
};

class TThreadBackup {
public:
    // Copies a file, not replacing an existing target (CopyFileW unless replaced).
    using CopyFunc = std::function<bool(const std::wstring& from, const std::wstring& to)>;
    // Told on the backup thread after every file and once more when the backup ends.
    using ProgressFunc = std::function<void(const TBackupReport&)>;

    // Starts at once at lowest priority and frees itself when done. `root` replaces
    // drive + ":\VQS_Backup\" when given (with its trailing "\").
    static TThreadBackup* Create(std::vector<std::string> files, char drive,
                                 ProgressFunc progress = nullptr, std::string root = {},
                                 CopyFunc copy = nullptr);

private:
    TThreadBackup() = default;
    static DWORD WINAPI ThreadMain(LPVOID self);
    void Execute();

    std::vector<std::string> files_;
    std::string root_;
    ProgressFunc progress_;
    CopyFunc copy_;
    dvr::win::Thread thread_;
};

} // namespace vantrel
