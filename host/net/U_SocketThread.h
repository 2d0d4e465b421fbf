// A worker thread of the socket layer: created suspended, given its priority, then resumed.
// It is stopped by raising Stopped and then setting the event it waits on; whoever frees the
// objects it uses first waits for it to end.
#pragma once

#include "common/win/handles.h"

#include <windows.h>

#include <atomic>
#include <functional>

namespace vantrel {

class TSocketThread {
public:
    // Creates the thread for `body` suspended; Start gives it `priority` and resumes it, so
    // the owner can store the object before the body runs. Started() is false when the thread
    // could not be created.
    TSocketThread(std::function<void(TSocketThread&)> body, int priority);
    void Start();
    // Waits up to 5 s for the thread to end, unless it is the calling thread itself.
    ~TSocketThread();
    TSocketThread(const TSocketThread&) = delete;
    TSocketThread& operator=(const TSocketThread&) = delete;

    std::atomic<bool> Stopped{false};

    bool Started() const { return static_cast<bool>(thread_); }
    bool Ended() const;
    // True when the thread has ended within `ms`.
    bool Wait(DWORD ms) const;
    bool IsCurrent() const { return ::GetCurrentThreadId() == id_; }

private:
    static DWORD WINAPI Main(LPVOID self);

    std::function<void(TSocketThread&)> body_;
    int priority_;
    std::atomic<bool> ended_{false};
    DWORD id_ = 0;
    dvr::win::Thread thread_;
};

} // namespace vantrel
