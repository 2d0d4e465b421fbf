// Timers: OnTimer every Interval milliseconds while Enabled, from a hidden window's
// WM_TIMER on the thread that made the timer.
#pragma once

#include "framework/component.h"
#include "framework/events.h"
#include "framework/message.h"

#include <windows.h>

namespace dvr::fw {

class TTimer : public TComponent {
    FW_PUBLISHED(TTimer, TComponent)
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value);
    uint32_t Interval() const { return interval_; }
    void SetInterval(uint32_t Value);
    TNotifyEvent OnTimer() const { return on_timer_; }
    // The timer runs only with a handler.
    void SetOnTimer(TNotifyEvent Value);

protected:
    virtual void Timer();

private:
    void UpdateTimer();
    void WndProc(TMessage& Message);

    bool enabled_ = true;
    uint32_t interval_ = 1000;
    TNotifyEvent on_timer_;
    HWND window_ = nullptr;
};

} // namespace dvr::fw
