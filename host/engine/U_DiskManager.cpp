#include "host/engine/U_DiskManager.h"

#include "host/engine/U_StorageNames.h"
#include "host/engine/U_WorkLogLine.h"

#include "common/win/textconv.h"

#include <vector>

namespace vantrel {

TDiskManager::TDiskManager(const TDriveAccess& drives, TDriveRanges& ranges,
                           TCaptureFileList& files, TDiskFaultList& faults,
                           std::string_view programPath, Hooks hooks)
    : FaultTexts(faults), drives_(drives), ranges_(ranges), files_(files),
      hooks_(std::move(hooks)) {
    const std::string remotePlay = std::string(programPath) + "RemotePlay";
    if (FolderExists(remotePlay)) DeleteFolder(remotePlay);
}

std::string TDiskManager::MakeRecordingFileName(int channel, int type) {
    char letter = ChooseRecordingDrive(channel);
    if (letter == 0) letter = CorrectDriveRange(ranges_.Range(channel)).FirstDrive;
    return RecordingFilePath(drives_.Root(letter), channel, type, hooks_.Clock());
}

char TDiskManager::ChooseRecordingDrive(int channel) {
    const TDriveRange stored = ranges_.Range(channel);
    const TDriveRange range = CorrectDriveRange(stored);
    if (!(range == stored)) ranges_.SetRange(channel, range);
    for (char letter = range.FirstDrive; letter <= range.LastDrive; ++letter)
        if (drives_.IsFixed(letter) && HasRoom(letter)) return letter;
    return 0;
}

bool TDiskManager::HasRoom(char letter) {
    uint64_t bytes = 0;
    return drives_.FreeBytes(letter, bytes) && HasRoomFor(letter, bytes, ranges_.ChannelCount());
}

uint64_t TDiskManager::GetFreeMegabytes(char letter) {
    uint64_t bytes = 0;
    return drives_.FreeBytes(letter, bytes) ? bytes / 1024 / 1024 : 0;
}

intptr_t TDiskManager::OpenRecordingFile(std::string_view path, int mode) {
    DWORD disposition = 0;
    switch (mode) {
    case kOpenCreate:
        disposition = CREATE_ALWAYS;
        break;
    case kOpenTruncate:
        disposition = OPEN_ALWAYS;
        break;
    case kOpenExisting:
        disposition = OPEN_EXISTING;
        break;
    default:
        return -1;
    }
    if (mode != kOpenExisting) {
        const size_t slash = path.rfind('\\');
        if (slash != std::string_view::npos) ForceDirectories(path.substr(0, slash + 1));
    }
    dvr::win::File file(::CreateFileW(dvr::win::GbkToWide(path).c_str(),
                                      GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return -1;
    if (mode == kOpenTruncate && !::SetEndOfFile(file.get())) return -1;
    return reinterpret_cast<intptr_t>(file.release());
}

bool TDiskManager::WriteRecordingFile(intptr_t handle, const uint8_t* data, int length,
                                      bool* full) {
    DWORD written = 0;
    const bool ok = ::WriteFile(reinterpret_cast<HANDLE>(handle), data,
                                static_cast<DWORD>(length), &written, nullptr) &&
                    written == static_cast<DWORD>(length);
    if (!ok && full) {
        const DWORD error = ::GetLastError();
        *full = error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL;
    }
    return ok;
}

void TDiskManager::CloseRecordingFile(std::string_view path, intptr_t handle, int mode) {
    { dvr::win::File closing(reinterpret_cast<HANDLE>(handle)); }
    if (mode == kCloseDelete) DeleteFileGbk(path);
}

bool TDiskManager::DeleteOldestDay(char first, char last) {
    if (hooks_.WriteLog) {
        const double now = hooks_.Clock();
        hooks_.WriteLog(WorkLogLine(now, 71, -1, -1, -1, "", "",
                                    hooks_.UserName ? hooks_.UserName() : std::string()));
    }
    const std::string day = files_.FindOldestDay(first, last);
    if (day.empty()) return false;
    files_.DeleteDayFiles(first, last, day);
    return true;
}

void TDiskManager::CycleDeleteOldest() {
    for (;;) {
        std::vector<TDriveRange> lacking;
        const int channels = ranges_.ChannelCount();
        for (int ch = 0; ch < channels; ++ch)
            if (ChooseRecordingDrive(ch) == 0) lacking.push_back(ranges_.Range(ch));
        const std::vector<TDriveRange> merged = MergeRanges(lacking);
        if (merged.empty()) return;
        bool deleted = false;
        for (const TDriveRange& r : merged)
            deleted = DeleteOldestDay(r.FirstDrive, r.LastDrive) || deleted;
        // Nothing left to delete (every day locked, or the space taken by other files):
        // wait for the next pass instead of spinning.
        if (!deleted) return;
    }
}

void TDiskManager::RequestCycle() {
    if (HANDLE wake = cycleWake_.load()) ::SetEvent(wake);
}

TThreadDiskCycle::TThreadDiskCycle(TDiskManager& manager, DWORD intervalMs)
    : manager_(manager), intervalMs_(intervalMs),
      stop_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      wake_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      thread_(::CreateThread(nullptr, 0, &TThreadDiskCycle::ThreadMain, this, 0, nullptr)) {
    manager_.cycleWake_ = wake_.get();
}

TThreadDiskCycle::~TThreadDiskCycle() {
    manager_.cycleWake_ = nullptr;
    ::SetEvent(stop_.get());
    if (thread_) ::WaitForSingleObject(thread_.get(), INFINITE);
}

DWORD WINAPI TThreadDiskCycle::ThreadMain(LPVOID self) {
    auto* t = static_cast<TThreadDiskCycle*>(self);
    const HANDLE waits[] = {t->stop_.get(), t->wake_.get()};
    do {
        try {
            t->manager_.CycleDeleteOldest();
        } catch (...) {
        }
        ++t->passes_;
    } while (::WaitForMultipleObjects(2, waits, FALSE, t->intervalMs_) != WAIT_OBJECT_0);
    return 0;
}

TThreadClearErrorData::TThreadClearErrorData(TCaptureFileList& files, DWORD retryMs,
                                             DWORD missingMs)
    : files_(files), retryMs_(retryMs), missingMs_(missingMs),
      stop_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      thread_(::CreateThread(nullptr, 0, &TThreadClearErrorData::ThreadMain, this, CREATE_SUSPENDED,
                             nullptr)) {
    if (thread_) {
        ::SetThreadPriority(thread_.get(), THREAD_PRIORITY_LOWEST);
        ::ResumeThread(thread_.get());
    }
}

TThreadClearErrorData::~TThreadClearErrorData() {
    Stop();
    if (thread_) ::WaitForSingleObject(thread_.get(), INFINITE);
}

void TThreadClearErrorData::Stop() {
    ::SetEvent(stop_.get());
}

DWORD WINAPI TThreadClearErrorData::ThreadMain(LPVOID self) {
    static_cast<TThreadClearErrorData*>(self)->Execute();
    return 0;
}

void TThreadClearErrorData::Execute() {
    for (;;) {
        DWORD wait = retryMs_;
        try {
            std::string folder;
            if (files_.FirstFailedFolder(folder)) {
                if (FolderExists(folder)) {
                    // A folder that still fails goes to the back so that it cannot hold
                    // up the others.
                    files_.RemoveFailedFolder(folder);
                    if (!DeleteFolder(folder)) files_.AddFailedFolder(folder);
                } else {
                    files_.RemoveFailedFolder(folder);
                    wait = missingMs_;
                }
            }
        } catch (...) {
        }
        if (::WaitForSingleObject(stop_.get(), wait) != WAIT_TIMEOUT) return;
    }
}

} // namespace vantrel
