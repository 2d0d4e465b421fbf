// The work log store: fixed-size records in "WorkLog\WorkLog.Log" of the program folder,
// chained by day, with the queries of the log windows and the remote log requests.
#pragma once

#include "host/engine/U_Arithmetic.h"

#include "common/win/handles.h"

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace vantrel {

class TWorkLog {
public:
    static constexpr int kRecordSize = sizeof(TWorkLogRecord);

    // programPath: the program folder with its trailing "\" (GBK). Creates the folder and
    // the file when missing, cuts a torn last record off, finds the newest day.
    TWorkLog(TArithmetic& arithmetic, std::string programPath,
             std::function<double()> clock = CurrentOleDate);
    ~TWorkLog();
    TWorkLog(const TWorkLog&) = delete;
    TWorkLog& operator=(const TWorkLog&) = delete;

    // Days kept (at least 1) and whether the local log window is open (pruning waits).
    std::atomic<uint8_t> KeepDays{30};
    std::atomic<bool> ViewerOpen{false};

    bool AppendRecord(TWorkLogRecord record);
    // Per day head from the oldest: "yyyy-mm-dd hh:mm:ss:zzz" and its record index.
    void ListDays(std::vector<std::string>& dates, std::vector<std::string>& indices);
    int GetRecordCount();
    // Reads up to `capacity` records from `firstIndex`; returns how many were read.
    int ReadRecords(int firstIndex, TWorkLogRecord* buffer, int capacity);
    int CountDays();
    // Removes the oldest day; false when nothing was removed (the log is then unchanged).
    bool DropOldestDay();
    void LoadKeepDays();
    int SaveKeepDays();

    double HeadDate() const { return headDate_; }
    int32_t HeadIndex() const { return headIndex_; }
    const std::string& FileName() const { return logPath_; }
    bool IsOpen() const { return static_cast<bool>(file_); }

private:
    bool Open();
    void ReadLastRecord();
    int64_t SizeLocked();
    int RecordCountLocked();
    bool ReadAt(int index, TWorkLogRecord& r);
    bool WriteAt(int index, const TWorkLogRecord& r);
    bool TruncateTo(int64_t size);

    TArithmetic& arithmetic_;
    std::string folder_, logPath_, tmpPath_;
    std::function<double()> clock_;
    dvr::win::CriticalSection lock_;
    dvr::win::File file_;
    double headDate_ = 0;
    int32_t headIndex_ = -1;
};

} // namespace vantrel
