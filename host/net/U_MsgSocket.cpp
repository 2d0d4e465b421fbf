#include "host/net/U_MsgSocket.h"

#include <algorithm>

#include <ws2tcpip.h>

namespace vantrel {

namespace {

constexpr UINT WM_SOCKETEVENT = WM_APP + 0x310;
// Posted by TMsgConnection::Close: lParam = the connection's id.
constexpr UINT WM_SOCKETCLOSED = WM_APP + 0x311;

const wchar_t kWindowClass[] = L"VantrelMsgSocketWindow";

class WinsockUser {
public:
    WinsockUser() {
        WSADATA data;
        ok_ = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~WinsockUser() {
        if (ok_) ::WSACleanup();
    }

private:
    bool ok_ = false;
};

std::string AddressText(const sockaddr_in& a) {
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &a.sin_addr, text, sizeof text);
    return text;
}

bool Resolve(std::string_view host, in_addr& address) {
    const std::string name(host);
    if (::inet_pton(AF_INET, name.c_str(), &address) == 1) return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    if (::getaddrinfo(name.c_str(), nullptr, &hints, &result) != 0 || !result) return false;
    address = reinterpret_cast<sockaddr_in*>(result->ai_addr)->sin_addr;
    ::freeaddrinfo(result);
    return true;
}

} // namespace

// A message-only window of the creating thread that hands socket notices to its owner.
class TMsgSocketWindow {
public:
    explicit TMsgSocketWindow(std::function<bool(UINT, WPARAM, LPARAM)> handler)
        : handler_(std::move(handler)) {
        static const ATOM atom = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = &TMsgSocketWindow::Proc;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.lpszClassName = kWindowClass;
            return ::RegisterClassW(&wc);
        }();
        (void)atom;
        hwnd_ = ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~TMsgSocketWindow() {
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
    HWND Handle() const { return hwnd_; }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
        auto* self = reinterpret_cast<TMsgSocketWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && (msg == WM_SOCKETEVENT || msg == WM_SOCKETCLOSED)) {
            self->handler_(msg, w, l);
            return 0;
        }
        return ::DefWindowProcW(hwnd, msg, w, l);
    }

    WinsockUser winsock_;
    std::function<bool(UINT, WPARAM, LPARAM)> handler_;
    HWND hwnd_ = nullptr;
};

// ---- TMsgConnection

TMsgConnection::TMsgConnection(SOCKET socket, std::string peerAddress, int peerPort)
    : socket_(socket), peerAddress_(std::move(peerAddress)), peerPort_(peerPort) {}

TMsgConnection::~TMsgConnection() {
    CloseQuiet();
}

SOCKET TMsgConnection::Socket() const {
    std::lock_guard<std::mutex> g(lock_);
    return socket_;
}

void TMsgConnection::SetNotify(HWND window, UINT message, LPARAM id) {
    std::lock_guard<std::mutex> g(lock_);
    notifyWindow_ = window;
    notifyMessage_ = message;
    notifyId_ = id;
}

int TMsgConnection::SendBuf(const void* data, int length) {
    std::lock_guard<std::mutex> g(lock_);
    if (socket_ == INVALID_SOCKET) return -1;
    const int n = ::send(socket_, static_cast<const char*>(data), length, 0);
    return n == SOCKET_ERROR ? -1 : n;
}

int TMsgConnection::ReceiveBuf(void* buffer, int size) {
    SOCKET s = Socket();
    if (s == INVALID_SOCKET) return -1;
    const int n = ::recv(s, static_cast<char*>(buffer), size, 0);
    if (n == SOCKET_ERROR) return ::WSAGetLastError() == WSAEWOULDBLOCK ? 0 : -1;
    return n;
}

std::string TMsgConnection::ReceiveText(size_t limit) {
    std::string text;
    char buffer[8192];
    while (text.size() < limit) {
        const int n = ReceiveBuf(buffer, int(std::min(sizeof buffer, limit - text.size())));
        if (n <= 0) break;
        text.append(buffer, static_cast<size_t>(n));
    }
    return text;
}

int TMsgConnection::BytesAvailable() {
    SOCKET s = Socket();
    u_long n = 0;
    if (s == INVALID_SOCKET || ::ioctlsocket(s, FIONREAD, &n) != 0) return 0;
    return static_cast<int>(n);
}

