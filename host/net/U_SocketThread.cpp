#include "host/net/U_SocketThread.h"

namespace vantrel {

TSocketThread::TSocketThread(std::function<void(TSocketThread&)> body, int priority)
    : body_(std::move(body)), priority_(priority) {
    thread_.reset(::CreateThread(nullptr, 0, &TSocketThread::Main, this, CREATE_SUSPENDED, &id_));
    if (!thread_) ended_ = true;
}

void TSocketThread::Start() {
    if (!thread_) return;
    ::SetThreadPriority(thread_.get(), priority_);
    ::ResumeThread(thread_.get());
}

TSocketThread::~TSocketThread() {
    if (!thread_ || IsCurrent()) return;
    // A thread never started would otherwise wait for good.
    if (::ResumeThread(thread_.get()) > 1) ::ResumeThread(thread_.get());
    ::WaitForSingleObject(thread_.get(), 5000);
}

bool TSocketThread::Ended() const {
    return ended_.load() || !thread_ || ::WaitForSingleObject(thread_.get(), 0) == WAIT_OBJECT_0;
}

bool TSocketThread::Wait(DWORD ms) const {
    if (!thread_) return true;
    return ::WaitForSingleObject(thread_.get(), ms) == WAIT_OBJECT_0;
}

DWORD WINAPI TSocketThread::Main(LPVOID self) {
    auto* t = static_cast<TSocketThread*>(self);
    try {
        t->body_(*t);
    } catch (...) {
    }
    t->ended_ = true;
    return 0;
}

} // namespace vantrel
