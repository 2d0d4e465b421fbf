#include "host/engine/U_WorkLog.h"

#include "host/engine/U_DataFiles.h"
#include "host/engine/U_WorkLogLine.h"

#include "common/win/textconv.h"

#include <algorithm>
#include <mutex>
#include <set>

namespace vantrel {
namespace {

using dvr::win::GbkToWide;

constexpr const char* kKeepDaysKey = "SOFTWARE\\VQS\\WorkLog";
constexpr int kCopyChunkRecords = 512000 / TWorkLog::kRecordSize;

bool ReadExact(HANDLE f, int64_t offset, void* data, DWORD size) {
    LARGE_INTEGER at{};
    at.QuadPart = offset;
    DWORD got = 0;
    return ::SetFilePointerEx(f, at, nullptr, FILE_BEGIN) &&
           ::ReadFile(f, data, size, &got, nullptr) && got == size;
}

bool WriteExact(HANDLE f, int64_t offset, const void* data, DWORD size) {
    LARGE_INTEGER at{};
    at.QuadPart = offset;
    DWORD wrote = 0;
    return ::SetFilePointerEx(f, at, nullptr, FILE_BEGIN) &&
           ::WriteFile(f, data, size, &wrote, nullptr) && wrote == size;
}

} // namespace

TWorkLog::TWorkLog(TArithmetic& arithmetic, std::string programPath, std::function<double()> clock)
    : arithmetic_(arithmetic), folder_(std::move(programPath) + "WorkLog\\"),
      logPath_(folder_ + "WorkLog.Log"), tmpPath_(folder_ + "WorkLog.tmp"),
      clock_(std::move(clock)) {
    LoadKeepDays();
    CreateFolderLevels(folder_);
    std::lock_guard<dvr::win::CriticalSection> hold(lock_);
    if (Open()) ReadLastRecord();
}

TWorkLog::~TWorkLog() = default;

bool TWorkLog::Open() {
    file_.reset(::CreateFileW(GbkToWide(logPath_).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_) return false;
    // A record cut short by a power failure would shift every later record: drop it.
    const int64_t size = SizeLocked();
    if (size > 0 && size % kRecordSize != 0) TruncateTo(size - size % kRecordSize);
    return true;
}

int64_t TWorkLog::SizeLocked() {
    LARGE_INTEGER size{};
    if (!file_ || !::GetFileSizeEx(file_.get(), &size)) return 0;
    return size.QuadPart;
}

int TWorkLog::RecordCountLocked() {
    return static_cast<int>(SizeLocked() / kRecordSize);
}

bool TWorkLog::TruncateTo(int64_t size) {
    LARGE_INTEGER at{};
    at.QuadPart = size;
    return ::SetFilePointerEx(file_.get(), at, nullptr, FILE_BEGIN) && ::SetEndOfFile(file_.get());
}

bool TWorkLog::ReadAt(int index, TWorkLogRecord& r) {
    return file_ && index >= 0 &&
           ReadExact(file_.get(), int64_t(index) * kRecordSize, &r, kRecordSize);
}

bool TWorkLog::WriteAt(int index, const TWorkLogRecord& r) {
    return file_ && index >= 0 &&
           WriteExact(file_.get(), int64_t(index) * kRecordSize, &r, kRecordSize);
}

void TWorkLog::ReadLastRecord() {
    headIndex_ = -1;
    headDate_ = 0;
    const int64_t size = SizeLocked();
    if (size == 0) return;
    const int n = RecordCountLocked();
    TWorkLogRecord last{};
    if (size % kRecordSize != 0 || !ReadAt(n - 1, last) || last.Link < -1 || last.Link >= n) {
        // The newest day is unknown: the next record starts a day of its own.
        headDate_ = clock_() - 100;
        return;
    }
    headIndex_ = last.Link == -1 ? n - 1 : last.Link;
    headDate_ = last.Time;
}

bool TWorkLog::AppendRecord(TWorkLogRecord record) {
    std::lock_guard<dvr::win::CriticalSection> hold(lock_);
    if (!file_) return false;
    const int64_t size = SizeLocked();
    if (size % kRecordSize != 0 && !TruncateTo(size - size % kRecordSize)) return false;
    const int n = RecordCountLocked();

    const bool newDay = OleDay(record.Time) != OleDay(headDate_);
    record.Link = newDay ? -1 : headIndex_;
    if (!WriteAt(n, record)) {
        TruncateTo(int64_t(n) * kRecordSize); // never leave a torn record behind
        return false;
    }
    if (newDay) {
        headDate_ = record.Time;
        if (headIndex_ >= 0 && headIndex_ < n) {
            TWorkLogRecord head{};
            if (ReadAt(headIndex_, head)) {
                head.Link = n;
                WriteAt(headIndex_, head);
            }
        }
        headIndex_ = n;
    }
    return true;
}

void TWorkLog::ListDays(std::vector<std::string>& dates, std::vector<std::string>& indices) {
    dates.clear();
    indices.clear();
    std::lock_guard<dvr::win::CriticalSection> hold(lock_);
    const int n = RecordCountLocked();
    int index = 0;
    while (index >= 0 && index < n) {
        TWorkLogRecord r{};
        if (!ReadAt(index, r)) break;
        if (r.Link > 0 && r.Link <= index) break; // broken chain
        dates.push_back(FormatDayHeadTime(r.Time));
        indices.push_back(std::to_string(index));
        if (r.Link == 0) break;
        index = r.Link;
    }
}

int TWorkLog::GetRecordCount() {
    std::lock_guard<dvr::win::CriticalSection> hold(lock_);
    return RecordCountLocked();
}

int TWorkLog::ReadRecords(int firstIndex, TWorkLogRecord* buffer, int capacity) {
    std::lock_guard<dvr::win::CriticalSection> hold(lock_);
    const int n = RecordCountLocked();
    if (!buffer || firstIndex < 0 || capacity <= 0 || firstIndex >= n) return 0;
    const int count = std::min(capacity, n - firstIndex);
    return ReadExact(file_.get(), int64_t(firstIndex) * kRecordSize, buffer,
                     static_cast<DWORD>(count * kRecordSize))
               ? count
               : 0;
}

int TWorkLog::CountDays() {
    std::lock_guard<dvr::win::CriticalSection> hold(lock_);
    const int n = RecordCountLocked();
    int days = 0, index = 0;
    while (index < n) {
        TWorkLogRecord r{};
        if (!ReadAt(index, r)) break;
        if (r.Link == -1) {
            ++days;
            break;
        }
        if (r.Link <= index) break; // 0, another negative, or pointing back
        ++days;
        index = r.Link; // beyond the end: the walk ends here
    }
    return days;
}

bool TWorkLog::DropOldestDay() {
    std::lock_guard<dvr::win::CriticalSection> hold(lock_);
    if (!file_) return false;
    const int n = RecordCountLocked();
    TWorkLogRecord first{};
    if (n < 2 || !ReadAt(0, first)) return false;
    const int s = first.Link; // records of the oldest day
    if (s <= 0 || s >= n) return false;

    // Day heads whose forward link moves down by s, and the last record's link to its head.
    std::set<int> heads;
    for (int index = 0;;) {
        TWorkLogRecord r{};
        if (!ReadAt(index, r) || r.Link <= index || r.Link >= n) break;
        heads.insert(index);
        index = r.Link;
    }
    TWorkLogRecord last{};
    if (!ReadAt(n - 1, last)) return false;

    // The live log is not touched until the work file is complete and checked.
    const std::wstring tmp = GbkToWide(tmpPath_), log = GbkToWide(logPath_);
    ::DeleteFileW(tmp.c_str());
    {
        dvr::win::File out(::CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!out) return false;
        std::vector<TWorkLogRecord> chunk;
        bool ok = true;
        for (int from = s; ok && from < n; from += kCopyChunkRecords) {
            const int count = std::min(kCopyChunkRecords, n - from);
            chunk.resize(static_cast<size_t>(count));
            ok = ReadExact(file_.get(), int64_t(from) * kRecordSize, chunk.data(),
                           static_cast<DWORD>(count * kRecordSize));
            for (int i = 0; ok && i < count; ++i) {
                TWorkLogRecord& r = chunk[static_cast<size_t>(i)];
                const int original = from + i;
                if (heads.count(original) && r.Link >= 0)
                    r.Link -= s;
                else if (original == n - 1 && r.Link > 0)
                    r.Link -= s;
            }
            DWORD wrote = 0;
            ok = ok &&
                 ::WriteFile(out.get(), chunk.data(), static_cast<DWORD>(count * kRecordSize),
                             &wrote, nullptr) &&
                 wrote == static_cast<DWORD>(count * kRecordSize);
        }
        LARGE_INTEGER size{};
        ok = ok && ::FlushFileBuffers(out.get()) && ::GetFileSizeEx(out.get(), &size) &&
             size.QuadPart == int64_t(n - s) * kRecordSize;
        if (!ok) {
            out.reset();
            ::DeleteFileW(tmp.c_str());
            return false;
        }
    }
    file_.reset();
    const bool replaced =
        ::MoveFileExW(tmp.c_str(), log.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!replaced) ::DeleteFileW(tmp.c_str());
    if (Open()) ReadLastRecord();
    return replaced;
}

void TWorkLog::LoadKeepDays() {
    uint8_t days = 30;
    arithmetic_.ReadRegBinary(HKEY_LOCAL_MACHINE, kKeepDaysKey, "WorkLog", &days, 1);
    KeepDays = days == 0 ? 1 : days;
}

int TWorkLog::SaveKeepDays() {
    const uint8_t days = KeepDays;
    return arithmetic_.WriteRegBinary(HKEY_LOCAL_MACHINE, kKeepDaysKey, "WorkLog", &days, 1);
}

} // namespace vantrel