bool TMsgConnection::CloseQuiet() {
    std::lock_guard<std::mutex> g(lock_);
    if (socket_ == INVALID_SOCKET) return false;
    ::closesocket(socket_);
    socket_ = INVALID_SOCKET;
    return true;
}

void TMsgConnection::Close() {
    HWND window;
    UINT message;
    LPARAM id;
    {
        std::lock_guard<std::mutex> g(lock_);
        if (socket_ == INVALID_SOCKET) return;
        ::closesocket(socket_);
        socket_ = INVALID_SOCKET;
        window = notifyWindow_;
        message = notifyMessage_;
        id = notifyId_;
    }
    if (window) ::PostMessageW(window, message, 0, id);
}

bool TMsgConnection::Connected() const {
    return Socket() != INVALID_SOCKET;
}

// ---- TMsgServerSocket

TMsgServerSocket::TMsgServerSocket()
    : window_(std::make_unique<TMsgSocketWindow>(
          [this](UINT m, WPARAM w, LPARAM l) { return Handle(m, w, l); })) {}

TMsgServerSocket::~TMsgServerSocket() {
    Close();
}

bool TMsgServerSocket::Open(int port, std::string_view address) {
    if (Active()) return true;
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return false;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = ::htons(static_cast<u_short>(port));
    a.sin_addr.s_addr = INADDR_ANY;
    if (!address.empty() && !Resolve(address, a.sin_addr)) {
        ::closesocket(s);
        return false;
    }
    if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::WSAAsyncSelect(s, window_->Handle(), WM_SOCKETEVENT, FD_ACCEPT) != 0 ||
        ::listen(s, SOMAXCONN) != 0) {
        ::closesocket(s);
        return false;
    }
    listener_ = s;
    return true;
}

void TMsgServerSocket::Close() {
    if (listener_ != INVALID_SOCKET) {
        ::closesocket(listener_);
        listener_ = INVALID_SOCKET;
    }
    auto connections = std::move(connections_);
    connections_.clear();
    for (auto& [id, c] : connections)
        c->CloseQuiet();
}

int TMsgServerSocket::LocalPort() const {
    sockaddr_in a{};
    int len = sizeof a;
    if (listener_ == INVALID_SOCKET ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
        return 0;
    return ::ntohs(a.sin_port);
}

std::vector<TMsgConnectionPtr> TMsgServerSocket::Connections() const {
    std::vector<TMsgConnectionPtr> list;
    for (const auto& [id, c] : connections_)
        list.push_back(c);
    return list;
}

void TMsgServerSocket::Disconnected(LPARAM id) {
    for (auto it = connections_.begin(); it != connections_.end(); ++it) {
        if (it->first != id) continue;
        TMsgConnectionPtr c = it->second;
        connections_.erase(it);
        c->CloseQuiet();
        if (OnClientDisconnect) OnClientDisconnect(c);
        return;
    }
}

bool TMsgServerSocket::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SOCKETCLOSED) {
        Disconnected(lParam);
        return true;
    }
    const SOCKET s = static_cast<SOCKET>(wParam);
    const int event = WSAGETSELECTEVENT(lParam);
    int error = WSAGETSELECTERROR(lParam);
    if (s == listener_ && event == FD_ACCEPT) {
        sockaddr_in peer{};
        int len = sizeof peer;
        SOCKET c = ::accept(listener_, reinterpret_cast<sockaddr*>(&peer), &len);
        if (c == INVALID_SOCKET) return true;
        if (connections_.size() >= MaxConnections) {
            ::closesocket(c);
            return true;
        }
        auto conn = std::make_shared<TMsgConnection>(c, AddressText(peer), ::ntohs(peer.sin_port));
        const LPARAM id = nextId_++;
        conn->SetNotify(window_->Handle(), WM_SOCKETCLOSED, id);
        if (::WSAAsyncSelect(c, window_->Handle(), WM_SOCKETEVENT, FD_READ | FD_CLOSE) != 0) {
            conn->CloseQuiet();
            return true;
        }
        connections_.emplace_back(id, conn);
        if (OnClientConnect) OnClientConnect(conn);
        return true;
    }
    for (const auto& [id, conn] : connections_) {
        if (conn->Socket() != s) continue;
        const LPARAM connId = id;
        TMsgConnectionPtr keep = conn;
        if (error != 0 && event != FD_CLOSE) {
            if (OnClientError) OnClientError(keep, error);
            return true;
        }
        if (event == FD_READ) {
            if (OnClientRead) OnClientRead(keep);
        } else if (event == FD_CLOSE) {
            // Data that came with the close is still read first.
            for (int guard = 0; guard < 100000 && OnClientRead && keep->BytesAvailable() > 0;
                 ++guard)
                OnClientRead(keep);
            if (error != 0 && OnClientError) OnClientError(keep, error);
            Disconnected(connId);
        }
        return true;
    }
    return true;
}

