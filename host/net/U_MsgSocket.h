// Non-blocking TCP sockets whose events run on the thread that created them, through that
// thread's message loop: the remote-service servers and windows (replay, upgrade, file
// transfer, chat) use them. Connections are shared so that a worker thread sending on one
// keeps it valid after the peer has gone; sends from any thread are serialised with closing.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

class TMsgSocketWindow;

// Bytes one ReceiveText takes at most, and connections a server keeps open at once.
constexpr size_t kMaxReceiveText = 65536;
constexpr size_t kMaxMsgConnections = 64;

class TMsgConnection {
public:
    TMsgConnection(SOCKET socket, std::string peerAddress, int peerPort);
    ~TMsgConnection();
    TMsgConnection(const TMsgConnection&) = delete;
    TMsgConnection& operator=(const TMsgConnection&) = delete;

    // One send; the byte count, or -1 when nothing could be sent (buffer full or error).
    int SendBuf(const void* data, int length);
    int SendText(std::string_view text) {
        return SendBuf(text.data(), static_cast<int>(text.size()));
    }
    // Up to `size` bytes that have arrived; 0 when none (or the peer closed), -1 on error.
    int ReceiveBuf(void* buffer, int size);
    // What has arrived so far, at most `limit` bytes: a peer that never stops sending cannot
    // keep the reader in one call (the rest raises another read event).
    std::string ReceiveText(size_t limit = kMaxReceiveText);
    int BytesAvailable();
    // Closes the socket; the owner's disconnect event follows on its own thread. Any thread.
    void Close();
    bool Connected() const;

    const std::string& PeerAddress() const { return peerAddress_; }
    int PeerPort() const { return peerPort_; }

    // Free for the owner's use: the replay server's closed flag, the upgrade receiver's
    // file-name mark.
    std::atomic<bool> ClosedFlag{false};
    std::atomic<intptr_t> Mark{0};

private:
    friend class TMsgServerSocket;
    friend class TMsgClientSocket;
    SOCKET Socket() const;
    // Closes without telling the owner; true when it was open.
    bool CloseQuiet();
    void SetNotify(HWND window, UINT message, LPARAM id);

    mutable std::mutex lock_;
    SOCKET socket_;
    std::string peerAddress_;
    int peerPort_;
    HWND notifyWindow_ = nullptr;
    UINT notifyMessage_ = 0;
    LPARAM notifyId_ = 0;
};

using TMsgConnectionPtr = std::shared_ptr<TMsgConnection>;

// A listening socket and its accepted connections.
class TMsgServerSocket {
public:
    TMsgServerSocket();
    ~TMsgServerSocket();
    TMsgServerSocket(const TMsgServerSocket&) = delete;
    TMsgServerSocket& operator=(const TMsgServerSocket&) = delete;

    // Listens on the port (0: any free one) of the address ("" for every local address).
    bool Open(int port, std::string_view address = {});
    void Close();
    bool Active() const { return listener_ != INVALID_SOCKET; }
    int LocalPort() const;
    // The open connections, oldest first.
    std::vector<TMsgConnectionPtr> Connections() const;
    int ActiveConnections() const { return static_cast<int>(connections_.size()); }
    // Connections open at once; further ones are closed at accept.
    size_t MaxConnections = kMaxMsgConnections;

    std::function<void(const TMsgConnectionPtr&)> OnClientConnect;
    std::function<void(const TMsgConnectionPtr&)> OnClientRead;
    std::function<void(const TMsgConnectionPtr&)> OnClientDisconnect;
    // The handler sets the code to 0 to mark the error handled; nothing is raised either way.
    std::function<void(const TMsgConnectionPtr&, int& errorCode)> OnClientError;

private:
    bool Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Disconnected(LPARAM id);

    std::unique_ptr<TMsgSocketWindow> window_;
    SOCKET listener_ = INVALID_SOCKET;
    std::vector<std::pair<LPARAM, TMsgConnectionPtr>> connections_;
    LPARAM nextId_ = 1;
};

// An outgoing connection.
class TMsgClientSocket {
public:
    TMsgClientSocket();
    ~TMsgClientSocket();
    TMsgClientSocket(const TMsgClientSocket&) = delete;
    TMsgClientSocket& operator=(const TMsgClientSocket&) = delete;

    // Starts connecting to a dotted address or a host name; false when it cannot start.
    bool Open(std::string_view host, int port);
    // Closes; the disconnect event follows when the socket was open.
    void Close();
    bool Active() const { return connection_ != nullptr; }
    bool Connected() const { return connected_ && connection_ && connection_->Connected(); }
    // The connection while active (for sending and receiving); null otherwise.
    TMsgConnectionPtr Connection() const { return connection_; }

    int Tag = 0;
    std::function<void()> OnConnect;
    std::function<void()> OnRead;
    std::function<void()> OnDisconnect;
    std::function<void(int& errorCode)> OnError;

private:
    bool Handle(UINT message, WPARAM wParam, LPARAM lParam);

    std::unique_ptr<TMsgSocketWindow> window_;
    TMsgConnectionPtr connection_;
    LPARAM id_ = 0;
    bool connected_ = false;
};

// A message-only window of the creating thread that runs `handler` for every message from
// WM_USER up: worker threads post their progress to the user-interface thread through it.
class TMsgWindow {
public:
    explicit TMsgWindow(std::function<void(UINT, WPARAM, LPARAM)> handler);
    ~TMsgWindow();
    TMsgWindow(const TMsgWindow&) = delete;
    TMsgWindow& operator=(const TMsgWindow&) = delete;
    HWND Handle() const { return hwnd_; }
    void Post(UINT message, WPARAM wParam, LPARAM lParam = 0) const {
        ::PostMessageW(hwnd_, message, wParam, lParam);
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM w, LPARAM l);
    std::function<void(UINT, WPARAM, LPARAM)> handler_;
    HWND hwnd_ = nullptr;
};

// Dispatches the calling thread's messages until `done` holds or the time is up; for
// threads without a message loop of their own (tests, helper threads).
bool PumpMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs);

} // namespace vantrel
