#include "host/engine/T_ThreadWriteLogRecord.h"

#include "host/engine/U_WorkLogLine.h"

#include <algorithm>
#include <mutex>

namespace vantrel {

TThreadWriteLogRecord::TThreadWriteLogRecord(TWorkLog& log, std::function<void(DWORD)> pause)
    : log_(log), pause_(pause ? std::move(pause) : [](DWORD ms) { ::Sleep(ms); }),
      wake_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    thread_.reset(::CreateThread(nullptr, 0, &TThreadWriteLogRecord::ThreadMain, this,
                                 CREATE_SUSPENDED, nullptr));
    if (thread_) ::SetThreadPriority(thread_.get(), THREAD_PRIORITY_BELOW_NORMAL);
}

TThreadWriteLogRecord::~TThreadWriteLogRecord() {
    Stop();
    // The writer uses this object until it ends.
    if (thread_) ::WaitForSingleObject(thread_.get(), INFINITE);
}

DWORD WINAPI TThreadWriteLogRecord::ThreadMain(LPVOID self) {
    static_cast<TThreadWriteLogRecord*>(self)->Execute();
    return 0;
}

void TThreadWriteLogRecord::Start() {
    if (thread_ && !started_.exchange(true)) ::ResumeThread(thread_.get());
}

void TThreadWriteLogRecord::AddRecord(std::string_view line) {
    {
        std::lock_guard<dvr::win::CriticalSection> hold(queueLock_);
        if (queue_.size() < kQueueLimit) queue_.emplace_back(line);
    }
    ::SetEvent(wake_.get());
    Start();
}

size_t TThreadWriteLogRecord::Queued() {
    std::lock_guard<dvr::win::CriticalSection> hold(queueLock_);
    return queue_.size();
}

void TThreadWriteLogRecord::Stop() {
    if (!thread_) return;
    if (!stopped_.exchange(true)) stopTick_ = ::GetTickCount64();
    ::SetEvent(wake_.get());
    Start();
    // The drain ends by itself after 2 s; allow one record's write beyond that.
    if (::WaitForSingleObject(thread_.get(), kDrainMs + 3000) == WAIT_OBJECT_0) thread_.reset();
}

void TThreadWriteLogRecord::Execute() {
    for (;;) {
        for (;;) {
            std::string line;
            {
                std::lock_guard<dvr::win::CriticalSection> hold(queueLock_);
                if (queue_.empty()) break;
                line = queue_.front();
            }
            TWorkLogRecord record{};
            const bool readable = ParseWorkLogLine(line, record);
            const bool stopping = stopped_;
            // On the way out the last lines (the exit among them) are written unpaced.
            if (stopping && ::GetTickCount64() - stopTick_ > kDrainMs) return;
            if (readable) {
                log_.AppendRecord(record);
                if (!stopping) pause_(kPaceMs);
            }
            std::lock_guard<dvr::win::CriticalSection> hold(queueLock_);
            queue_.pop_front();
        }
        if (stopped_) return;
        pause_(kPaceMs);
        const int keep = std::max<int>(1, log_.KeepDays);
        if (!log_.ViewerOpen && log_.CountDays() > keep) log_.DropOldestDay();
        if (stopped_) return;
        ::WaitForSingleObject(wake_.get(), INFINITE);
    }
}

} // namespace vantrel
