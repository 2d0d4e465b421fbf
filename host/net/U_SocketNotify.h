// A hidden window that brings socket events and posted messages to the thread that created
// it, through that thread's message loop: the web server, the voice receiver and the search
// dialog run their handlers on the user-interface thread this way.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <functional>

namespace vantrel {

class TSocketNotifyWindow {
public:
    // Socket events arrive as this message (wParam socket, lParam event and error).
    static constexpr UINT WM_SOCKETNOTIFY = WM_USER + 0x300;

    TSocketNotifyWindow();
    ~TSocketNotifyWindow();
    TSocketNotifyWindow(const TSocketNotifyWindow&) = delete;
    TSocketNotifyWindow& operator=(const TSocketNotifyWindow&) = delete;

    HWND Handle() const { return window_; }
    // Makes the socket non-blocking and reports the events to OnSocket; 0 events stops.
    bool Watch(SOCKET socket, long events);

    std::function<void(SOCKET socket, WORD event, WORD error)> OnSocket;
    // Any other message posted or sent to the window.
    std::function<void(UINT message, WPARAM wParam, LPARAM lParam)> OnMessage;

private:
    static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;
};

// Dispatches the calling thread's messages until `done` holds or the time is up.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

} // namespace vantrel
