#include "host/net/U_UDPSocket.h"

#include <ws2tcpip.h>

#include <stdexcept>

namespace vantrel {

namespace {

constexpr const wchar_t* kHandOverClass = L"VantrelUdpHandOver";
constexpr UINT kHandOverMessage = WM_APP + 0x51;

} // namespace

TWinsockUser::TWinsockUser() {
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
}

TWinsockUser::~TWinsockUser() {
    ::WSACleanup();
}

TUdpSocket::TUdpSocket(int port, int bufferSize) {
    socket_.reset(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    if (!socket_) throw std::runtime_error("no UDP socket");
    int size = bufferSize;
    ::setsockopt(socket_.get(), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&size),
                 sizeof size);
    ::setsockopt(socket_.get(), SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&size),
                 sizeof size);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    local.sin_port = htons(static_cast<u_short>(port));
    if (::bind(socket_.get(), reinterpret_cast<sockaddr*>(&local), sizeof local) != 0)
        throw std::runtime_error("UDP port " + std::to_string(port) + " cannot be bound");
    int length = sizeof local;
    ::getsockname(socket_.get(), reinterpret_cast<sockaddr*>(&local), &length);
    localPort_ = ntohs(local.sin_port);
}

void TUdpSocket::SendTo(const void* buffer, int length, int port, const std::string& host) {
    if (port < 0 || port > 65535) throw std::runtime_error("no such port");
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<u_short>(port));
    if (::inet_pton(AF_INET, host.c_str(), &to.sin_addr) != 1) {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_DGRAM;
        addrinfo* found = nullptr;
        if (host.empty() || ::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found)
            throw std::runtime_error("cannot resolve " + host);
        to.sin_addr = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
        ::freeaddrinfo(found);
    }
    const int sent = ::sendto(socket_.get(), static_cast<const char*>(buffer), length, 0,
                              reinterpret_cast<sockaddr*>(&to), sizeof to);
    if (sent != length) throw std::runtime_error("send failed");
}

TUdpReceiveThread::TUdpReceiveThread(SOCKET socket, int bufferSize, int priority,
                                     Handler onDatagram)
    : socket_(socket), buffer_(size_t(bufferSize)), onDatagram_(std::move(onDatagram)) {
    networkEvent_.reset(::WSACreateEvent());
    stopEvent_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!networkEvent_ || !stopEvent_ ||
        ::WSAEventSelect(socket_, networkEvent_.get(), FD_READ) != 0)
        throw std::runtime_error("no socket events");
    thread_.reset(::CreateThread(nullptr, 0, &TUdpReceiveThread::ThreadMain, this, CREATE_SUSPENDED,
                                 nullptr));
    if (!thread_) throw std::runtime_error("no receive thread");
    ::SetThreadPriority(thread_.get(), priority);
    ::ResumeThread(thread_.get());
}

TUdpReceiveThread::~TUdpReceiveThread() {
    Stop();
}

void TUdpReceiveThread::Stop() {
    if (!thread_) return;
    stopped_ = true;
    ::SetEvent(stopEvent_.get());
    ::WaitForSingleObject(thread_.get(), INFINITE);
    thread_.reset();
}

DWORD WINAPI TUdpReceiveThread::ThreadMain(LPVOID self) {
    static_cast<TUdpReceiveThread*>(self)->Execute();
    return 0;
}

void TUdpReceiveThread::Execute() {
    const HANDLE events[2] = {networkEvent_.get(), stopEvent_.get()};
    while (!stopped_) {
        const DWORD woke = ::WSAWaitForMultipleEvents(2, events, FALSE, WSA_INFINITE, FALSE);
        if (stopped_) break;
        if (woke != WSA_WAIT_EVENT_0) {
            ::Sleep(50);
            continue;
        }
        WSANETWORKEVENTS happened;
        ::WSAEnumNetworkEvents(socket_, networkEvent_.get(), &happened);
        // Read everything waiting: one read event may stand for several datagrams.
        for (;;) {
            sockaddr_in from{};
            int fromLength = sizeof from;
            const int n =
                ::recvfrom(socket_, reinterpret_cast<char*>(buffer_.data()), int(buffer_.size()), 0,
                           reinterpret_cast<sockaddr*>(&from), &fromLength);
            if (n < 0) {
                const int error = ::WSAGetLastError();
                if (error == WSAEWOULDBLOCK) break;
                if (error == WSAEMSGSIZE || error == WSAECONNRESET)
                    continue; // too large, or an ICMP notice
                ::Sleep(50);
                break;
            }
            if (stopped_) return;
            char text[INET_ADDRSTRLEN] = {};
            ::inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
            try {
                onDatagram_(buffer_.data(), size_t(n), text, ntohs(from.sin_port));
            } catch (...) {
            }
        }
    }
}

TUiHandOver::TUiHandOver() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &TUiHandOver::WndProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kHandOverClass;
    ::RegisterClassExW(&wc); // registered by an earlier one is fine
    window_ = ::CreateWindowExW(0, kHandOverClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                wc.hInstance, nullptr);
    if (!window_) throw std::runtime_error("no hand-over window");
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TUiHandOver::~TUiHandOver() {
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
}

void TUiHandOver::Run(std::function<void()> work) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        queue_.push_back(std::move(work));
    }
    ::PostMessageW(window_, kHandOverMessage, 0, 0);
}

size_t TUiHandOver::Pending() {
    std::lock_guard<std::mutex> hold(lock_);
    return queue_.size();
}

void TUiHandOver::Drain() {
    for (;;) {
        std::function<void()> work;
        {
            std::lock_guard<std::mutex> hold(lock_);
            if (queue_.empty()) return;
            work = std::move(queue_.front());
            queue_.pop_front();
        }
        try {
            work();
        } catch (...) {
        }
    }
}

LRESULT CALLBACK TUiHandOver::WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kHandOverMessage) {
        auto* self = reinterpret_cast<TUiHandOver*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
        if (self) self->Drain();
        return 0;
    }
    return ::DefWindowProcW(wnd, msg, wParam, lParam);
}

} // namespace vantrel
