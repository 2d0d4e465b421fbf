#include "host/engine/U_WindowTimer.h"

#include <utility>

namespace vantrel {
namespace {

constexpr const wchar_t* kWindowClass = L"VantrelWindowTimer";
constexpr UINT_PTR kTimerId = 1;

} // namespace

TWindowTimer::TWindowTimer(UINT intervalMs, std::function<void()> onTimer)
    : interval_(intervalMs), onTimer_(std::move(onTimer)) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &TWindowTimer::WndProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kWindowClass;
    ::RegisterClassExW(&wc); // already registered by an earlier timer is fine
    window_ = ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                wc.hInstance, nullptr);
    if (window_) ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TWindowTimer::~TWindowTimer() {
    SetEnabled(false);
    if (window_) ::DestroyWindow(window_);
}

void TWindowTimer::SetEnabled(bool enabled) {
    if (!window_ || enabled == enabled_) return;
    if (enabled)
        enabled_ = ::SetTimer(window_, kTimerId, interval_, nullptr) != 0;
    else {
        ::KillTimer(window_, kTimerId);
        enabled_ = false;
    }
}

LRESULT CALLBACK TWindowTimer::WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TIMER && wParam == kTimerId) {
        auto* self = reinterpret_cast<TWindowTimer*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
        if (self && self->enabled_ && self->onTimer_) self->onTimer_();
        return 0;
    }
    return ::DefWindowProcW(wnd, msg, wParam, lParam);
}

} // namespace vantrel
