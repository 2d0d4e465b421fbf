// The clip cutter: one thread for the program that writes a clip of a recording, from the
// key frame at the clip start to the key frame at the clip end, as a new recording file.
#pragma once

#include "common/win/handles.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

namespace vantrel {

// wParam 1 cutting has begun, 0 the clip is complete, -1 it failed.
constexpr UINT WM_CLIPDONE = WM_USER + 25;

class TThreadReplayVideoCapture {
public:
    // Idle until Start.
    TThreadReplayVideoCapture();
    // Ends the thread after a clip in progress.
    ~TThreadReplayVideoCapture();
    TThreadReplayVideoCapture(const TThreadReplayVideoCapture&) = delete;
    TThreadReplayVideoCapture& operator=(const TThreadReplayVideoCapture&) = delete;

    // Set by the caller while Busy is false (GBK paths).
    std::string TargetName;
    std::string SourceName;
    int32_t StartPos = 0;
    int32_t EndPos = -1;

    bool Busy() const { return busy_; }
    // Cuts one clip on the thread, reporting to `form`.
    void Start(HWND form);

private:
    static DWORD WINAPI ThreadMain(LPVOID self);
    void Cut();
    void Post(int result);

    HWND form_ = nullptr;
    std::atomic<bool> busy_{false};
    std::atomic<bool> quit_{false};
    dvr::win::Event wake_;
    dvr::win::Thread thread_;
};

} // namespace vantrel
