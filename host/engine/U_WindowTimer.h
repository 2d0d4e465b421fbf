// A window timer on the creating thread, fired by its message loop: the host's periodic work
// (schedule evaluation, work-state saving) runs on the user-interface thread this way.
#pragma once

#include <windows.h>

#include <functional>

namespace vantrel {

class TWindowTimer {
public:
    TWindowTimer(UINT intervalMs, std::function<void()> onTimer);
    ~TWindowTimer();
    TWindowTimer(const TWindowTimer&) = delete;
    TWindowTimer& operator=(const TWindowTimer&) = delete;

    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }
    UINT Interval() const { return interval_; }

private:
    static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

    UINT interval_;
    std::function<void()> onTimer_;
    HWND window_ = nullptr;
    bool enabled_ = false;
};

} // namespace vantrel
