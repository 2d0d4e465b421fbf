#include "host/net/U_SocketNotify.h"

#include <algorithm>

namespace vantrel {
namespace {

constexpr wchar_t kClassName[] = L"VantrelSocketNotify";

ATOM RegisterNotifyClass(WNDPROC proc) {
    static ATOM atom = [proc] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = kClassName;
        return ::RegisterClassW(&wc);
    }();
    return atom;
}

} // namespace

TSocketNotifyWindow::TSocketNotifyWindow() {
    RegisterNotifyClass(&WndProc);
    window_ = ::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
    if (window_) ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TSocketNotifyWindow::~TSocketNotifyWindow() {
    if (window_) {
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        ::DestroyWindow(window_);
    }
}

bool TSocketNotifyWindow::Watch(SOCKET socket, long events) {
    return window_ && ::WSAAsyncSelect(socket, window_, WM_SOCKETNOTIFY, events) == 0;
}

LRESULT CALLBACK TSocketNotifyWindow::WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TSocketNotifyWindow*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
    if (!self || msg < WM_USER) return ::DefWindowProcW(wnd, msg, wParam, lParam);
    if (msg == WM_SOCKETNOTIFY) {
        if (self->OnSocket)
            self->OnSocket(static_cast<SOCKET>(wParam), WSAGETSELECTEVENT(lParam),
                           WSAGETSELECTERROR(lParam));
    } else if (self->OnMessage) {
        self->OnMessage(msg, wParam, lParam);
    }
    return 0;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    for (;;) {
        MSG m;
        while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&m);
            ::DispatchMessageW(&m);
        }
        if (done()) return true;
        const ULONGLONG now = ::GetTickCount64();
        if (now >= end) return false;
        ::MsgWaitForMultipleObjects(
            0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(end - now, 10)), QS_ALLINPUT);
    }
}

} // namespace vantrel
