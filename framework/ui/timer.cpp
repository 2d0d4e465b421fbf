#include "framework/ui/timer.h"

#include "framework/ui/controls.h"
#include "framework/ui/forms.h"

namespace dvr::fw {

void TTimer::Publish(TPublisher<TTimer>& p) {
    p.Property("Enabled", nullptr, &TTimer::Enabled, &TTimer::SetEnabled).Default(1);
    p.Property("Interval", nullptr, &TTimer::Interval, &TTimer::SetInterval).Default(1000);
}

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
    window_ = AllocateHWnd(TWndMethod(this, &TTimer::WndProc));
}

TTimer::~TTimer() {
    enabled_ = false;
    if (window_) {
        ::KillTimer(window_, 1);
        DeallocateHWnd(window_);
    }
}

void TTimer::UpdateTimer() {
    ::KillTimer(window_, 1);
    if (interval_ != 0 && enabled_ && on_timer_)
        if (!::SetTimer(window_, 1, interval_, nullptr))
            throw EOutOfResources("Not enough timers available");
}

void TTimer::SetEnabled(bool Value) {
    if (Value == enabled_) return;
    enabled_ = Value;
    UpdateTimer();
}

void TTimer::SetInterval(uint32_t Value) {
    if (Value == interval_) return;
    interval_ = Value;
    UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent Value) {
    on_timer_ = Value;
    UpdateTimer();
}

void TTimer::Timer() {
    on_timer_(this);
}

void TTimer::WndProc(TMessage& Message) {
    if (Message.Msg == WM_TIMER) {
        try {
            Timer();
        } catch (...) {
            if (Application) Application->HandleException(this);
        }
        return;
    }
    Message.Result = ::DefWindowProcW(window_, Message.Msg, Message.WParam, Message.LParam);
}

} // namespace dvr::fw
