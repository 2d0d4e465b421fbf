// The sending thread of a file transfer: the file's bytes in chunks over the window's client
// connection, each chunk reported to the window.
#pragma once

#include "host/net/U_MsgSocket.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>

namespace vantrel {

constexpr UINT WM_FILESENDPROGRESS = 10024;
constexpr UINT WM_FILERECVPROGRESS = 10025;

class TThreadSendFile {
public:
    // Takes the open file; `transferSize` is read as the window's count while sending.
    static std::shared_ptr<TThreadSendFile> Create(HANDLE file, TMsgConnectionPtr connection,
                                                   const std::atomic<int32_t>& transferSize,
                                                   HWND window);
    void Stop() { stop_ = true; }
    bool Ended() const { return ended_; }

private:
    TThreadSendFile() = default;
    std::atomic<bool> stop_{false};
    std::atomic<bool> ended_{false};
    int64_t bytesRead_ = 0;
};

} // namespace vantrel
