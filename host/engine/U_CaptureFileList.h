// The in-memory index of recording and snapshot files by day and channel, built from the
// "DVRDat" folders at start-up, and the removal of whole days when the drives fill.
#pragma once

#include "host/engine/U_DataLockTable.h"
#include "host/engine/U_DiskAccess.h"
#include "host/engine/U_StorageNames.h"

#include "common/win/handles.h"

#include <array>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// Channel count and drive ranges of the recording settings; ChooseRecordingDrive stores the
// corrected letters back.
class TDriveRanges {
public:
    virtual ~TDriveRanges() = default;
    virtual int ChannelCount() const = 0;
    virtual TDriveRange Range(int channel) const = 0;
    virtual void SetRange(int channel, TDriveRange range) = 0;
};

// The day YYYYMMDD of a path "X:\DVRDat\YYYYMMDD\..."; empty when there is none.
std::string_view RecordingDay(std::string_view path);

// The recording engine's current file of a channel: true with its name while one is open.
class TRecordingFiles {
public:
    virtual ~TRecordingFiles() = default;
    virtual bool CurrentFile(int channel, std::string& fileName) const = 0;
};

using ChannelLists = std::array<std::vector<std::string>, kIndexChannels>;

class TCaptureFileList {
public:
    // `pause` is how the deletion waits between files (Sleep unless replaced). Scans the
    // drives at once.
    TCaptureFileList(const TDriveAccess& drives, const TDriveRanges& ranges,
                     const TDataLockTable& locker, const TRecordingFiles& recording,
                     TDiskFaultList& faults, std::function<void(DWORD)> pause = nullptr);
    TCaptureFileList(const TCaptureFileList&) = delete;
    TCaptureFileList& operator=(const TCaptureFileList&) = delete;

    void ScanDrives();

    // Position of the day in date order, the entry made when missing.
    int FindOrAddDay(std::string_view day);
    // An entry is a path, or a path, "#" and its handle; the same text is kept once.
    void AddFile(std::string_view day, int channel, std::string_view entry);
    int FindDay(std::string_view day);
    // A copy of the day's lists, each in name order; none when the day has no entry.
    std::optional<ChannelLists> GetDayChannelLists(std::string_view day);
    // Every day, oldest first, as "YYYY-MM-DD".
    void ListDates(std::vector<std::string>& list);
    // Every day as "YYYY-MM-DD," in date order.
    std::string GetDatesText();
    void RemoveDay(std::string_view day);
    void Clear();

    // The oldest unlocked day with a file on a drive from first to last; "" when none.
    std::string FindOldestDay(char first, char last);
    // Deletes the day's files on those drives, drops them from the index and removes the
    // day folders, reporting each folder in the fault list.
    void DeleteDayFiles(char first, char last, std::string_view day);

    // Folders whose deletion failed, retried by the cleaning thread.
    void AddFailedFolder(std::string folder);
    bool FirstFailedFolder(std::string& folder);
    void RemoveFailedFolder(std::string_view folder);
    size_t FailedFolderCount();

private:
    struct Day {
        std::array<std::set<std::string>, kIndexChannels> Lists;
    };
    std::string DayKey(std::string_view day) const { return std::string(day.substr(0, 8)); }
    bool DayLocked(const std::string& day) const;
    // Closes an index handle only while it still refers to that very file.
    static void CloseIfStillOpen(int64_t handle, std::string_view path);

    const TDriveAccess& drives_;
    const TDriveRanges& ranges_;
    const TDataLockTable& locker_;
    const TRecordingFiles& recording_;
    TDiskFaultList& faults_;
    std::function<void(DWORD)> pause_;
    dvr::win::CriticalSection lock_;
    std::map<std::string, Day> days_;
    dvr::win::CriticalSection failedLock_;
    std::deque<std::string> failedFolders_;
};

} // namespace vantrel
