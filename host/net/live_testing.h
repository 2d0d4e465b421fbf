// Stand-ins for the live server's tests: a host engine that records what is asked of it, and
// a viewer on a blocking loopback socket.
#pragma once

#include "host/net/U_LiveHost.h"
#include "host/net/U_LiveProtocol.h"

#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace vantrel::testing {

class FakeLiveHost : public TLiveHost {
public:
    std::atomic<int> Channels{2};
    std::atomic<int> Rate{25};
    std::atomic<int> SinceKey{0};
    std::atomic<bool> LimitOn{false};
    std::atomic<int32_t> LimitKbps{0};
    std::atomic<bool> Running{false};
    std::atomic<int> State{-1};
    std::string GoodUser = "guest", GoodPassword = "pw";
    std::string BadAddress; // CheckIP refuses exactly this address
    std::vector<uint8_t> Header;
    std::atomic<int> CheckIPCalls{0};

    std::mutex Lock;
    std::vector<int> KeyFrameRequests;
    std::vector<std::pair<int, char>> Starts, Stops;
    std::vector<std::string> Log;

    int BoardChannelCount() override { return Channels; }
    int RequestKeyFrame(int channel) override {
        std::lock_guard g(Lock);
        KeyFrameRequests.push_back(channel);
        return 0;
    }
    int FramesSinceKeyFrame(int) override { return SinceKey; }
    int FrameRate(int) override { return Rate; }
    bool BandwidthLimit(int32_t& kbps) override {
        kbps = LimitKbps;
        return LimitOn;
    }
    bool CheckUser(std::string_view name, std::string_view password, int right, int, int) override {
        return right == 0 && name == GoodUser && password == GoodPassword;
    }
    bool CheckIP(std::string_view address, int right, int, int) override {
        ++CheckIPCalls;
        return right == 0 && address != BadAddress;
    }
    bool RunningHeader(int, std::vector<uint8_t>& header) override {
        std::lock_guard g(Lock);
        if (!Running || Header.empty()) return false;
        header = Header;
        return true;
    }
    bool CaptureRunning(int) override { return Running; }
    int CaptureState(int) override { return State; }
    int StartChannel(int channel, char request, int) override {
        std::lock_guard g(Lock);
        Starts.emplace_back(channel, request);
        if (!Running) {
            Running = true;
            State = 42;
        } else if (State == 41) {
            State = 44;
        }
        return 0;
    }
    int StopChannel(int channel, char request) override {
        std::lock_guard g(Lock);
        Stops.emplace_back(channel, request);
        if (State == 42) {
            State = -1;
            Running = false;
        } else if (State == 44) {
            State = 41;
        }
        return 0;
    }
    void AddLogRecord(std::string_view line) override {
        std::lock_guard g(Lock);
        Log.emplace_back(line);
    }

    template <typename T> T Copy(const T& v) {
        std::lock_guard g(Lock);
        return v;
    }
};

// Polls `done` every 10 ms for up to `ms`.
inline bool WaitUntil(const std::function<bool()>& done, DWORD ms = 30000) {
    const ULONGLONG end = ::GetTickCount64() + ms;
    while (!done()) {
        if (::GetTickCount64() > end) return false;
        ::Sleep(10);
    }
    return true;
}

class TestViewer {
public:
    explicit TestViewer(int port) {
        WSADATA d;
        ::WSAStartup(MAKEWORD(2, 2), &d);
        s_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(static_cast<u_short>(port));
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = ::connect(s_, reinterpret_cast<sockaddr*>(&to), sizeof(to)) == 0;
    }
    ~TestViewer() {
        Close();
        ::WSACleanup();
    }
    TestViewer(const TestViewer&) = delete;
    TestViewer& operator=(const TestViewer&) = delete;

    bool Connected() const { return connected_; }
    void Close() {
        if (s_ != INVALID_SOCKET) ::closesocket(s_);
        s_ = INVALID_SOCKET;
    }
    bool Send(const void* data, size_t n) {
        return ::send(s_, static_cast<const char*>(data), static_cast<int>(n), 0) ==
               static_cast<int>(n);
    }
    bool SendRequest(int channel, std::string_view keyword = "", std::string_view user = "guest",
                     std::string_view password = "pw") {
        TChannelOpenRequest r = MakeChannelOpenRequest("127.0.0.1", 50000, "10.9.9.9", channel,
                                                       keyword, user, password);
        return Send(&r, sizeof(r));
    }
    // Up to n bytes, waiting at most `ms` in all; fewer when the time ran out or the host hung
    // up (PeerClosed then tells).
    std::vector<uint8_t> Read(size_t n, DWORD ms = 5000) {
        std::vector<uint8_t> out;
        const ULONGLONG end = ::GetTickCount64() + ms;
        while (out.size() < n) {
            const ULONGLONG now = ::GetTickCount64();
            if (now >= end) break;
            fd_set set;
            FD_ZERO(&set);
            FD_SET(s_, &set);
            timeval tv{0, static_cast<long>(std::min<ULONGLONG>(end - now, 200) * 1000)};
            if (::select(0, &set, nullptr, nullptr, &tv) <= 0) continue;
            char buf[65536];
            const int want = static_cast<int>(std::min<size_t>(n - out.size(), sizeof(buf)));
            const int got = ::recv(s_, buf, want, 0);
            if (got <= 0) {
                peerClosed_ = true;
                break;
            }
            out.insert(out.end(), buf, buf + got);
        }
        return out;
    }
    bool PeerClosed() const { return peerClosed_; }

private:
    SOCKET s_ = INVALID_SOCKET;
    bool connected_ = false;
    bool peerClosed_ = false;
};

} // namespace vantrel::testing