// ---- TMsgClientSocket

TMsgClientSocket::TMsgClientSocket()
    : window_(std::make_unique<TMsgSocketWindow>(
          [this](UINT m, WPARAM w, LPARAM l) { return Handle(m, w, l); })) {}

TMsgClientSocket::~TMsgClientSocket() {
    if (connection_) connection_->CloseQuiet();
}

bool TMsgClientSocket::Open(std::string_view host, int port) {
    // A connection closed by another thread whose notice is still queued is finished here.
    if (connection_ && !connection_->Connected()) connection_.reset();
    if (connection_) return true;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = ::htons(static_cast<u_short>(port));
    if (!Resolve(host, a.sin_addr)) return false;
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return false;
    if (::WSAAsyncSelect(s, window_->Handle(), WM_SOCKETEVENT, FD_CONNECT | FD_READ | FD_CLOSE) !=
        0) {
        ::closesocket(s);
        return false;
    }
    if (::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 &&
        ::WSAGetLastError() != WSAEWOULDBLOCK) {
        ::closesocket(s);
        return false;
    }
    connection_ = std::make_shared<TMsgConnection>(s, AddressText(a), port);
    connection_->SetNotify(window_->Handle(), WM_SOCKETCLOSED, ++id_);
    connected_ = false;
    return true;
}

void TMsgClientSocket::Close() {
    if (connection_) connection_->Close();
}

bool TMsgClientSocket::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SOCKETCLOSED) {
        if (connection_ && lParam == id_ && !connection_->Connected()) {
            connection_.reset();
            connected_ = false;
            if (OnDisconnect) OnDisconnect();
        }
        return true;
    }
    if (!connection_ || connection_->Socket() != static_cast<SOCKET>(wParam)) return true;
    const int event = WSAGETSELECTEVENT(lParam);
    int error = WSAGETSELECTERROR(lParam);
    if (error != 0) {
        if (OnError) OnError(error);
        return true;
    }
    switch (event) {
    case FD_CONNECT:
        connected_ = true;
        if (OnConnect) OnConnect();
        break;
    case FD_READ:
        if (OnRead) OnRead();
        break;
    case FD_CLOSE:
        for (int guard = 0;
             guard < 100000 && OnRead && connection_ && connection_->BytesAvailable() > 0; ++guard)
            OnRead();
        if (connection_) {
            connection_->CloseQuiet();
            connection_.reset();
            connected_ = false;
            if (OnDisconnect) OnDisconnect();
        }
        break;
    }
    return true;
}

TMsgWindow::TMsgWindow(std::function<void(UINT, WPARAM, LPARAM)> handler)
    : handler_(std::move(handler)) {
    static const ATOM atom = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &TMsgWindow::Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VantrelMsgWindow";
        return ::RegisterClassW(&wc);
    }();
    (void)atom;
    hwnd_ = ::CreateWindowExW(0, L"VantrelMsgWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              ::GetModuleHandleW(nullptr), nullptr);
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TMsgWindow::~TMsgWindow() {
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    ::DestroyWindow(hwnd_);
}

LRESULT CALLBACK TMsgWindow::Proc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    auto* self = reinterpret_cast<TMsgWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && msg >= WM_USER) {
        self->handler_(msg, w, l);
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, w, l);
}

bool PumpMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (done()) return true;
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= timeoutMs) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(timeoutMs - elapsed, 10),
                                    QS_ALLINPUT);
    }
}

} // namespace vantrel
