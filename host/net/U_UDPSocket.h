// The UDP endpoints of the message server and client: a bound socket, a thread that waits on it
// for datagrams, and the hand-over of work to the user-interface thread.
#pragma once

#include "common/win/handles.h"
#include "host/net/U_UDPReplyRouter.h"

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace vantrel {

// Keeps Winsock started for as long as one holder lives.
class TWinsockUser {
public:
    TWinsockUser();
    ~TWinsockUser();
    TWinsockUser(const TWinsockUser&) = delete;
    TWinsockUser& operator=(const TWinsockUser&) = delete;
};

// A UDP socket bound to a port of every local address (0: any free port).
class TUdpSocket {
public:
    // Throws std::runtime_error when the socket cannot be made or bound.
    TUdpSocket(int port, int bufferSize);
    int LocalPort() const { return localPort_; }
    SOCKET Get() const { return socket_.get(); }
    // One datagram to a dotted address or a host name. Throws std::runtime_error on failure.
    void SendTo(const void* buffer, int length, int port, const std::string& host);
    void Close() { socket_.reset(); }

private:
    TWinsockUser winsock_;
    dvr::win::Socket socket_;
    int localPort_ = 0;
};

// Waits on a socket for datagrams and hands each to `onDatagram` on its own thread, with the
// sender's dotted address and port. Stop (or the destructor) ends the thread.
class TUdpReceiveThread {
public:
    using Handler = std::function<void(const uint8_t* data, size_t length,
                                       const std::string& sender, int senderPort)>;
    TUdpReceiveThread(SOCKET socket, int bufferSize, int priority, Handler onDatagram);
    ~TUdpReceiveThread();
    void Stop();

private:
    static DWORD WINAPI ThreadMain(LPVOID self);
    void Execute();

    SOCKET socket_;
    std::vector<uint8_t> buffer_;
    Handler onDatagram_;
    std::atomic<bool> stopped_{false};
    dvr::win::Event networkEvent_, stopEvent_;
    dvr::win::Thread thread_;
};

// Runs work on the thread that created it, through a hidden window and its message loop.
class TUiHandOver : public TUiThread {
public:
    TUiHandOver();
    ~TUiHandOver() override;
    TUiHandOver(const TUiHandOver&) = delete;
    TUiHandOver& operator=(const TUiHandOver&) = delete;
    // From any thread; the work runs later, in order, on the creating thread.
    void Run(std::function<void()> work) override;
    // Work waiting to run.
    size_t Pending();

private:
    static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void Drain();

    HWND window_ = nullptr;
    std::mutex lock_;
    std::deque<std::function<void()>> queue_;
};

} // namespace vantrel
