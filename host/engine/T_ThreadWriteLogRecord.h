// The work-log writer: queues lines from any thread, appends them paced, prunes when idle.
#pragma once

#include "host/engine/U_WorkLog.h"

#include "common/win/handles.h"

#include <atomic>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

namespace vantrel {

class TThreadWriteLogRecord {
public:
    static constexpr size_t kQueueLimit = 200;
    static constexpr DWORD kPaceMs = 50;
    static constexpr DWORD kDrainMs = 2000;

    // Created suspended at below-normal priority; the first line starts it. `pause` is how
    // the writer waits between records (Sleep unless replaced).
    explicit TThreadWriteLogRecord(TWorkLog& log, std::function<void(DWORD)> pause = nullptr);
    ~TThreadWriteLogRecord();
    TThreadWriteLogRecord(const TThreadWriteLogRecord&) = delete;
    TThreadWriteLogRecord& operator=(const TThreadWriteLogRecord&) = delete;

    // Queues a line unless 200 are waiting (then it is dropped); wakes the writer.
    void AddRecord(std::string_view line);
    // Writes what is still queued for up to 2 seconds, then ends the writer and waits for it.
    void Stop();

    size_t Queued();

private:
    static DWORD WINAPI ThreadMain(LPVOID self);
    void Execute();
    void Start();

    TWorkLog& log_;
    std::function<void(DWORD)> pause_;
    dvr::win::CriticalSection queueLock_;
    std::deque<std::string> queue_;
    dvr::win::Event wake_;
    dvr::win::Thread thread_;
    std::atomic<bool> started_{false};
    std::atomic<bool> stopped_{false};
    std::atomic<ULONGLONG> stopTick_{0};
};

} // namespace vantrel
